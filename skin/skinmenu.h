// CSkinMenu: a menu whose items are all owner-drawn, measured and painted by the
// current theme, with one item-data object per item and one CSkinMenu per submenu.
#pragma once
#include "framework/menu.h"
#include "skin/menuitemdata.h"
#include <commctrl.h>
#include <vector>

class CWnd;
class CSkinMenuIcons;

class CSkinMenu : public CMenu {
    DECLARE_DYNAMIC(CSkinMenu)
public:
    explicit CSkinMenu(HMENU parent = nullptr);
    ~CSkinMenu() override;

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    virtual BOOL LoadMenu(UINT id);
    virtual BOOL LoadMenu(LPCSTR name);
    virtual BOOL LoadMenu(HMENU menu);
    virtual BOOL DestroyMenu();
    // Lets go of a handle that its window destroys itself (menu bar, system
    // menu): item data and submenu objects are freed, the handle is detached.
    void ReleaseWindowMenu();
    virtual void DrawTitle(LPDRAWITEMSTRUCT dis, BOOL menuBarItem);
    virtual BOOL EraseBkgnd(HWND wnd, HDC dc);
    virtual BOOL OnInitMenuPopup();
    virtual BOOL OnUnInitMenuPopup();

    // The object of a menu handle, when it is a CSkinMenu.
    static CSkinMenu* FromMenuHandle(HMENU menu);

    HMENU GetParentHandle() const { return m_hParentMenu; }
    void SetParentHandle(HMENU parent) { m_hParentMenu = parent; }
    BOOL IsPopup() const { return m_bPopup; }
    SIZE GetIconSize() const { return SIZE{m_nIconWidth, m_nIconHeight}; }
    int GetOpenPopupCount() const { return m_nOpenPopups; }
    HACCEL GetAccelerators() const { return m_accel; }
    void SetAccelerators(HACCEL accel) { m_accel = accel; }
    const std::vector<CSkinMenuItemData*>& GetItemData() const { return m_items; }
    const std::vector<HMENU>& GetSubMenuHandles() const { return m_subMenus; }
    HWND GetOwnerWindow() const { return m_hWndOwner; }
    void SetOwnerWindow(HWND wnd) { m_hWndOwner = wnd; }

    void RememberBarItemRect(HDC dc, const RECT& item);
    void SetBarItemRect(const RECT& screen) { m_rcBarItem = screen; }
    RECT GetBarItemRect() const { return m_rcBarItem; }
    void ChangeOpenPopupCount(int delta) { m_nOpenPopups += delta; }
    void ResetOpenPopupCount() { m_nOpenPopups = 0; }

    static BOOL TrackPopupMenuBeside(CMenu* popup, UINT flags, const RECT& button, CWnd* owner,
                                     BOOL vertical);

    // The themes' measure operations (separators 3 x 3, titles by their text).
    void MeasureItemClassic(MEASUREITEMSTRUCT* mis, BOOL menuBarItem);
    void MeasureItemBevel(MEASUREITEMSTRUCT* mis, BOOL menuBarItem);
    void MeasureItemFlat(MEASUREITEMSTRUCT* mis, BOOL menuBarItem);

    // The themes' item painters and the title painter of every theme.
    void DrawItemClassic(DRAWITEMSTRUCT* dis, BOOL menuBarItem);
    void DrawItemXP(DRAWITEMSTRUCT* dis, BOOL menuBarItem);
    void DrawItemBevel(DRAWITEMSTRUCT* dis, BOOL menuBarItem);
    void DrawItem2003(DRAWITEMSTRUCT* dis, BOOL menuBarItem);
    void DrawItemSystemFont(DRAWITEMSTRUCT* dis, BOOL menuBarItem);
    void DrawMenuTitle(DRAWITEMSTRUCT* dis, BOOL menuBarItem);
    // The check mark of an item without icon (classic and bevel painters).
    BOOL DrawCheckMark(CDC& dc, const RECT& rect, HBITMAP checked, HBITMAP unchecked, UINT state);

    // Conversion to owner-draw and its bookkeeping.
    BOOL ConvertItemsToOwnerDraw();
    CSkinMenuItemData* CreateItemData(int pos, UINT flags, UINT_PTR id, LPCSTR text);
    CSkinMenuItemData* FindItemData(UINT_PTR id) const;
    void ClearItemMarks(BOOL value);
    CSkinMenuItemData* TakeUnusedItemData(UINT_PTR key);
    void DeleteUnmarkedItemData();

    BOOL ChangeItemId(UINT oldId, UINT newId);
    CSkinMenu* FindMenuOfItem(UINT id, int* pos);
    CSkinMenu* FindMenuOfItemExcluding(UINT id, int* pos, const std::vector<CSkinMenu*>& menus,
                                       const std::vector<int>& positions);
    BOOL IsMenuBarItem(UINT_PTR id) const;

    // The shown text of an item, by command id or (MF_BYPOSITION) position.
    BOOL GetMenuItemText(UINT item, CString& text, UINT flags);
    // The WM_MENUCHAR answer for an owner-drawn menu: MNC_EXECUTE with the
    // position of the first item whose label marks the character, else 0.
    static LRESULT FindMnemonicItem(UINT ch, CMenu* menu);

    // Toolbar icons in menus.
    BOOL LoadToolBar(UINT toolbarId, UINT bitmapId, COLORREF transparent = (COLORREF)-1,
                     HINSTANCE module = nullptr);
    BOOL AddToolBarIcons(const WORD* block, COLORREF transparent);
    void ApplyIconsToItems(CSkinMenuIcons* store);
    BOOL ModifyItemIcon(LPCSTR text, UINT id, CSkinMenuIcons* store, int index);

private:
    void MeasureItemWith(int style, MEASUREITEMSTRUCT* mis, BOOL menuBarItem);
    void ReleaseContent();   // item data and submenu objects, keeping the handle
    static void ReleaseSubMenu(HMENU subMenu);

    std::vector<CSkinMenuItemData*> m_items;
    std::vector<HMENU> m_subMenus;
    int m_nIconWidth = 16;
    int m_nIconHeight = 15;
    HWND m_hWndOwner = nullptr;
    COLORREF m_clrDefaultTransparent = CLR_DEFAULT;
    CSkinMenuIcons* m_pCheckIcons = nullptr;
    BOOL m_bCheckIconsShared = FALSE;
    int m_nCheckIndex[2] = {-1, -1};
    HMENU m_hParentMenu = nullptr;
    BOOL m_bPopup = TRUE;
    RECT m_rcBarItem = {0, 0, 0, 0};
    int m_nOpenPopups = 0;
    HACCEL m_accel = (HACCEL)-1;
};

// Runs after the default handling of WM_INITMENUPOPUP in every skinned window.
void HandleInitMenuPopup(CWnd* wnd, CMenu* popup, UINT index, BOOL sysMenu);
// Sets the menu-bar brush of the current draw mode on a skinned menu.
void ApplyMenuBarBrush(HMENU menu);
