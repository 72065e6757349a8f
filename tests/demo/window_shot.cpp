// Saves a PNG screenshot of the running server's main window, for a demo
// that runs headless. Waits up to 60 s for the window and its menu bar to
// be ready. Exit code 0 when the file was written.
//   window_shot PATH
#include "screen_png.h"
#include "server_frame.h"
#include "wait_until.h"
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_shot PATH\n");
        return 2;
    }
    HWND frame = nullptr;
    // Shown, and the menu bar has taken the menu at the first idle pass.
    const bool ready = WaitUntil([&] {
        frame = FindServerFrame();
        return frame && IsWindowVisible(frame) && GetMenu(frame) == nullptr;
    }, 60000, 200);
    if (!ready) {
        std::fprintf(stderr, "window_shot: no finished Halvex window found\n");
        return 1;
    }
    Sleep(1000); // the first paint
    RECT area;
    GetWindowRect(frame, &area);
    if (!SaveScreenPng(argv[1], area)) {
        std::fprintf(stderr, "window_shot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
