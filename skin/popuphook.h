// Skinning of the system's popup-menu windows (class "#32768"): the thread hook
// subclasses each one that shows a CSkinMenu and releases it when it closes.
#pragma once
#include "framework/framework.h"
#include <windows.h>
#include <memory>

// The system's window class of popup menus, and the message it gets when
// it is shown again for another menu (no name in the system headers).
const char kPopupMenuWindowClass[] = "#32768";
const UINT kMsgPopupMenuShownAgain = 0x1E2;

// Per-window data of a subclassed popup window.
struct CMenuHookData {
    DWORD savedStyle = 0;
    DWORD savedExStyle = 0;
    POINT position = {0, 0};      // screen origin recorded at the first move
    DWORD state = 0;              // kShownAlready, kStylesChanged, kPrinting
    BOOL framePainted = FALSE;
    HMENU menu = nullptr;
    CBitmap capture;              // screen under the window; empty until captured
    CRgn updateRegion;            // the first WM_NCPAINT's update region; empty = none
    BOOL handled = TRUE;
    WNDPROC previousProc = nullptr;   // also kept here should the property go missing

    enum { kShownAlready = 1, kStylesChanged = 2, kPrinting = 8 };
};

// Skins a popup-menu window that shows a CSkinMenu. The window's own menu
// (MN_GETHMENU, or the menu it was created for) wins over the announced
// menu being opened; the announcement serves only a window that cannot tell.
BOOL SubclassPopupMenuWindow(HWND wnd, BOOL shownAlready, HMENU createdFor = nullptr);
void ReleasePopupMenuWindow(HWND wnd);
LRESULT CALLBACK PopupMenuWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The data of a subclassed popup window, or null.
CMenuHookData* GetMenuHookData(HWND wnd);
int GetSubclassedPopupCount();
// Message position of the last key message a popup saw, or of the last paint
// of a grayed item under the mouse (the painters tell keyboard from mouse by it).
DWORD GetLastKeyMessagePos();
void SetLastKeyMessagePos(DWORD pos);
