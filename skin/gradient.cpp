#include "skin/drawing.h"
#include "skin/skinlib.h"
#include <list>
#include <memory>

static void FillSolid(HDC dc, const RECT& rect, COLORREF color)
{
    FillRect(dc, &rect, CBrush(color));
}

void FillGradientRect(HDC dc, const RECT& rect, COLORREF start, COLORREF end, BOOL horizontal,
                      BOOL nearestColors)
{
    bool manyColors = GetDeviceCaps(dc, NUMCOLORS) == -1;
    PFN_GradientFill gradientFill = GetGradientFillEntry();
    if ((manyColors || !nearestColors) && gradientFill) {
        TRIVERTEX v[2];
        v[0].x = rect.left;
        v[0].y = rect.top;
        v[0].Red = (COLOR16)(GetRValue(start) << 8);
        v[0].Green = (COLOR16)(GetGValue(start) << 8);
        v[0].Blue = (COLOR16)(GetBValue(start) << 8);
        v[0].Alpha = 0;
        v[1].x = rect.right;
        v[1].y = rect.bottom;
        v[1].Red = (COLOR16)(GetRValue(end) << 8);
        v[1].Green = (COLOR16)(GetGValue(end) << 8);
        v[1].Blue = (COLOR16)(GetBValue(end) << 8);
        v[1].Alpha = 0;
        GRADIENT_RECT gr = {0, 1};
        gradientFill(dc, v, 2, &gr, 1, horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
        return;
    }
    bool nearest = !manyColors && nearestColors;
    auto fill = [&](const RECT& r, COLORREF c) {
        FillSolid(dc, r, nearest ? GetNearestColor(dc, c) : c);
    };
    fill(rect, end);
    int length = (horizontal ? rect.right - rect.left : rect.bottom - rect.top) - 2;
    if (length < 0) return;
    int dr = GetRValue(end) - GetRValue(start);
    int dg = GetGValue(end) - GetGValue(start);
    int db = GetBValue(end) - GetBValue(start);
    for (int n = 0; n <= length; n += 2) {
        COLORREF c = start;
        // A 2-pixel extent has one strip: it is the start colour (no division by zero).
        if (length > 0)
            c = RGB((GetRValue(start) + MulDiv(dr, n, length)) & 0xFF,
                    (GetGValue(start) + MulDiv(dg, n, length)) & 0xFF,
                    (GetBValue(start) + MulDiv(db, n, length)) & 0xFF);
        RECT strip = rect;
        if (horizontal) {
            strip.left = rect.left + n;
            strip.right = strip.left + 2;
        } else {
            strip.top = rect.top + n;
            strip.bottom = strip.top + 2;
        }
        fill(strip, c);
    }
}

CSkinBrush::CSkinBrush(int kind, COLORREF first, COLORREF second)
    : m_nKind(kind), m_clrFirst(first), m_clrSecond(second)
{
    if (IsPlainMenuSystem() || (kind != kGradient && kind != kGradientAlt)) {
        CreateSolidBrush(first);
        return;
    }
    int width = (GetSystemMetrics(SM_CXFULLSCREEN) + 16) / 8 * 8;
    const int height = 20;
    CBitmap bitmap;
    {
        CScreenDC screen;
        bitmap.CreateCompatibleBitmap(&screen, width, height);
        CMemoryDC dc(screen, bitmap);
        if (width <= 700) {
            RECT r = {0, 0, width, height};
            FillGradientRect(dc, r, first, second, TRUE, TRUE);
        } else {
            RECT r = {0, 0, 700, height};
            FillGradientRect(dc, r, first, second, TRUE, TRUE);
            RECT rest = {700, 0, width, height};
            FillSolid(dc, rest, second);
        }
    }
    CreatePatternBrush(&bitmap);
}

namespace {
// Owns every brush GetMenuBarBrush made; freed at process exit.
struct CSkinBrushList {
    std::list<std::unique_ptr<CSkinBrush>> brushes;
    CSkinBrush* last = nullptr;
};
CSkinBrushList g_brushList;
} // namespace

int GetMenuBarBrushCountForTest() { return (int)g_brushList.brushes.size(); }

CSkinBrush* GetMenuBarBrush()
{
    int mode = GetMenuDrawMode();
    int kind;
    COLORREF first, second;
    bool rich = GetScreenColorCount() >= 256 && !IsHighContrast();
    if (mode == 8 || mode == 9) {
        GetThemeBarColors(TRUE, &first, &second);
        if (rich) {
            kind = CSkinBrush::kGradient;
        } else {
            kind = CSkinBrush::kSolid;
            first = second = GetSysColor(COLOR_BTNFACE);
        }
    } else if (mode == 2 || mode == 3) {
        kind = CSkinBrush::kSolid;
        first = second = GetSysColor(COLOR_BTNFACE);
    } else if (mode == 10 || mode == 11) {
        GetThemeBarColors(TRUE, &first, &second);
        kind = (GetScreenColorCount() < 256 || IsHighContrast()) ? CSkinBrush::kSolid
                                                                 : CSkinBrush::kGradientAlt;
    } else {
        return nullptr;
    }
    auto matches = [&](const CSkinBrush* b) {
        return b->m_nKind == kind && b->m_clrFirst == first && b->m_clrSecond == second;
    };
    if (g_brushList.last && matches(g_brushList.last)) return g_brushList.last;
    for (auto& b : g_brushList.brushes) {
        g_brushList.last = b.get();
        if (matches(b.get())) return b.get();
    }
    g_brushList.brushes.emplace_front(new CSkinBrush(kind, first, second));
    g_brushList.last = g_brushList.brushes.front().get();
    return g_brushList.last;
}

CSkinMemDC::CSkinMemDC(const RECT& rect, HDC target)
    : CMemoryDC(target, rect.right - rect.left, rect.bottom - rect.top), m_hTarget(target), m_rcBounds(rect)
{
    ::SetWindowOrgEx(m_hDC, rect.left, rect.top, nullptr);
}

// The copy goes back while the bitmap is still selected; CMemoryDC then
// frees bitmap and DC.
CSkinMemDC::~CSkinMemDC()
{
    if (!m_bNoCopy)
        ::BitBlt(m_hTarget, m_rcBounds.left, m_rcBounds.top, m_rcBounds.right - m_rcBounds.left, m_rcBounds.bottom - m_rcBounds.top, m_hDC,
                 m_rcBounds.left, m_rcBounds.top, SRCCOPY);
}
