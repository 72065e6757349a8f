#include "skin/drawing.h"
#include "framework/framework.h"
#include "skin/skinlib.h"
#include "skin/menuitemdata.h"
#include "skin/testhooks.h"
#include <string>
#include "gdi_census.h"
#include "canvas.h"
#include "skin_scopes.h"
#include <gtest/gtest.h>
#include <vector>

// The options as a fresh start leaves them, recorded before the first test.
TEST(SkinOptions, SettersReturnThePreviousValue)
{
    const SkinOptions startup = SkinOptionsAtStartup();
    EXPECT_EQ(2, startup.drawMode);
    EXPECT_EQ(1, startup.selectDisabled);
    EXPECT_EQ(1, startup.shadedIcons);
    EXPECT_EQ(50, startup.shadeAmount);
    EXPECT_EQ(1, GetHandleAllMenus());
    SkinOptionsScope options;
    startup.Apply();
    EXPECT_EQ(1, SetSelectDisabledItems(0));
    EXPECT_EQ(50, SetIconShadeAmount(0));
    EXPECT_EQ(1, SetUseShadedIcons(1));
    EXPECT_EQ(0, SetIconShadeAmount(300));   // stored unchanged, no range check
    EXPECT_EQ(300, GetIconShadeAmount());
}

TEST(SkinOptions, StartupReadsTheSystem)
{
    EXPECT_TRUE(IsRunningUnderWine());   // this rig runs under Wine
    EXPECT_NE(nullptr, GetMenuHookHandle());
    EXPECT_NE(nullptr, GetCurrentMenuTheme());
    EXPECT_EQ(GetWindowsVersionClass(), QueryWindowsVersionClass());
    EXPECT_EQ(GetWindowsVersionClass() > 1, IsNewShellSystem() != 0);
}

TEST(SkinOptions, DrawModeSelection)
{
    SkinOptionsScope options;
    struct Case {
        int wine, request, previous, after;
    } cases[] = {
        {0, 2, 1, 2},  {0, 0, 1, 0},   {0, 11, 1, 11}, {0, 12, -1, 1}, {0, -1, -1, 1},
        {1, 2, 1, 3},  {1, 0, 1, 1},   {1, 4, 1, 5},   {1, 6, 1, 7},  {1, 8, 1, 9},
        {1, 10, 1, 11}, {1, 9, 1, 9},  {1, 12, -1, 1},  {1, 11, 1, 11},
    };
    for (const Case& c : cases) {
        SkinEnvironmentOverride o;
        o.wine = c.wine;
        SkinEnvironmentScope scope(o);
        ASSERT_NE(-1, SetMenuDrawMode(1));
        EXPECT_EQ(c.previous, SetMenuDrawMode(c.request)) << "wine " << c.wine << " mode " << c.request;
        EXPECT_EQ(c.after, GetMenuDrawMode()) << "wine " << c.wine << " mode " << c.request;
    }
}

TEST(SkinColors, Arithmetic)
{
    const COLORREF c = RGB(10, 128, 250);
    EXPECT_EQ(c, DarkenColor(0, c));
    EXPECT_EQ(RGB(0, 0, 0), DarkenColor(255, c));
    EXPECT_EQ(RGB(5, 64, 125), DarkenColor(128, c));   // MulDiv rounds
    EXPECT_EQ(RGB(255, 255, 255), LightenColor(255, c));
    EXPECT_EQ(c, LightenColor(0, c));
    EXPECT_EQ(RGB(255, 255, 255), MixColors86To14(RGB(255, 255, 255), RGB(255, 255, 255)));
    EXPECT_EQ(RGB(255, 255, 255), MixColors70To30(RGB(255, 255, 255), RGB(255, 255, 255)));
    EXPECT_EQ(RGB(86, 14, 0), MixColors86To14(RGB(100, 0, 0), RGB(0, 100, 0)));
    EXPECT_EQ(RGB(70, 30, 0), MixColors70To30(RGB(100, 0, 0), RGB(0, 100, 0)));
    EXPECT_EQ((COLORREF)-1, BlendColors(c, (COLORREF)-1, 100));
    EXPECT_EQ(RGB(127, 0, 0), BlendColors(RGB(0, 0, 0), RGB(255, 0, 0), 128));
    EXPECT_EQ(RGB(70, 70, 109), BluishShadowColor(RGB(100, 100, 100)));
    EXPECT_TRUE(IsBrightColor(RGB(200, 200, 0)));
    EXPECT_FALSE(IsBrightColor(RGB(128, 128, 128)));
}

