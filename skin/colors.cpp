#include "skin/drawing.h"
#include "skin/skinlib.h"

namespace {

int R(COLORREF c) { return GetRValue(c); }
int G(COLORREF c) { return GetGValue(c); }
int B(COLORREF c) { return GetBValue(c); }
int Cap(int v) { return v >= 255 ? 255 : v; }

int g_screenColors = 0;   // 0 = not read yet

} // namespace

void SkinOverrideScreenColorsForTest(int colors) { g_screenColors = colors; }
int SkinReadScreenColorsForTest() { return g_screenColors; }

COLORREF DarkenColor(int amount, COLORREF c)
{
    return RGB(MulDiv(R(c), 255 - amount, 255), MulDiv(G(c), 255 - amount, 255),
               MulDiv(B(c), 255 - amount, 255));
}

COLORREF LightenColor(int amount, COLORREF c)
{
    return RGB(R(c) + MulDiv(255 - R(c), amount, 255), G(c) + MulDiv(255 - G(c), amount, 255),
               B(c) + MulDiv(255 - B(c), amount, 255));
}

COLORREF MixColors86To14(COLORREF a, COLORREF b)
{
    return RGB(Cap(MulDiv(86, R(a), 100) + MulDiv(14, R(b), 100)),
               Cap(MulDiv(86, G(a), 100) + MulDiv(14, G(b), 100)),
               Cap(MulDiv(86, B(a), 100) + MulDiv(14, B(b), 100)));
}

COLORREF MixColors70To30(COLORREF a, COLORREF b)
{
    return RGB(Cap(MulDiv(7, R(a), 10) + MulDiv(3, R(b), 10)),
               Cap(MulDiv(7, G(a), 10) + MulDiv(3, G(b), 10)),
               Cap(MulDiv(7, B(a), 10) + MulDiv(3, B(b), 10)));
}

COLORREF BlendColors(COLORREF base, COLORREF over, int weight)
{
    if (over == (COLORREF)-1) return (COLORREF)-1;
    auto ch = [weight](int b, int o) { return (b * (255 - weight) + o * weight) / 256; };
    return RGB(ch(R(base), R(over)), ch(G(base), G(over)), ch(B(base), B(over)));
}

COLORREF BluishShadowColor(COLORREF c)
{
    return RGB(MulDiv(R(c), 7, 10), MulDiv(G(c), 7, 10), MulDiv(B(c) + 55, 7, 10));
}

BOOL IsBrightColor(COLORREF c) { return R(c) + G(c) + B(c) > 384; }

static BOOL MenuBrushColor(HMENU menu, COLORREF* color)
{
    if (!menu || !IsMenu(menu)) return FALSE;
    MENUINFO mi;
    ZeroMemory(&mi, sizeof mi);
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    if (!GetMenuInfo(menu, &mi) || !mi.hbrBack) return FALSE;
    LOGBRUSH lb;
    if (GetObjectA(mi.hbrBack, sizeof lb, &lb) != sizeof lb) return FALSE;
    // Only a solid brush has one colour; the gradient bar brushes are pattern
    // brushes, whose lbColor means nothing.
    if (lb.lbStyle != BS_SOLID) return FALSE;
    *color = lb.lbColor;
    return TRUE;
}

static BOOL FlatMenusOn()
{
    BOOL flat = FALSE;
    return SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0) && flat == 1;
}

COLORREF GetMenuBackgroundColor(HMENU menu)
{
    COLORREF c;
    if (MenuBrushColor(menu, &c)) return c;
    if (GetWindowsVersionClass() == kOsClassXP && FlatMenusOn()) return GetSysColor(COLOR_MENUBAR);
    return GetSysColor(COLOR_MENU);
}

COLORREF GetMenuBarColor(HMENU menu)
{
    COLORREF c;
    if (MenuBrushColor(menu, &c)) return c;
    if (GetWindowsVersionClass() == kOsClassXP && (FlatMenusOn() || IsVisualThemeActive()))
        return GetSysColor(COLOR_MENUBAR);
    return GetDefaultMenuBarColor();
}

COLORREF GetDefaultMenuBarColor()
{
    return GetSysColor(IsPlainMenuSystem() ? COLOR_MENU : COLOR_BTNFACE);
}

COLORREF GetSelectionBackColor()
{
    if (IsHighContrast()) return GetSysColor(COLOR_HIGHLIGHT);
    if (GetScreenColorCount() <= 256) return GetSysColor(COLOR_WINDOW);
    COLORREF window = GetSysColor(COLOR_WINDOW), highlight = GetSysColor(COLOR_HIGHLIGHT);
    if (IsVisualThemeActive() || !IsBrightColor(highlight)) return MixColors70To30(window, highlight);
    return MixColors86To14(window, highlight);
}

int GetScreenColorCount()
{
    if (g_screenColors == 0) {
        CScreenDC dc;
        int n = dc.GetSafeHdc() ? GetDeviceCaps(dc, NUMCOLORS) : -1;
        g_screenColors = n == -1 ? 64000 : n;
    }
    return g_screenColors;
}

BOOL IsVisualThemeActive()
{
    PFN_IsThemeActive f = GetIsThemeActiveEntry();
    return f ? f() : FALSE;
}

BOOL IsDropShadowEnabled()
{
    BOOL on = FALSE;
    if (!SystemParametersInfoA(SPI_GETDROPSHADOW, 0, &on, 0)) return FALSE;
    return on;
}

COLORREF GetScreenNearestColor(COLORREF color)
{
    CScreenDC dc;
    if (!dc.GetSafeHdc()) return color;
    return GetNearestColor(dc, color);
}

