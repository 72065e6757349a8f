#include "server/services/TH_DatabaseBC.h"
#include "server/services/AdoConnection.h"
#include "server/services/ServiceBus.h"
#include "server/services/ServiceMessages.h"
#include "server/services/TH_Consumer.h"

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

IMPLEMENT_DYNCREATE(CTH_DatabaseBC, CWorkerThread)

BEGIN_MESSAGE_MAP(CTH_DatabaseBC, CWorkerThread)
    ON_THREAD_MESSAGE(WM_DB_REGISTRATION, OnRegistration)
    ON_THREAD_MESSAGE(WM_DB_RECONNECT, OnReconnect)
    ON_THREAD_MESSAGE(WM_DB_RECONNECT_TICK, OnReconnectTick)
    ON_THREAD_MESSAGE(WM_DB_FLUSH_TICK, OnFlushTick)
END_MESSAGE_MAP()

CTH_DatabaseBC::CTH_DatabaseBC()
    : m_pOwnerView(nullptr), m_pBus(nullptr), m_bRun(false), m_hStopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

// Normally Stop has ended the tick threads already; they post to this
// thread's id and read this object, so they never outlive it.
CTH_DatabaseBC::~CTH_DatabaseBC()
{
    StopTicks();
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
    CWorkerThread::InitInstance();
    m_pConnection.reset(new CAdoConnection);
    m_pLink.reset(new CAdoReportingLink(*m_pConnection));

    ReportingHooks hooks;
    IHalvexView* view = m_pOwnerView;
    hooks.useDatabase = [view] { return view && view->UseBCDB(); };
    hooks.connectionString = [view] { return view ? view->ConnStr() : std::string(); };
    hooks.connected = [view](bool connected) { if (view) view->DatabaseConnected(connected); };
    hooks.log = [this](int image, UINT id) { PostLog(image, id); };
    hooks.bufferCount = [this](int rows) { PostBufferCount(rows); };
    IServiceBus* bus = m_pBus;
    hooks.rebuild = [bus](int port, int id, const char* raw, int year, BufferedRegistration& out) {
        return bus && bus->RebuildRegistration(port, id, raw, year, out);
    };
    const std::string buffer =
        m_settings.bufferPath.empty() ? ApplicationFolder() + "Buffer.sqlite" : m_settings.bufferPath;
    m_pForwarder.reset(new CReportingForwarder(*m_pLink, hooks, buffer));
    m_pForwarder->Start(); // opens the buffer, then connects

    CSingleLock lock(&m_startLock, TRUE);
    // A stop asked for while this thread was starting leaves the ticks off.
    if (WaitForSingleObject(m_hStopEvent, 0) == WAIT_TIMEOUT) {
        m_bRun = true;
        m_reconnectThread.Start([this] { TickLoop(WM_DB_RECONNECT_TICK); });
        Sleep(0);
        m_flushThread.Start([this] { TickLoop(WM_DB_FLUSH_TICK); });
        Sleep(0);
    }
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
    return CWorkerThread::ExitInstance();
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

void CTH_DatabaseBC::TickLoop(UINT tickMessage)
{
    for (unsigned tick = 0; m_bRun; ++tick) {
        if (tick % 30 == 0)
            ::PostThreadMessageA(m_nThreadID, tickMessage, 0, 0);
        WaitForSingleObject(m_hStopEvent, m_settings.tickMilliseconds);
    }
}

void CTH_DatabaseBC::StopTicks()
{
    {
        CSingleLock lock(&m_startLock, TRUE);
        m_bRun = false;
        SetEvent(m_hStopEvent);
    }
    // Once the event is set no tick thread starts any more: they are joined
    // without the lock.
    m_flushThread.Join();
    m_reconnectThread.Join();
}

void CTH_DatabaseBC::Stop()
{
    StopTicks();
    PostThreadMessage(WM_QUIT, 0, 0);
}