TEST(SkinColors, SelectionColourFollowsDepthAndContrast)
{
    {
        SkinEnvironmentOverride o;
        o.highContrast = 1;
        SkinEnvironmentScope s(o);
        EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), GetSelectionBackColor());
    }
    {
        SkinEnvironmentOverride o;
        o.highContrast = 0;
        o.screenColors = 256;
        SkinEnvironmentScope s(o);
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetSelectionBackColor());
    }
    {
        SkinEnvironmentOverride o;
        o.highContrast = 0;
        o.screenColors = 64000;
        SkinEnvironmentScope s(o);
        COLORREF w = GetSysColor(COLOR_WINDOW), h = GetSysColor(COLOR_HIGHLIGHT);
        COLORREF expected = (IsVisualThemeActive() || !IsBrightColor(h)) ? MixColors70To30(w, h)
                                                                         : MixColors86To14(w, h);
        EXPECT_EQ(expected, GetSelectionBackColor());
    }
}

TEST(SkinColors, MenuColoursReadTheMenuBrush)
{
    HMENU menu = CreateMenu();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    MENUINFO mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    mi.hbrBack = brush;
    ASSERT_TRUE(SetMenuInfo(menu, &mi));
    EXPECT_EQ(RGB(1, 2, 3), GetMenuBackgroundColor(menu));
    EXPECT_EQ(RGB(1, 2, 3), GetMenuBarColor(menu));
    // A pattern brush (the gradient bar brushes of draw modes 8-11) has no one
    // colour: the menu takes the system's, as without a brush.
    CBitmap bits;
    ASSERT_TRUE(bits.CreateBitmap(8, 8, 1, 1, nullptr));
    CBrush pattern;
    ASSERT_TRUE(pattern.CreatePatternBrush(&bits));
    mi.hbrBack = pattern;
    ASSERT_TRUE(SetMenuInfo(menu, &mi));
    EXPECT_EQ(GetMenuBackgroundColor(nullptr), GetMenuBackgroundColor(menu));
    EXPECT_EQ(GetMenuBarColor(nullptr), GetMenuBarColor(menu));
    DestroyMenu(menu);
    DeleteObject(brush);
    struct Case {
        int cls;
        int index;
    } cases[] = {{2, COLOR_MENU}, {5, COLOR_MENU}, {3, COLOR_BTNFACE}, {6, COLOR_BTNFACE}, {7, COLOR_BTNFACE}};
    for (const Case& c : cases) {
        SkinEnvironmentOverride o;
        o.versionClass = c.cls;
        SkinEnvironmentScope s(o);
        EXPECT_EQ(GetSysColor(c.index), GetDefaultMenuBarColor()) << "class " << c.cls;
    }
}

