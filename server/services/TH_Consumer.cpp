#include "server/services/TH_Consumer.h"
#include "server/services/IniFile.h"
#include "server/services/ServiceMessages.h"
#include "server/services/TH_DatabaseBC.h"
#include <objbase.h>

namespace {
struct Locked {
    CRITICAL_SECTION& cs;
    explicit Locked(CRITICAL_SECTION& c) : cs(c) { EnterCriticalSection(&cs); }
    ~Locked() { LeaveCriticalSection(&cs); }
};
// Waits for one handle while dispatching this thread's messages; thread
// messages that arrive meanwhile have no window and are thereby discarded.
void PumpWhileWaiting(HANDLE handle)
{
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1)
            return; // signalled, or the handle is not valid
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

} // namespace

IMPLEMENT_DYNCREATE(CTH_Consumer, CWinThread)

BEGIN_MESSAGE_MAP(CTH_Consumer, CWinThread)
    ON_THREAD_MESSAGE(WM_BUS_REGISTRATION, OnRegistration)
    ON_THREAD_MESSAGE(WM_BUS_STATUS, OnStatus)
    ON_THREAD_MESSAGE(WM_BUS_EEPROM_READ, OnEEPROMRead)
    ON_THREAD_MESSAGE(WM_BUS_EEPROM_WRITE, OnEEPROMWrite)
    ON_THREAD_MESSAGE(WM_BUS_DIAGNOSTICS, OnDiagnostics)
    ON_THREAD_MESSAGE(WM_BUS_COMMAND_FAILED, OnCommandFailed)
    ON_THREAD_MESSAGE(WM_CONSUMER_DB_RECONNECT, OnReconnectDatabase)
    ON_THREAD_MESSAGE(WM_THREAD_STOP, OnStop)
END_MESSAGE_MAP()

CTH_Consumer::CTH_Consumer()
    : m_pOwnerView(nullptr), m_pDatabaseBC(nullptr), m_pDatabaseQueue(nullptr), m_hrCom(E_FAIL)
{
    // Ready before the thread runs: the handlers may be called directly.
    InitializeCriticalSection(&m_Lock);
}

CTH_Consumer::~CTH_Consumer()
{
    DeleteCriticalSection(&m_Lock);
}

BOOL CTH_Consumer::InitInstance()
{
    m_hrCom = CoInitialize(NULL);
    SYSTEMTIME now;
    GetLocalTime(&now);
    OpenFile(ApplicationFolder(), now);

    CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(CTH_DatabaseBC), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    m_pDatabaseBC = thread ? static_cast<CTH_DatabaseBC*>(thread) : nullptr;
    if (m_pDatabaseBC) {
        m_pDatabaseBC->m_bAutoDelete = TRUE;
        m_pDatabaseBC->m_pOwnerView = m_pOwnerView;
        m_pDatabaseQueue = &m_pDatabaseBC->Queue();
        m_pDatabaseBC->ResumeThread();
    }
    return TRUE;
}

int CTH_Consumer::ExitInstance()
{
    if (SUCCEEDED(m_hrCom))
        CoUninitialize();
    return CWinThread::ExitInstance();
}

bool CTH_Consumer::OpenFile(const std::string& folder, const SYSTEMTIME& now)
{
    m_strFileName = RegistrationFileName(folder, now);
    return m_RegFile.Open(m_strFileName);
}

void CTH_Consumer::PostToDispatcher(UINT message, WPARAM wParam, LPARAM lParam)
{
    ::PostThreadMessageA(m_pOwnerView->DispatcherThreadId(), message, wParam, lParam);
}

void CTH_Consumer::OnRegistration(WPARAM, LPARAM lParam)
{
    if (!m_pOwnerView || !m_pOwnerView->IsRunning() || !g_pServiceBus)
        return;
    RegistrationRecord record;
    if (!g_pServiceBus->ReadRegistration((int)lParam, record))
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    HandleRegistration((int)lParam, record, now);
}

