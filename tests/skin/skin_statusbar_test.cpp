// CSkinStatusBar: its size grip goes while the top-level window is maximized
// and comes back when it is restored, and painting a pane icon leaves no GDI
// object behind.
#include "bars_window.h"
#include "skin/drawing.h"
#include "gdi_census.h"
#include <gtest/gtest.h>

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
        if (s.grip) EXPECT_EQ(shadow, GripPixel(bar));
        else EXPECT_NE(shadow, GripPixel(bar));
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
