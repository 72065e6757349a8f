// The four service threads as the server view starts and stops them: the
// reply dispatcher, the TCP listener, the registration consumer (which runs
// the reporting-database thread) and the auto set-time thread. C_HalvexView
// holds one; its first update calls StartServices after it has registered the
// controllers, and its shutdown calls StopServices after clearing its running
// flag.
#pragma once
#include "server/services/CommandListener.h"
#include "server/services/HalvexViewServices.h"
#include "server/services/ServiceBus.h"
#include "server/services/SetTimeThreads.h"
#include "server/services/TH_Consumer.h"
#include "server/services/TH_TCPDispatcher.h"

class CHalvexServices
{
public:
    CHalvexServices();
    ~CHalvexServices();

    // Dispatcher, ReceiveThread, consumer, AutoSetTimeThread. Each thread is
    // handed what it works with before it runs: the view, `bus` (the bus
    // layer as the threads read it) and, for the listener, `commands`.
    void StartServices(IHalvexView* view, IServiceBus* bus, ICommandTarget* commands, CHalvexViewSetTime* setTime);
    // In order: stop the consumer and wait for it, close the listening socket
    // and wait for the listener, stop the dispatcher and wait for it, then
    // wait for the set-time threads. Each wait goes through `wait`, which the
    // GUI thread makes a message-pumping wait.
    void StopServices(DWORD (*wait)(HANDLE*));

    DWORD DispatcherThreadId() const { return m_dispatcher.GetThreadId(); }
    DWORD ConsumerThreadId() const { return m_consumer.GetThreadId(); }
    // Asks the reporting-database thread (through the consumer, which runs
    // it) to disconnect and connect with the current settings.
    void ReconnectDatabase() const;
    // The TCP listener, set once ReceiveThread listens (port and event).
    const CCommandListener& Listener() const { return m_listener; }

private:
    CHalvexServices(const CHalvexServices&) = delete;
    CHalvexServices& operator=(const CHalvexServices&) = delete;

    // The dispatcher and the consumer delete their objects when their threads
    // end: the links wait on handles of their own and post by id.
    CThreadLink m_dispatcher;
    CCommandListener m_listener;  // served by ReceiveThread, which ends before it goes
    COwnedThread m_receiveThread;
    CThreadLink m_consumer;
    CHalvexViewSetTime* m_pSetTime;
};
