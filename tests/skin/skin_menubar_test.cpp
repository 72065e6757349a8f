// The menu bar in a skinned frame, driven through the real message loop: the
// frame's menu moves into the bar on the first idle pass; Alt, mnemonics and
// the arrow keys; popups that switch under the keyboard and the mouse; plain
// commands on button-up (disabled ones dropped); a pending quit survives a
// popup; the frame after the bar, a second frame, GDI objects over many
// cycles and a screenshot of an open popup.
#include "skin/drawing.h"
#include "skin/menubar.h"
#include "skin/skinframewnd.h"
#include "skin/skinlib.h"
#include "gdi_census.h"
#include "menu_window.h"
#include "screen_png.h"
#include <gtest/gtest.h>
#include <functional>
#include <vector>

namespace {

enum : UINT { kOpen = 100, kExit = 102, kCopy = 110, kStatus = 120, kRun = 130, kLocked = 131 };
enum { kFile = 0, kEdit = 1, kView = 2, kRunItem = 3, kLockedItem = 4 };

class CBarTestFrame : public CSkinFrameWnd {
public:
    CSkinMenuBar m_bar;
    WNDPROC procBeforeBar = nullptr;
    int runs = 0, lockedRuns = 0;
    LPARAM lastSender = 0;

    int OnCreate(LPCREATESTRUCTA cs)
    {
        if (CSkinFrameWnd::OnCreate(cs) == -1) return -1;
        procBeforeBar = (WNDPROC)GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC);
        return m_bar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_SIZE_DYNAMIC, 0xE81A) ? 0 : -1;
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (m_bar.m_hWnd && m_bar.TranslateFrameMessage(msg)) return TRUE;
        return CSkinFrameWnd::PreTranslateMessage(msg);
    }
    BOOL OnCommand(WPARAM wp, LPARAM lp) override
    {
        lastSender = lp;
        return CSkinFrameWnd::OnCommand(wp, lp);
    }
    void OnRun() { ++runs; }
    void OnLocked() { ++lockedRuns; }
    void OnUpdateLocked(CCmdUI* ui) { ui->Enable(FALSE); }
    void OnAnyCommand(UINT) {}
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBarTestFrame, CSkinFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(kRun, OnRun)
    ON_COMMAND(kLocked, OnLocked)
    ON_UPDATE_COMMAND_UI(kLocked, OnUpdateLocked)
    ON_COMMAND_RANGE(100, 120, OnAnyCommand)
END_MESSAGE_MAP()

// The framework's loop for the test thread: the frame's PreTranslateMessage
// first, then translation and dispatch.
void Pump(HWND frame, DWORD ms, const std::function<bool()>& done = {})
{
    DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end && !(done && done())) {
        MSG m;
        if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        if (m.message == WM_QUIT) {
            PostQuitMessage((int)m.wParam);   // not ours to take
            return;
        }
        if (!CWnd::WalkPreTranslateTree(frame, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
}

// The frame's idle pass, as the application's loop makes it.
void Idle(CFrameWnd* frame)
{
    frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
}

struct Frame {
    CBarTestFrame* wnd = new CBarTestFrame;
    HMENU menu = nullptr;
    explicit Frame(bool idle = true)
    {
        SetMenuDrawMode(2);
        if (!wnd->LoadFrame(310, WS_OVERLAPPEDWINDOW)) {
            wnd = nullptr;
            return;
        }
        menu = wnd->GetDefaultMenu().GetSafeHmenu();
        wnd->GetDefaultMenu().LoadToolBar(128, 144, RGB(255, 0, 255));
        wnd->SetWindowPos(nullptr, 60, 60, 420, 260, SWP_NOZORDER | SWP_SHOWWINDOW);
        wnd->SetForegroundWindow();
        wnd->SetFocus();
        if (idle) Idle(wnd);
        wnd->UpdateWindow();
        Pump(*wnd, 100);
    }
    ~Frame()
    {
        if (wnd) wnd->DestroyWindow();   // deletes itself
        for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);)
            if (m.message != WM_QUIT) DispatchMessageA(&m);
    }
    CSkinMenuBar& Bar() { return wnd->m_bar; }
    void PostKey(UINT msg, UINT key, bool alt = false)
    {
        LPARAM lp = 1 | (alt ? (1 << 29) : 0) | ((msg == WM_KEYUP || msg == WM_SYSKEYUP) ? 0xC0000000 : 0);
        wnd->PostMessage(msg, key, lp);
    }
    void PressAlt()
    {
        PostKey(WM_SYSKEYDOWN, VK_MENU, true);
        PostKey(WM_SYSKEYUP, VK_MENU);
        Pump(*wnd, 150);
    }
    POINT ItemCentre(int index)
    {
        CRect r = Bar().GetItem(index)->GetRect(FALSE);
        POINT p = r.CenterPoint();
        return p;
    }
    POINT ItemCentreOnScreen(int index)
    {
        POINT p = ItemCentre(index);
        Bar().ClientToScreen(&p);
        return p;
    }
    void Click(int index)
    {
        POINT p = ItemCentre(index);
        Bar().PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        Bar().PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        Pump(*wnd, 200);
    }
    HMENU Popup(int index) const { return GetSubMenu(menu, index); }
};

