#include "skin/drawing.h"
#include "skin/menuicons.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include "skin/testhooks.h"
#include "framework/wnd.h"
#include "gdi_census.h"
#include "menu_texts.h"
#include "menu_window.h"
#include "screen_png.h"
#include "skin_scopes.h"
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

struct ItemInfo {
    bool ownerDraw;
    ULONG_PTR data;
    UINT id;
    HMENU sub;
};

ItemInfo Item(HMENU menu, int pos)
{
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | MIIM_SUBMENU;
    EXPECT_TRUE(GetMenuItemInfoA(menu, pos, TRUE, &mii));
    return {(mii.fType & MFT_OWNERDRAW) != 0, mii.dwItemData, mii.wID, mii.hSubMenu};
}

// Every item of the menu tree is owner-drawn with its own item data, and every
// submenu has a CSkinMenu whose parent is the holding menu.
void ExpectConverted(CSkinMenu& menu)
{
    int n = GetMenuItemCount(menu.m_hMenu);
    ASSERT_EQ((size_t)n, menu.GetItemData().size());
    for (int pos = 0; pos < n; ++pos) {
        ItemInfo info = Item(menu.m_hMenu, pos);
        EXPECT_TRUE(info.ownerDraw) << pos;
        EXPECT_EQ((ULONG_PTR)menu.GetItemData()[pos], info.data) << pos;
        if (info.sub) {
            ASSERT_TRUE(IsMenu(info.sub));
            CSkinMenu* sub = CSkinMenu::FromMenuHandle(info.sub);
            ASSERT_NE(nullptr, sub);
            EXPECT_EQ(menu.m_hMenu, sub->GetParentHandle());
            EXPECT_TRUE(sub->IsPopup());
            EXPECT_EQ((UINT_PTR)info.sub, menu.GetItemData()[pos]->m_nID);
            ExpectConverted(*sub);
        }
    }
}


} // namespace

TEST(SkinMenu, LoadConvertsEveryLevel)
{
    CSkinMenu menu;
    ASSERT_TRUE(menu.LoadMenu(200));
    EXPECT_FALSE(menu.IsPopup());
    EXPECT_EQ(2u, menu.GetSubMenuHandles().size());
    ExpectConverted(menu);
    HMENU file = GetSubMenu(menu.m_hMenu, 0);
    CSkinMenu* fileMenu = CSkinMenu::FromMenuHandle(file);
    ASSERT_NE(nullptr, fileMenu);
    const auto& items = fileMenu->GetItemData();
    ASSERT_EQ(5u, items.size());
    EXPECT_EQ("&Open\tCtrl+O", std::string((LPCSTR)items[0]->m_strText));
    EXPECT_EQ(100u, items[0]->m_nID);
    EXPECT_TRUE(items[2]->m_nMenuFlags & MF_SEPARATOR);
    EXPECT_TRUE(items[3]->m_nMenuFlags & MF_POPUP);
    EXPECT_TRUE(items[4]->m_nMenuFlags & MF_GRAYED);   // state survives the conversion
    EXPECT_TRUE(GetMenuState(file, 102, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(items[0], menu.FindItemData(100));
    EXPECT_NE(nullptr, menu.FindItemData(111));        // two levels down
    EXPECT_EQ(nullptr, menu.FindItemData(999));

    // Opening again keeps the item data of unchanged items and drops removed ones.
    CSkinMenuItemData* open = items[0];
    fileMenu->OnInitMenuPopup();
    EXPECT_EQ(open, fileMenu->GetItemData()[0]);
    DeleteMenu(file, 101, MF_BYCOMMAND);
    fileMenu->ConvertItemsToOwnerDraw();
    EXPECT_EQ(4u, fileMenu->GetItemData().size());
    EXPECT_EQ(nullptr, fileMenu->FindItemData(101));
    ExpectConverted(menu);

    HMENU recent = GetSubMenu(file, 2);
    HMENU more = GetSubMenu(recent, 1);
    ASSERT_NE(nullptr, CSkinMenu::FromMenuHandle(more));
    HMENU top = menu.m_hMenu;
    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_FALSE(IsMenu(top));
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(file));
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(more));
    EXPECT_TRUE(menu.GetItemData().empty());
}

