// The non-client painting the skinned bars share: the border strip gets the
// bar's own background (through WM_ERASEBKGND, in client coordinates), the
// client area is left alone, borders and gripper get the whole window.
#include "skin/barnonclient.h"
#include <gtest/gtest.h>

namespace {

const COLORREF kLeftOfClient = RGB(200, 0, 0), kClientSide = RGB(0, 0, 200), kClientPaint = RGB(0, 160, 0);

// A bar whose background says on which side of the client origin a pixel lies.
class CProbeBar : public CControlBar {
public:
    CRect bordersGot, gripperGot;
    int erases = 0;

    CProbeBar() { SetBorders(3, 0, 0, 1); }
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
    void DrawBorders(CDC*, CRect& rect) override { bordersGot = rect; }
    void DrawGripper(CDC*, const CRect& rect) override { gripperGot = rect; }
    void OnNcPaint() { PaintBarNonClient(*this); }
    BOOL OnEraseBkgnd(CDC* dc)
    {
        ++erases;
        CRect r;
        GetWindowRect(&r);
        ScreenToClient(&r);
        CRect left(r.left, r.top, 0, r.bottom), right(0, r.top, r.right, r.bottom);
        CBrush red(kLeftOfClient), blue(kClientSide);
        ::FillRect(dc->GetSafeHdc(), &left, red);
        ::FillRect(dc->GetSafeHdc(), &right, blue);
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CProbeBar, CControlBar)
    ON_WM_NCPAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

TEST(BarNonClient, BorderStripTakesTheClientAlignedBackgroundAndSparesTheClient)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxDefaultWndClass(), "bar parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                                120, nullptr, nullptr));
    CProbeBar bar;
    bar.m_dwStyle = CBRS_ALIGN_TOP;
    ASSERT_TRUE(bar.CreateEx(0, AfxDefaultWndClass(), "probe", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 30), &parent,
                             0xE81A));
    parent.UpdateWindow();
    bar.UpdateWindow();
    CRect client;
    bar.GetClientRect(&client);
    ASSERT_EQ(client.Width(), 197);   // 3 pixels of left border
    {
        CClientDC dc(&bar);
        CBrush green(kClientPaint);
        ::FillRect(dc.GetSafeHdc(), &client, green);
    }
    bar.erases = 0;
    bar.SendMessage(WM_NCPAINT, 1, 0);

    EXPECT_EQ(bar.erases, 1);
    EXPECT_EQ(bar.bordersGot, CRect(0, 0, 200, 30));
    EXPECT_EQ(bar.gripperGot, CRect(0, 0, 200, 30));
    CWindowDC dc(&bar);
    EXPECT_EQ(dc.GetPixel(0, 10), kLeftOfClient);    // left border: x < 0 in client coordinates
    EXPECT_EQ(dc.GetPixel(2, 29), kLeftOfClient);
    EXPECT_EQ(dc.GetPixel(100, 29), kClientSide);    // bottom border, right of the client origin
    EXPECT_EQ(dc.GetPixel(3, 10), kClientPaint);     // the client area keeps its own pixels
    EXPECT_EQ(dc.GetPixel(150, 20), kClientPaint);
    bar.DestroyWindow();
    parent.DestroyWindow();
}

} // namespace