BOOL CALLBACK PopupMenuSearchStep(HWND w, LPARAM lp)
{
    char cls[16];
    if (GetClassNameA(w, cls, sizeof cls) && lstrcmpA(cls, "#32768") == 0 && IsWindowVisible(w)) {
        *(HMENU*)lp = (HMENU)SendMessageA(w, 0x01E1 /* MN_GETHMENU */, 0, 0);
        return FALSE;
    }
    return TRUE;
}

// The menu of the popup-menu window on screen, or null.
HMENU ShownPopupMenu()
{
    HMENU menu = nullptr;
    EnumWindows(PopupMenuSearchStep, (LPARAM)&menu);
    return menu;
}

// Steps run by a timer while a menu loop is open; each returns true when
// done. A script that does not finish in time ends the menu, so no test hangs.
struct Script {
    std::vector<std::function<bool()>> steps;
    size_t next = 0;
    int ticks = 0;
    bool Done() const { return next == steps.size(); }
};
Script* g_script = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD)
{
    Script* s = g_script;
    if (!s) return;
    if (++s->ticks > 200) {
        EndMenu();
        return;
    }
    while (!s->Done() && s->steps[s->next]()) ++s->next;
}

void RunScript(Script& script, const std::function<void()>& start, HWND frame)
{
    g_script = &script;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, ScriptTick);
    start();
    Pump(frame, 10000, [&] { return script.Done() || script.ticks > 200; });
    KillTimer(nullptr, timer);
    g_script = nullptr;
}

std::function<bool()> WaitForPopup(HMENU menu)
{
    return [menu] { return ShownPopupMenu() == menu; };
}

std::function<bool()> WaitForNoPopup()
{
    return [] { return ShownPopupMenu() == nullptr; };
}

