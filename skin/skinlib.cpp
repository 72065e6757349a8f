#include "skin/skinlib.h"
#include "skin/menutheme.h"
#include "skin/popuphook.h"
#include "skin/testhooks.h"
#include "framework/framework.h"
#include <vector>

// Defined with the theme classes: the theme object of one draw mode id.
CMenuTheme* CreateMenuTheme(int id);
// Defined with the drawing helpers / icon stores.
void SkinOverrideScreenColorsForTest(int colors);
int SkinReadScreenColorsForTest();
void FreeUxThemeEntries();
void DeleteIconStoreList();

namespace {

struct LibraryState {
    int versionClass = 0;
    bool remote = false;
    bool wine = false;
    bool highContrast = false;
    HMODULE uxtheme = nullptr;
    PFN_IsThemeActive isThemeActive = nullptr;
    HMODULE msimg = nullptr;
    PFN_GradientFill gradientFill = nullptr;
    PFN_GradientFill gradientFillFound = nullptr;   // kept for the test switch
    std::vector<CMenuTheme*>* themes = nullptr;
    CMenuTheme* current = nullptr;
    HHOOK hook = nullptr;
    int selectDisabled = 1;
    int useShadedIcons = 1;
    int iconShadeAmount = 50;
    int handleAllMenus = 1;
    int showAccelerators = 1;
};

LibraryState& State()
{
    static LibraryState s;
    return s;
}

// The class is stored before the start-up object runs, and both run before any
// object of the application (default priority).
struct VersionClassInit {
    VersionClassInit() { State().versionClass = QueryWindowsVersionClass(); }
};
VersionClassInit g_versionClassInit __attribute__((init_priority(1000)));

struct LibraryStartup {
    LibraryStartup() { InitMenuSkinLibrary(); }
    ~LibraryStartup() { ShutdownMenuSkinLibrary(); }
};
LibraryStartup g_libraryStartup __attribute__((init_priority(1001)));

} // namespace

int QueryWindowsVersionClass()
{
    DWORD v = GetVersion();
    OSVERSIONINFOA vi;
    ZeroMemory(&vi, sizeof vi);
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the size every system takes");
    vi.dwOSVersionInfoSize = sizeof vi;
    DWORD major = v & 0xFF, minor = (v >> 8) & 0xFF;
    if (GetVersionExA(&vi)) {
        major = vi.dwMajorVersion;
        minor = vi.dwMinorVersion;
    }
    if (v & 0x80000000u) {
        if (major < 4) return kOsClassWin32s;
        if (major == 4 && minor == 10) return kOsClassWin98;
        if (major == 4 && minor == 90) return kOsClassWinMe;
        return kOsClassWin95;
    }
    if (major < 4) return kOsClassNT3;
    if (major == 4) return kOsClassNT4;
    if (major == 5 && minor == 0) return kOsClassWin2000;
    return kOsClassXP;
}

int GetWindowsVersionClass() { return State().versionClass; }
BOOL IsNewShellSystem() { return State().versionClass > kOsClassNT3; }
BOOL IsPlainMenuSystem() { return State().versionClass == kOsClassWin95 || State().versionClass == kOsClassNT4; }
BOOL IsRemoteSession() { return State().remote; }
BOOL IsRunningUnderWine() { return State().wine; }
BOOL IsHighContrast() { return State().highContrast; }
PFN_IsThemeActive GetIsThemeActiveEntry() { return State().isThemeActive; }
PFN_GradientFill GetGradientFillEntry() { return State().gradientFill; }
HHOOK GetMenuHookHandle() { return State().hook; }

static HMENU g_menuBeingOpened = nullptr;
static ULONG_PTR g_hotMenuBarItem = 0;

HMENU GetMenuBeingOpened() { return g_menuBeingOpened; }
void SetMenuBeingOpened(HMENU menu) { g_menuBeingOpened = menu; }
ULONG_PTR GetHotMenuBarItem() { return g_hotMenuBarItem; }
void SetHotMenuBarItem(ULONG_PTR data) { g_hotMenuBarItem = data; }

LRESULT CALLBACK MenuCallWndProcHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* cwp = (const CWPSTRUCT*)lParam;
    if (code == HC_ACTION && cwp && cwp->message == WM_CREATE) {
        // The system creates a popup-menu window for its menu: Wine passes
        // that menu as the creation parameter.
        const CREATESTRUCTA* cs = (const CREATESTRUCTA*)cwp->lParam;
        HMENU createdFor = cs && ::IsMenu((HMENU)cs->lpCreateParams) ? (HMENU)cs->lpCreateParams : nullptr;
        SubclassPopupMenuWindow(cwp->hwnd, FALSE, createdFor);
    } else if (code == HC_ACTION && cwp && cwp->message == kMsgPopupMenuShownAgain) {
        SubclassPopupMenuWindow(cwp->hwnd, TRUE);
    }
    return CallNextHookEx(State().hook, code, wParam, lParam);
}

