// What every menu-item painter works out before it paints: the item state as
// the painter sees it, the label and accelerator, and the geometry of the icon
// column, the text and the icon.
#pragma once
#include "framework/framework.h"
#include <windows.h>

class CSkinMenu;
class CSkinMenuItemData;

// Item-state bits the menu bar control sets for the painters.
enum : UINT {
    kStateBarNoPopup = 0x800,     // drawn hot, never pressed
    kStateVerticalBar = 0x8000,   // text runs downwards
};

// Text flags of popup items: label left, accelerator right; right-to-left
// items read right to left with the label on the right.
enum : UINT {
    kLabelFlags = DT_SINGLELINE | DT_VCENTER | DT_LEFT,
    kAccelFlags = DT_SINGLELINE | DT_VCENTER | DT_RIGHT,
    kLabelRightOrder = DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_RTLREADING,
};

// The two layouts: the flat painters (XP, 2003) put the icon column at the
// very edge, the classic ones (Classic, Bevel) one pixel inside.
enum class ItemLayout { Flat, Classic };

// On the menu bar "selected" means that the item's popup is open: an item
// without popup, or one selected while no popup is open, is drawn hot instead.
UINT RewriteBarItemState(UINT state, bool hasPopup, int openPopups);

// With the select-disabled option off a grayed item is never drawn selected.
// The item still shows a keyboard frame when it was reached by the keyboard:
// the message position has not changed since the last paint. Returns whether
// the frame is due; updates the state and the library's last position.
bool ApplySelectDisabledRule(UINT* state);

// Label (before the first tab) and accelerator (after the last tab).
void SplitMenuText(const CString& text, CString* label, CString* accel);

// DT_HIDEPREFIX when the item asks for hidden mnemonics and the system does
// not show keyboard cues anyway.
UINT HidePrefixFlag(UINT state);

// The menu font of the item: bold for the default item, turned downwards on a
// vertical bar.
LOGFONTA MenuItemLogFont(UINT state);

// Whether an id is one of the system commands the menus show a glyph for.
bool IsSystemCommandId(UINT id);

struct MenuItemGeometry {
    RECT column;   // icon column
    RECT text;     // label and accelerator
    RECT iconBox;  // IW x IH box centred in the column (classic layout)
};
MenuItemGeometry LayOutPopupItem(const RECT& item, SIZE iconSize, bool rightOrder, ItemLayout layout);

// Where an icon of the given size goes.
POINT PlaceItemIcon(const MenuItemGeometry& g, const RECT& item, SIZE iconSize, SIZE actual, ItemLayout layout);

// The item's check-mark bitmaps (by command id), null where it has none.
void GetItemCheckBitmaps(HMENU menu, UINT id, HBITMAP* checked, HBITMAP* unchecked);

// Draws a check-mark bitmap centred in the rectangle (DrawState flags added).
void DrawCheckBitmapCentred(CDC& dc, const RECT& r, HBITMAP bitmap, UINT flags);

// One item as a painter sees it.
struct MenuItemPaint {
    MenuItemPaint(CSkinMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBarItem);

    CSkinMenu* menu;
    DRAWITEMSTRUCT* dis;
    const CSkinMenuItemData* data;   // may be null
    bool bar;
    UINT state;                      // written back to dis->itemState by Commit
    bool keyboardFrame = false;
    CString label, accel;
    bool rightOrder;

    bool Has(UINT bits) const { return (state & bits) != 0; }
    bool Selected() const { return Has(ODS_SELECTED); }
    bool Grayed() const { return Has(ODS_GRAYED); }
    bool Disabled() const { return Has(ODS_GRAYED | ODS_DISABLED); }
    bool Checked() const { return Has(ODS_CHECKED); }
    bool Hot() const { return Has(ODS_HOTLIGHT); }
    bool Inactive() const { return Has(ODS_INACTIVE); }
    bool Vertical() const { return Has(kStateVerticalBar); }
    bool IsSeparator() const;
    bool IsTitle() const;
    bool HasIcon() const;
    SIZE IconSize() const;   // the store's icon size
    // Bar rewrite and select-disabled rule; the flat painters also treat hot
    // and inactive items as selected.
    void PrepareState(ItemLayout layout);
    void Commit() const { dis->itemState = state; }
};

// The common start of every painter: the state prepared and handed back, a
// title passed to the title painter. False when nothing is left to paint.
bool BeginItemPaint(MenuItemPaint& p, ItemLayout layout);
