// Asks a running Halvex to end through its own Exit command, as the operator
// would from the menu, so that it stops its threads in order and writes its
// settings back. Used by the demo's stop path; the close box would only hide
// the window. Exit code 0 when the request was posted, 1 when no server runs.
#include <windows.h>
#include <cstdio>
#include <cstring>

namespace {

const WPARAM ExitCommand = 0xE141; // the frame's standard Exit command

BOOL CALLBACK FindServerFrame(HWND wnd, LPARAM param)
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

int main()
{
    HWND frame = nullptr;
    EnumWindows(FindServerFrame, reinterpret_cast<LPARAM>(&frame));
    if (!frame) {
        std::fprintf(stderr, "post_exit: no Halvex window found\n");
        return 1;
    }
    PostMessageA(frame, WM_COMMAND, ExitCommand, 0);
    return 0;
}
