// The view's set-time part (C_HalvexView owns one): the worker that queues a
// set-time on every controller of the tree, and the thread that starts it at
// an interval.
#pragma once
#include "server/services/HalvexViewServices.h"
#include "framework/ownedthread.h"
#include "framework/sync.h"
#include <atomic>

// Queues a set-time on the controller (port, id) if it still exists; the bus
// error code, 0 on success.
typedef int (*QueueSetTimeFn)(int port, int id);

const UINT IDS_TIMESET = 151; // "TimeSet"

class CHalvexViewSetTime
{
public:
    CHalvexViewSetTime(IHalvexView& view, QueueSetTimeFn queueSetTime);
    // Ends and joins both threads (normally Stop or the shutdown did).
    ~CHalvexViewSetTime();

    // Starts the worker unless one runs; safe from any thread. TRUE when started.
    BOOL StartSetTimeWorker();
    bool WorkerRunning() const { return m_bWorkerRunning; }
    // Starts the auto set-time thread (once).
    BOOL StartAutoSetTimeThread();
    // The shutdown's waits, after the view's running flag was cleared; each
    // wait goes through `wait` (the caller's message-pumping wait).
    void WaitForThreads(DWORD (*wait)(HANDLE*));
    // Ends both threads while the rest of the server still runs (the
    // shutdown stops them before it closes the ports they queue on) and
    // waits for them; no worker starts afterwards.
    void Stop(DWORD (*wait)(HANDLE*));

    // The auto thread's test on each tick: true when a run is due.
    static bool IntervalPassed(const FILETIME& lastRun, const FILETIME& now, int intervalMinutes);

private:
    void RunWorker();
    void RunAuto();

    IHalvexView& m_view;
    QueueSetTimeFn m_queueSetTime;
    std::atomic<bool> m_bWorkerRunning;
    std::atomic<bool> m_bStopped;
    std::atomic<bool> m_bAutoStarted;
    CCriticalSection m_lock; // guards m_worker
    COwnedThread m_worker;   // SetTimeToAll: queues a set-time on every controller
    COwnedThread m_auto;     // AutoSetTime: starts the worker at the interval
};
