// The frames that the themes with their own border paint round a popup-menu
// window: the classic frame in the highlight colour, the flat frame with the
// seam to the open menu-bar item, and the library's own shadow.
#include "skin/drawing.h"
#include "skin/menutheme.h"
#include "skin/popupframe.h"
#include "skin/popuphook.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include <vector>

namespace {

COLORREF Sys(int index) { return GetSysColor(index); }

void Outline(CDC& dc, const RECT& r, COLORREF color)
{
    CBrush brush(color);
    dc.FrameRect(&r, &brush);
}

// The ring between the outer rectangle and the client area, in four strips.
void FillRing(CDC& dc, const RECT& outer, const RECT& inner, COLORREF color)
{
    RECT strips[] = {
        {outer.left, outer.top, outer.right, inner.top},
        {outer.left, inner.bottom, outer.right, outer.bottom},
        {outer.left, inner.top, inner.left, inner.bottom},
        {inner.right - 1, inner.top, outer.right, inner.bottom},
    };
    for (const RECT& r : strips)
        if (r.right > r.left && r.bottom > r.top) dc.FillSolidRect(&r, color);
}

struct PopupGeometry {
    int width, height;
    RECT inner;   // client area in window coordinates
};

PopupGeometry Measure(HWND wnd)
{
    PopupGeometry g;
    RECT window;
    ::GetWindowRect(wnd, &window);
    g.width = window.right - window.left;
    g.height = window.bottom - window.top;
    ::GetClientRect(wnd, &g.inner);
    ::MapWindowPoints(wnd, nullptr, (LPPOINT)&g.inner, 2);
    ::OffsetRect(&g.inner, -window.left, -window.top);
    return g;
}

// Top-down 32-bit pixels of a bitmap.
std::vector<DWORD> ReadPixels(HBITMAP bitmap, int width, int height)
{
    std::vector<DWORD> pixels((size_t)width * height);
    BITMAPINFO bi;
    ZeroMemory(&bi, sizeof bi);
    bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB};
    CScreenDC screen;
    if (!::GetDIBits(screen, bitmap, 0, height, pixels.data(), &bi, DIB_RGB_COLORS)) pixels.clear();
    return pixels;
}

COLORREF ToColor(DWORD px) { return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF); }
DWORD ToPixel(COLORREF c) { return ((DWORD)GetRValue(c) << 16) | ((DWORD)GetGValue(c) << 8) | GetBValue(c); }

// A strip of computed pixels, written to the window DC in one call.
struct Strip {
    int x, y, width, height;
    std::vector<DWORD> pixels;
    Strip(int x0, int y0, int w, int h) : x(x0), y(y0), width(w), height(h), pixels((size_t)(w > 0 ? w : 0) * (h > 0 ? h : 0)) {}
    DWORD& At(int px, int py) { return pixels[(size_t)(py - y) * width + (px - x)]; }
    void Write(HDC dc) const
    {
        if (width <= 0 || height <= 0) return;
        BITMAPINFO bi;
        ZeroMemory(&bi, sizeof bi);
        bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB};
        ::SetDIBitsToDevice(dc, x, y, width, height, 0, 0, 0, height, pixels.data(), &bi, DIB_RGB_COLORS);
    }
};

} // namespace

POINT PopupScreenOrigin(HWND wnd, const CMenuHookData* data)
{
    if (data && (data->position.x || data->position.y)) return data->position;
    RECT r = {0, 0, 0, 0};
    ::GetWindowRect(wnd, &r);
    return {r.left, r.top};
}

void CapturePopupScreen(HWND wnd, CMenuHookData* data)
{
    if (!data || data->capture.GetSafeHandle()) return;
    PopupGeometry g = Measure(wnd);
    POINT origin = PopupScreenOrigin(wnd, data);
    CScreenDC screen;
    CBitmap capture;
    capture.Attach(::CreateCompatibleBitmap(screen, g.width + 10, g.height + 10));
    {
        CMemoryDC dc(screen, capture);
        dc.BitBlt(0, 0, g.width + 10, g.height + 10, &screen, origin.x, origin.y, SRCCOPY);
    }
    data->capture.Attach(capture.Detach());
}

void DrawPopupShadow(HWND wnd, HDC windowDC, const CMenuHookData* data)
{
    if (!data || !data->capture.GetSafeHandle()) return;
    PopupGeometry g = Measure(wnd);
    const int w = g.width, h = g.height, cw = w + 10;
    std::vector<DWORD> captured = ReadPixels((HBITMAP)data->capture.GetSafeHandle(), cw, h + 10);
    if (captured.empty()) return;
    auto under = [&](int x, int y) { return captured[(size_t)y * cw + x]; };
    Strip right(w - 4, 0, 4, h), bottom(0, h - 4, w - 4, 4);
    if (GetScreenColorCount() <= 256) {
        // The two outer lines show the screen, the two inner ones a flat shadow.
        DWORD shadow = ToPixel(Sys(COLOR_BTNSHADOW));
        for (int y = 0; y < h; ++y)
            for (int x = w - 4; x < w; ++x)
                right.At(x, y) = (x >= w - 2 || y < 4 || y > h - 3) ? under(x, y) : shadow;
        for (int y = h - 4; y < h; ++y)
            for (int x = 0; x < w - 4; ++x) bottom.At(x, y) = (y >= h - 2 || x < 4) ? under(x, y) : shadow;
    } else {
        for (int n = 1; n <= 4; ++n) {
            int x = w - n;
            for (int y = 0; y < h; ++y) {
                int amount = y < 4 ? 0 : y < 8 ? 6 * n * (y - 3) : y <= h - 5 ? 30 * n : 6 * n * (h - y);
                right.At(x, y) = ToPixel(DarkenColor(amount, ToColor(under(x, y))));
            }
            int y = h - n;
            for (int x2 = 0; x2 < w - 4; ++x2) {
                int amount = x2 < 4 ? 0 : x2 < 8 ? 6 * n * (x2 - 3) : 30 * n;
                bottom.At(x2, y) = ToPixel(DarkenColor(amount, ToColor(under(x2, y))));
            }
        }
    }
    right.Write(windowDC);
    bottom.Write(windowDC);
}

