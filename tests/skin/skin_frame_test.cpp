// The frame template's menu handling on a plain framework window: system menu
// attached at creation, popups converted as they open, library hot tracking of
// the menu bar where the system does none.
#include "skin/skinframe.h"
#include "skin/skinlib.h"
#include "skin/testhooks.h"
#include "skin_scopes.h"
#include <gtest/gtest.h>

namespace {

class CTestSkinWnd : public CSkinFrame<CWnd> {
public:
    BOOL CreateWithMenu(UINT menuId)
    {
        if (!m_defaultMenu.LoadMenu(menuId)) return FALSE;
        if (!CreateEx(0, AfxDefaultWndClass(), "Skin frame test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 420,
                      300, nullptr, m_defaultMenu.GetSafeHmenu()))
            return FALSE;
        ApplyMenuBarBrush(m_defaultMenu.GetSafeHmenu());
        return TRUE;
    }
};

// An owner-drawn list box that measures its own items (reflected from the parent).
class CTallItemList : public CListBox {
public:
    int measured = 0;
    void MeasureItem(LPMEASUREITEMSTRUCT mis)
    {
        ++measured;
        mis->itemHeight = 37;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTallItemList, CListBox)
    ON_WM_MEASUREITEM_REFLECT()
END_MESSAGE_MAP()

POINT ItemCentre(HWND wnd, int pos)
{
    RECT r = {};
    GetMenuItemRect(wnd, GetMenu(wnd), pos, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

LRESULT HitTest(CWnd& wnd, POINT p) { return wnd.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)); }

} // namespace

TEST(SkinFrameTemplate, CreationAttachesTheSystemMenu)
{
    CTestSkinWnd wnd;
    ASSERT_TRUE(wnd.CreateWithMenu(200));
    HMENU system = GetSystemMenu(wnd.m_hWnd, FALSE);
    ASSERT_NE(nullptr, system);
    EXPECT_EQ(system, wnd.GetSystemSkinMenu().m_hMenu);
    EXPECT_EQ(&wnd.GetSystemSkinMenu(), CSkinMenu::FromMenuHandle(system));
    EXPECT_EQ(GetMenu(wnd.m_hWnd), wnd.GetDefaultMenu().m_hMenu);

    // A popup opening converts its items and becomes the menu being opened.
    HMENU file = GetSubMenu(GetMenu(wnd.m_hWnd), 0);
    wnd.SendMessage(WM_INITMENUPOPUP, (WPARAM)system, MAKELPARAM(0, TRUE));
    EXPECT_EQ((size_t)GetMenuItemCount(system), wnd.GetSystemSkinMenu().GetItemData().size());
    EXPECT_EQ(system, GetMenuBeingOpened());
    wnd.SendMessage(WM_INITMENUPOPUP, (WPARAM)file, MAKELPARAM(0, FALSE));
    EXPECT_EQ(file, GetMenuBeingOpened());
    EXPECT_EQ(wnd.m_hWnd, CSkinMenu::FromMenuHandle(file)->GetOwnerWindow());
    SetMenuBeingOpened(nullptr);
    CSkinMenu::FromMenuHandle(file)->OnUnInitMenuPopup();
    wnd.GetSystemSkinMenu().OnUnInitMenuPopup();

    // Mnemonics of owner-drawn items: first marked item, either case.
    CMenu* fileMenu = CMenu::FromHandle(file);
    EXPECT_EQ(MAKELRESULT(0, MNC_EXECUTE), wnd.SendMessage(WM_MENUCHAR, MAKEWPARAM('o', MF_POPUP), (LPARAM)file));
    EXPECT_EQ(MAKELRESULT(0, MNC_EXECUTE), wnd.SendMessage(WM_MENUCHAR, MAKEWPARAM('O', MF_POPUP), (LPARAM)file));
    EXPECT_EQ(MAKELRESULT(4, MNC_EXECUTE), CSkinMenu::FindMnemonicItem('x', fileMenu));
    EXPECT_EQ(0, CSkinMenu::FindMnemonicItem('q', fileMenu));
    wnd.DestroyWindow();
}

TEST(SkinFrameTemplate, MeasureReachesTheHoldingMenu)
{
    CTestSkinWnd wnd;
    ASSERT_TRUE(wnd.CreateWithMenu(200));
    CSkinMenu* file = CSkinMenu::FromMenuHandle(GetSubMenu(wnd.GetDefaultMenu().m_hMenu, 0));
    CSkinMenuItemData* open = file->FindItemData(100);
    ASSERT_NE(nullptr, open);
    MEASUREITEMSTRUCT mis = {ODT_MENU, 0, 100, 0, 0, (ULONG_PTR)open};
    EXPECT_EQ(1, MeasureMenuItemForWindow(wnd.m_hWnd, WM_MEASUREITEM, 0, (LPARAM)&mis));
    EXPECT_GT(mis.itemWidth, 20u);
    EXPECT_GE(mis.itemHeight, 15u);
    MEASUREITEMSTRUCT stranger = {ODT_MENU, 0, 999, 0, 0, 12345};
    EXPECT_EQ(0, MeasureMenuItemForWindow(wnd.m_hWnd, WM_MEASUREITEM, 0, (LPARAM)&stranger));
    MEASUREITEMSTRUCT button = {ODT_BUTTON, 1, 100, 0, 0, (ULONG_PTR)open};
    EXPECT_EQ(0, MeasureMenuItemForWindow(wnd.m_hWnd, WM_MEASUREITEM, 0, (LPARAM)&button));
    wnd.DestroyWindow();
}

// A skinned window without a menu still gives its owner-drawn controls their
// own measuring.
TEST(SkinFrameTemplate, ControlsMeasureTheirOwnItems)
{
    CTestSkinWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, AfxDefaultWndClass(), "No menu", WS_OVERLAPPEDWINDOW, 60, 60, 300, 200, nullptr,
                             nullptr));
    CTallItemList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS, CRect(10, 10, 200, 150),
                            &wnd, 5));
    list.AddString("one");
    list.AddString("two");
    EXPECT_EQ(2, list.measured);
    EXPECT_EQ(37, (int)list.SendMessage(LB_GETITEMHEIGHT, 1));
    list.DestroyWindow();
    wnd.DestroyWindow();
}

