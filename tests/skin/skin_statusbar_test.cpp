// CSkinStatusBar: its size grip goes while the top-level window is maximized
// and comes back when it is restored, and painting a pane icon leaves no GDI
// object behind; the pane text is painted whatever the control says of its
// pane rectangles.
#include "bars_window.h"
#include "skin/drawing.h"
#include "gdi_census.h"
#include "wait_until.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>

namespace {

// The pixel of the first shadow line of the diagonal grip (draw mode 0).
COLORREF GripPixel(CSkinStatusBar& bar)
{
    PaintNow(bar.m_hWnd);
    RECT c;
    bar.GetClientRect(&c);
    POINT p = {c.right - 2, c.bottom - 3};
    bar.ClientToScreen(&p);
    CScreenDC screen;
    return GetPixel(screen, p.x, p.y);
}

} // namespace

TEST(SkinStatusBar, GripGoesWhenMaximizedAndComesBackWhenRestored)
{
    DrawModeScope mode(0);
    FrameScope f(NewBarsFrame());
    ASSERT_NE(nullptr, f.frame);
    CSkinStatusBar& bar = f.frame->m_status;
    EXPECT_TRUE(bar.GetStyle() & CCS_NOPARENTALIGN);
    const COLORREF shadow = GetScreenNearestColor(GetSysColor(COLOR_BTNSHADOW));
    struct Step {
        int show;
        bool grip;
    } steps[] = {{SW_SHOWNORMAL, true}, {SW_MAXIMIZE, false}, {SW_RESTORE, true}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.show);
        f.frame->ShowWindow(s.show);
        f.frame->RecalcLayout();
        PumpPending();
        EXPECT_EQ(s.grip, !bar.GetGripRect().IsRectEmpty());
        // Under Wine the screen shows what was painted only a moment later.
        EXPECT_TRUE(WaitUntil([&] { return (GripPixel(bar) == shadow) == s.grip; }, 3000))
            << "grip pixel " << GripPixel(bar) << ", shadow " << shadow;
    }
}

TEST(SkinStatusBar, PaneIconPaintedWithoutLeavingGdiObjects)
{
    if (!GdiCensusWorks()) GTEST_SKIP() << "GDI census unavailable";
    DrawModeScope mode(2);
    FrameScope f(NewBarsFrame());
    ASSERT_NE(nullptr, f.frame);
    CSkinStatusBar& bar = f.frame->m_status;
    bar.SetPaneText(0, "Ready");
    bar.SendMessage(SB_SETICON, 0, (LPARAM)LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION));
    PaintNow(bar.m_hWnd);
    int before = CountGdiObjects();
    for (int i = 0; i < 30; ++i) PaintNow(bar.m_hWnd);
    EXPECT_EQ(before, CountGdiObjects());
}

namespace {

// The colours of the left of the bar's client area, as on the screen.
std::vector<COLORREF> BarPixels(CSkinStatusBar& bar)
{
    PaintNow(bar.m_hWnd);
    RECT c;
    bar.GetClientRect(&c);
    POINT origin = {0, 0};
    bar.ClientToScreen(&origin);
    CScreenDC screen;
    std::vector<COLORREF> pixels;
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < std::min<LONG>(c.right, 120); ++x)
            pixels.push_back(GetPixel(screen, origin.x + x, origin.y + y));
    return pixels;
}

} // namespace

TEST(SkinStatusBar, PaneTextIsPaintedInEveryDrawMode)
{
    for (int mode : {0, 2, 6, 8}) {
        SCOPED_TRACE(mode);
        DrawModeScope scope(mode);
        FrameScope f(NewBarsFrame());
        ASSERT_NE(nullptr, f.frame);
        CSkinStatusBar& bar = f.frame->m_status;
        RECT client, pane;
        bar.GetClientRect(&client);
        bar.GetItemRect(0, &pane);
        EXPECT_EQ(client.right, pane.right);
        EXPECT_LT(pane.top, pane.bottom);
        bar.SetPaneText(0, "");
        std::vector<COLORREF> blank;
        WaitUntil([&] {
            std::vector<COLORREF> now = BarPixels(bar);
            bool steady = now == blank;
            blank = now;
            return steady;
        }, 3000, 200);
        bar.SetPaneText(0, "Ready");
        // The screen shows a painted window a moment later.
        EXPECT_TRUE(WaitUntil([&] { return BarPixels(bar) != blank; }, 3000))
            << "the pane's text left no pixel on the bar";
    }
}
