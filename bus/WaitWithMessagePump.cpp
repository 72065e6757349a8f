#include "bus/Registry.h"

DWORD WaitWithMessagePump(HANDLE* handle)
{
    bool quit = false;
    WPARAM quitCode = 0;
    DWORD result = WAIT_FAILED;
    for (;;) {
        result = MsgWaitForMultipleObjects(1, handle, FALSE, INFINITE, QS_ALLINPUT & 0xFF);
        if (result != WAIT_OBJECT_0 + 1)
            break;  // signalled, or the wait failed: waiting again would spin
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Kept for the caller's own loop, which must still see it.
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    return result;
}
