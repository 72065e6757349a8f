#include "skin/skinstatusbar.h"
#include "skin/drawing.h"
#include "skin/skinlib.h"

IMPLEMENT_DYNAMIC(CSkinStatusBar, CStatusBar)

BEGIN_MESSAGE_MAP(CSkinStatusBar, CStatusBar)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CSkinStatusBar::PreSubclassWindow()
{
    ModifyStyle(0, CCS_BOTTOM | CCS_NOPARENTALIGN);
    CStatusBar::PreSubclassWindow();
}

// WM_PAINT paints the whole bar.
BOOL CSkinStatusBar::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

CRect CSkinStatusBar::GetGripRect() const
{
    CRect grip(0, 0, 0, 0);
    HWND top = ::GetAncestor(m_hWnd, GA_ROOT);
    if (!top || top == m_hWnd) return grip;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (::GetWindowPlacement(top, &wp) && wp.showCmd == SW_SHOWMAXIMIZED) return grip;
    GetClientRect(&grip);
    grip.left = grip.right - ::GetSystemMetrics(SM_CXVSCROLL) - 2;
    return grip;
}

namespace {

// The background of the bar: the menu-bar brush aligned to the bar, or the
// menu-bar colour.
void FillBarBackground(HDC dc, const RECT& r, const RECT& client)
{
    if (CSkinBrush* brush = GetMenuBarBrush()) {
        POINT old;
        ::SetBrushOrgEx(dc, client.left, client.top, &old);
        ::FillRect(dc, &r, (HBRUSH)brush->GetSafeHandle());
        ::SetBrushOrgEx(dc, old.x, old.y, nullptr);
    } else {
        CDC::FromHandle(dc)->FillSolidRect(&r, GetMenuBarColor(nullptr));
    }
}

void PaneFrameColors(COLORREF& topLeft, COLORREF& bottomRight)
{
    switch (GetMenuDrawMode()) {
    case 2: case 3:
        topLeft = bottomRight = DarkenColor(50, GetDefaultMenuBarColor());
        break;
    case 6: case 7:
        topLeft = bottomRight = DarkenColor(100, GetMenuBackgroundColor(nullptr));
        break;
    case 8: case 9: case 10: case 11:
        topLeft = bottomRight = DarkenColor(50, GetThemeBarBaseColor());
        break;
    default:
        topLeft = ::GetSysColor(COLOR_BTNSHADOW);
        bottomRight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    }
}

void FillSquare(HDC dc, int left, int top, COLORREF c)
{
    RECT r = {left, top, left + 2, top + 2};
    CDC::FromHandle(dc)->FillSolidRect(&r, c);
}

// A triangle of 2 x 2 dots in the bottom-right corner.
void DrawDotGrip(HDC dc, const RECT& r, COLORREF dot, BOOL highlight)
{
    int n = std::min((r.right - r.left) / 4, (r.bottom - r.top) / 4);
    for (int col = 0; col < n - 1; ++col)
        for (int row = 0; row < n - 1 - col; ++row) {
            int x = r.right - 4 - 4 * col, y = r.bottom - 3 - 4 * row;
            if (highlight) FillSquare(dc, x + 1, y + 1, RGB(255, 255, 255));
            FillSquare(dc, x, y, dot);
        }
}

void DrawLineGrip(HDC dc, const RECT& r)
{
    CPen shadow(PS_SOLID, 0, ::GetSysColor(COLOR_BTNSHADOW));
    CPen light(PS_SOLID, 0, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    int m = std::min(r.right - r.left, r.bottom - r.top) - 4;
    if (m <= 2) return;
    auto line = [&](CPen& pen, int d) {
        CSelectScope use(dc, pen);
        ::MoveToEx(dc, r.right - d, r.bottom, nullptr);
        ::LineTo(dc, r.right, r.bottom - d);
    };
    for (int d = 2; d < m; d += 4) {
        line(shadow, d);
        line(shadow, d + 1);
        line(light, d + 2);
    }
}

}  // namespace

void DrawSkinSizeGrip(HDC dc, const RECT& rect)
{
    switch (GetMenuDrawMode()) {
    case 6: case 7:
        DrawDotGrip(dc, rect, DarkenColor(100, GetMenuBackgroundColor(nullptr)), FALSE);
        break;
    case 8: case 9: case 10: case 11:
        DrawDotGrip(dc, rect, DarkenColor(10, ::GetSysColor(COLOR_ACTIVECAPTION)), TRUE);
        break;
    default:
        DrawLineGrip(dc, rect);
    }
}

void CSkinStatusBar::DrawPanes(CDC& dc)
{
    COLORREF topLeft, bottomRight;
    PaneFrameColors(topLeft, bottomRight);
    ::SetBkMode(dc, TRANSPARENT);
    CSelectedFont font(dc, GetMenuLogFont());
    CRect client;
    GetClientRect(&client);
    for (int i = 0; i < m_nCount; ++i) {
        CRect p;
        GetItemRect(i, &p);
        if (i == m_nCount - 1) {
            UINT id, style;
            int width;
            GetPaneInfo(i, id, style, width);
            if (style & SBPS_STRETCH) {
                p.right = client.right;
                if (GetStyle() & SBARS_SIZEGRIP)
                    p.right -= ::GetSystemMetrics(SM_CXSMICON) + ::GetSystemMetrics(SM_CXEDGE);
            } else {
                p.right = p.left + width + 3 * ::GetSystemMetrics(SM_CXEDGE);
            }
        }
        p.top -= 1;
        CRect text = p;
        if (HICON icon = (HICON)SendMessage(SB_GETICON, i)) {
            ICONINFO info = {};
            if (::GetIconInfo(icon, &info)) {
                // GetIconInfo hands over copies of both bitmaps.
                CBitmap color, mask;
                color.Attach(info.hbmColor);
                mask.Attach(info.hbmMask);
                BITMAP bm = {};
                ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
                int h = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;   // a mono icon stacks mask and image
                ::DrawStateA(dc, nullptr, nullptr, (LPARAM)icon, 0, p.left + 2, p.top + 1, bm.bmWidth, h, DST_ICON);
                text.left += bm.bmWidth + 1;
            }
        }
        CString s = GetPaneText(i);
        ::ExtTextOutA(dc, text.left + 2, text.top + 2, ETO_CLIPPED, &text, s, s.GetLength(), nullptr);
        if (GetItemID(i) != 0) dc.Draw3dRect(&p, topLeft, bottomRight);
    }
}

void CSkinStatusBar::OnPaint()
{
    CPaintDC dc(this);
    HWND top = ::GetAncestor(m_hWnd, GA_ROOT);
    if (!top || top == m_hWnd) {
        DefWindowProc(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
        return;
    }
    CRect client;
    GetClientRect(&client);
    CRect grip = GetGripRect();
    FillBarBackground(dc, client, client);
    DrawPanes(dc);
    if (!grip.IsRectEmpty()) {
        // The grip covers the pane frames beneath it.
        FillBarBackground(dc, grip, client);
        grip.left -= 2;
        grip.OffsetRect(-1, -2);
        DrawSkinSizeGrip(dc, grip);
    }
}
