// Threads with one owner: a plain worker thread that its owner joins, and the
// starter's link to an auto-deleting CWinThread.
#pragma once
#include "framework/handle.h"
#include <functional>

class CWinThread;
struct CRuntimeClass;

// A wait of the caller's for one handle (for instance one that keeps the
// calling thread's messages flowing); WAIT_OBJECT_0 when the handle is signalled.
typedef std::function<DWORD(HANDLE)> AfxHandleWait;

// The handle and id of a running thread, and the wait for its end.
class CThreadHandle {
public:
    CThreadHandle() = default;
    CThreadHandle(CThreadHandle&& other) noexcept
        : m_hThread(std::move(other.m_hThread)), m_nThreadID(other.m_nThreadID) {
        other.m_nThreadID = 0;
    }
    CThreadHandle& operator=(CThreadHandle&& other) noexcept {
        if (this != &other) {
            m_hThread = std::move(other.m_hThread);
            m_nThreadID = other.m_nThreadID;
            other.m_nThreadID = 0;
        }
        return *this;
    }

    // TRUE when the thread has ended (or there is none); its handle is then
    // closed. FALSE when the bound passed first, or when called on the
    // thread itself (which never sees its own end): the handle stays.
    BOOL Join(DWORD dwTimeout = INFINITE);
    BOOL Join(const AfxHandleWait& wait);
    bool IsRunning() const { return m_hThread.IsValid() && ::WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT; }
    HANDLE GetHandle() const { return m_hThread; }
    DWORD GetThreadId() const { return m_nThreadID; }

protected:
    ~CThreadHandle() = default;  // owners are the derived classes
    void Reset(COwnedHandle h, DWORD id) { m_hThread = std::move(h); m_nThreadID = id; }
    COwnedHandle m_hThread;
    DWORD m_nThreadID = 0;
};

// A worker thread without a message loop of the framework's, running one
// function. The owner ends it (the function returns on the owner's signal)
// and joins it; an owner that goes without joining waits for the thread
// without bound first, so the function never outlives what it works on.
class COwnedThread : public CThreadHandle {
public:
    COwnedThread() = default;
    ~COwnedThread() { Join(); }
    COwnedThread(COwnedThread&&) = default;
    COwnedThread& operator=(COwnedThread&& other) {
        if (this != &other) {
            Join();
            CThreadHandle::operator=(std::move(other));
        }
        return *this;
    }

    // FALSE when a thread of this owner still runs or none could be created.
    BOOL Start(std::function<void()> body);
};

// The starter's link to an auto-deleting CWinThread. The object deletes
// itself, closing its own m_hThread, when its thread ends; so the link keeps
// a handle of its own to wait on and the id to post to, and never touches the
// object after the start. Dropping the link leaves the thread running.
class CThreadLink : public CThreadHandle {
public:
    // Creates the thread suspended, lets `prepare` set the object's members
    // before any of its code runs, takes the handle, then resumes it. Returns
    // the object (valid only while its thread runs), or null.
    CWinThread* Start(CRuntimeClass* pThreadClass, const std::function<void(CWinThread*)>& prepare = nullptr,
                      int nPriority = THREAD_PRIORITY_NORMAL);
    template <class T>
    T* Start(const std::function<void(T*)>& prepare, int nPriority = THREAD_PRIORITY_NORMAL) {
        return static_cast<T*>(Start(
            T::GetThisClass(), [&](CWinThread* t) { if (prepare) prepare(static_cast<T*>(t)); }, nPriority));
    }

    BOOL PostThreadMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return m_nThreadID && ::PostThreadMessageA(m_nThreadID, message, wParam, lParam);
    }
};
