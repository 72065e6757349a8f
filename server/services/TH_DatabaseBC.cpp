#include "server/services/TH_DatabaseBC.h"
#include "server/services/AdoConnection.h"
#include "server/services/ServiceBus.h"
#include "server/services/ServiceMessages.h"
#include "server/services/TH_Consumer.h"
#include <objbase.h>

namespace {

// The reporting connection as the forwarder uses it: empty user and password.
class CAdoReportingLink : public IReportingLink
{
public:
    explicit CAdoReportingLink(CAdoConnection& connection) : m_connection(connection) {}
    bool Open(const std::string& connectionString) override
    {
        return m_connection.Open(connectionString.c_str(), "", "") != FALSE;
    }
    bool Execute(const std::string& sql) override { return m_connection.Execute(sql.c_str()) != FALSE; }
    void Close() override { m_connection.Close(); }

private:
    CAdoConnection& m_connection;
};

} // namespace

DWORD CTH_DatabaseBC::s_nTickMilliseconds = 1000;
std::string CTH_DatabaseBC::s_strBufferPath;

IMPLEMENT_DYNCREATE(CTH_DatabaseBC, CWinThread)

BEGIN_MESSAGE_MAP(CTH_DatabaseBC, CWinThread)
    ON_THREAD_MESSAGE(WM_DB_REGISTRATION, OnRegistration)
    ON_THREAD_MESSAGE(WM_DB_RECONNECT, OnReconnect)
    ON_THREAD_MESSAGE(WM_DB_RECONNECT_TICK, OnReconnectTick)
    ON_THREAD_MESSAGE(WM_DB_FLUSH_TICK, OnFlushTick)
END_MESSAGE_MAP()

CTH_DatabaseBC::CTH_DatabaseBC()
    : m_pOwnerView(nullptr), m_hReconnectThread(NULL), m_dwReconnectThreadId(0), m_hFlushThread(NULL),
      m_dwFlushThreadId(0), m_bRun(false), m_hStopEvent(CreateEventA(NULL, TRUE, FALSE, NULL)), m_hrCom(E_FAIL)
{
    InitializeCriticalSection(&m_StartLock);
}

CTH_DatabaseBC::~CTH_DatabaseBC()
{
    if (m_hReconnectThread)
        CloseHandle(m_hReconnectThread);
    if (m_hFlushThread)
        CloseHandle(m_hFlushThread);
    CloseHandle(m_hStopEvent);
    DeleteCriticalSection(&m_StartLock);
}

void CTH_DatabaseBC::PostLog(int image, UINT id) const
{
    if (m_pOwnerView && m_pOwnerView->GetSafeHwnd())
        ::PostMessageA(m_pOwnerView->GetSafeHwnd(), WM_LOG_STRING, (WPARAM)image, (LPARAM)id);
}

void CTH_DatabaseBC::PostBufferCount(int rows) const
{
    if (m_pOwnerView && m_pOwnerView->GetSafeHwnd())
        ::PostMessageA(m_pOwnerView->GetSafeHwnd(), WM_BUFFER_COUNT, 0, (LPARAM)rows);
}