TEST(SkinFrameTemplate, HotTrackingOfTheMenuBar)
{
    struct Case {
        int versionClass;
        int remote;
        bool tracks;
    } cases[] = {{7, 0, false}, {6, 0, false}, {5, 0, true}, {7, 1, true}};
    for (const Case& c : cases) {
        SkinEnvironmentOverride o;
        o.versionClass = c.versionClass;
        o.remoteSession = c.remote;
        SkinEnvironmentScope scope(o);
        CTestSkinWnd wnd;
        ASSERT_TRUE(wnd.CreateWithMenu(200));
        HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, wnd.m_hWnd, nullptr,
                                    nullptr, nullptr);
        SetForegroundWindow(wnd.m_hWnd);
        SetFocus(edit);   // a child has the focus: the hot state is ODS_HOTLIGHT
        POINT help = ItemCentre(wnd.m_hWnd, 1);
        ASSERT_EQ(HTMENU, HitTest(wnd, help)) << c.versionClass;
        EXPECT_EQ(c.tracks ? 1 : -1, wnd.GetTracking().hotItem) << c.versionClass;
        EXPECT_EQ(c.tracks, wnd.GetTracking().timer != 0) << c.versionClass;
        if (c.tracks) {
            EXPECT_EQ((ULONG_PTR)wnd.GetDefaultMenu().GetItemData()[1], GetHotMenuBarItem());
            POINT file = ItemCentre(wnd.m_hWnd, 0);
            HitTest(wnd, file);
            EXPECT_EQ(0, wnd.GetTracking().hotItem);
            // Leaving the bar: the item is drawn normal and the timer goes.
            RECT client;
            GetClientRect(wnd.m_hWnd, &client);
            POINT inside = {client.right / 2, client.bottom / 2};
            ClientToScreen(wnd.m_hWnd, &inside);
            EXPECT_EQ(HTCLIENT, HitTest(wnd, inside));
            EXPECT_EQ(-1, wnd.GetTracking().hotItem);
            EXPECT_EQ(0u, wnd.GetTracking().timer);
            // Opening a menu ends library tracking until the loop ends.
            HitTest(wnd, file);
            EXPECT_EQ(0, wnd.GetTracking().hotItem);
            wnd.SendMessage(WM_ENTERMENULOOP, FALSE);
            EXPECT_EQ(-1, wnd.GetTracking().hotItem);
            EXPECT_EQ(0u, wnd.GetTracking().timer);
            HitTest(wnd, file);
            EXPECT_EQ(-1, wnd.GetTracking().hotItem);
            wnd.SendMessage(WM_EXITMENULOOP, FALSE);
            HitTest(wnd, file);
            EXPECT_EQ(0, wnd.GetTracking().hotItem);
        }
        SetHotMenuBarItem(0);
        wnd.DestroyWindow();
    }
}
