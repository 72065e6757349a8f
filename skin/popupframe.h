// What the themes paint round a popup-menu window that they frame themselves:
// the screen under it, captured before the first frame painting, and the
// shadow computed from that capture.
#pragma once
#include <windows.h>

struct CMenuHookData;

// The popup's screen origin: the recorded position, or the window's own
// where none was recorded (a popup shown without a move).
POINT PopupScreenOrigin(HWND wnd, const CMenuHookData* data);
// Takes the screen under the window (its size plus 10 each way) unless the
// data holds a capture already.
void CapturePopupScreen(HWND wnd, CMenuHookData* data);
// The 4-pixel shadow right of and below the frame, darkened from the capture
// (two plain lines at 256 colours or fewer). Needs the capture.
void DrawPopupShadow(HWND wnd, HDC windowDC, const CMenuHookData* data);