// The stepped gradient: 2-pixel strips from the start colour towards the end
// colour, the last column or row keeping the end colour.
TEST(SkinGradient, SteppedGradientAtSmallAndLargeExtents)
{
    SkinUseGradientFillForTest(false);
    const COLORREF start = RGB(0, 100, 200), end = RGB(240, 20, 40);
    auto stripColour = [&](int n, int length) {
        if (length == 0) return start;
        return RGB(GetRValue(start) + MulDiv(240, n, length), GetGValue(start) + MulDiv(-80, n, length),
                   GetBValue(start) + MulDiv(-160, n, length));
    };
    for (int horizontal = 0; horizontal <= 1; ++horizontal) {
        for (int extent : {1, 2, 3, 10}) {
            Canvas canvas(horizontal ? extent : 4, horizontal ? 4 : extent);
            RECT r = {0, 0, canvas.Width(), canvas.Height()};
            FillGradientRect(canvas.Dc(), r, start, end, horizontal, FALSE);
            int length = extent - 2;
            for (int p = 0; p < extent; ++p) {
                COLORREF expected = end;
                if (length >= 0 && p <= length + 1 && p / 2 * 2 <= length)
                    expected = stripColour(p / 2 * 2, length);
                for (int q = 0; q < 4; ++q) {
                    COLORREF got = horizontal ? canvas.At(p, q) : canvas.At(q, p);
                    ASSERT_EQ(expected, got) << "extent " << extent << " pos " << p << " horizontal " << horizontal;
                }
            }
        }
    }
    SkinUseGradientFillForTest(true);
}

TEST(SkinGradient, SmoothGradientRunsFromStartToEnd)
{
    if (!GetGradientFillEntry()) GTEST_SKIP() << "no GradientFill";
    Canvas canvas(10, 3);
    RECT r = {0, 0, 10, 3};
    FillGradientRect(canvas.Dc(), r, RGB(0, 0, 0), RGB(250, 0, 0), TRUE, FALSE);
    int previous = -1;
    for (int x = 0; x < 10; ++x) {
        int red = GetRValue(canvas.At(x, 1));
        EXPECT_GE(red, previous);
        previous = red;
    }
    EXPECT_LE(GetRValue(canvas.At(0, 1)), 30);
    EXPECT_GE(GetRValue(canvas.At(9, 1)), 200);
}

TEST(SkinBrushes, MenuBarBrushIsCachedByKindAndColours)
{
    SkinOptionsScope options;
    SetMenuDrawMode(3);
    CSkinBrush* a = GetMenuBarBrush();
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(CSkinBrush::kSolid, a->m_nKind);
    EXPECT_EQ(a, GetMenuBarBrush());
    int held = GetMenuBarBrushCountForTest();
    SetMenuDrawMode(9);
    CSkinBrush* b = GetMenuBarBrush();
    ASSERT_NE(nullptr, b);
    SetMenuDrawMode(3);
    EXPECT_EQ(a, GetMenuBarBrush());
    SetMenuDrawMode(9);
    EXPECT_EQ(b, GetMenuBarBrush());
    EXPECT_LE(GetMenuBarBrushCountForTest(), held + 1);
    SetMenuDrawMode(1);
    EXPECT_EQ(nullptr, GetMenuBarBrush());
}

TEST(SkinBitmaps, MaskAndTint)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 2);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y) SetPixel(dc, x, y, x == 0 ? RGB(255, 0, 255) : RGB(30, 60, 90));
    SelectObject(dc, old);
    HBITMAP mask = MakeMaskBitmap(bitmap, RGB(255, 0, 255));
    ASSERT_NE(nullptr, mask);
    old = SelectObject(dc, bitmap);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 0, 0));        // transparent pixels turn black
    EXPECT_EQ(RGB(30, 60, 90), GetPixel(dc, 1, 0));
    SelectObject(dc, mask);
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 0, 1));  // 1 in the mask
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 2, 1));
    SelectObject(dc, old);
    // grey of (30, 60, 90) is 60; (110*60 + 145*200)/256 = 139
    COLORREF first = TintBitmapGray(bitmap, 110, RGB(200, 200, 200));
    EXPECT_EQ(RGB(113, 113, 113), first);   // black pixel: 145*200/256
    old = SelectObject(dc, bitmap);
    EXPECT_EQ(RGB(139, 139, 139), GetPixel(dc, 3, 1));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(mask);
    EXPECT_EQ(nullptr, MakeMaskBitmap(nullptr, 0));

    BITMAPINFOHEADER h = {};
    struct Case {
        WORD bits;
        DWORD used;
        UINT count;
    } cases[] = {{1, 0, 2}, {4, 0, 16}, {8, 0, 256}, {24, 0, 0}, {8, 0x10020, 0x20}};
    for (const Case& c : cases) {
        h.biBitCount = c.bits;
        h.biClrUsed = c.used;
        EXPECT_EQ(c.count, GetDibColorCount(h));
    }
    UINT colours = 7;
    HBITMAP loaded = LoadBitmapResource(144, nullptr, &colours);
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(0u, colours);   // 24 bits per pixel
    DeleteObject(loaded);
    EXPECT_EQ(nullptr, LoadBitmapResource(145, nullptr, &colours));
    DeleteObject(bitmap);
}

