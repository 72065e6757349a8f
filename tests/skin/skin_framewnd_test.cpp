// CSkinFrameWnd as the programs use it: created from a resource id, its menu
// bar and system menu owner-drawn on screen, and no GDI object left behind by
// menus opened and closed many times.
#include "skin/skinframewnd.h"
#include "skin/popuphook.h"
#include "skin/skinlib.h"
#include "gdi_census.h"
#include "menu_window.h"
#include "skin_scopes.h"
#include <gtest/gtest.h>

namespace {

// Counts its destructions, so a test sees a frame that deleted itself.
class CTestSkinFrame : public CSkinFrameWnd {
public:
    static int s_destroyed;
    ~CTestSkinFrame() override { ++s_destroyed; }
};
int CTestSkinFrame::s_destroyed = 0;

CTestSkinFrame* NewFrame()
{
    CTestSkinFrame* frame = new CTestSkinFrame;
    if (!frame->LoadFrame(200, WS_OVERLAPPEDWINDOW)) return nullptr;
    frame->SetWindowPos(nullptr, 60, 60, 420, 300, SWP_NOZORDER | SWP_SHOWWINDOW);
    frame->SetForegroundWindow();
    return frame;
}

HBRUSH MenuBrush(HMENU menu)
{
    MENUINFO mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    return GetMenuInfo(menu, &mi) ? mi.hbrBack : nullptr;
}

// Opens a menu the way the keyboard does: Alt+<key> on the menu bar, Alt+Space
// for the system menu. Returns when the menu loop ends.
void OpenByKey(CWnd* wnd, char key) { wnd->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, key); }

} // namespace

TEST(SkinFrameWnd, IsDynamicallyCreatable)
{
    CRuntimeClass* rc = RUNTIME_CLASS(CSkinFrameWnd);
    EXPECT_STREQ("CSkinFrameWnd", rc->m_lpszClassName);
    CObject* obj = rc->CreateObject();
    ASSERT_NE(nullptr, obj);
    EXPECT_TRUE(obj->IsKindOf(RUNTIME_CLASS(CFrameWnd)));
    EXPECT_EQ(rc, obj->GetRuntimeClass());
    delete obj;
}

TEST(SkinFrameWnd, LoadFrameMakesTheMenusSkinMenus)
{
    CTestSkinFrame* frame = NewFrame();
    ASSERT_NE(nullptr, frame);
    HWND hwnd = frame->m_hWnd;
    HMENU bar = GetMenu(hwnd);
    EXPECT_EQ(frame->GetDefaultMenu().m_hMenu, bar);
    EXPECT_EQ(&frame->GetDefaultMenu(), CSkinMenu::FromMenuHandle(bar));
    EXPECT_EQ((size_t)GetMenuItemCount(bar), frame->GetDefaultMenu().GetItemData().size());
    EXPECT_EQ(GetSystemMenu(hwnd, FALSE), frame->GetSystemSkinMenu().m_hMenu);
    if (CSkinBrush* brush = GetMenuBarBrush()) {
        EXPECT_EQ((HBRUSH)*brush, MenuBrush(bar));
    }
    int destroyed = CTestSkinFrame::s_destroyed;
    frame->DestroyWindow();   // deletes itself
    EXPECT_EQ(destroyed + 1, CTestSkinFrame::s_destroyed);
    EXPECT_FALSE(IsMenu(bar));
}

TEST(SkinFrameWnd, MissingMenuEndsTheFrame)
{
    int destroyed = CTestSkinFrame::s_destroyed;
    CTestSkinFrame* frame = new CTestSkinFrame;
    EXPECT_FALSE(frame->Create(nullptr, "No menu", WS_OVERLAPPEDWINDOW, CFrameWnd::rectDefault, nullptr,
                               MAKEINTRESOURCEA(999)));
    EXPECT_EQ(destroyed + 1, CTestSkinFrame::s_destroyed);   // PostNcDestroy deleted it
}

TEST(SkinFrameWndScreen, MenuBarAndSystemMenuAreOwnerDrawn)
{
    SkinOptionsScope options;
    SetIconShadeAmount(0);
    CTestSkinFrame* frame = NewFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(frame->GetDefaultMenu().LoadToolBar(128, 144, RGB(255, 0, 255)));
    RECT frameRect;
    frame->GetWindowRect(&frameRect);
    HMENU file = GetSubMenu(frame->GetDefaultMenu().m_hMenu, 0);

    int subclassed = -1;
    OpenPopup bar = CapturePopupMenu([&] { OpenByKey(frame, 'f'); }, "skin_frame_file_menu.png", &frameRect,
                                     [&](const OpenPopup& p) { subclassed = GetMenuHookData(p.window) != nullptr; });
    EXPECT_EQ(file, bar.menu);
    EXPECT_TRUE(bar.ownerDrawn);
    EXPECT_EQ(1, subclassed);   // the popup window is the library's
    EXPECT_TRUE(bar.saved);
    EXPECT_EQ(nullptr, GetMenuBeingOpened());

    OpenPopup system = CapturePopupMenu([&] { OpenByKey(frame, ' '); }, "skin_frame_system_menu.png", &frameRect);
    EXPECT_EQ(frame->GetSystemSkinMenu().m_hMenu, system.menu);
    EXPECT_TRUE(system.ownerDrawn);
    EXPECT_TRUE(system.saved);
    EXPECT_EQ((size_t)GetMenuItemCount(system.menu), frame->GetSystemSkinMenu().GetItemData().size());
    EXPECT_EQ(0, GetSubclassedPopupCount());
    frame->DestroyWindow();
}

TEST(SkinFrameWndGdi, OpeningMenusManyTimesLeavesNoObject)
{
    ASSERT_TRUE(GdiCensusWorks());
    CTestSkinFrame* frame = NewFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(frame->GetDefaultMenu().LoadToolBar(128, 144, RGB(255, 0, 255)));
    int before = -1, opened = 0;
    for (int round = 0; round < 12; ++round) {
        for (char key : {'f', 'h', ' '}) opened += CapturePopupMenu([&] { OpenByKey(frame, key); }, nullptr).menu != nullptr;
        if (round == 0) before = CountGdiObjects();   // after the first round's caches
    }
    EXPECT_EQ(36, opened);
    EXPECT_EQ(before, CountGdiObjects());
    frame->DestroyWindow();
}

TEST(SkinFrameWnd, DefaultAcceleratorsAreTheMainFrames)
{
    CTestSkinFrame* frame = NewFrame();
    ASSERT_NE(nullptr, frame);
    CSkinMenu* file = CSkinMenu::FromMenuHandle(GetSubMenu(frame->GetDefaultMenu().m_hMenu, 0));
    CSkinMenuItemData* save = file->FindItemData(101);
    ASSERT_NE(nullptr, save);
    EXPECT_STREQ("&Save", save->GetShowText((HACCEL)-1));   // no main frame yet
    ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'S', 101}, {FVIRTKEY | FSHIFT, VK_F2, 101}, {FVIRTKEY, VK_F3, 102}};
    frame->m_hAccelTable = CreateAcceleratorTableA(keys, 3);
    {
        CWinApp app("skin test");
        app.m_pMainWnd = frame;
        CString shown = save->GetShowText((HACCEL)-1);
        EXPECT_EQ(0, shown.Find("&Save\tCtrl+S, Shift+")) << (LPCSTR)shown;
        app.m_pMainWnd = nullptr;   // destroying the main window would end the program's loop
    }
    frame->DestroyWindow();   // the frame frees its table
}