// ---- UxTheme entries, each bound on first use
namespace {
struct UxEntry {
    HMODULE module = nullptr;
    FARPROC proc = nullptr;
    bool tried = false;
    FARPROC Get(const char* name)
    {
        if (!tried) {
            tried = true;
            module = LoadLibraryA("UxTheme.dll");
            if (module) proc = GetProcAddress(module, name);
        }
        return proc;
    }
    void Free()
    {
        if (module) FreeLibrary(module);
        module = nullptr;
        proc = nullptr;
        tried = false;
    }
};
UxEntry g_openTheme, g_closeTheme, g_themeColor;
} // namespace

void FreeUxThemeEntries()
{
    g_openTheme.Free();
    g_closeTheme.Free();
    g_themeColor.Free();
}

HANDLE SkinOpenThemeData(HWND wnd, LPCWSTR classes)
{
    typedef HANDLE(WINAPI * Fn)(HWND, LPCWSTR);
    Fn f = (Fn)g_openTheme.Get("OpenThemeData");
    return f ? f(wnd, classes) : nullptr;
}

HRESULT SkinCloseThemeData(HANDLE theme)
{
    typedef HRESULT(WINAPI * Fn)(HANDLE);
    Fn f = (Fn)g_closeTheme.Get("CloseThemeData");
    return f ? f(theme) : 0;
}

HRESULT SkinGetThemeColor(HANDLE theme, int part, int state, int prop, COLORREF* color)
{
    typedef HRESULT(WINAPI * Fn)(HANDLE, int, int, int, COLORREF*);
    Fn f = (Fn)g_themeColor.Get("GetThemeColor");
    return f ? f(theme, part, state, prop, color) : 1;
}

// ---- bar colours of the gradient draw modes
static COLORREF RemapBarColor(COLORREF c)
{
    switch (c) {
    case 0xccdcd6: return 0xaadada;
    case 0xe6e6e6: return 0xe5d7d7;
    case 0xf0c5ac: return 0xf5c2a3;
    default: return c;
    }
}

void GetThemeBarColors(BOOL light, COLORREF* bar, COLORREF* second)
{
    if (IsPlainMenuSystem()) {
        *bar = *second = GetSysColor(COLOR_MENU);
        return;
    }
    int mode = GetMenuDrawMode();
    COLORREF a = DarkenColor(10, GetSysColor(COLOR_WINDOW));
    COLORREF b = GetSysColor(COLOR_ACTIVECAPTION);
    if (mode == 10 || mode == 11) {
        COLORREF c = RemapBarColor(GetScreenNearestColor(MixColors70To30(a, b)));
        *bar = c;
        *second = LightenColor(110, c);
        return;
    }
    if (!IsVisualThemeActive()) {
        COLORREF face = GetSysColor(COLOR_BTNFACE);
        *bar = face;
        *second = BlendColors(face, GetSysColor(COLOR_WINDOW), 220);
        return;
    }
    COLORREF c;
    HANDLE theme = SkinOpenThemeData(nullptr, L"Window");
    if (theme) {
        COLORREF v = 0;
        if (SkinGetThemeColor(theme, 1, 1, 3821, &v) == 0 && v != (COLORREF)-1) b = v;
        if (SkinGetThemeColor(theme, 1, 1, 3805, &v) == 0 && v != (COLORREF)-1) a = v;
        SkinCloseThemeData(theme);
        if (b == 0x86b8aa) c = 0xaadada;
        else if (b == 0xbea3a4) c = 0xe5d7d7;
        else if (b == 0xe55400) c = 0xf5c2a3;
        else c = GetScreenNearestColor(MixColors70To30(a, b));
        if (light) {
            *bar = c;
            *second = LightenColor(110, c);
        } else {
            *second = LightenColor(200, c);
            *bar = DarkenColor(20, c);
        }
        return;
    }
    c = RemapBarColor(GetScreenNearestColor(MixColors70To30(a, b)));
    if (light) {
        *bar = c;
        *second = LightenColor(100, c);
    } else {
        *second = LightenColor(200, c);
        *bar = DarkenColor(20, c);
    }
}

COLORREF GetThemeBarBaseColor()
{
    COLORREF bar, second;
    GetThemeBarColors(TRUE, &bar, &second);
    return bar;
}

void GetThemeGradientColors(COLORREF* c1, COLORREF* c2, COLORREF* c3, COLORREF* c4)
{
    if (!IsVisualThemeActive()) {
        COLORREF x, y;
        GetThemeBarColors(FALSE, &x, &y);
        *c1 = y;
        *c2 = BlendColors(x, y, 100);
        *c3 = x;
        *c4 = DarkenColor(50, x);
        return;
    }
    COLORREF base = GetThemeBarBaseColor();
    switch (base) {
    case 0xaadada: *c1 = 0xdef7f4; *c2 = 0xacded1; *c3 = 0x91c6b7; *c4 = 0x588060; break;
    case 0xe5d7d7: *c1 = 0xfaf4f3; *c2 = 0xece2e1; *c3 = 0xb59799; *c4 = 0x947c7c; break;
    case 0xf5c2a3: *c1 = 0xfeecdd; *c2 = 0xf9dbc4; *c3 = 0xe2a981; *c4 = 0x9c613b; break;
    default:
        *c1 = LightenColor(140, base);
        *c2 = LightenColor(115, base);
        *c3 = DarkenColor(40, base);
        *c4 = DarkenColor(110, base);
    }
}
