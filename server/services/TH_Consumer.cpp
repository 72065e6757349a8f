#include "server/services/TH_Consumer.h"
#include "server/services/IniFile.h"
#include "server/services/ServiceMessages.h"

IMPLEMENT_DYNCREATE(CTH_Consumer, CWorkerThread)

BEGIN_MESSAGE_MAP(CTH_Consumer, CWorkerThread)
    ON_THREAD_MESSAGE(WM_BUS_REGISTRATION, OnRegistration)
    ON_THREAD_MESSAGE(WM_BUS_STATUS, OnStatus)
    ON_THREAD_MESSAGE(WM_BUS_EEPROM_READ, OnEEPROMRead)
    ON_THREAD_MESSAGE(WM_BUS_EEPROM_WRITE, OnEEPROMWrite)
    ON_THREAD_MESSAGE(WM_BUS_DIAGNOSTICS, OnDiagnostics)
    ON_THREAD_MESSAGE(WM_BUS_COMMAND_FAILED, OnCommandFailed)
    ON_THREAD_MESSAGE(WM_CONSUMER_DB_RECONNECT, OnReconnectDatabase)
    ON_THREAD_MESSAGE(WM_THREAD_STOP, OnStop)
END_MESSAGE_MAP()

// The lock is ready before the thread runs: the handlers may be called directly.
CTH_Consumer::CTH_Consumer()
    : m_pOwnerView(nullptr), m_pBus(nullptr), m_pDatabaseBC(nullptr), m_pDatabaseQueue(nullptr)
{
}

CTH_Consumer::~CTH_Consumer() {}

BOOL CTH_Consumer::InitInstance()
{
    CWorkerThread::InitInstance();
    SYSTEMTIME now;
    GetLocalTime(&now);
    OpenFile(ApplicationFolder(), now);

    m_pDatabaseBC = m_databaseLink.Start<CTH_DatabaseBC>([this](CTH_DatabaseBC* thread) {
        thread->m_pOwnerView = m_pOwnerView;
        thread->m_pBus = m_pBus;
        thread->m_settings = m_databaseSettings;
    });
    if (m_pDatabaseBC)
        m_pDatabaseQueue = &m_pDatabaseBC->Queue();
    return TRUE;
}

bool CTH_Consumer::OpenFile(const std::string& folder, const SYSTEMTIME& now)
{
    m_strFileName = RegistrationFileName(folder, now);
    return m_regFile.Open(m_strFileName);
}

void CTH_Consumer::PostToDispatcher(UINT message, WPARAM wParam, LPARAM lParam)
{
    ::PostThreadMessageA(m_pOwnerView->DispatcherThreadId(), message, wParam, lParam);
}

void CTH_Consumer::OnRegistration(WPARAM, LPARAM lParam)
{
    if (!m_pOwnerView || !m_pOwnerView->IsRunning() || !m_pBus)
        return;
    RegistrationRecord record;
    if (!m_pBus->ReadRegistration((int)lParam, record))
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    HandleRegistration((int)lParam, record, now);
}

void CTH_Consumer::HandleRegistration(int ringIndex, const RegistrationRecord& r, const SYSTEMTIME& now)
{
    if (!m_pOwnerView->IsRunning())
        return;
    CSingleLock lock(&m_lock, TRUE);
    PostToDispatcher(WM_TCP_REG2, r.port, ringIndex);
    m_pOwnerView->AddRegistration(ringIndex);
    if (!r.valid)
        return;
    // A copy: the database thread may get to it after the ring slot is reused.
    if (m_pOwnerView->UseBCDB() && m_pDatabaseQueue)
        m_pDatabaseQueue->Push(r);
    m_regFile.WriteLine(
        RegistrationLine(r.rawData, r.mediaId, r.dateTimeText, r.port, r.deviceId, r.eventCodeText, now));
}

void CTH_Consumer::OnStatus(WPARAM wParam, LPARAM lParam)
{
    if (!m_pOwnerView || !m_pOwnerView->IsRunning())
        return;
    const int id = (int)lParam;
    StatusSnapshot status;
    if (m_pBus)
        status = m_pBus->CurrentStatus(id);
    HandleStatus((int)wParam, id, status);
}

void CTH_Consumer::HandleStatus(int port, int id, const StatusSnapshot& status)
{
    if (!m_pOwnerView->IsRunning())
        return;
    // The view drops the stored status when it has shown it, possibly before
    // the dispatcher answers: the answer is taken from this snapshot.
    PendingRequests().PushStatusSnapshot(id, status);
    if (!::PostThreadMessageA(m_pOwnerView->DispatcherThreadId(), WM_TCP_STATUS_REPLY, port, id)) {
        StatusSnapshot unused;
        PendingRequests().TakeStatusSnapshot(id, unused);
    }
    m_pOwnerView->UpdateControllerStatus(id, port);
}

void CTH_Consumer::OnEEPROMRead(WPARAM wParam, LPARAM lParam)
{
    if (!m_pOwnerView || !m_pOwnerView->IsRunning())
        return;
    CSingleLock lock(&m_lock, TRUE);
    PostToDispatcher(WM_TCP_READ_REPLY, wParam, lParam);
}

void CTH_Consumer::OnEEPROMWrite(WPARAM wParam, LPARAM lParam)
{
    if (!m_pOwnerView || !m_pOwnerView->IsRunning())
        return;
    CSingleLock lock(&m_lock, TRUE);
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
    CSingleLock lock(&m_lock, TRUE);
    PostToDispatcher(WM_TCP_FAILED_REPLY, wParam, lParam);
}

void CTH_Consumer::CloseFile()
{
    CSingleLock lock(&m_lock, TRUE);
    m_regFile.Close();
}

void CTH_Consumer::OnReconnectDatabase(WPARAM wParam, LPARAM lParam)
{
    // Only this thread knows the database thread, and only while it runs.
    CSingleLock lock(&m_lock, TRUE);
    if (m_pDatabaseBC)
        ::PostThreadMessageA(m_pDatabaseBC->m_nThreadID, WM_DB_RECONNECT, wParam, lParam);
}

void CTH_Consumer::OnStop(WPARAM, LPARAM)
{
    CSingleLock lock(&m_lock, TRUE);
    m_regFile.Close();
    if (m_pDatabaseBC) {
        // The database thread deletes its object when it ends: the link's
        // own handle is waited on. Thread messages that arrive meanwhile have
        // no window and are thereby discarded.
        m_pDatabaseBC->Stop();
        m_pDatabaseBC = nullptr;
        m_pDatabaseQueue = nullptr;
        m_databaseLink.Join(AfxWaitWithMessagePump);
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ; // events still queued are discarded
    PostThreadMessage(WM_QUIT, 0, 0);
}
