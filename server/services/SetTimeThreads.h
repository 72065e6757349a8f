// The view's set-time part (C_HalvexView owns one): the worker that queues a
// set-time on every controller of the tree, and the thread that starts it at
// an interval.
#pragma once
#include "server/services/HalvexViewServices.h"

// Queues a set-time on the controller (port, id) if it still exists; the bus
// error code, 0 on success.
typedef int (*QueueSetTimeFn)(int port, int id);

const UINT IDS_TIMESET = 151; // "TimeSet"

class CHalvexViewSetTime
{
public:
    CHalvexViewSetTime(IHalvexView& view, QueueSetTimeFn queueSetTime);
    ~CHalvexViewSetTime();

    // Starts the worker unless one runs; safe from any thread. TRUE when started.
    BOOL StartSetTimeWorker();
    bool WorkerRunning() const { return m_workerRunning != 0; }
    // Starts the auto set-time thread (once).
    BOOL StartAutoSetTimeThread();
    // The shutdown's waits, after the view's running flag was cleared; each
    // wait goes through `wait` (the caller's message-pumping wait).
    void WaitForThreads(DWORD (*wait)(HANDLE*));
    // Ends both threads while the rest of the server still runs (the
    // shutdown stops them before it closes the ports they queue on) and
    // waits for them; no worker starts afterwards.
    void Stop(DWORD (*wait)(HANDLE*));

    // The two thread bodies.
    static DWORD WINAPI SetTimeToAllThread(LPVOID service);
    static DWORD WINAPI AutoSetTimeThread(LPVOID service);

    // The auto thread's test on each tick: true when a run is due.
    static bool IntervalPassed(const FILETIME& lastRun, const FILETIME& now, int intervalMinutes);

private:
    void RunWorker();
    void RunAuto();

    IHalvexView& m_view;
    QueueSetTimeFn m_queueSetTime;
    volatile LONG m_workerRunning;
    volatile LONG m_stopped;
    CRITICAL_SECTION m_lock; // guards the worker handle
    HANDLE m_worker;
    DWORD m_workerId;
    HANDLE m_auto;
    DWORD m_autoId;
};
