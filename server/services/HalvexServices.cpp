#include "server/services/HalvexServices.h"
#include "server/services/ReceiveThread.h"
#include "server/services/ServiceMessages.h"

namespace {

HANDLE OwnHandle(CWinThread* thread)
{
    HANDLE handle = NULL;
    DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &handle, SYNCHRONIZE, FALSE, 0);
    return handle;
}

void WaitAndClose(HANDLE& handle, DWORD (*wait)(HANDLE*))
{
    if (handle == NULL)
        return;
    wait(&handle);
    CloseHandle(handle);
    handle = NULL;
}

} // namespace

CHalvexServices::CHalvexServices()
    : m_pTCPDispatcher(nullptr), m_hReceiveThread(NULL), m_dwReceiveThreadId(0), m_pConsumer(nullptr),
      m_hDispatcher(NULL), m_hConsumer(NULL), m_dwDispatcherThreadId(0), m_dwConsumerThreadId(0), m_pSetTime(nullptr)
{
}

CHalvexServices::~CHalvexServices()
{
    for (HANDLE h : { m_hReceiveThread, m_hDispatcher, m_hConsumer })
        if (h != NULL)
            CloseHandle(h);
}

void CHalvexServices::StartServices(IHalvexView* view, CHalvexViewSetTime* setTime)
{
    m_pSetTime = setTime;
    CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(CTH_TCPDispatcher), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (thread) {
        m_pTCPDispatcher = static_cast<CTH_TCPDispatcher*>(thread);
        m_pTCPDispatcher->m_bAutoDelete = TRUE;
        m_hDispatcher = OwnHandle(thread);
        m_dwDispatcherThreadId = thread->m_nThreadID;
        thread->ResumeThread();
    }

    m_hReceiveThread = ::CreateThread(NULL, 0, ReceiveThread, view, 0, &m_dwReceiveThreadId);

    thread = AfxBeginThread(RUNTIME_CLASS(CTH_Consumer), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (thread) {
        m_pConsumer = static_cast<CTH_Consumer*>(thread);
        m_pConsumer->m_pOwnerView = view;
        m_pConsumer->m_bAutoDelete = TRUE;
        m_hConsumer = OwnHandle(thread);
        m_dwConsumerThreadId = thread->m_nThreadID;
        thread->ResumeThread();
    }

    if (setTime)
        setTime->StartAutoSetTimeThread();
}

void CHalvexServices::StopServices(DWORD (*wait)(HANDLE*))
{
    if (m_hConsumer) {
        ::PostThreadMessageA(m_dwConsumerThreadId, WM_THREAD_STOP, 0, 0);
        WaitAndClose(m_hConsumer, wait);
        m_pConsumer = nullptr;
    }
    g_CommandListener.Close();
    WaitAndClose(m_hReceiveThread, wait);
    if (m_hDispatcher) {
        ::PostThreadMessageA(m_dwDispatcherThreadId, WM_THREAD_STOP, 0, 0);
        WaitAndClose(m_hDispatcher, wait);
        m_pTCPDispatcher = nullptr;
    }
    if (m_pSetTime)
        m_pSetTime->WaitForThreads(wait);
}

void CHalvexServices::ReconnectDatabase() const
{
    if (m_dwConsumerThreadId != 0)
        ::PostThreadMessageA(m_dwConsumerThreadId, WM_CONSUMER_DB_RECONNECT, 0, 0);
}