BOOL CTH_DatabaseBC::InitInstance()
{
    m_queue.SetReader(m_nThreadID, WM_DB_REGISTRATION);
    m_hrCom = CoInitialize(NULL);
    m_pConnection.reset(new CAdoConnection);
    m_pLink.reset(new CAdoReportingLink(*m_pConnection));

    ReportingHooks hooks;
    IHalvexView* view = m_pOwnerView;
    hooks.useDatabase = [view] { return view && view->UseBCDB(); };
    hooks.connectionString = [view] { return view ? view->ConnStr() : std::string(); };
    hooks.log = [this](int image, UINT id) { PostLog(image, id); };
    hooks.bufferCount = [this](int rows) { PostBufferCount(rows); };
    hooks.rebuild = [](int port, int id, const char* raw, int year, BufferedRegistration& out) {
        return g_pServiceBus && g_pServiceBus->RebuildRegistration(port, id, raw, year, out);
    };
    std::string buffer = s_strBufferPath.empty() ? ApplicationFolder() + "Buffer.sqlite" : s_strBufferPath;
    m_pForwarder.reset(new CReportingForwarder(*m_pLink, hooks, buffer));
    m_pForwarder->Start(); // opens the buffer, then connects

    EnterCriticalSection(&m_StartLock);
    // A stop asked for while this thread was starting leaves the ticks off.
    if (WaitForSingleObject(m_hStopEvent, 0) == WAIT_TIMEOUT) {
        m_bRun = true;
        m_hReconnectThread = ::CreateThread(NULL, 0, ReconnectThread, this, 0, &m_dwReconnectThreadId);
        Sleep(0);
        m_hFlushThread = ::CreateThread(NULL, 0, FlushThread, this, 0, &m_dwFlushThreadId);
        Sleep(0);
    }
    LeaveCriticalSection(&m_StartLock);
    return TRUE;
}

int CTH_DatabaseBC::ExitInstance()
{
    ForwardQueued(); // whatever was handed on after the last wake-up
    if (m_pForwarder)
        m_pForwarder->Shutdown(); // disconnects and closes the buffer
    m_pForwarder.reset();
    m_pLink.reset();
    m_pConnection.reset();
    if (SUCCEEDED(m_hrCom))
        CoUninitialize();
    return CWinThread::ExitInstance();
}

void CTH_DatabaseBC::OnRegistration(WPARAM, LPARAM)
{
    ForwardQueued();
}

void CTH_DatabaseBC::ForwardQueued()
{
    BufferedRegistration record;
    while (m_pForwarder && m_queue.Pop(record))
        m_pForwarder->OnRegistration(record);
}

void CTH_DatabaseBC::OnReconnect(WPARAM, LPARAM)
{
    if (m_pForwarder)
        m_pForwarder->Connect();
}

void CTH_DatabaseBC::OnReconnectTick(WPARAM, LPARAM)
{
    if (m_pForwarder && m_bRun)
        m_pForwarder->Reconnect();
}

void CTH_DatabaseBC::OnFlushTick(WPARAM, LPARAM)
{
    // The run flag is read between rows: a stop ends the flush after the
    // row in hand, and the rest stays buffered.
    if (m_pForwarder && m_bRun)
        m_pForwarder->Flush(m_bRun);
}

void CTH_DatabaseBC::TickLoop(CTH_DatabaseBC* self, UINT tickMessage)
{
    for (unsigned tick = 0; self->m_bRun; ++tick) {
        if (tick % 30 == 0)
            ::PostThreadMessageA(self->m_nThreadID, tickMessage, 0, 0);
        WaitForSingleObject(self->m_hStopEvent, s_nTickMilliseconds);
    }
}

DWORD WINAPI CTH_DatabaseBC::ReconnectThread(LPVOID self)
{
    TickLoop(static_cast<CTH_DatabaseBC*>(self), WM_DB_RECONNECT_TICK);
    return 0;
}

DWORD WINAPI CTH_DatabaseBC::FlushThread(LPVOID self)
{
    TickLoop(static_cast<CTH_DatabaseBC*>(self), WM_DB_FLUSH_TICK);
    return 0;
}

void CTH_DatabaseBC::Stop()
{
    EnterCriticalSection(&m_StartLock);
    m_bRun = false;
    SetEvent(m_hStopEvent);
    HANDLE flush = m_hFlushThread, reconnect = m_hReconnectThread;
    LeaveCriticalSection(&m_StartLock);
    if (flush)
        WaitForSingleObject(flush, INFINITE);
    if (reconnect)
        WaitForSingleObject(reconnect, INFINITE);
    PostThreadMessage(WM_QUIT, 0, 0);
}
