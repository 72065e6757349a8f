// The reporting-database forwarding thread: sends every valid registration to
// the reporting database through ADO and, while that cannot be reached, keeps
// it in the local buffer Buffer.sqlite. Its reconnect and flush threads only
// keep time: they post a tick to this thread, which does all ADO and buffer
// work itself, in its own COM apartment, so nothing is shared between threads.
#pragma once
#include "framework/framework.h"
#include "server/services/HalvexViewServices.h"
#include "server/services/RegistrationQueue.h"
#include "server/services/ReportingForwarder.h"
#include "server/services/ServiceBus.h"
#include <atomic>
#include <memory>
#include <string>

class CAdoConnection;

// How the reporting-database thread keeps time and where it buffers; the
// product keeps the defaults, tests shorten the tick and buffer in a folder
// of their own.
struct DatabaseThreadSettings {
    // Every thirtieth tick the reconnect and flush work runs.
    DWORD tickMilliseconds = 1000;
    // The buffer file; empty means Buffer.sqlite in the application folder.
    std::string bufferPath;
};

class CTH_DatabaseBC : public CWorkerThread
{
    DECLARE_DYNCREATE(CTH_DatabaseBC)
public:
    CTH_DatabaseBC();
    ~CTH_DatabaseBC() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Valid registrations to forward, copied by the consumer; any thread may
    // push, this thread takes them when WM_DB_REGISTRATION wakes it.
    CRegistrationQueue& Queue() { return m_queue; }

    void OnRegistration(WPARAM, LPARAM);
    void OnReconnect(WPARAM, LPARAM);
    void OnReconnectTick(WPARAM, LPARAM);
    void OnFlushTick(WPARAM, LPARAM);

    // Called on another thread (the consumer's): ends the tick threads, waits
    // for them, and asks this thread to quit; the connection is closed and the
    // buffer kept when the thread ends. Queued registrations are still sent or
    // buffered.
    void Stop();

    // Copied from the consumer before the thread runs.
    IHalvexView* m_pOwnerView;
    IServiceBus* m_pBus; // rebuilds buffered registrations; null: none is rebuilt
    DatabaseThreadSettings m_settings;

    COwnedThread m_reconnectThread;
    COwnedThread m_flushThread;
    std::atomic<bool> m_bRun;

private:
    void TickLoop(UINT tickMessage);
    // Ends the tick threads and waits for them (they never wait for this one).
    void StopTicks();
    void PostLog(int image, UINT id) const;
    void PostBufferCount(int rows) const;
    void ForwardQueued();

    CRegistrationQueue m_queue;
    COwnedHandle m_hStopEvent; // wakes the tick threads at once
    CCriticalSection m_startLock; // orders the tick threads' start against Stop
    std::unique_ptr<CAdoConnection> m_pConnection; // made and used on this thread only
    std::unique_ptr<IReportingLink> m_pLink;
    std::unique_ptr<CReportingForwarder> m_pForwarder;
    DECLARE_MESSAGE_MAP()
};
