#include "server/services/HalvexServices.h"
#include "server/services/ReceiveThread.h"
#include "server/services/ServiceMessages.h"

namespace {

// Asks a service thread to stop and waits for it through the caller's wait.
void StopAndJoin(CThreadLink& link, DWORD (*wait)(HANDLE*))
{
    if (!link.GetHandle())
        return;
    link.PostThreadMessage(WM_THREAD_STOP);
    link.Join([wait](HANDLE h) { return wait(&h); });
}

} // namespace

CHalvexServices::CHalvexServices() : m_pSetTime(nullptr) {}

// Normally StopServices has ended everything. A listener still running would
// serve a view that is going: it is closed and joined first.
CHalvexServices::~CHalvexServices()
{
    if (m_receiveThread.IsRunning())
        m_listener.Close();
}

void CHalvexServices::StartServices(IHalvexView* view, IServiceBus* bus, ICommandTarget* commands,
                                    CHalvexViewSetTime* setTime)
{
    m_pSetTime = setTime;
    m_dispatcher.Start<CTH_TCPDispatcher>([bus](CTH_TCPDispatcher* dispatcher) { dispatcher->m_pBus = bus; });
    m_receiveThread.Start([this, view, commands] { ReceiveThread(m_listener, view, commands); });
    m_consumer.Start<CTH_Consumer>([view, bus](CTH_Consumer* consumer) {
        consumer->m_pOwnerView = view;
        consumer->m_pBus = bus;
    });
    if (setTime)
        setTime->StartAutoSetTimeThread();
}

void CHalvexServices::StopServices(DWORD (*wait)(HANDLE*))
{
    StopAndJoin(m_consumer, wait);
    m_listener.Close();
    m_receiveThread.Join([wait](HANDLE h) { return wait(&h); });
    StopAndJoin(m_dispatcher, wait);
    if (m_pSetTime)
        m_pSetTime->WaitForThreads(wait);
}

void CHalvexServices::ReconnectDatabase() const
{
    const DWORD consumer = ConsumerThreadId();
    if (consumer != 0)
        ::PostThreadMessageA(consumer, WM_CONSUMER_DB_RECONNECT, 0, 0);
}
