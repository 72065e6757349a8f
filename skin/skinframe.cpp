#include "skin/skinframe.h"
#include "skin/menubar.h"
#include "skin/drawing.h"
#include "skin/skinlib.h"

void PaintMenuBarGap(HWND wnd)
{
    MENUINFO mi;
    ZeroMemory(&mi, sizeof mi);
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    HMENU menu = ::GetMenu(wnd);
    if (!menu || !::GetMenuInfo(menu, &mi) || !mi.hbrBack) return;
    RECT window, client;
    ::GetWindowRect(wnd, &window);
    ::GetClientRect(wnd, &client);
    ::MapWindowPoints(wnd, nullptr, (LPPOINT)&client, 2);
    ::OffsetRect(&client, -window.left, -window.top);
    RECT gap = {client.left, client.top - 1, client.right, client.top};
    CWindowDC dc(wnd);
    if (!dc.GetSafeHdc()) return;
    ::UnrealizeObject(mi.hbrBack);
    POINT oldOrigin;
    ::SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    ::FillRect(dc, &gap, mi.hbrBack);
    ::SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
}

BOOL RedrawMenuBarItem(HWND wnd, HMENU menu, int pos, UINT state)
{
    if (pos == -1) return FALSE;
    RECT item;
    if (!::GetMenuItemRect(wnd, menu, pos, &item)) return FALSE;
    MENUITEMINFOA mii;
    ZeroMemory(&mii, sizeof mii);
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
    if (!::GetMenuItemInfoA(menu, pos, TRUE, &mii) || !(mii.fType & MFT_OWNERDRAW)) return FALSE;
    CWindowDC dc(wnd);
    if (!dc.GetSafeHdc()) return FALSE;
    LOGFONTA menuFont = GetMenuLogFont();
    CFont font;
    font.CreateFontIndirect(&menuFont);
    CSelectScope selectFont(dc, font);
    RECT window;
    ::GetWindowRect(wnd, &window);
    ::OffsetRect(&item, -window.left, -window.top);
    if (IsRunningUnderWine()) {
        // Wine reports the item relative to the client area's menu row.
        bool sizing = (::GetWindowLongA(wnd, GWL_STYLE) & WS_THICKFRAME) != 0;
        int cx = ::GetSystemMetrics(sizing ? SM_CXFRAME : SM_CXDLGFRAME);
        int cy = ::GetSystemMetrics(sizing ? SM_CYFRAME : SM_CYDLGFRAME);
        ::OffsetRect(&item, -cx, -(::GetSystemMetrics(SM_CYMENU) + 1 + ::GetSystemMetrics(SM_CYCAPTION) + cy));
    }
    DRAWITEMSTRUCT dis;
    ZeroMemory(&dis, sizeof dis);
    dis.CtlType = ODT_MENU;
    dis.itemID = mii.wID;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = (HWND)menu;
    dis.hDC = dc;
    dis.rcItem = item;
    dis.itemData = mii.dwItemData;
    SetHotMenuBarItem(mii.dwItemData);
    POINT oldOrg;
    ::SetWindowOrgEx(dc, 0, 0, &oldOrg);
    ::SendMessageA(wnd, WM_DRAWITEM, 0, (LPARAM)&dis);
    ::SetWindowOrgEx(dc, oldOrg.x, oldOrg.y, nullptr);
    return TRUE;
}

BOOL SkinFrameTracksMenuBar()
{
    return GetWindowsVersionClass() < kOsClassWin2000 || IsRemoteSession();
}

void SkinFrameStopHotTracking(HWND wnd, SkinFrameTracking& t)
{
    if (t.hotItem != -1) RedrawMenuBarItem(wnd, ::GetMenu(wnd), t.hotItem, 0);
    t.hotItem = -1;
    ReleaseTimerId(wnd, t.timer);
    t.timer = 0;
}

void SkinFrameEnterMenuLoop(HWND wnd, SkinFrameTracking& t)
{
    t.inMenuLoop = TRUE;
    ReleaseTimerId(wnd, t.timer);
    t.timer = 0;
    if (t.hotItem != -1) RedrawMenuBarItem(wnd, ::GetMenu(wnd), t.hotItem, 0);
    t.hotItem = -1;
}

LRESULT SkinFrameHitTest(HWND wnd, SkinFrameTracking& t, LRESULT result, POINT screen)
{
    if (!SkinFrameTracksMenuBar()) return result;
    UINT hot, normal;
    if (::IsChild(wnd, ::GetFocus())) {
        hot = ODS_HOTLIGHT;
        normal = 0;
    } else {
        bool plain = IsPlainMenuSystem();
        normal = plain ? 0 : ODS_INACTIVE;
        hot = plain ? 0 : ODS_HOTLIGHT | ODS_INACTIVE;
    }
    HMENU menu = ::GetMenu(wnd);
    if (!t.inMenuLoop && result == HTMENU && CSkinMenu::FromMenuHandle(menu)) {
        int p = ::MenuItemFromPoint(wnd, menu, screen);
        if (p != -1) {
            bool redrawn;
            if (p != t.hotItem) {
                RedrawMenuBarItem(wnd, menu, t.hotItem, normal);
                redrawn = RedrawMenuBarItem(wnd, menu, p, hot) != 0;
                if (!redrawn) {
                    t.hotItem = -1;
                    return HTMENU;
                }
            } else {
                if (GetHotMenuBarItem() || !RedrawMenuBarItem(wnd, menu, p, hot)) return HTMENU;
            }
            if (!t.timer) t.timer = FindFreeTimerId(wnd, 100);
            t.hotItem = p;
            return HTMENU;
        }
    }
    SkinFrameStopHotTracking(wnd, t);
    return result;
}

