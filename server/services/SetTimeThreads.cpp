#include "server/services/SetTimeThreads.h"
#include <objbase.h>
#include <stdio.h>

CHalvexViewSetTime::CHalvexViewSetTime(IHalvexView& view, QueueSetTimeFn queueSetTime)
    : m_view(view), m_queueSetTime(queueSetTime), m_bWorkerRunning(false), m_bStopped(false), m_bAutoStarted(false)
{
}

CHalvexViewSetTime::~CHalvexViewSetTime()
{
    m_bStopped = true;
    m_bWorkerRunning = false;
}

BOOL CHalvexViewSetTime::StartSetTimeWorker()
{
    // The flag is claimed here, by the starter, so that the operator's command
    // and the auto thread cannot both start a worker.
    bool idle = false;
    if (m_bStopped || !m_bWorkerRunning.compare_exchange_strong(idle, true))
        return FALSE;
    CSingleLock lock(&m_lock, TRUE);
    // The previous worker has cleared the flag: it is past its last
    // controller, and this join only waits for its last steps.
    m_worker.Join();
    const BOOL started = m_worker.Start([this] { RunWorker(); });
    if (!started)
        m_bWorkerRunning = false;
    return started;
}

BOOL CHalvexViewSetTime::StartAutoSetTimeThread()
{
    if (m_bAutoStarted.exchange(true))
        return FALSE;
    return m_auto.Start([this] { RunAuto(); });
}

void CHalvexViewSetTime::Stop(DWORD (*wait)(HANDLE*))
{
    m_bStopped = true;
    m_bWorkerRunning = false; // a running worker ends at its next controller
    WaitForThreads(wait);
}

void CHalvexViewSetTime::WaitForThreads(DWORD (*wait)(HANDLE*))
{
    const AfxHandleWait callersWait = [wait](HANDLE h) { return wait(&h); };
    m_auto.Join(callersWait);
    // Waited for without the lock: a start meanwhile puts its own worker in place.
    COwnedThread worker;
    {
        CSingleLock lock(&m_lock, TRUE);
        worker = std::move(m_worker);
    }
    worker.Join(callersWait);
}

void CHalvexViewSetTime::RunWorker()
{
    HRESULT com = CoInitialize(nullptr);
    m_view.RefreshCommandStates();
    std::string timeSet = m_view.LoadResourceString(IDS_TIMESET);
    // Controllers are named by (port, id) and looked up at use: one removed
    // meanwhile is skipped by the bus, never touched after it is freed.
    for (const auto& controller : m_view.ControllersInTreeOrder()) {
        if (!m_view.IsRunning() || !m_bWorkerRunning || m_bStopped)
            break;
        int port = controller.first, id = controller.second;
        int result = m_queueSetTime(port, id);
        if (!m_view.IsRunning() || !m_bWorkerRunning || m_bStopped)
            break;
        char line[256];
        snprintf(line, sizeof(line), "%s CP:%d ID%d", timeSet.c_str(), port, id);
        if (result == 0) {
            m_view.AddLogMessage(line, 1);
            m_view.LogUserEvent(IDS_TIMESET, port, id, "");
        } else {
            m_view.AddLogMessage(line, 0);
        }
    }
    m_bWorkerRunning = false;
    if (m_view.IsRunning())
        m_view.RefreshCommandStates();
    if (SUCCEEDED(com))
        CoUninitialize();
}

bool CHalvexViewSetTime::IntervalPassed(const FILETIME& lastRun, const FILETIME& now, int intervalMinutes)
{
    ULARGE_INTEGER a, b;
    a.LowPart = lastRun.dwLowDateTime;
    a.HighPart = lastRun.dwHighDateTime;
    b.LowPart = now.dwLowDateTime;
    b.HighPart = now.dwHighDateTime;
    LONGLONG span = (LONGLONG)(b.QuadPart - a.QuadPart); // 100 ns units
    return span >= (LONGLONG)intervalMinutes * 60 * 10000000LL;
}

void CHalvexViewSetTime::RunAuto()
{
    HRESULT com = CoInitialize(nullptr);
    FILETIME lastRun;
    GetSystemTimeAsFileTime(&lastRun);
    while (m_view.IsRunning() && !m_bStopped) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        if (m_view.AutoSetTime() != 0) {
            if (IntervalPassed(lastRun, now, m_view.AutoSetTimeInterval())) {
                lastRun = now;
                StartSetTimeWorker();
            }
        } else {
            lastRun = now;
        }
        Sleep(1000);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
}
