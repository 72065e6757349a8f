// Colour arithmetic, system-colour choices, gradients, brushes, bitmaps, text
// and small window helpers shared by every painting part of the skin library.
// Colours are COLORREF values 0x00BBGGRR; channels are computed separately.
#pragma once
#include "framework/framework.h"
#include <windows.h>

// ---- colour arithmetic
COLORREF DarkenColor(int amount, COLORREF color);
COLORREF LightenColor(int amount, COLORREF color);
COLORREF MixColors86To14(COLORREF a, COLORREF b);
COLORREF MixColors70To30(COLORREF a, COLORREF b);
COLORREF BlendColors(COLORREF base, COLORREF over, int weight);   // -1 when over is -1
COLORREF BluishShadowColor(COLORREF color);
BOOL IsBrightColor(COLORREF color);

// ---- system colour choices
COLORREF GetMenuBackgroundColor(HMENU menu = nullptr);
COLORREF GetMenuBarColor(HMENU menu = nullptr);
COLORREF GetDefaultMenuBarColor();
COLORREF GetSelectionBackColor();
int GetScreenColorCount();            // read once; more than 256 colours gives 64000
BOOL IsVisualThemeActive();
BOOL IsDropShadowEnabled();
COLORREF GetScreenNearestColor(COLORREF color);

// UxTheme entries, bound on first use; harmless answers when missing.
HANDLE SkinOpenThemeData(HWND wnd, LPCWSTR classes);
HRESULT SkinCloseThemeData(HANDLE theme);
HRESULT SkinGetThemeColor(HANDLE theme, int part, int state, int prop, COLORREF* color);

// ---- bar colours of the gradient draw modes
void GetThemeBarColors(BOOL light, COLORREF* bar, COLORREF* second);
COLORREF GetThemeBarBaseColor();
void GetThemeGradientColors(COLORREF* c1, COLORREF* c2, COLORREF* c3, COLORREF* c4);

// ---- gradients and brushes
void FillGradientRect(HDC dc, const RECT& rect, COLORREF start, COLORREF end, BOOL horizontal,
                      BOOL nearestColors);

class CSkinBrush : public CBrush {
public:
    enum { kSolid = 2, kGradient = 8, kGradientAlt = 10 };
    CSkinBrush(int kind, COLORREF first, COLORREF second);

    int m_nKind;
    COLORREF m_clrFirst, m_clrSecond;
};

// The brush of the current draw mode's menu bar, or null; cached by kind and colours.
CSkinBrush* GetMenuBarBrush();
int GetMenuBarBrushCountForTest();   // brushes held by the cache

// ---- memory DC: draws in the target's coordinates, copied back when destroyed
class CSkinMemDC : public CMemoryDC {
public:
    CSkinMemDC(const RECT& rect, HDC target);
    ~CSkinMemDC() override;

    HDC m_hTarget;
    RECT m_rcBounds;
    BOOL m_bNoCopy = FALSE;
};

// ---- bitmaps
HBITMAP MakeMaskBitmap(HBITMAP bitmap, COLORREF transparent);
HBITMAP LoadBitmapResource(UINT id, HINSTANCE module, UINT* colorCount);
UINT GetDibColorCount(const BITMAPINFOHEADER& header);
COLORREF TintBitmapGray(HBITMAP bitmap, int amount, COLORREF tint);
// Darkens every pixel of a bitmap by the amount (as DarkenColor).
void DarkenBitmap(HBITMAP bitmap, int amount);

// Keeps the masked-out pixels of a colour bitmap black, so that a recoloured
// image still draws transparently.
void BlackenMaskedPixels(HBITMAP color, HBITMAP mask);
// A copy of a bitmap (null when there is none).
HBITMAP CopyBitmap(HBITMAP bitmap);

// One image of a list as an icon, destroyed with the object.
class CImageListIcon {
public:
    CImageListIcon(HIMAGELIST list, int index);
    ~CImageListIcon();
    CImageListIcon(const CImageListIcon&) = delete;
    CImageListIcon& operator=(const CImageListIcon&) = delete;
    HICON Get() const { return m_hIcon; }

private:
    HICON m_hIcon;
};

// Variants of an icon's image with its own mask: added to the list (index -1)
// or replacing the image at index; the index, or -1 on failure.
int AddShadedImage(HIMAGELIST list, int index, HICON icon, int amount);     // DarkenColor(amount)
int AddTintedImage(HIMAGELIST list, int index, HICON icon, COLORREF tint);  // TintBitmapGray(110, tint)

// The module every resource of the library is loaded from.
HINSTANCE SkinGetResourceHandle();

// A font made for a piece of drawing, selected into the DC for the object's
// time and deleted after it is put back.
class CSelectedFont {
public:
    CSelectedFont(HDC dc, const LOGFONTA& lf) : m_select(dc, Create(m_font, lf)) {}
    CSelectedFont(const CSelectedFont&) = delete;
    CSelectedFont& operator=(const CSelectedFont&) = delete;

private:
    static HGDIOBJ Create(CFont& font, const LOGFONTA& lf)
    {
        font.CreateFontIndirect(&lf);
        return font;
    }
    CFont m_font;
    CSelectScope m_select;
};

// ---- text and glyphs
// The system's menu font (SPI_GETNONCLIENTMETRICS), read in one place.
LOGFONTA GetMenuLogFont();
void DrawMnemonicText(HDC dc, LPCSTR text, int length, const RECT& rect, UINT flags);
void DrawMarlettGlyph(HDC dc, const RECT& rect, char glyph, BOOL bold);

// ---- window helpers
// Starts a timer with a free id from 31 to 99 and remembers it as taken until
// ReleaseTimerId; 0 when the window does not exist or every id is taken.
UINT FindFreeTimerId(HWND wnd, UINT elapse);
void ReleaseTimerId(HWND wnd, UINT id);   // kills the timer and frees the id
void GetMonitorWorkArea(RECT* rect);