// ---- measuring for a window

static CSkinMenu* FindHolder(HMENU root, UINT id, ULONG_PTR data)
{
    if (!root || !::IsMenu(root) || !CMenu::FromHandlePermanent(root)) return nullptr;
    int n = ::GetMenuItemCount(root);
    for (int pos = 0; pos < n; ++pos) {
        MENUITEMINFOA mii;
        ZeroMemory(&mii, sizeof mii);
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
        if (!::GetMenuItemInfoA(root, pos, TRUE, &mii)) continue;
        if (mii.hSubMenu && CMenu::FromHandlePermanent(mii.hSubMenu))
            if (CSkinMenu* found = FindHolder(mii.hSubMenu, id, data)) return found;
        if (mii.wID == id && mii.dwItemData == data)
            return DYNAMIC_DOWNCAST(CSkinMenu, CMenu::FromHandlePermanent(root));
    }
    return nullptr;
}

int MeasureMenuItemForWindow(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_MEASUREITEM) return 0;
    MEASUREITEMSTRUCT* mis = (MEASUREITEMSTRUCT*)lParam;
    if (!mis || mis->CtlType != ODT_MENU) return 0;
    if (CSkinMenu* sub = CSkinMenu::FromMenuHandle((HMENU)(UINT_PTR)mis->itemID)) {
        sub->MeasureItem(mis);
        return 1;
    }
    AFX_WND_THREAD_STATE* st = AfxGetWndThreadState();
    HMENU roots[4] = {st->m_hTrackingWindow == wnd ? st->m_hTrackingMenu : nullptr, ::GetMenu(wnd),
                      ::GetSystemMenu(wnd, FALSE), (HMENU)::SendMessageA(wnd, MenuBarGetMenuMessage(), 0, 0)};
    for (HMENU root : roots) {
        if (CSkinMenu* holder = FindHolder(root, mis->itemID, mis->itemData)) {
            holder->MeasureItem(mis);
            return 1;
        }
    }
    return 0;
}

// ---- texts and mnemonics of owner-drawn items

BOOL CSkinMenu::GetMenuItemText(UINT item, CString& text, UINT flags)
{
    if (!(flags & MF_BYPOSITION)) {
        int pos = -1;
        CSkinMenu* holder = FindMenuOfItem(item, &pos);
        if (!holder) return FALSE;
        return holder->GetMenuItemText((UINT)pos, text, MF_BYPOSITION);
    }
    if (item >= m_items.size()) return FALSE;
    text = m_items[item]->GetShowText(GetShowAccelerators() ? m_accel : nullptr);
    return TRUE;
}

// Whether a (lower-cased) label marks the key with a single ampersand; "&&"
// is a literal ampersand and marks nothing.
static bool MarksMnemonic(const CString& label, char key)
{
    for (int i = 0; i + 1 < label.GetLength(); ++i) {
        if (label[i] != '&') continue;
        if (label[i + 1] == '&') ++i;
        else if (label[i + 1] == key) return true;
    }
    return false;
}

LRESULT CSkinMenu::FindMnemonicItem(UINT ch, CMenu* menu)
{
    CSkinMenu* skin = DYNAMIC_DOWNCAST(CSkinMenu, menu);
    if (!skin) return MNC_IGNORE;
    char key[2] = {(char)ch, 0};
    CharLowerA(key);
    if (skin->GetMenuItemCount() != (int)skin->m_items.size()) skin->ConvertItemsToOwnerDraw();
    for (UINT pos = 0; pos < skin->m_items.size(); ++pos) {
        CString text;
        if (!skin->GetMenuItemText(pos, text, MF_BYPOSITION)) continue;
        text.MakeLower();
        if (MarksMnemonic(text, key[0])) return MAKELRESULT(pos, MNC_EXECUTE);
    }
    return MNC_IGNORE;
}

void SkinFrameAttachMenus(HWND wnd, CSkinMenu& systemMenu, CSkinMenu& defaultMenu)
{
    HMENU old = systemMenu.Detach();
    HMENU system = ::GetSystemMenu(wnd, FALSE);
    if (old && old != system && ::IsMenu(old)) ::DestroyMenu(old);
    if (system) systemMenu.Attach(system);
    // Loading releases what an earlier initialisation built.
    defaultMenu.LoadMenu(::GetMenu(wnd));
    if (defaultMenu.GetSafeHmenu() && ::IsMenu(defaultMenu.GetSafeHmenu()))
        ApplyMenuBarBrush(defaultMenu.GetSafeHmenu());
}