void CTH_Consumer::HandleRegistration(int ringIndex, const RegistrationRecord& r, const SYSTEMTIME& now)
{
    if (!m_pOwnerView->IsRunning())
        return;
    Locked lock(m_Lock);
    PostToDispatcher(WM_TCP_REG2, r.port, ringIndex);
    m_pOwnerView->AddRegistration(ringIndex);
    if (!r.valid)
        return;
    // A copy: the database thread may get to it after the ring slot is reused.
    if (m_pOwnerView->UseBCDB() && m_pDatabaseQueue)
        m_pDatabaseQueue->Push(r);
    m_RegFile.WriteLine(
        RegistrationLine(r.rawData, r.mediaId, r.dateTimeText, r.port, r.deviceId, r.eventCodeText, now));
}

void CTH_Consumer::OnStatus(WPARAM wParam, LPARAM lParam)
{
    if (!m_pOwnerView || !m_pOwnerView->IsRunning())
        return;
    const int id = (int)lParam;
    StatusSnapshot status;
    if (g_pServiceBus)
        status = g_pServiceBus->CurrentStatus(id);
    HandleStatus((int)wParam, id, status);
}

void CTH_Consumer::HandleStatus(int port, int id, const StatusSnapshot& status)
{
    if (!m_pOwnerView->IsRunning())
        return;
    // The view drops the stored status when it has shown it, possibly before
    // the dispatcher answers: the answer is taken from this snapshot.
    PushStatusSnapshot(id, status);
    if (!::PostThreadMessageA(m_pOwnerView->DispatcherThreadId(), WM_TCP_STATUS_REPLY, port, id)) {
        StatusSnapshot unused;
        TakeStatusSnapshot(id, unused);
    }
    m_pOwnerView->UpdateControllerStatus(id, port);
}

void CTH_Consumer::OnEEPROMRead(WPARAM wParam, LPARAM lParam)
{
    if (!m_pOwnerView || !m_pOwnerView->IsRunning())
        return;
    Locked lock(m_Lock);
    PostToDispatcher(WM_TCP_READ_REPLY, wParam, lParam);
}

void CTH_Consumer::OnEEPROMWrite(WPARAM wParam, LPARAM lParam)
{
    if (!m_pOwnerView || !m_pOwnerView->IsRunning())
        return;
    Locked lock(m_Lock);
    PostToDispatcher(WM_TCP_WRITE_REPLY, wParam, lParam);
}

void CTH_Consumer::OnDiagnostics(WPARAM wParam, LPARAM lParam)
{
    if (!m_pOwnerView || !m_pOwnerView->IsRunning())
        return;
    m_pOwnerView->AddDiagnosticsLine((int)lParam, (int)wParam);
}

void CTH_Consumer::OnCommandFailed(WPARAM wParam, LPARAM lParam)
{
    if (!m_pOwnerView || !m_pOwnerView->IsRunning())
        return;
    Locked lock(m_Lock);
    PostToDispatcher(WM_TCP_FAILED_REPLY, wParam, lParam);
}

void CTH_Consumer::CloseFile()
{
    Locked lock(m_Lock);
    m_RegFile.Close();
}

void CTH_Consumer::OnReconnectDatabase(WPARAM wParam, LPARAM lParam)
{
    // Only this thread knows the database thread, and only while it runs.
    Locked lock(m_Lock);
    if (m_pDatabaseBC)
        ::PostThreadMessageA(m_pDatabaseBC->m_nThreadID, WM_DB_RECONNECT, wParam, lParam);
}

void CTH_Consumer::OnStop(WPARAM, LPARAM)
{
    Locked lock(m_Lock);
    m_RegFile.Close();
    if (m_pDatabaseBC) {
        // The database thread deletes its object when it ends: wait on a
        // handle of our own, taken before it is asked to stop.
        HANDLE handle = NULL;
        DuplicateHandle(GetCurrentProcess(), m_pDatabaseBC->m_hThread, GetCurrentProcess(), &handle, SYNCHRONIZE,
                        FALSE, 0);
        m_pDatabaseBC->Stop();
        m_pDatabaseBC = nullptr;
        m_pDatabaseQueue = nullptr;
        if (handle) {
            PumpWhileWaiting(handle);
            CloseHandle(handle);
        }
    }
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        ; // events still queued are discarded
    PostThreadMessage(WM_QUIT, 0, 0);
}
