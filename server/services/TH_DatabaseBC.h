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

class CTH_DatabaseBC : public CWinThread
{
    DECLARE_DYNCREATE(CTH_DatabaseBC)
public:
    CTH_DatabaseBC();
    ~CTH_DatabaseBC() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    // A worker without windows has no idle work; the GUI threads' idle
    // clean-up would create this thread's own handle maps, whose per-thread
    // destructors at thread exit leave the process heap locked under 64-bit
    // Wine.
    BOOL OnIdle(LONG) override { return FALSE; }

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

    static DWORD WINAPI ReconnectThread(LPVOID self);
    static DWORD WINAPI FlushThread(LPVOID self);

    IHalvexView* m_pOwnerView; // copied from the consumer before the thread runs

    HANDLE m_hReconnectThread;
    DWORD m_dwReconnectThreadId;
    HANDLE m_hFlushThread;
    DWORD m_dwFlushThreadId;
    std::atomic<bool> m_bRun;

    // Every thirtieth tick the reconnect and flush work runs. Tests shorten
    // the tick; the product keeps one second.
    static DWORD s_nTickMilliseconds;
    // The buffer file; empty means Buffer.sqlite in the application folder.
    static std::string s_strBufferPath;

private:
    static void TickLoop(CTH_DatabaseBC* self, UINT tickMessage);
    void PostLog(int image, UINT id) const;
    void PostBufferCount(int rows) const;
    void ForwardQueued();

    CRegistrationQueue m_queue;
    HANDLE m_hStopEvent; // wakes the tick threads at once
    CRITICAL_SECTION m_StartLock; // orders the tick threads' start against Stop
    HRESULT m_hrCom;
    std::unique_ptr<CAdoConnection> m_pConnection; // made and used on this thread only
    std::unique_ptr<IReportingLink> m_pLink;
    std::unique_ptr<CReportingForwarder> m_pForwarder;
    DECLARE_MESSAGE_MAP()
};
