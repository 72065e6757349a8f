// The command-update loop over an opening popup, shared by frames and skinned
// dialogs, and the cancelling of the focus window's mode before a menu opens.
#include "framework/framework.h"
#include <gtest/gtest.h>

namespace {

class CUpdateTarget : public CWnd {
public:
    HMENU popup = nullptr;
    int fiveUpdates = 0;
    void OnOne() {}
    // The handler of 5 takes its own item out, as a recent-file list does
    // with its placeholder.
    void OnUpdateFive(CCmdUI* ui)
    {
        ++fiveUpdates;
        DeleteMenu(popup, 5, MF_BYCOMMAND);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CUpdateTarget, CWnd)
    ON_COMMAND(1, OnOne)
    ON_UPDATE_COMMAND_UI(5, OnUpdateFive)
END_MESSAGE_MAP()

bool Grayed(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

} // namespace

TEST(MenuUpdate, ItemsWithoutHandlerAreGrayedOnce)
{
    for (BOOL autoDisable : {TRUE, FALSE}) {
        CUpdateTarget target;
        HMENU popup = CreatePopupMenu();
        HMENU sub = CreatePopupMenu();
        AppendMenuA(sub, MF_STRING, 7, "Seven");
        AppendMenuA(popup, MF_STRING, 1, "One");          // handler
        AppendMenuA(popup, MF_STRING, 2, "Two");          // none
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(popup, MF_STRING, 5, "Five");         // removes itself
        AppendMenuA(popup, MF_STRING, 6, "Six");          // none: must not be skipped
        AppendMenuA(popup, MF_POPUP, (UINT_PTR)sub, "Sub");
        AppendMenuA(popup, MF_STRING, SC_CLOSE, "Close");
        target.popup = popup;
        AfxUpdateMenuPopupItems(&target, CMenu::FromHandle(popup), nullptr, autoDisable);
        EXPECT_EQ(1, target.fiveUpdates);
        EXPECT_EQ(6, GetMenuItemCount(popup));
        EXPECT_FALSE(Grayed(popup, 1));
        EXPECT_EQ(autoDisable != FALSE, Grayed(popup, 2));
        EXPECT_EQ(autoDisable != FALSE, Grayed(popup, 6));
        EXPECT_FALSE(GetMenuState(popup, 4, MF_BYPOSITION) & MF_GRAYED);   // the cascade stays usable
        EXPECT_FALSE(Grayed(sub, 7));
        EXPECT_FALSE(Grayed(popup, SC_CLOSE));
        DestroyMenu(popup);
    }
}

TEST(MenuUpdate, ParentMenuOfAPopup)
{
    HMENU bar = CreateMenu(), file = CreatePopupMenu(), recent = CreatePopupMenu(), loose = CreatePopupMenu();
    AppendMenuA(recent, MF_STRING, 3, "r");
    AppendMenuA(file, MF_POPUP, (UINT_PTR)recent, "Recent");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)file, "File");
    HWND wnd = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, bar, nullptr, nullptr);
    ASSERT_NE(nullptr, wnd);
    EXPECT_EQ(bar, AfxFindParentMenu(wnd, file)->GetSafeHmenu());
    EXPECT_EQ(file, AfxFindParentMenu(wnd, recent)->GetSafeHmenu());
    EXPECT_EQ(nullptr, AfxFindParentMenu(wnd, loose));
    AfxGetWndThreadState()->m_hTrackingMenu = loose;   // a tracked popup is its own parent
    EXPECT_EQ(loose, AfxFindParentMenu(wnd, loose)->GetSafeHmenu());
    AfxGetWndThreadState()->m_hTrackingMenu = nullptr;
    DestroyWindow(wnd);
    DestroyMenu(loose);
}

TEST(MenuUpdate, CancelModesClosesADroppedComboOfTheFocus)
{
    HWND top = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 10, 150, 120, top,
                                 nullptr, nullptr, nullptr);
    SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM) "one");
    SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM) "two");
    SetForegroundWindow(top);
    SetFocus(combo);
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    AfxCancelModes(combo);   // the receiver itself: nothing to cancel
    EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    AfxCancelModes(top);
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    DestroyWindow(top);
}