void InitMenuSkinLibrary()
{
    LibraryState& s = State();
    if (s.versionClass > kOsClassNT4 && GetSystemMetrics(SM_REMOTESESSION))
        s.remote = true;

    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    s.wine = kernel && GetProcAddress(kernel, "wine_get_unix_file_name");

    HIGHCONTRASTA hc;
    ZeroMemory(&hc, sizeof hc);
    hc.cbSize = sizeof hc;
    if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, hc.cbSize, &hc, 0))
        s.highContrast = (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;

    s.uxtheme = LoadLibraryA("uxtheme.dll");
    if (s.uxtheme)
        s.isThemeActive = (PFN_IsThemeActive)GetProcAddress(s.uxtheme, "IsThemeActive");
    s.msimg = LoadLibraryA("Msimg32.dll");
    if (s.msimg && s.versionClass != kOsClassWin98)
        s.gradientFill = (PFN_GradientFill)GetProcAddress(s.msimg, "GradientFill");
    s.gradientFillFound = s.gradientFill;

    if (!s.themes) {
        s.themes = new std::vector<CMenuTheme*>;
        static const int order[] = {6, 7, 0, 1, 2, 3, 8, 9, 10, 11, 4, 5};
        for (int id : order)
            s.themes->push_back(CreateMenuTheme(id));
    }
    for (CMenuTheme* t : *s.themes)
        if (t->m_nID == 2) s.current = t;

    if (!s.hook) {
        s.hook = SetWindowsHookExA(WH_CALLWNDPROC, MenuCallWndProcHook, nullptr, GetCurrentThreadId());
        if (!s.hook) AfxThrowMemoryException();
    }
}

void ShutdownMenuSkinLibrary()
{
    LibraryState& s = State();
    if (s.hook) UnhookWindowsHookEx(s.hook);
    s.hook = nullptr;
    if (s.themes) {
        for (CMenuTheme* t : *s.themes) delete t;
        delete s.themes;
        s.themes = nullptr;
    }
    s.current = nullptr;
    s.isThemeActive = nullptr;
    s.gradientFill = s.gradientFillFound = nullptr;
    if (s.uxtheme) FreeLibrary(s.uxtheme);
    if (s.msimg) FreeLibrary(s.msimg);
    s.uxtheme = s.msimg = nullptr;
    FreeUxThemeEntries();
    DeleteIconStoreList();
}

int SetMenuDrawMode(int mode)
{
    LibraryState& s = State();
    // Wine draws no shadow behind popups for us: keep the system border.
    if (s.wine && mode >= 0 && mode <= 10 && mode % 2 == 0)
        ++mode;
    if (!s.themes) return -1;
    for (CMenuTheme* t : *s.themes) {
        if ((int)t->m_nID == mode) {
            int previous = s.current ? (int)s.current->m_nID : -1;
            s.current = t;
            return previous;
        }
    }
    return -1;
}

int GetMenuDrawMode() { return State().current ? (int)State().current->m_nID : -1; }
CMenuTheme* GetCurrentMenuTheme() { return State().current; }

static int Exchange(int& field, int value)
{
    int previous = field;
    field = value;
    return previous;
}

int SetSelectDisabledItems(int value) { return Exchange(State().selectDisabled, value); }
int GetSelectDisabledItems() { return State().selectDisabled; }
int SetUseShadedIcons(int value) { return Exchange(State().useShadedIcons, value); }
int GetUseShadedIcons() { return State().useShadedIcons; }
int SetIconShadeAmount(int value) { return Exchange(State().iconShadeAmount, value); }
int GetIconShadeAmount() { return State().iconShadeAmount; }
int GetHandleAllMenus() { return State().handleAllMenus; }
int GetShowAccelerators() { return State().showAccelerators; }

SkinEnvironmentOverride SkinOverrideEnvironmentForTest(const SkinEnvironmentOverride& o)
{
    LibraryState& s = State();
    SkinEnvironmentOverride before;
    before.wine = s.wine;
    before.remoteSession = s.remote;
    before.highContrast = s.highContrast;
    before.screenColors = SkinReadScreenColorsForTest();
    before.versionClass = s.versionClass;
    if (o.wine >= 0) s.wine = o.wine != 0;
    if (o.remoteSession >= 0) s.remote = o.remoteSession != 0;
    if (o.highContrast >= 0) s.highContrast = o.highContrast != 0;
    if (o.screenColors >= 0) SkinOverrideScreenColorsForTest(o.screenColors);
    if (o.versionClass >= 0) s.versionClass = o.versionClass;
    return before;
}

void SkinUseGradientFillForTest(bool use)
{
    State().gradientFill = use ? State().gradientFillFound : nullptr;
}
