#include "skin/drawing.h"
#include "framework/framework.h"
#include <vector>

// A language DLL replaces the resource module; every load follows it.
HINSTANCE SkinGetResourceHandle()
{
    return AfxGetResourceHandle();
}

HBITMAP MakeMaskBitmap(HBITMAP bitmap, COLORREF transparent)
{
    BITMAP bm;
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return nullptr;
    HBITMAP mask = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
    if (!mask) return nullptr;
    CMemoryDC source(nullptr, bitmap);
    CMemoryDC dest(nullptr, mask);
    // Pixels of the background colour become 1 in the mask.
    SetBkColor(source, transparent);
    BitBlt(dest, 0, 0, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
    // XOR the mask back: its 1 bits arrive as the transparent colour, so those
    // pixels turn black and the others keep their colour.
    SetTextColor(source, RGB(0, 0, 0));
    BitBlt(source, 0, 0, bm.bmWidth, bm.bmHeight, dest, 0, 0, SRCINVERT);
    return mask;
}

UINT GetDibColorCount(const BITMAPINFOHEADER& h)
{
    if (h.biClrUsed) return h.biClrUsed & 0xFFFF;
    switch (h.biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

HBITMAP LoadBitmapResource(UINT id, HINSTANCE module, UINT* colorCount)
{
    if (!module) module = SkinGetResourceHandle();
    LPCSTR name = MAKEINTRESOURCEA((WORD)id);
    HRSRC res = FindResourceA(module, name, (LPCSTR)RT_BITMAP);
    if (!res) return nullptr;
    HGLOBAL data = LoadResource(module, res);
    if (!data) return nullptr;
    const BITMAPINFOHEADER* header = (const BITMAPINFOHEADER*)LockResource(data);
    if (!header) return nullptr;
    if (colorCount) *colorCount = GetDibColorCount(*header);
    return LoadBitmapA(module, name);
}

// Runs f over every pixel (as COLORREF) of a bitmap; false when the bits cannot be read.
template <class F> static bool ForEachPixel(HBITMAP bitmap, F f, COLORREF* first = nullptr)
{
    BITMAP bm;
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return false;
    BITMAPINFO bi;
    ZeroMemory(&bi, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;   // top-down: pixel 0 is (0, 0)
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> bits((size_t)bm.bmWidth * bm.bmHeight);
    CScreenDC dc;
    bool ok = GetDIBits(dc, bitmap, 0, bm.bmHeight, bits.data(), &bi, DIB_RGB_COLORS) != 0;
    if (ok) {
        for (DWORD& px : bits) {
            COLORREF c = RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
            c = f(c);
            px = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
        ok = SetDIBits(dc, bitmap, 0, bm.bmHeight, bits.data(), &bi, DIB_RGB_COLORS) != 0;
        if (first && !bits.empty())
            *first = RGB((bits[0] >> 16) & 0xFF, (bits[0] >> 8) & 0xFF, bits[0] & 0xFF);
    }
    return ok;
}

COLORREF TintBitmapGray(HBITMAP bitmap, int amount, COLORREF tint)
{
    COLORREF first = 0;
    ForEachPixel(bitmap, [&](COLORREF c) {
        int grey = (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
        auto ch = [&](int t) { return (amount * grey + (255 - amount) * t) / 256; };
        return RGB(ch(GetRValue(tint)), ch(GetGValue(tint)), ch(GetBValue(tint)));
    }, &first);
    return first;
}

void DarkenBitmap(HBITMAP bitmap, int amount)
{
    ForEachPixel(bitmap, [&](COLORREF c) { return DarkenColor(amount, c); });
}

void BlackenMaskedPixels(HBITMAP color, HBITMAP mask)
{
    BITMAP bm;
    if (!color || !mask || !GetObjectA(color, sizeof bm, &bm)) return;
    CMemoryDC dc(nullptr, color);
    CMemoryDC maskDC(nullptr, mask);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, maskDC, 0, 0, 0x00220326 /* D & ~S */);
}

HBITMAP CopyBitmap(HBITMAP bitmap)
{
    return bitmap ? (HBITMAP)CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0) : nullptr;
}

CImageListIcon::CImageListIcon(HIMAGELIST list, int index)
    : m_hIcon(list ? ImageList_GetIcon(list, index, ILD_NORMAL) : nullptr)
{
}

CImageListIcon::~CImageListIcon()
{
    if (m_hIcon) DestroyIcon(m_hIcon);
}

// The icon's bitmaps (from GetIconInfo) are copies: both are freed here.
template <class Recolour> static int AddIconVariant(HIMAGELIST list, int index, HICON icon, Recolour recolour)
{
    ICONINFO ii;
    if (!list || !icon || !GetIconInfo(icon, &ii)) return -1;
    CBitmap color, mask;
    color.Attach(ii.hbmColor);
    mask.Attach(ii.hbmMask);
    if (ii.hbmColor && recolour(ii.hbmColor)) BlackenMaskedPixels(ii.hbmColor, ii.hbmMask);
    if (index == -1) return ImageList_Add(list, ii.hbmColor, ii.hbmMask);
    return ImageList_Replace(list, index, ii.hbmColor, ii.hbmMask) ? index : -1;
}

int AddShadedImage(HIMAGELIST list, int index, HICON icon, int amount)
{
    return AddIconVariant(list, index, icon, [&](HBITMAP color) {
        if (!amount) return false;
        DarkenBitmap(color, amount);
        return true;
    });
}

int AddTintedImage(HIMAGELIST list, int index, HICON icon, COLORREF tint)
{
    return AddIconVariant(list, index, icon, [&](HBITMAP color) {
        TintBitmapGray(color, 110, tint);
        return true;
    });
}