TEST(SkinMenu, LoadingAgainReleasesTheOldContent)
{
    CSkinMenu menu;
    ASSERT_TRUE(menu.LoadMenu(200));
    HMENU oldTop = menu.m_hMenu;
    HMENU oldFile = GetSubMenu(oldTop, 0);
    HMENU second = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(201));
    ASSERT_TRUE(menu.LoadMenu(second));
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(oldFile));
    EXPECT_FALSE(IsMenu(oldTop));
    EXPECT_EQ(1u, menu.GetSubMenuHandles().size());
    EXPECT_EQ(1u, menu.GetItemData().size());
    ExpectConverted(menu);
    // The same handle again (a dialog initialised twice): rebuilt, not
    // doubled, and no text lost, at any depth.
    ASSERT_TRUE(menu.LoadMenu(second));
    EXPECT_TRUE(IsMenu(second));
    EXPECT_EQ(1u, menu.GetSubMenuHandles().size());
    ExpectConverted(menu);
    CSkinMenu nested;
    ASSERT_TRUE(nested.LoadMenu(200));
    const std::vector<std::string> texts = MenuTexts(nested);
    ASSERT_EQ((std::vector<std::string>{"&File", "  &Open\tCtrl+O", "  &Save", "  ", "  &Recent", "    One",
                                        "    More", "      Two", "  E&xit", "&Help", "  &About"}),
              texts);
    ASSERT_TRUE(DropOwnerDrawnTexts(nested.m_hMenu));
    ASSERT_TRUE(nested.LoadMenu(nested.m_hMenu));
    EXPECT_EQ(texts, MenuTexts(nested));
    ExpectConverted(nested);
    EXPECT_FALSE(menu.LoadMenu((HMENU)nullptr));
}

