// Control-bar decoration of the themes: the gripper of a docked bar and the
// corner pixels that round a bar off, per draw mode.
#include "skin/drawing.h"
#include "skin/menutheme.h"
#include "skin/skinlib.h"

namespace {
// A docked bar with a gripper; vertical when docked neither top nor bottom.
bool HasGripper(DWORD style) { return (style & CBRS_GRIPPER) && !(style & CBRS_FLOATING); }
bool IsVerticalBar(DWORD style) { return !(style & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)); }

void Square(CDC& dc, int x, int y, COLORREF c) { dc.FillSolidRect(x, y, 2, 2, c); }
} // namespace

void CMenuTheme::DrawGripper(HDC hdc, const RECT& rect, DWORD style, int left, int right, int top, int bottom)
{
    if (!HasGripper(style)) return;
    CDC& dc = *CDC::FromHandle(hdc);
    CSavedDC state(dc);
    bool vertical = IsVerticalBar(style);
    const int x0 = rect.left, y0 = rect.top, width = rect.right - rect.left, height = rect.bottom - rect.top;
    switch (m_nID) {
    case 2: case 3: {
        // Short lines every second pixel.
        COLORREF c = BluishShadowColor(GetDefaultMenuBarColor());
        if (vertical)
            for (int x = left + 4; x < width - left - right - 4; x += 2) dc.FillSolidRect(x0 + x, y0 + 4, 1, 3, c);
        else
            for (int y = top + 4; y < height - top - bottom - 8; y += 2) dc.FillSolidRect(x0 + 4, y0 + y, 3, 1, c);
        break;
    }
    case 6: case 7: {
        COLORREF c = DarkenColor(100, GetMenuBackgroundColor(nullptr));
        if (vertical)
            for (int x = left + 4; x < width - right - 4; x += 4) Square(dc, x0 + x, y0 + left + 4, c);
        else
            for (int y = top + 4; y < height - top - bottom - 8; y += 4) Square(dc, x0 + left + 4, y0 + y + 1, c);
        break;
    }
    case 8: case 9: case 10: case 11: {
        // Raised dots: a light square under a dark one, one pixel off.
        COLORREF c1, c2, c3, dark, light = GetSysColor(COLOR_WINDOW);
        GetThemeGradientColors(&c1, &c2, &c3, &dark);
        auto dot = [&](int x, int y) {
            Square(dc, x + 1, y + 1, light);
            Square(dc, x, y, dark);
        };
        if (vertical)
            for (int x = left + 4; x < width - right - 4; x += 4) dot(x0 + x, y0 + left + 4);
        else
            for (int y = top + 4; y < height - top - bottom - 8; y += 4) dot(x0 + left + 4, y0 + y + 1);
        break;
    }
    default:
        UpdateSysColors();
        if (vertical)
            dc.Draw3dRect(x0 + top, y0 + 2, width - top - bottom, 3, m_clrBtnHilite, m_clrBtnShadow);
        else
            dc.Draw3dRect(x0 + left + 2, y0 + top, 3, height - top - bottom, m_clrBtnHilite, m_clrBtnShadow);
    }
}

void CMenuTheme::DrawBarCorners(HDC hdc, const RECT& r, DWORD style)
{
    if (!HasGripper(style)) return;
    COLORREF c;
    if (m_nID == 6 || m_nID == 7) c = GetSysColor(COLOR_3DLIGHT);
    else if (m_nID >= 8 && m_nID <= 11) c = GetThemeBarBaseColor();
    else return;
    const POINT corners[] = {
        {r.left + 1, r.top}, {r.left, r.top}, {r.left, r.top + 1},
        {r.left, r.bottom}, {r.left, r.bottom - 1}, {r.left + 1, r.bottom},
        {r.right - 1, r.top}, {r.right, r.top}, {r.right, r.top + 1},
        {r.right - 1, r.bottom}, {r.right, r.bottom}, {r.right, r.bottom - 1},
    };
    for (const POINT& p : corners) ::SetPixelV(hdc, p.x, p.y, c);
}
