#include "server/services/SetTimeThreads.h"
#include <objbase.h>
#include <stdio.h>

CHalvexViewSetTime::CHalvexViewSetTime(IHalvexView& view, QueueSetTimeFn queueSetTime)
    : m_view(view), m_queueSetTime(queueSetTime), m_workerRunning(0), m_stopped(0), m_worker(NULL), m_workerId(0), m_auto(NULL),
      m_autoId(0)
{
    InitializeCriticalSection(&m_lock);
}

CHalvexViewSetTime::~CHalvexViewSetTime()
{
    if (m_worker != NULL)
        CloseHandle(m_worker);
    if (m_auto != NULL)
        CloseHandle(m_auto);
    DeleteCriticalSection(&m_lock);
}

BOOL CHalvexViewSetTime::StartSetTimeWorker()
{
    // The flag is claimed here, by the starter, so that the operator's command
    // and the auto thread cannot both start a worker.
    if (m_stopped || InterlockedCompareExchange(&m_workerRunning, 1, 0) != 0)
        return FALSE;
    EnterCriticalSection(&m_lock);
    if (m_worker != NULL)
        CloseHandle(m_worker); // the previous worker has ended
    m_worker = CreateThread(NULL, 0, SetTimeToAllThread, this, 0, &m_workerId);
    if (m_worker == NULL)
        InterlockedExchange(&m_workerRunning, 0);
    BOOL started = m_worker != NULL;
    LeaveCriticalSection(&m_lock);
    return started;
}

BOOL CHalvexViewSetTime::StartAutoSetTimeThread()
{
    if (m_auto != NULL)
        return FALSE;
    m_auto = CreateThread(NULL, 0, AutoSetTimeThread, this, 0, &m_autoId);
    return m_auto != NULL;
}

void CHalvexViewSetTime::Stop(DWORD (*wait)(HANDLE*))
{
    InterlockedExchange(&m_stopped, 1);
    InterlockedExchange(&m_workerRunning, 0); // a running worker ends at its next controller
    WaitForThreads(wait);
}

void CHalvexViewSetTime::WaitForThreads(DWORD (*wait)(HANDLE*))
{
    if (m_auto != NULL)
        wait(&m_auto);
    EnterCriticalSection(&m_lock);
    HANDLE worker = NULL;
    if (m_worker != NULL)
        DuplicateHandle(GetCurrentProcess(), m_worker, GetCurrentProcess(), &worker, 0, FALSE, DUPLICATE_SAME_ACCESS);
    LeaveCriticalSection(&m_lock);
    if (worker != NULL) {
        wait(&worker);
        CloseHandle(worker);
    }
}

DWORD WINAPI CHalvexViewSetTime::SetTimeToAllThread(LPVOID service)
{
    static_cast<CHalvexViewSetTime*>(service)->RunWorker();
    return 0;
}

DWORD WINAPI CHalvexViewSetTime::AutoSetTimeThread(LPVOID service)
{
    static_cast<CHalvexViewSetTime*>(service)->RunAuto();
    return 0;
}

void CHalvexViewSetTime::RunWorker()
{
    HRESULT com = CoInitialize(NULL);
    m_view.RefreshCommandStates();
    std::string timeSet = m_view.LoadResourceString(IDS_TIMESET);
    // Controllers are named by (port, id) and looked up at use: one removed
    // meanwhile is skipped by the bus, never touched after it is freed.
    for (const auto& controller : m_view.ControllersInTreeOrder()) {
        if (!m_view.IsRunning() || m_workerRunning == 0 || m_stopped)
            break;
        int port = controller.first, id = controller.second;
        int result = m_queueSetTime(port, id);
        if (!m_view.IsRunning() || m_workerRunning == 0 || m_stopped)
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
    InterlockedExchange(&m_workerRunning, 0);
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
    HRESULT com = CoInitialize(NULL);
    FILETIME lastRun;
    GetSystemTimeAsFileTime(&lastRun);
    while (m_view.IsRunning() && !m_stopped) {
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
