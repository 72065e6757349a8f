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
#include <atomic>
#include <memory>
#include <string>

class CAdoConnection;

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

    IHalvexView* m_pOwnerView; // copied from the consumer before the thread runs

    COwnedThread m_reconnectThread;
    COwnedThread m_flushThread;
    std::atomic<bool> m_bRun;

    // Every thirtieth tick the reconnect and flush work runs. Tests shorten
    // the tick; the product keeps one second.
    static DWORD s_nTickMilliseconds;
    // The buffer file; empty means Buffer.sqlite in the application folder.
    static std::string s_strBufferPath;

private:
    void TickLoop(UINT tickMessage);
    // Ends the tick threads and waits for them (they never wait for this one).
    void StopTicks();
    void PostLog(int image, UINT id) const;
    void PostBufferCount(int rows) const;
    void ForwardQueued();

    CRegistrationQueue m_queue;
    COwnedHandle m_hStopEvent; // wakes the tick threads at once
    CCriticalSection m_StartLock; // orders the tick threads' start against Stop
    std::unique_ptr<CAdoConnection> m_pConnection; // made and used on this thread only
    std::unique_ptr<IReportingLink> m_pLink;
    std::unique_ptr<CReportingForwarder> m_pForwarder;
    DECLARE_MESSAGE_MAP()
};