namespace {
// Text drawn on a white canvas in black with a fixed font; returns the canvas rows.
struct TextCanvas : Canvas {
    CFont font;
    CSelectScope fontScope;
    TextCanvas() : Canvas(80, 24), fontScope(Dc(), Tahoma(font))
    {
        SetTextColor(Dc(), RGB(0, 0, 0));
        SetBkMode(Dc(), TRANSPARENT);
    }
    static HGDIOBJ Tahoma(CFont& font)
    {
        LOGFONTA lf = {};
        lf.lfHeight = -12;
        lstrcpyA(lf.lfFaceName, "Tahoma");
        font.CreateFontIndirect(&lf);
        return font;
    }
    int DarkInRow(int y) const
    {
        int n = 0;
        for (int x = 0; x < Width(); ++x) n += At(x, y) != RGB(255, 255, 255);
        return n;
    }
};
} // namespace

TEST(SkinText, MnemonicUnderline)
{
    RECT r = {0, 0, 80, 24};
    TextCanvas marked, hidden, plain, doubled, single;
    DrawMnemonicText(marked.Dc(), "&File", -1, r, 0);
    DrawMnemonicText(hidden.Dc(), "&File", -1, r, DT_HIDEPREFIX);
    DrawMnemonicText(plain.Dc(), "File", -1, r, 0);
    DrawMnemonicText(doubled.Dc(), "a&&b", -1, r, 0);
    ExtTextOutA(single.Dc(), 0, 0, 0, nullptr, "a&b", 3, nullptr);
    EXPECT_TRUE(hidden.Same(plain));
    EXPECT_FALSE(marked.Same(plain));
    EXPECT_TRUE(doubled.Same(single));
    TEXTMETRICA tm;
    GetTextMetricsA(marked.Dc(), &tm);
    int row = tm.tmAscent + 1;
    SIZE f;
    GetTextExtentPointA(marked.Dc(), "F", 1, &f);
    EXPECT_GE(marked.DarkInRow(row) - plain.DarkInRow(row), f.cx - tm.tmOverhang / 2 - 2);
    // Only the F is underlined: nothing under "ile".
    for (int x = f.cx + 1; x < 80; ++x)
        EXPECT_EQ(plain.At(x, row), marked.At(x, row)) << x;
}

TEST(SkinWindows, TimerIdsAreNotHandedOutTwice)
{
    HWND wnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, wnd);
    EXPECT_EQ(31u, FindFreeTimerId(wnd, 1000));
    EXPECT_EQ(32u, FindFreeTimerId(wnd, 1000));
    EXPECT_EQ(33u, FindFreeTimerId(wnd, 1000));
    ReleaseTimerId(wnd, 32);
    EXPECT_EQ(32u, FindFreeTimerId(wnd, 1000));
    std::vector<UINT> ids;
    for (UINT id; (id = FindFreeTimerId(wnd, 1000)) != 0;) ids.push_back(id);
    ASSERT_EQ(99u - 34u + 1u, ids.size());
    EXPECT_EQ(34u, ids.front());
    EXPECT_EQ(99u, ids.back());
    for (UINT id = 31; id <= 99; ++id) ReleaseTimerId(wnd, id);
    DestroyWindow(wnd);
    EXPECT_EQ(0u, FindFreeTimerId(wnd, 1000));
    EXPECT_EQ(0u, FindFreeTimerId(nullptr, 1000));
}

