#include "skin/itempaint.h"
#include "skin/drawing.h"
#include "skin/menuicons.h"
#include "skin/popuphook.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"

UINT RewriteBarItemState(UINT state, bool hasPopup, int openPopups)
{
    if (!hasPopup && (state & kStateBarNoPopup))
        return (state & ~(kStateBarNoPopup | ODS_SELECTED)) | ODS_HOTLIGHT;
    if (!(state & kStateBarNoPopup) && (state & ODS_SELECTED) && openPopups == 0)
        return (state & ~ODS_SELECTED) | ODS_HOTLIGHT;
    return state;
}

bool ApplySelectDisabledRule(UINT* state)
{
    if (!(*state & ODS_GRAYED) || !(*state & ODS_SELECTED) || GetSelectDisabledItems()) return false;
    *state &= ~ODS_SELECTED;
    DWORD pos = ::GetMessagePos();
    if (pos == GetLastKeyMessagePos()) return true;
    SetLastKeyMessagePos(pos);
    return false;
}

void SplitMenuText(const CString& text, CString* label, CString* accel)
{
    int first = text.Find('\t');
    if (first < 0) {
        *label = text;
        accel->Empty();
        return;
    }
    *label = text.Left(first);
    *accel = text.Mid(text.ReverseFind('\t') + 1);
}

UINT HidePrefixFlag(UINT state)
{
    if (!(state & ODS_NOACCEL)) return 0;
    BOOL cues = FALSE;
    if (GetWindowsVersionClass() > 5 && ::SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0) && cues)
        return 0;
    return DT_HIDEPREFIX;
}

LOGFONTA MenuItemLogFont(UINT state)
{
    LOGFONTA lf = GetMenuLogFont();
    if (state & ODS_DEFAULT) lf.lfWeight = FW_BOLD;
    if (state & kStateVerticalBar) lf.lfEscapement = lf.lfOrientation = -900;
    return lf;
}

bool IsSystemCommandId(UINT id)
{
    UINT low = id & 0xFFFF;
    return low >= 0xF000 && low <= 0xF150;
}

MenuItemGeometry LayOutPopupItem(const RECT& item, SIZE icon, bool rightOrder, ItemLayout layout)
{
    MenuItemGeometry g;
    g.column = item;
    if (rightOrder) {
        g.column.left = item.right - icon.cx - 8;
    } else if (layout == ItemLayout::Flat) {
        g.column.right = item.left + icon.cx + 8;
    } else {
        g.column.left = item.left + 1;
        g.column.right = item.left + icon.cx + 9;
    }
    g.text = item;
    if (rightOrder) {
        g.text.left = item.left + 15;
        g.text.right = g.column.left - 4;
    } else {
        g.text.left = g.column.right + 4;
        g.text.right = item.right - 15;
    }
    int left = g.column.left + (g.column.right - g.column.left - icon.cx) / 2;
    int top = item.top + (item.bottom - item.top - icon.cy) / 2;
    g.iconBox = {left, top, left + icon.cx, top + icon.cy};
    return g;
}

POINT PlaceItemIcon(const MenuItemGeometry& g, const RECT& item, SIZE icon, SIZE actual, ItemLayout layout)
{
    POINT p;
    int narrower = actual.cx < icon.cx ? (icon.cx - actual.cx) / 2 : 0;
    if (layout == ItemLayout::Flat) {
        p.x = g.column.left + 3 + narrower;
        p.y = item.top + (item.bottom - item.top - actual.cy) / 2;
    } else {
        p.x = g.iconBox.left + narrower;
        p.y = g.iconBox.top + (actual.cy < icon.cy ? (icon.cy - actual.cy) / 2 : 0);
    }
    return p;
}

void GetItemCheckBitmaps(HMENU menu, UINT id, HBITMAP* checked, HBITMAP* unchecked)
{
    MENUITEMINFOA mii;
    ZeroMemory(&mii, sizeof mii);
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_CHECKMARKS;
    if (!::GetMenuItemInfoA(menu, id, FALSE, &mii)) mii.hbmpChecked = mii.hbmpUnchecked = nullptr;
    *checked = mii.hbmpChecked;
    *unchecked = mii.hbmpUnchecked;
}

void DrawCheckBitmapCentred(CDC& dc, const RECT& r, HBITMAP bitmap, UINT flags)
{
    BITMAP bm;
    if (!bitmap || !::GetObjectA(bitmap, sizeof bm, &bm)) return;
    int x = r.left + (r.right - r.left - bm.bmWidth) / 2, y = r.top + (r.bottom - r.top - bm.bmHeight) / 2;
    ::DrawStateA(dc, ::GetSysColorBrush(COLOR_MENUTEXT), nullptr, (LPARAM)bitmap, 0, x, y, bm.bmWidth, bm.bmHeight,
                 DST_BITMAP | flags);
}

MenuItemPaint::MenuItemPaint(CSkinMenu* m, DRAWITEMSTRUCT* d, BOOL menuBarItem)
    : menu(m), dis(d), data((const CSkinMenuItemData*)d->itemData), bar(menuBarItem != 0), state(d->itemState)
{
    rightOrder = data && (data->m_nMenuFlags & MFT_RIGHTORDER);
    if (data)
        SplitMenuText(data->GetShowText(GetShowAccelerators() ? menu->GetAccelerators() : nullptr), &label, &accel);
}

bool MenuItemPaint::IsSeparator() const { return data && (data->m_nMenuFlags & MF_SEPARATOR); }
bool MenuItemPaint::IsTitle() const { return IsSeparator() && (data->m_nTitleFlags & 0x01); }
bool MenuItemPaint::HasIcon() const { return data && data->m_pIcons && data->m_nIconIndex >= 0; }
SIZE MenuItemPaint::IconSize() const { return HasIcon() ? data->m_pIcons->GetIconSize() : SIZE{0, 0}; }

void MenuItemPaint::PrepareState(ItemLayout layout)
{
    if (bar) {
        // The item's own flags say whether it opens a popup: its id is a menu
        // handle only then, and a command id may equal some other live
        // menu's handle.
        bool hasPopup = data ? (data->m_nMenuFlags & MF_POPUP) != 0 : ::IsMenu((HMENU)(UINT_PTR)dis->itemID) != FALSE;
        state = RewriteBarItemState(state, hasPopup, menu->GetOpenPopupCount());
    }
    if (layout == ItemLayout::Flat && Has(ODS_HOTLIGHT | ODS_INACTIVE)) state |= ODS_SELECTED;
    keyboardFrame = ApplySelectDisabledRule(&state);
}

bool BeginItemPaint(MenuItemPaint& p, ItemLayout layout)
{
    p.PrepareState(layout);
    p.Commit();
    if (!p.IsTitle()) return true;
    p.menu->DrawMenuTitle(p.dis, p.bar);
    return false;
}
