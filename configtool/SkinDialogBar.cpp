#include "configtool/SkinDialogBar.h"
#include "skin/barnonclient.h"
#include "skin/drawing.h"
#include "skin/menutheme.h"
#include "skin/skinlib.h"
#include "skin/skintoolbar.h"

IMPLEMENT_DYNAMIC(CSkinDialogBar, CDialogBar)

BEGIN_MESSAGE_MAP(CSkinDialogBar, CDialogBar)
    ON_WM_NCPAINT()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {
const COLORREF NoLine = (COLORREF)-1;

bool IsGradientMode(int mode) { return mode >= 6 && mode <= 11; }
bool IsFlatMode(int mode) { return mode == 2 || mode == 3; }

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
    COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}
}  // namespace

void CSkinDialogBar::DrawBorders(CDC* dc, CRect& rect) {
    int mode = GetMenuDrawMode();
    if (IsFlatMode(mode) || IsGradientMode(mode)) return;
    CDialogBar::DrawBorders(dc, rect);
}

void CSkinDialogBar::DrawGripper(CDC* dc, const CRect& rect) {
    CMenuTheme* theme = GetCurrentMenuTheme();
    if (!theme) return;
    HDC h = dc->GetSafeHdc();
    theme->DrawGripper(h, rect, m_dwStyle, 0, m_cxRightBorder, m_cyTopBorder, m_cyBottomBorder);
    CRect corners = rect;
    if (m_dwStyle & CBRS_ORIENT_HORZ) {
        corners.top += 2;
        corners.right -= 1;
        corners.bottom -= 3;
    } else {
        corners.left += 2;
        corners.right -= 3;
        corners.bottom -= 1;
    }
    theme->DrawBarCorners(h, corners, m_dwStyle);
}

// The control bar's DoPaint (borders, then gripper, on the client area), for
// a visible bar only.
void CSkinDialogBar::OnPaint() {
    CPaintDC dc(this);
    if (IsVisible()) DoPaint(&dc);
}

void CSkinDialogBar::OnNcPaint() { PaintBarNonClient(*this); }

void CSkinDialogBar::PaintGradients(HDC dc, const CRect& r, COLORREF light, COLORREF middle, COLORREF dark,
                                    COLORREF line) {
    bool docked = !IsFloating();
    if (m_dwStyle & CBRS_ORIENT_HORZ) {
        FillGradientRect(dc, CRect(r.left, r.top + 2, r.right, r.bottom / 2), light, middle, FALSE, FALSE);
        FillGradientRect(dc, CRect(r.left, r.bottom / 2, r.right, docked ? r.bottom - 2 : r.bottom), middle, dark,
                         FALSE, FALSE);
        if (docked && line != NoLine) FillSolid(dc, CRect(r.left + 2, r.bottom - 3, r.right - 2, r.bottom - 2), line);
    } else {
        if (docked && line != NoLine) FillSolid(dc, CRect(r.right - 3, r.top, r.right - 2, r.bottom), line);
        FillGradientRect(dc, CRect(r.left + 2, r.top, r.right / 2, r.bottom), light, middle, TRUE, FALSE);
        FillGradientRect(dc, CRect(r.right / 2, r.top, r.right - 3, r.bottom), middle, dark, TRUE, FALSE);
    }
}

BOOL CSkinDialogBar::OnEraseBkgnd(CDC* dc) {
    HDC h = dc->GetSafeHdc();
    CRect r;
    if (IsFloating()) {
        GetClientRect(&r);
    } else {
        GetWindowRect(&r);
        ScreenToClient(&r);
    }
    int mode = GetMenuDrawMode();
    bool horizontal = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    if (IsFlatMode(mode)) {
        FillSolid(h, r, MixColors86To14(GetDefaultMenuBarColor(), ::GetSysColor(COLOR_WINDOW)));
    } else if (IsGradientMode(mode) && GetScreenColorCount() < 256) {
        // Few colours: one darker band instead of the gradients.
        COLORREF band =
            mode <= 7 ? DarkenColor(30, GetMenuBarColor(nullptr)) : DarkenColor(30, GetSelectionBackColor());
        PaintControlBarBackground(this, dc);
        CRect inner = r;
        if (!horizontal) {
            inner = CRect(r.left + 2, r.top, mode <= 7 ? r.right + 3 : r.right - 3, r.bottom);
        } else if (!IsFloating()) {
            inner.top += 2;
            inner.bottom -= 2;
        }
        FillSolid(h, inner, band);
    } else if (IsGradientMode(mode)) {
        COLORREF light, middle, dark, line;
        if (mode <= 7) {
            middle = GetMenuBackgroundColor(nullptr);
            light = LightenColor(60, middle);
            dark = DarkenColor(60, middle);
            line = DarkenColor(150, middle);
        } else {
            GetThemeGradientColors(&light, &middle, &dark, &line);
        }
        PaintControlBarBackground(this, dc);
        PaintGradients(h, r, light, middle, dark, line);
    } else {
        FillSolid(h, r, GetMenuBarColor(nullptr));
    }
    return TRUE;
}
