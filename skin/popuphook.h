// Skinning of the system's popup-menu windows (class "#32768"): the thread hook
// subclasses each one that shows a CSkinMenu and releases it when it closes.
#pragma once
#include "framework/gdi.h"
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
    std::unique_ptr<CBitmap> capture;    // screen under the window; null until captured
    std::unique_ptr<CRgn> updateRegion;  // copy of the first WM_NCPAINT's region; null = none
    BOOL handled = TRUE;
    WNDPROC previousProc = nullptr;   // also kept here should the property go missing

    enum { kShownAlready = 1, kStylesChanged = 2, kPrinting = 8 };
};

BOOL SubclassPopupMenuWindow(HWND wnd, BOOL shownAlready);
void ReleasePopupMenuWindow(HWND wnd);
LRESULT CALLBACK PopupMenuWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The data of a subclassed popup window, or null.
CMenuHookData* GetMenuHookData(HWND wnd);
int GetSubclassedPopupCount();
// Screen position of the last key message a popup saw (read by the painters).
DWORD GetLastKeyMessagePos();
