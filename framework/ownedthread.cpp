#include "framework/ownedthread.h"
#include "framework/thread.h"
#include <memory>
#include <process.h>

BOOL CThreadHandle::Join(DWORD dwTimeout) {
    return Join([dwTimeout](HANDLE h) { return ::WaitForSingleObject(h, dwTimeout); });
}

BOOL CThreadHandle::Join(const AfxHandleWait& wait) {
    if (!m_hThread.IsValid())
        return TRUE;
    // A thread never sees its own end: waiting for it would never return.
    if (m_nThreadID == ::GetCurrentThreadId())
        return FALSE;
    if (wait(m_hThread) != WAIT_OBJECT_0)
        return FALSE;
    Reset(COwnedHandle(), 0);
    return TRUE;
}

namespace {
unsigned __stdcall RunBody(void* p) {
    // Freed here, before the thread ends: nothing of ours is destroyed during
    // thread exit.
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(p));
    (*body)();
    return 0;
}
}  // namespace

BOOL COwnedThread::Start(std::function<void()> body) {
    if (IsRunning())
        return FALSE;
    Join();  // an ended thread's handle goes first
    auto* p = new std::function<void()>(std::move(body));
    unsigned id = 0;
    HANDLE h = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RunBody, p, 0, &id));
    if (!h) {
        delete p;
        return FALSE;
    }
    Reset(COwnedHandle(h), id);
    return TRUE;
}

CWinThread* CThreadLink::Start(CRuntimeClass* pThreadClass, const std::function<void(CWinThread*)>& prepare,
                               int nPriority) {
    Reset(COwnedHandle(), 0);
    CWinThread* thread = AfxBeginThread(pThreadClass, nPriority, 0, CREATE_SUSPENDED);
    if (!thread)
        return nullptr;
    thread->m_bAutoDelete = TRUE;
    if (prepare)
        prepare(thread);
    Reset(COwnedHandle::DuplicateOf(thread->m_hThread, SYNCHRONIZE, 0), thread->m_nThreadID);
    thread->ResumeThread();
    return thread;
}