BOOL CMenuTheme::DrawFrame(HWND wnd, HDC windowDC, int stage)
{
    CMenuHookData* data = GetMenuHookData(wnd);
    if (!HasOwnBorder() || !data || !data->capture.GetSafeHandle()) return FALSE;
    PopupGeometry g = Measure(wnd);
    CDC& dc = *CDC::FromHandle(windowDC);
    CSavedDC state(dc);
    bool shadow = IsDropShadowEnabled() != 0, hc = IsHighContrast() != 0;
    int room = shadow ? 0 : 4;
    if (stage == 0)
        FillRing(dc, {1, 1, g.width - 1 - room, g.height - 1 - room}, g.inner, GetMenuBackgroundColor(nullptr));
    Outline(dc, {0, 0, g.width - room, g.height - room}, Sys(hc ? COLOR_BTNTEXT : COLOR_HIGHLIGHT));
    if (!shadow && !hc) DrawPopupShadow(wnd, dc, data);
    return TRUE;
}

BOOL CMenuThemeXP::DrawFrame(HWND wnd, HDC windowDC, int stage)
{
    CMenuHookData* data = GetMenuHookData(wnd);
    if (!HasOwnBorder() || !data || !data->capture.GetSafeHandle()) return FALSE;
    PopupGeometry g = Measure(wnd);
    CDC& dc = *CDC::FromHandle(windowDC);
    CSavedDC state(dc);
    COLORREF menu = GetMenuBackgroundColor(data->menu), window = Sys(COLOR_WINDOW);
    COLORREF light = MixColors86To14(window, menu), dark = DarkenColor(128, menu);
    COLORREF line = GetScreenColorCount() <= 256 ? Sys(COLOR_BTNFACE) : MixColors86To14(menu, window);
    if (::GetNearestColor(dc, light) == ::GetNearestColor(dc, line)) {
        light = window;
        line = menu;
    }
    bool shadow = IsDropShadowEnabled() != 0, hc = IsHighContrast() != 0;
    int room = shadow ? 0 : 4;
    RECT lightFrame = {1, 1, g.width - 1 - room, g.height - 1 - room};
    RECT outer = {0, 0, g.width - room, g.height - room};
    if (stage == 0) FillRing(dc, lightFrame, g.inner, light);
    if (hc) {
        Outline(dc, outer, Sys(COLOR_BTNTEXT));
    } else {
        Outline(dc, lightFrame, light);
        if (shadow && (m_nID == 8 || m_nID == 9)) line = window;
        RECT edge = {1, 2, 2, 2 + g.height - (shadow ? 4 : 8)};
        dc.FillSolidRect(&edge, line);
        Outline(dc, outer, dark);
        if (!shadow) DrawPopupShadow(wnd, dc, data);
    }
    DrawSeam(wnd, dc);
    return TRUE;
}

// The edge that a popup shares with the open menu-bar item that opened it
// takes the colour of that item, so the two look like one piece.
void CMenuThemeXP::DrawSeam(HWND wnd, HDC windowDC)
{
    CMenuHookData* data = GetMenuHookData(wnd);
    CSkinMenu* menu = data ? CSkinMenu::FromMenuHandle(data->menu) : nullptr;
    CSkinMenu* bar = menu ? CSkinMenu::FromMenuHandle(menu->GetParentHandle()) : nullptr;
    if (!bar || bar->IsPopup()) return;
    PopupGeometry g = Measure(wnd);
    POINT origin = PopupScreenOrigin(wnd, data);
    RECT window = {origin.x, origin.y, origin.x + g.width, origin.y + g.height};
    RECT item = bar->GetBarItemRect(), seam;
    if (!::IntersectRect(&seam, &window, &item)) return;
    if (seam.right - seam.left > seam.bottom - seam.top) InflateRect(&seam, -1, 0);
    else InflateRect(&seam, 0, -1);
    ::OffsetRect(&seam, -origin.x, -origin.y);
    COLORREF color = GetScreenColorCount() <= 256 ? Sys(COLOR_BTNFACE)
                                                  : MixColors86To14(GetMenuBarColor(nullptr), Sys(COLOR_WINDOW));
    CDC::FromHandle(windowDC)->FillSolidRect(&seam, color);
}
