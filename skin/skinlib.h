// Process-wide state of the skin library: what the system can do, the current
// draw mode (theme) and the switches the application sets once at start.
#pragma once
#include <windows.h>

class CMenuTheme;

// Operating-system class 0-7 (see QueryWindowsVersionClass).
int QueryWindowsVersionClass();
int GetWindowsVersionClass();       // the value stored at static initialisation
BOOL IsNewShellSystem();

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

void InitMenuSkinLibrary();
void ShutdownMenuSkinLibrary();
