// The four service threads as the server view starts and stops them: the
// reply dispatcher, the TCP listener, the registration consumer (which runs
// the reporting-database thread) and the auto set-time thread. C_HalvexView
// holds one; its first update calls StartServices after it has registered the
// controllers, and its shutdown calls StopServices after clearing its running
// flag.
#pragma once
#include "server/services/HalvexViewServices.h"
#include "server/services/SetTimeThreads.h"
#include "server/services/TH_Consumer.h"
#include "server/services/TH_TCPDispatcher.h"

class CHalvexServices
{
public:
    CHalvexServices();
    ~CHalvexServices();

    // Dispatcher (suspended, auto-delete, resumed), ReceiveThread, consumer
    // (owner view set before it is resumed), AutoSetTimeThread.
    void StartServices(IHalvexView* view, CHalvexViewSetTime* setTime);
    // In order: stop the consumer and wait for it, close the listening socket
    // and wait for the listener, stop the dispatcher and wait for it, then
    // wait for the set-time threads. Each wait goes through `wait`, which the
    // GUI thread makes a message-pumping wait.
    void StopServices(DWORD (*wait)(HANDLE*));

    DWORD DispatcherThreadId() const { return m_dwDispatcherThreadId; }
    DWORD ConsumerThreadId() const { return m_dwConsumerThreadId; }
    // Asks the reporting-database thread (through the consumer, which runs
    // it) to disconnect and connect with the current settings.
    void ReconnectDatabase() const;

    CTH_TCPDispatcher* m_pTCPDispatcher; // auto-deleting: valid while it runs
    HANDLE m_hReceiveThread;
    DWORD m_dwReceiveThreadId;
    CTH_Consumer* m_pConsumer;           // auto-deleting: valid while it runs

private:
    CHalvexServices(const CHalvexServices&) = delete;
    CHalvexServices& operator=(const CHalvexServices&) = delete;

    // The thread objects delete themselves when their threads end: the waits
    // use handles of their own, taken before the threads are resumed.
    HANDLE m_hDispatcher;
    HANDLE m_hConsumer;
    DWORD m_dwDispatcherThreadId;
    DWORD m_dwConsumerThreadId;
    CHalvexViewSetTime* m_pSetTime;
};
