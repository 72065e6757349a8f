#include "framework/msgwait.h"

namespace {

// Posted behind everything already queued when a pass begins: whatever the
// pass meets after it arrived during the pass. Any pass ends at the first one
// it meets, also one of an outer wait whose dispatched message waits again.
const UINT PassEnd = RegisterWindowMessageA("Framework.WaitWithMessagePump.PassEnd");

// Input, paint and timer messages dispatched per pass at most: a window that
// never validates its area must not make the pass endless.
const int LowPriorityPerPass = 64;

struct Quit {
    bool seen = false;
    WPARAM code = 0;
};

// Seen first by a poll's caller; the waits have none.
typedef std::function<bool(MSG&)> PreTranslate;

void Dispatch(MSG& msg, Quit& quit, const PreTranslate& preTranslate)
{
    if (msg.message == WM_QUIT) {
        quit.seen = true;
        quit.code = msg.wParam;
        return;
    }
    if (preTranslate && preTranslate(msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void RunPass(Quit& quit, const PreTranslate& preTranslate)
{
    MSG msg;
    const bool marked = PostThreadMessageA(GetCurrentThreadId(), PassEnd, 0, 0) != FALSE;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.hwnd == nullptr && msg.message == PassEnd)
            break;
        Dispatch(msg, quit, preTranslate);
        if (!marked)
            break;  // a full queue took no marker: one message, then the handle
    }
    // The system gives input, paint and timer messages only while no posted
    // message waits; take those due now, or they would wait for the end.
    for (int i = 0; i < LowPriorityPerPass; ++i) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT | PM_QS_PAINT))
            break;
        Dispatch(msg, quit, preTranslate);
    }
    for (int i = 0; i < LowPriorityPerPass; ++i) {
        if (!PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))
            break;
        Dispatch(msg, quit, preTranslate);
    }
}

}  // namespace

DWORD AfxWaitWithMessagePump(HANDLE handle)
{
    Quit quit;
    DWORD result;
    for (;;) {
        // MWMO_INPUTAVAILABLE: messages a pass left in the queue wake the wait
        // at once; the handle comes first when both are ready.
        result = MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result != WAIT_OBJECT_0 + 1)
            break;  // signalled, or the wait failed: waiting again would spin
        RunPass(quit, nullptr);
    }
    if (quit.seen)
        PostQuitMessage(static_cast<int>(quit.code));
    return result;
}

void AfxPumpPendingMessages(const std::function<bool(MSG&)>& preTranslate)
{
    Quit quit;
    RunPass(quit, preTranslate);
    if (quit.seen)
        PostQuitMessage(static_cast<int>(quit.code));
}