TEST(MenuBar, TakesTheFrameMenuOnTheFirstIdlePass)
{
    Frame f(false);
    ASSERT_TRUE(f.wnd);
    EXPECT_EQ(GetMenu(*f.wnd), f.menu);
    EXPECT_EQ(f.Bar().GetItemCount(), 0);
    Idle(f.wnd);
    EXPECT_EQ(GetMenu(*f.wnd), nullptr);
    EXPECT_EQ(f.Bar().GetBarMenu(), f.menu);
    ASSERT_EQ(f.Bar().GetItemCount(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(f.Bar().GetItem(i)->GetPopup(*f.wnd), f.Popup(i)) << i;
    EXPECT_EQ(f.Bar().GetItem(kRunItem)->GetID(), kRun);
    // Laid out by the frame in one row along its top.
    CRect bar, client;
    f.Bar().GetWindowRect(&bar);
    f.wnd->GetClientRect(&client);
    f.wnd->ClientToScreen(&client);
    EXPECT_EQ(bar.top, client.top);
    EXPECT_EQ(bar.Width(), client.Width());
    EXPECT_GT(bar.Height(), GetSystemMetrics(SM_CYMENU) - 2);
    EXPECT_LT(bar.Height(), 2 * GetSystemMetrics(SM_CYMENU));
    CRect first = f.Bar().GetItem(0)->GetRect(FALSE), last = f.Bar().GetItem(4)->GetRect(FALSE);
    EXPECT_EQ(first.top, last.top);
    EXPECT_GT(last.left, first.right);
}

TEST(MenuBar, AltTogglesKeyboardModeAndEscapeEndsIt)
{
    Frame f;
    ASSERT_TRUE(f.wnd);
    f.PressAlt();
    EXPECT_EQ(f.Bar().GetTrackMode(), CSkinMenuBar::kHotMode);
    EXPECT_EQ(f.Bar().GetHotItem(), 0);
    EXPECT_TRUE(f.Bar().GetItem(0)->m_nState & kBarItemHot);
    f.PressAlt();
    EXPECT_EQ(f.Bar().GetTrackMode(), CSkinMenuBar::kIdle);
    EXPECT_FALSE(f.Bar().GetItem(0)->m_nState & kBarItemHot);

    f.PressAlt();
    f.PostKey(WM_KEYDOWN, VK_RIGHT);
    Pump(*f.wnd, 100);
    EXPECT_EQ(f.Bar().GetHotItem(), 1);
    EXPECT_TRUE(f.Bar().GetItem(1)->m_nState & kBarItemHot);
    EXPECT_FALSE(f.Bar().GetItem(0)->m_nState & kBarItemHot);
    f.PostKey(WM_KEYDOWN, VK_ESCAPE);
    Pump(*f.wnd, 100);
    EXPECT_EQ(f.Bar().GetTrackMode(), CSkinMenuBar::kIdle);
    EXPECT_EQ(f.Bar().GetHotItem(), -1);
}

TEST(MenuBar, MnemonicOpensItsPopupAndArrowsSwitchPopups)
{
    Frame f;
    ASSERT_TRUE(f.wnd);
    int modeWhileOpen = -1, itemWhileOpen = -1;
    Script s;
    s.steps = {
        WaitForPopup(f.Popup(kFile)),
        [&] {
            modeWhileOpen = f.Bar().GetTrackMode();
            // Right moves on only from an entry without submenu: select one.
            f.PostKey(WM_KEYDOWN, VK_DOWN);
            f.PostKey(WM_KEYDOWN, VK_RIGHT);
            return true;
        },
        WaitForPopup(f.Popup(kEdit)),
        [&] {
            itemWhileOpen = f.Bar().GetCurItem();
            f.PostKey(WM_KEYDOWN, VK_LEFT);
            return true;
        },
        WaitForPopup(f.Popup(kFile)),
        [&] {
            f.PostKey(WM_KEYDOWN, VK_ESCAPE);
            return true;
        },
        WaitForNoPopup(),
    };
    RunScript(s, [&] { f.PostKey(WM_SYSKEYDOWN, 'F', true); }, *f.wnd);
    EXPECT_TRUE(s.Done()) << "stuck at step " << s.next;
    EXPECT_EQ(modeWhileOpen, CSkinMenuBar::kPopupMode);
    EXPECT_EQ(itemWhileOpen, kEdit);
    Pump(*f.wnd, 100);
    EXPECT_EQ(f.Bar().GetTrackMode(), CSkinMenuBar::kIdle);
    EXPECT_FALSE(f.Bar().GetItem(kFile)->m_nState & kBarItemPressed);
}

TEST(MenuBar, MovingTheMouseOntoAnotherItemRetracks)
{
    Frame f;
    ASSERT_TRUE(f.wnd);
    CRect frame;
    f.wnd->GetWindowRect(&frame);
    SetCursorPos(frame.right - 20, frame.bottom - 20);
    Pump(*f.wnd, 100);
    Script s;
    s.steps = {
        WaitForPopup(f.Popup(kFile)),
        [&] {
            POINT p = f.ItemCentreOnScreen(kView);
            SetCursorPos(p.x, p.y);
            return true;
        },
        WaitForPopup(f.Popup(kView)),
        [&] {
            EXPECT_EQ(f.Bar().GetCurItem(), kView);
            EndMenu();
            return true;
        },
        WaitForNoPopup(),
    };
    RunScript(s, [&] { f.PostKey(WM_SYSKEYDOWN, 'F', true); }, *f.wnd);
    EXPECT_TRUE(s.Done()) << "stuck at step " << s.next;
    SetCursorPos(frame.right - 20, frame.bottom - 20);
}

TEST(MenuBar, PlainItemRunsOnButtonUpUnlessDisabled)
{
    Frame f;
    ASSERT_TRUE(f.wnd);
    f.Click(kRunItem);
    EXPECT_EQ(f.wnd->runs, 1);
    EXPECT_EQ(f.wnd->lastSender, (LPARAM)f.Bar().m_hWnd);
    EXPECT_EQ(f.Bar().GetTrackMode(), CSkinMenuBar::kIdle);
    f.Click(kLockedItem);
    EXPECT_EQ(f.wnd->lockedRuns, 0);
    EXPECT_EQ(f.wnd->runs, 1);
}

// Before the first idle pass the bar has no items: the keys find nothing to
// move to and must neither hang nor crash.
TEST(MenuBar, KeysOnAnEmptyBarDoNothing)
{
    Frame f(false);
    ASSERT_TRUE(f.wnd);
    ASSERT_EQ(f.Bar().GetItemCount(), 0);
    f.PressAlt();
    for (UINT key : {VK_RIGHT, VK_RIGHT, VK_LEFT, VK_DOWN, VK_SPACE, VK_RETURN}) f.PostKey(WM_KEYDOWN, key);
    Pump(*f.wnd, 200);
    EXPECT_EQ(f.Bar().GetCurItem(), -1);
    EXPECT_EQ(f.Bar().TrackItemPopup(0), TRUE);   // no such item: nothing opens
}

TEST(MenuBar, QuitPendingWhenAPopupOpensStillEndsTheProgram)
{
    Frame f;
    ASSERT_TRUE(f.wnd);
    f.wnd->Invalidate();   // a paint to flush before the popup opens
    PostQuitMessage(7);
    Script s;
    s.steps = {[] {
        EndMenu();   // if it opened at all, it must close again
        return true;
    }};
    RunScript(s, [&] { f.Bar().TrackItemPopup(kFile); }, *f.wnd);
    bool quit = false;
    WPARAM code = 0;
    for (MSG m; !quit && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) {
        if (m.message == WM_QUIT) {
            quit = true;
            code = m.wParam;
        } else {
            DispatchMessageA(&m);
        }
    }
    EXPECT_TRUE(quit);
    EXPECT_EQ(code, 7u);
}

// A bar destroyed before its frame gives the frame back its menu and its own
// window procedure; the frame goes on working and frees the menu itself.
TEST(MenuBar, FrameOutlivingItsBarGetsItsMenuAndProcedureBack)
{
    Frame f;
    ASSERT_TRUE(f.wnd);
    ASSERT_EQ(GetMenu(*f.wnd), nullptr);
    f.Bar().DestroyWindow();
    EXPECT_EQ((WNDPROC)GetWindowLongPtrA(*f.wnd, GWLP_WNDPROC), f.wnd->procBeforeBar);
    EXPECT_EQ(GetMenu(*f.wnd), f.menu);
    EXPECT_EQ(f.wnd->SendMessage(WM_GETTEXTLENGTH), (LRESULT)lstrlenA("Menu bar test"));
    HMENU menu = f.menu;
    f.wnd->DestroyWindow();
    f.wnd = nullptr;
    EXPECT_FALSE(IsMenu(menu));
}

TEST(MenuBar, ASecondFrameWorksAfterTheFirstIsGone)
{
    HMENU firstMenu;
    {
        Frame first;
        ASSERT_TRUE(first.wnd);
        firstMenu = first.menu;
    }
    EXPECT_FALSE(IsMenu(firstMenu));   // the frame's menu went with it
    Frame second;
    ASSERT_TRUE(second.wnd);
    EXPECT_EQ(second.Bar().GetItemCount(), 5);
    OpenPopup seen = CapturePopupMenu([&] { second.Bar().TrackItemPopup(kEdit); }, nullptr);
    EXPECT_EQ(seen.menu, second.Popup(kEdit));
    EXPECT_TRUE(seen.ownerDrawn);
}

TEST(MenuBar, NoGdiObjectLeftAfterManyCycles)
{
    if (!GdiCensusWorks()) GTEST_SKIP() << "the census sees no objects here";
    auto cycle = [] {
        Frame f;
        f.wnd->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        f.PressAlt();
        f.PressAlt();
        CapturePopupMenu([&] { f.Bar().TrackItemPopup(kFile); }, nullptr);
        // The icon buttons of a maximized child, drawn hot and pressed.
        CMemoryDC dc(nullptr, 40, 40);
        for (HBITMAP glyph : {HBMMENU_MBAR_CLOSE, HBMMENU_MBAR_MINIMIZE, HBMMENU_MBAR_RESTORE}) {
            CSkinIconBarItem item(glyph, SC_CLOSE);
            item.m_nState = kBarItemHot | kBarItemPressed;
            item.Draw(*f.wnd, dc);
        }
    };
    cycle();   // caches (brushes, fonts, icon stores) fill once
    int before = CountGdiObjects();
    for (int i = 0; i < 15; ++i) cycle();
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST(MenuBar, ScreenshotOfAnOpenPopup)
{
    Frame f;
    ASSERT_TRUE(f.wnd);
    CRect rect;
    f.wnd->GetWindowRect(&rect);
    OpenPopup seen = CapturePopupMenu([&] { f.Bar().TrackItemPopup(kFile); }, "menubar_popup.png", &rect);
    EXPECT_EQ(seen.menu, f.Popup(kFile));
    EXPECT_TRUE(seen.saved);
}

} // namespace
