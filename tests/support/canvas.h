// A 32-bit top-down bitmap in a memory DC, filled with one colour: a surface
// for painters under test, read back pixel by pixel.
#pragma once
#include "framework/framework.h"
#include <utility>

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255))
        : m_dc(nullptr, Make(m_bitmap, width, height)), m_width(width), m_height(height)
    {
        m_dc.FillSolidRect(0, 0, width, height, fill);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    RECT Bounds() const { return {0, 0, m_width, m_height}; }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc, x, y); }

    // Columns (or rows) holding a pixel of the colour, as [first, last]; -1 when none.
    std::pair<int, int> Span(COLORREF c, bool columns) const
    {
        int first = -1, last = -1;
        for (int a = 0; a < (columns ? m_width : m_height); ++a)
            for (int b = 0; b < (columns ? m_height : m_width); ++b)
                if ((columns ? At(a, b) : At(b, a)) == c) {
                    if (first < 0)
                        first = a;
                    last = a;
                    break;
                }
        return {first, last};
    }
    bool SameRegion(const Canvas& o, const RECT& r) const
    {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (At(x, y) != o.At(x, y))
                    return false;
        return true;
    }
    bool Same(const Canvas& o) const { return SameRegion(o, Bounds()); }

private:
    static HGDIOBJ Make(CBitmap& bitmap, int width, int height)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB};
        void* bits = nullptr;
        CScreenDC screen;
        bitmap.Attach(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        return bitmap;
    }
    CBitmap m_bitmap;
    CMemoryDC m_dc;
    int m_width, m_height;
};
