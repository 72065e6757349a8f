// Process-wide state of the skin library: what the system can do, the current
// draw mode (theme) and the switches the application sets once at start.
#pragma once
#include <windows.h>

class CMenuTheme;

// Operating-system classes, from GetVersion and GetVersionExA.
enum {
    kOsClassWin32s = 0,    // 16-bit Windows with the 32-bit extension
    kOsClassNT3 = 1,       // Windows NT before 4.0
    kOsClassWin95 = 2,     // Windows 95 (4.x but 4.10 and 4.90)
    kOsClassWin98 = 3,     // 4.10
    kOsClassWinMe = 4,     // 4.90
    kOsClassNT4 = 5,
    kOsClassWin2000 = 6,   // 5.0
    kOsClassXP = 7,        // 5.1 and later
};
int QueryWindowsVersionClass();
int GetWindowsVersionClass();       // the value stored at static initialisation
BOOL IsNewShellSystem();            // above kOsClassNT3
// Windows 95 and NT 4: menus in COLOR_MENU, no gradients.
BOOL IsPlainMenuSystem();

BOOL IsRemoteSession();
BOOL IsRunningUnderWine();
BOOL IsHighContrast();

int SetMenuDrawMode(int mode);      // previous mode id, or -1 for an unknown id
int GetMenuDrawMode();
CMenuTheme* GetCurrentMenuTheme();  // never null after start-up

int SetSelectDisabledItems(int value);
int GetSelectDisabledItems();
int SetUseShadedIcons(int value);
int GetUseShadedIcons();
int SetIconShadeAmount(int value);
int GetIconShadeAmount();
int GetHandleAllMenus();
int GetShowAccelerators();

// Optional entries of uxtheme.dll / Msimg32.dll found at start-up (may be null).
typedef BOOL(WINAPI* PFN_IsThemeActive)();
typedef BOOL(WINAPI* PFN_GradientFill)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
PFN_IsThemeActive GetIsThemeActiveEntry();
PFN_GradientFill GetGradientFillEntry();

// Popup-menu hook of the GUI thread (installed at start-up).
HHOOK GetMenuHookHandle();
LRESULT CALLBACK MenuCallWndProcHook(int code, WPARAM wParam, LPARAM lParam);

// The menu handed to the popup-window hook (consumed by every attempt to skin
// a popup window), and the menu-bar item data drawn hot by the library last.
HMENU GetMenuBeingOpened();
void SetMenuBeingOpened(HMENU menu);
ULONG_PTR GetHotMenuBarItem();
void SetHotMenuBarItem(ULONG_PTR data);

void InitMenuSkinLibrary();
void ShutdownMenuSkinLibrary();
