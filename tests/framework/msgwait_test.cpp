// The pumped wait: the thread's messages are served while it waits, in
// passes that end at the messages queued when they began, so that a message
// re-posting itself neither keeps the wait from ending nor starves timers.
#include <gtest/gtest.h>
#include <atomic>
#include <functional>
#include <thread>
#include "framework/framework.h"

namespace {

const UINT WM_REPOST = WM_APP + 20;
const UINT WM_PING = WM_APP + 21;
const DWORD kGiveUpMs = 30000;  // reached only when the wait hangs

// A message-only window whose messages go to `handler`.
class Window {
public:
    std::function<bool(UINT, WPARAM, LPARAM)> handler;  // true: handled
    Window()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MsgWaitTestWindow";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Window()
    {
        DestroyWindow(hwnd);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ;  // nothing of a case reaches the next one
    }
    HWND hwnd;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        Window* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && self->handler && self->handler(message, wParam, lParam))
            return 0;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
};

// Sets `giveUp` and signals the awaited handle when the case has not
// finished in time, so that a wait that hangs ends as a failure instead of
// holding the test run.
class HangGuard {
public:
    std::atomic<bool> giveUp{false};
    explicit HangGuard(HANDLE awaited) : m_done(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        m_thread = std::thread([this, awaited] {
            if (WaitForSingleObject(m_done, kGiveUpMs) != WAIT_OBJECT_0) {
                giveUp = true;
                SetEvent(awaited);
            }
        });
    }
    ~HangGuard()
    {
        SetEvent(m_done);
        m_thread.join();
        CloseHandle(m_done);
    }

private:
    HANDLE m_done;
    std::thread m_thread;
};

struct Event {
    HANDLE h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~Event() { CloseHandle(h); }
};

}  // namespace

TEST(WaitWithMessagePump, AMessageThatRepostsItselfCannotKeepTheWaitFromEnding)
{
    Window window;
    Event done;
    HangGuard guard(done.h);
    int handled = 0;
    window.handler = [&](UINT message, WPARAM, LPARAM) {
        if (message != WM_REPOST)
            return false;
        if (++handled == 3)
            SetEvent(done.h);
        // Like a request that waits for a busy window: it comes again.
        if (!guard.giveUp)
            PostMessageA(window.hwnd, WM_REPOST, 0, 0);
        return true;
    };
    PostMessageA(window.hwnd, WM_REPOST, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, AfxWaitWithMessagePump(done.h));
    EXPECT_FALSE(guard.giveUp) << "the wait never looked at its handle again";
    EXPECT_GE(handled, 3);
    EXPECT_LE(handled, 4) << "the handle is looked at after each pass";
}

TEST(WaitWithMessagePump, MessagesPostedAndSentMeanwhileAreServedDuringTheWait)
{
    Window window;
    Event done, posted, sent;
    window.handler = [&](UINT message, WPARAM wParam, LPARAM) {
        if (message != WM_PING)
            return false;
        SetEvent(wParam ? sent.h : posted.h);
        return true;
    };
    bool servedInTime = false;
    std::thread worker([&] {
        PostMessageA(window.hwnd, WM_PING, 0, 0);
        DWORD_PTR result = 0;
        const bool send = SendMessageTimeoutA(window.hwnd, WM_PING, 1, 0, SMTO_NORMAL, kGiveUpMs, &result) != 0;
        servedInTime = send && WaitForSingleObject(posted.h, kGiveUpMs) == WAIT_OBJECT_0;
        SetEvent(done.h);
    });
    EXPECT_EQ(WAIT_OBJECT_0, AfxWaitWithMessagePump(done.h));
    worker.join();
    EXPECT_TRUE(servedInTime);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(sent.h, 0));
}

TEST(WaitWithMessagePump, TimersFireWhilePostedMessagesKeepComing)
{
    Window window;
    Event done;
    HangGuard guard(done.h);
    window.handler = [&](UINT message, WPARAM, LPARAM) {
        if (message == WM_TIMER) {
            SetEvent(done.h);
            return true;
        }
        if (message != WM_REPOST)
            return false;
        if (!guard.giveUp && WaitForSingleObject(done.h, 0) != WAIT_OBJECT_0)
            PostMessageA(window.hwnd, WM_REPOST, 0, 0);
        return true;
    };
    PostMessageA(window.hwnd, WM_REPOST, 0, 0);
    ASSERT_NE(0u, SetTimer(window.hwnd, 1, 10, nullptr));
    EXPECT_EQ(WAIT_OBJECT_0, AfxWaitWithMessagePump(done.h));
    KillTimer(window.hwnd, 1);
    EXPECT_FALSE(guard.giveUp) << "the timer never came through";
}

TEST(WaitWithMessagePump, QuitMetDuringTheWaitIsPostedAgainAndAFailedWaitReturns)
{
    Event done;
    PostQuitMessage(7);
    std::thread worker([&] {
        Sleep(50);
        SetEvent(done.h);
    });
    EXPECT_EQ(WAIT_OBJECT_0, AfxWaitWithMessagePump(done.h));
    worker.join();
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
    EXPECT_EQ(WAIT_FAILED, AfxWaitWithMessagePump(nullptr));
}

// The poll of a thread that works while it shows a window: what waits now
// is served once, a message that re-posts itself comes through once per
// poll instead of holding the poll, and a WM_QUIT stays for the caller's loop.
TEST(PumpPendingMessages, ServesWhatWaitsOnceAndKeepsTheQuit)
{
    Window window;
    const DWORD start = GetTickCount();
    int reposts = 0, pings = 0;
    window.handler = [&](UINT message, WPARAM, LPARAM) {
        if (message == WM_PING)
            ++pings;
        if (message != WM_REPOST)
            return message == WM_PING;
        ++reposts;
        // Stops coming after a while, so that a poll that never ends fails
        // instead of holding the run.
        if (GetTickCount() - start < 5000)
            PostMessageA(window.hwnd, WM_REPOST, 0, 0);
        return true;
    };
    PostMessageA(window.hwnd, WM_REPOST, 0, 0);
    PostMessageA(window.hwnd, WM_PING, 0, 0);
    PostQuitMessage(3);
    AfxPumpPendingMessages();
    EXPECT_EQ(1, pings);
    EXPECT_EQ(1, reposts) << "the poll went on with what came during it";
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
}
