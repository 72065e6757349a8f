// Asks a running Halvex to end through its own Exit command, as the operator
// would from the menu, so that it stops its threads in order and writes its
// settings back. Used by the demo's stop path; the close box would only hide
// the window. Exit code 0 when the request was posted, 1 when no server runs.
#include "server_frame.h"
#include <cstdio>

namespace {

const WPARAM ExitCommand = 0xE141; // the frame's standard Exit command

} // namespace

int main()
{
    HWND frame = FindServerFrame();
    if (!frame) {
        std::fprintf(stderr, "post_exit: no Halvex window found\n");
        return 1;
    }
    PostMessageA(frame, WM_COMMAND, ExitCommand, 0);
    return 0;
}