TEST(SkinMenu, SystemCommandsRenumberedWhileOpenOnClassSeven)
{
    for (int cls : {7, 6}) {
        SkinEnvironmentOverride o;
        o.versionClass = cls;
        std::optional<SkinEnvironmentScope> classOverride(std::in_place, o);
        HMENU h = CreatePopupMenu();
        AppendMenuA(h, MF_STRING, SC_RESTORE, "&Restore");
        AppendMenuA(h, MF_STRING, SC_MINIMIZE, "Mi&nimize");
        AppendMenuA(h, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(h, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
        CSkinMenu menu;
        ASSERT_TRUE(menu.LoadMenu(h));
        menu.OnInitMenuPopup();
        UINT open[] = {GetMenuItemID(h, 0), GetMenuItemID(h, 1), GetMenuItemID(h, 3)};
        menu.OnUnInitMenuPopup();
        UINT closed[] = {GetMenuItemID(h, 0), GetMenuItemID(h, 1), GetMenuItemID(h, 3)};
        classOverride.reset();
        UINT bump = cls == 7 ? 1 : 0;
        EXPECT_EQ(SC_RESTORE + bump, open[0]);
        EXPECT_EQ(SC_MINIMIZE + bump, open[1]);
        EXPECT_EQ(SC_CLOSE + bump, open[2]);
        EXPECT_EQ((UINT)SC_RESTORE, closed[0]);
        EXPECT_EQ((UINT)SC_MINIMIZE, closed[1]);
        EXPECT_EQ((UINT)SC_CLOSE, closed[2]);
        EXPECT_EQ((UINT)SC_CLOSE, menu.GetItemData()[3]->m_nID);
        ExpectConverted(menu);
    }
}

TEST(SkinMenu, OpenPopupCountOfTheMenuBar)
{
    CSkinMenu menu;
    ASSERT_TRUE(menu.LoadMenu(200));
    HWND wnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CSkinMenu* file = CSkinMenu::FromMenuHandle(GetSubMenu(menu.m_hMenu, 0));
    CSkinMenu* help = CSkinMenu::FromMenuHandle(GetSubMenu(menu.m_hMenu, 1));
    for (CSkinMenu* popup : {file, help, file}) {
        HandleInitMenuPopup(CWnd::FromHandle(wnd), popup, 0, FALSE);
        EXPECT_EQ(popup->m_hMenu, GetMenuBeingOpened());
        EXPECT_EQ(wnd, popup->GetOwnerWindow());
        EXPECT_EQ(1, menu.GetOpenPopupCount());
        EXPECT_TRUE(popup->OnUnInitMenuPopup());
        EXPECT_EQ(0, menu.GetOpenPopupCount());
    }
    // A foreign menu is only remembered for the hook.
    CMenu plain;
    plain.CreatePopupMenu();
    HandleInitMenuPopup(CWnd::FromHandle(wnd), &plain, 0, FALSE);
    EXPECT_EQ(plain.m_hMenu, GetMenuBeingOpened());
    SetMenuBeingOpened(nullptr);
    DestroyWindow(wnd);
}

TEST(SkinMenu, ToolbarIconsAreSharedBetweenMenus)
{
    CSkinMenu first, second;
    ASSERT_TRUE(first.LoadMenu(200));
    ASSERT_TRUE(second.LoadMenu(200));
    EXPECT_FALSE(first.LoadToolBar(129, 144, RGB(255, 0, 255)));
    ASSERT_TRUE(first.LoadToolBar(128, 144, RGB(255, 0, 255)));
    size_t stores = GetIconStoreList(false)->size();
    ASSERT_TRUE(second.LoadToolBar(128, 144, RGB(255, 0, 255)));
    EXPECT_EQ(stores, GetIconStoreList(false)->size());
    CSkinMenuItemData* save = first.FindItemData(101);
    ASSERT_NE(nullptr, save);
    ASSERT_NE(nullptr, save->m_pIcons);
    EXPECT_EQ(3, save->m_nIconIndex);
    EXPECT_EQ(save->m_pIcons, second.FindItemData(101)->m_pIcons);
    EXPECT_EQ(-1, first.FindItemData(120)->m_nIconIndex);
    ExpectConverted(first);
}

TEST(SkinMenuGdi, LoadingPaintingAndDestroyingLeavesNoObject)
{
    ASSERT_TRUE(GdiCensusWorks());
    int before = -1;
    for (int i = 0; i < 40; ++i) {
        CSkinMenu menu;
        ASSERT_TRUE(menu.LoadMenu(200));
        menu.LoadToolBar(128, 144, RGB(255, 0, 255));
        CSkinMenu* file = CSkinMenu::FromMenuHandle(GetSubMenu(menu.m_hMenu, 0));
        file->OnInitMenuPopup();
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bm = CreateBitmap(200, 30, 1, 32, nullptr);
        HGDIOBJ old = SelectObject(dc, bm);
        for (size_t k = 0; k < file->GetItemData().size(); ++k) {
            MEASUREITEMSTRUCT mis = {ODT_MENU, 0, (UINT)file->GetItemData()[k]->m_nID, 0, 0,
                                     (ULONG_PTR)file->GetItemData()[k]};
            file->MeasureItem(&mis);
            DRAWITEMSTRUCT dis = {ODT_MENU, 0, (UINT)file->GetItemData()[k]->m_nID, ODA_DRAWENTIRE,
                                  k == 0 ? (UINT)ODS_SELECTED : 0u, (HWND)file->m_hMenu, dc, {0, 0, 200, 30},
                                  (ULONG_PTR)file->GetItemData()[k]};
            file->DrawItem(&dis);
        }
        SelectObject(dc, old);
        DeleteObject(bm);
        DeleteDC(dc);
        file->OnUnInitMenuPopup();
        menu.DestroyMenu();
        if (i == 0) before = CountGdiObjects();   // after the first round's caches
    }
    EXPECT_EQ(before, CountGdiObjects());
}

namespace {
bool ContainsColour(const RECT& r, COLORREF c)
{
    HDC screen = GetDC(nullptr);
    bool found = false;
    for (int y = r.top; y < r.bottom && !found; ++y)
        for (int x = r.left; x < r.left + 40 && x < r.right && !found; ++x)
            found = GetPixel(screen, x, y) == c;
    ReleaseDC(nullptr, screen);
    return found;
}
} // namespace

TEST(SkinMenuScreen, OwnerDrawnPopupShowsToolbarIcons)
{
    SkinOptionsScope options;
    SetIconShadeAmount(0);
    CSkinMenu menu;
    ASSERT_TRUE(menu.LoadMenu(200));
    ASSERT_TRUE(menu.LoadToolBar(128, 144, RGB(255, 0, 255)));
    HWND wnd = CreateMenuTestWindow(menu.m_hMenu);
    ASSERT_NE(nullptr, wnd);
    SetForegroundWindow(wnd);
    CMenu* file = CMenu::FromHandle(GetSubMenu(menu.m_hMenu, 0));
    bool iconSeen = false;
    RECT context = {40, 40, 100, 100};
    OpenPopup seen = CapturePopupMenu(
        [&] { file->TrackPopupMenu(TPM_LEFTALIGN, 100, 100, CWnd::FromHandle(wnd)); }, "skin_menu_popup.png",
        &context,
        // The Save item carries the second toolbar image.
        [&](const OpenPopup& p) { iconSeen = ContainsColour(p.rect, RGB(20, 180, 90)); });
    EXPECT_NE(nullptr, seen.window);
    EXPECT_EQ(file->m_hMenu, seen.menu);
    EXPECT_TRUE(seen.ownerDrawn);
    EXPECT_TRUE(seen.saved);
    EXPECT_TRUE(iconSeen);
    EXPECT_GT(seen.rect.right - seen.rect.left, 60);
    SetMenu(wnd, nullptr);
    DestroyWindow(wnd);
}
