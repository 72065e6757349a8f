// The popup-window hook: which "#32768" windows get subclassed, and what their
// release restores.
#include "skin/popuphook.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include "skin/testhooks.h"
#include "framework/wnd.h"
#include "skin_scopes.h"
#include <gtest/gtest.h>

namespace {

// A popup-menu window of the system class; the hook sees its WM_CREATE.
HWND CreatePopupWindow(HMENU createParam = nullptr)
{
    return CreateWindowExA(0, "#32768", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, createParam);
}

WNDPROC SystemPopupProc()
{
    WNDCLASSA wc = {};
    GetClassInfoA(nullptr, "#32768", &wc);
    return wc.lpfnWndProc;
}

} // namespace

TEST(SkinPopupHook, OnlyPopupsOfSkinMenusAreSubclassed)
{
    CSkinMenu bar;
    ASSERT_TRUE(bar.LoadMenu(200));
    CSkinMenu* file = CSkinMenu::FromMenuHandle(GetSubMenu(bar.m_hMenu, 0));
    HMENU foreign = CreatePopupMenu();
    AppendMenuA(foreign, MF_STRING, 1, "x");
    HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);

    struct Case {
        const char* what;
        HMENU beingOpened;
        bool skinned;
    } cases[] = {
        {"skin menu", file->m_hMenu, true},
        {"foreign menu", foreign, false},
        {"nothing announced", nullptr, false},
        {"skin menu again", file->m_hMenu, true},
    };
    for (const Case& c : cases) {
        if (c.beingOpened) HandleInitMenuPopup(CWnd::FromHandle(owner), CMenu::FromHandle(c.beingOpened), 0, FALSE);
        EXPECT_EQ(c.beingOpened, GetMenuBeingOpened()) << c.what;
        HWND popup = CreatePopupWindow();
        ASSERT_NE(nullptr, popup) << c.what;
        // Every attempt uses the announcement up, skinned or not.
        EXPECT_EQ(nullptr, GetMenuBeingOpened()) << c.what;
        CMenuHookData* data = GetMenuHookData(popup);
        EXPECT_EQ(c.skinned, data != nullptr) << c.what;
        EXPECT_EQ(c.skinned, (WNDPROC)GetWindowLongPtrA(popup, GWLP_WNDPROC) == PopupMenuWindowProc) << c.what;
        EXPECT_EQ(c.skinned, GetPropA(popup, "OldMenuProc") != nullptr) << c.what;
        if (data) {
            EXPECT_EQ(file->m_hMenu, data->menu);
            EXPECT_EQ(1, bar.GetOpenPopupCount());
        }
        DestroyWindow(popup);
        // Released with the window: the menu closed, the bar's count back to 0.
        EXPECT_EQ(nullptr, GetMenuHookData(popup)) << c.what;
        EXPECT_EQ(0, bar.GetOpenPopupCount()) << c.what;
    }
    EXPECT_EQ(0, GetSubclassedPopupCount());
    DestroyWindow(owner);
    DestroyMenu(foreign);
}

// A stale announcement (a popup that never opened) must not skin the next,
// unrelated popup window.
TEST(SkinPopupHook, StaleAnnouncementIsNotUsedLater)
{
    CSkinMenu bar;
    ASSERT_TRUE(bar.LoadMenu(200));
    CSkinMenu* file = CSkinMenu::FromMenuHandle(GetSubMenu(bar.m_hMenu, 0));
    HMENU foreign = CreatePopupMenu();
    SetMenuBeingOpened(file->m_hMenu);
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(file->m_hMenu, GetMenuBeingOpened());   // not a popup-menu window: untouched
    SetMenuBeingOpened(foreign);
    HWND first = CreatePopupWindow();
    EXPECT_EQ(nullptr, GetMenuHookData(first));
    EXPECT_EQ(nullptr, GetMenuBeingOpened());
    HWND second = CreatePopupWindow();
    EXPECT_EQ(nullptr, GetMenuHookData(second));
    DestroyWindow(first);
    DestroyWindow(second);
    DestroyWindow(other);
    SetMenuBeingOpened(nullptr);
    DestroyMenu(foreign);
}

