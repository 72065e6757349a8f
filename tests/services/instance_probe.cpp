// A stand-in server start for the single-instance tests, run as a separate
// process:
//   instance_probe first NAME READY   holds the mutex, publishes a hidden,
//                                     minimised window, serves it until closed
//   instance_probe hold NAME READY GO holds the mutex only, until GO is set
//   instance_probe second NAME        exits 2 when it activated a running
//                                     instance, 3 when only the mutex exists,
//                                     0 when it would start
//   instance_probe race NAME READY GO DONE
//                                     sets READY, takes the mutex the moment
//                                     GO is set, then sets READY-tried and
//                                     keeps it until DONE is set; exits 0
//                                     when it got it, 3 when not
#include "server/services/SingleInstance.h"
#include <string>

static LRESULT CALLBACK ProbeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return 100;
    std::string mode = argv[1], name = argv[2], mutexName = name + "-mutex";
    if (mode == "second") {
        CSingleInstance guard(name.c_str());
        if (guard.PreviousInstanceRunning() && guard.ActivatePrevious() != NULL)
            return 2;
        return AcquireInstanceMutex(mutexName.c_str()) ? 0 : 3;
    }
    if (mode == "race") {
        if (argc < 6)
            return 100;
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
        HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
        HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, argv[5]);
        HANDLE tried = OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(argv[3]) + "-tried").c_str());
        if (!ready || !go || !done || !tried)
            return 13;
        // Every racer waits at the same gate, so the calls meet.
        SetEvent(ready);
        WaitForSingleObject(go, 120000);
        const BOOL acquired = AcquireInstanceMutex(mutexName.c_str());
        SetEvent(tried);
        WaitForSingleObject(done, 120000);
        return acquired ? 0 : 3;
    }
    if (argc < 4)
        return 100;
    if (!AcquireInstanceMutex(mutexName.c_str()))
        return 10;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    if (mode == "hold") {
        HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, argc > 4 ? argv[4] : "");
        SetEvent(ready);
        WaitForSingleObject(go, 120000);
        return 0;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ProbeWindowProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "InstanceProbe";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "InstanceProbe", "Instance probe", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200,
                                  NULL, NULL, wc.hInstance, NULL);
    if (window == NULL)
        return 12;
    // Like the server living in the notification area: minimised and hidden.
    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_HIDE);
    CSingleInstance guard(name.c_str());
    if (!guard.PublishMainWindow(window))
        return 11;
    SetTimer(window, 1, 120000, NULL); // never outlive a failed test
    SetEvent(ready);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER)
            DestroyWindow(window);
        DispatchMessageA(&msg);
    }
    return 0;
}