TEST(SkinWindows, MonitorWorkArea)
{
    RECT r = {10, 10, 20, 20};
    GetMonitorWorkArea(&r);
    EXPECT_GT(r.right - r.left, 100);
    EXPECT_GT(r.bottom - r.top, 100);
}

TEST(SkinGdi, HelpersFreeWhatTheyCreate)
{
    ASSERT_TRUE(GdiCensusWorks());
    SkinOptionsScope options;
    SetMenuDrawMode(9);
    GetMenuBarBrush();   // the cached brush is made once and kept
    SetMenuDrawMode(2);
    int before = CountGdiObjects();
    RECT r = {0, 0, 40, 20};
    for (int i = 0; i < 100; ++i) {
        TextCanvas canvas;
        int base = CountGdiObjects();
        {
            CSkinMemDC mem(r, canvas.Dc());
            FillGradientRect(mem, r, RGB(0, 0, 0), RGB(255, 255, 255), i % 2, TRUE);
            DrawMnemonicText(mem, "&Open\tCtrl+O", -1, r, DT_VCENTER);
            DrawMarlettGlyph(mem, r, 'r', i % 2);
        }
        HBITMAP b = CreateCompatibleBitmap(canvas.Dc(), 8, 8);
        HBITMAP m = MakeMaskBitmap(b, 0);
        TintBitmapGray(b, 110, RGB(1, 2, 3));
        DeleteObject(m);
        DeleteObject(b);
        GetScreenNearestColor(RGB(1, 2, 3));
        SetMenuDrawMode(9);
        GetMenuBarBrush();
        SetMenuDrawMode(2);
        ASSERT_EQ(base, CountGdiObjects()) << "call " << i;
    }
    EXPECT_EQ(before, CountGdiObjects());
}

namespace {
std::string Text(const CSkinMenuItemData* d, HACCEL accel) { return (LPCSTR)d->GetShowText(accel); }
} // namespace

TEST(SkinMenuText, AcceleratorTexts)
{
    ACCEL entries[] = {
        {FCONTROL | FVIRTKEY, 'S', 101},
        {FVIRTKEY, VK_F5, 101},
        {FVIRTKEY, VK_DELETE, 103},
        {FALT | FSHIFT | FVIRTKEY, VK_HOME, 104},
        {0, 'q', 105},
    };
    HACCEL table = CreateAcceleratorTableA(entries, 5);
    ASSERT_NE(nullptr, table);
    auto name = [](WORD vk, bool extended) {
        char buf[64] = "";
        GetKeyNameTextA((LONG)((MapVirtualKeyA(vk, 0) << 16) | (extended ? 1 << 24 : 0)), buf, 64);
        return std::string(buf);
    };
    CSkinMenuItemData d;
    d.SetString("&Save");
    d.m_nID = 101;
    EXPECT_EQ("&Save\tCtrl+" + name('S', false) + ", " + name(VK_F5, false), Text(&d, table));
    EXPECT_EQ("&Save", Text(&d, nullptr));
    d.m_nID = 103;
    std::string del = Text(&d, table);
    EXPECT_EQ("&Save\t" + name(VK_DELETE, true), del);
    if (name(VK_DELETE, true) != name(VK_DELETE, false)) {
        EXPECT_NE("&Save\t" + name(VK_DELETE, false), del);
    }
    d.m_nID = 104;
    EXPECT_EQ("&Save\tAlt+Shift+" + name(VK_HOME, true), Text(&d, table));
    d.m_nID = 105;
    EXPECT_EQ("&Save\tq", Text(&d, table));
    d.m_nID = 106;
    EXPECT_EQ("&Save", Text(&d, table));
    d.SetString("&Open\tCtrl+O");
    d.m_nID = 101;
    EXPECT_EQ("&Open\tCtrl+O", Text(&d, table));   // an own accelerator text stays
    EXPECT_EQ("&Open", Text(&d, nullptr));
    d.m_nMenuFlags = MF_POPUP;
    EXPECT_EQ("&Open", Text(&d, table));
    d.SetString(nullptr);
    EXPECT_EQ("", Text(&d, table));
    DestroyAcceleratorTable(table);
}