// A popup that names its menu at creation (Wine does) follows that menu: an
// announcement left over from a popup that never opened binds nothing, and a
// skin menu's popup created before its announcement is still skinned.
TEST(SkinPopupHook, PopupsFollowTheMenuTheyWereCreatedFor)
{
    CSkinMenu bar;
    ASSERT_TRUE(bar.LoadMenu(200));
    HMENU file = GetSubMenu(bar.m_hMenu, 0), help = GetSubMenu(bar.m_hMenu, 1);
    HMENU foreign = CreatePopupMenu();
    AppendMenuA(foreign, MF_STRING, 1, "x");
    struct Case {
        const char* what;
        HMENU announced;
        HMENU createdFor;
        HMENU boundTo;   // null: not skinned
    } cases[] = {
        {"stale announcement, foreign popup", file, foreign, nullptr},
        {"stale announcement, another skin popup", file, help, help},
        {"created before its announcement", nullptr, file, file},
        {"announced and created for", help, help, help},
    };
    for (const Case& c : cases) {
        SetMenuBeingOpened(c.announced);
        HWND popup = CreatePopupWindow(c.createdFor);
        CMenuHookData* data = GetMenuHookData(popup);
        EXPECT_EQ(c.boundTo != nullptr, data != nullptr) << c.what;
        if (data) {
            EXPECT_EQ(c.boundTo, data->menu) << c.what;
        }
        EXPECT_EQ(nullptr, GetMenuBeingOpened()) << c.what;
        DestroyWindow(popup);
    }
    DestroyMenu(foreign);
}

TEST(SkinPopupHook, ReleaseNeverInstallsANullProcedure)
{
    CSkinMenu bar;
    ASSERT_TRUE(bar.LoadMenu(200));
    HMENU file = GetSubMenu(bar.m_hMenu, 0);
    WNDPROC system = SystemPopupProc();
    ASSERT_NE(nullptr, system);
    for (bool dropProperty : {false, true}) {
        SetMenuBeingOpened(file);
        HWND popup = CreatePopupWindow();
        ASSERT_NE(nullptr, GetMenuHookData(popup));
        if (dropProperty) RemovePropA(popup, "OldMenuProc");   // someone else's cleanup
        SendMessageA(popup, WM_SHOWWINDOW, FALSE, 0);         // hidden: released
        EXPECT_EQ(nullptr, GetMenuHookData(popup)) << dropProperty;
        EXPECT_EQ(system, (WNDPROC)GetWindowLongPtrA(popup, GWLP_WNDPROC)) << dropProperty;
        EXPECT_EQ(nullptr, GetPropA(popup, "OldMenuProc"));
        SendMessageA(popup, WM_NULL, 0, 0);
        DestroyWindow(popup);
    }
    EXPECT_EQ(0, GlobalFindAtomA("OldMenuProc"));
}

// Themes with their own border take the system border off while the popup is
// shown and give it back at release; the others leave the styles alone.
TEST(SkinPopupHook, OwnBorderThemesChangeTheStylesForTheirTime)
{
    SkinEnvironmentOverride o;
    o.wine = 0;
    SkinEnvironmentScope asOnWindows(o);
    SkinOptionsScope options;
    CSkinMenu bar;
    ASSERT_TRUE(bar.LoadMenu(200));
    HMENU file = GetSubMenu(bar.m_hMenu, 0);
    for (int mode : {2, 3}) {
        SetMenuDrawMode(mode);
        SetMenuBeingOpened(file);
        HWND popup = CreateWindowExA(WS_EX_WINDOWEDGE, "#32768", "", WS_POPUP | WS_BORDER, 0, 0, 50, 50, nullptr,
                                     nullptr, nullptr, nullptr);
        CMenuHookData* data = GetMenuHookData(popup);
        ASSERT_NE(nullptr, data);
        DWORD style = (DWORD)GetWindowLongA(popup, GWL_STYLE);
        EXPECT_EQ(mode == 3, (style & WS_BORDER) != 0) << mode;
        EXPECT_EQ(mode == 2, (data->state & CMenuHookData::kStylesChanged) != 0) << mode;
        ReleasePopupMenuWindow(popup);
        EXPECT_TRUE(GetWindowLongA(popup, GWL_STYLE) & WS_BORDER) << mode;
        DestroyWindow(popup);
    }
}
