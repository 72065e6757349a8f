#include "server_frame.h"
#include <cstring>

namespace {

BOOL CALLBACK MatchServerFrame(HWND wnd, LPARAM param)
{
    char title[64] = "";
    GetWindowTextA(wnd, title, sizeof title);
    // The main frame can be minimised; a message box of the server with the
    // same title cannot.
    if (strcmp(title, "Halvex") == 0 && (GetWindowLongA(wnd, GWL_STYLE) & WS_MINIMIZEBOX)) {
        *reinterpret_cast<HWND*>(param) = wnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindServerFrame()
{
    HWND frame = nullptr;
    EnumWindows(MatchServerFrame, reinterpret_cast<LPARAM>(&frame));
    return frame;
}
