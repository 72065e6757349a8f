#include <gtest/gtest.h>
#include <atomic>
#include "framework/framework.h"

namespace {

const UINT WM_COUNT = WM_APP + 1;
const UINT WM_BASE_ONLY = WM_APP + 2;
const UINT WM_END_NOW = WM_APP + 3;
const DWORD kWait = 60000;  // generous: the machine may be loaded

std::atomic<int> g_liveThreads{0};

// A base class with its own map, to show that dispatch walks to the base.
class CBaseWorker : public CWinThread {
    DECLARE_DYNAMIC(CBaseWorker)
public:
    CBaseWorker() { ++g_liveThreads; }
    ~CBaseWorker() override { --g_liveThreads; }
    BOOL InitInstance() override {
        m_bInitRan = TRUE;
        m_pSelfSeen = AfxGetThread();
        return TRUE;
    }
    int ExitInstance() override {
        m_bExitRan = TRUE;
        return CWinThread::ExitInstance();
    }
    void OnBaseOnly(WPARAM wParam, LPARAM) { m_baseSum += static_cast<int>(wParam); }

    BOOL m_bInitRan = FALSE;
    BOOL m_bExitRan = FALSE;
    CWinThread* m_pSelfSeen = nullptr;
    int m_baseSum = 0;
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNAMIC(CBaseWorker, CWinThread)
BEGIN_MESSAGE_MAP(CBaseWorker, CWinThread)
    ON_THREAD_MESSAGE(WM_BASE_ONLY, OnBaseOnly)
END_MESSAGE_MAP()

class CCountingThread : public CBaseWorker {
    DECLARE_DYNCREATE(CCountingThread)
public:
    void OnCount(WPARAM wParam, LPARAM lParam) {
        // Arrival order is posting order.
        if (static_cast<int>(wParam) == m_count)
            ++m_count;
        m_lastParam = lParam;
    }
    void OnEndNow(WPARAM wParam, LPARAM) { AfxEndThread(static_cast<UINT>(wParam)); }

    int m_count = 0;
    LPARAM m_lastParam = 0;
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CCountingThread, CBaseWorker)
BEGIN_MESSAGE_MAP(CCountingThread, CBaseWorker)
    ON_THREAD_MESSAGE(WM_COUNT, OnCount)
    ON_THREAD_MESSAGE(WM_END_NOW, OnEndNow)
END_MESSAGE_MAP()

HANDLE DuplicateThreadHandle(CWinThread* t) {
    HANDLE h = nullptr;
    DuplicateHandle(GetCurrentProcess(), t->m_hThread, GetCurrentProcess(), &h, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return h;
}

TEST(Threads, RunTimeClassesAndDowncasts) {
    CRuntimeClass* cls = RUNTIME_CLASS(CCountingThread);
    EXPECT_STREQ("CCountingThread", cls->m_lpszClassName);
    EXPECT_TRUE(cls->IsDerivedFrom(RUNTIME_CLASS(CWinThread)));
    EXPECT_TRUE(cls->IsDerivedFrom(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_FALSE(RUNTIME_CLASS(CWinThread)->IsDerivedFrom(cls));
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CBaseWorker)->CreateObject());  // DYNAMIC only
    CObject* o = cls->CreateObject();
    ASSERT_NE(nullptr, o);
    EXPECT_EQ(cls, o->GetRuntimeClass());
    EXPECT_NE(nullptr, DYNAMIC_DOWNCAST(CBaseWorker, o));
    EXPECT_EQ(nullptr, DYNAMIC_DOWNCAST(CException, o));
    delete o;
    // A class that is no CWinThread is refused rather than started.
    EXPECT_EQ(nullptr, AfxBeginThread(RUNTIME_CLASS(CException)));
}

// Posts right after AfxBeginThread returns must all arrive, with the thread
// started running and started suspended.
TEST(Threads, EarlyThreadMessagesAllArrive) {
    const int kMessages = 500;
    for (DWORD flags : {DWORD(0), DWORD(CREATE_SUSPENDED)}) {
        CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CCountingThread), THREAD_PRIORITY_NORMAL, 0, flags);
        ASSERT_NE(nullptr, t);
        CCountingThread* ct = static_cast<CCountingThread*>(t);
        t->m_bAutoDelete = FALSE;  // examined after it ends
        for (int i = 0; i < kMessages; ++i)
            ASSERT_TRUE(t->PostThreadMessage(WM_COUNT, i, i * 2)) << "flags " << flags << " message " << i;
        t->PostThreadMessage(WM_BASE_ONLY, 5, 0);
        t->PostThreadMessage(WM_BASE_ONLY, 6, 0);
        t->PostThreadMessage(WM_QUIT, 42, 0);  // WM_QUIT's wParam is the exit code
        if (flags & CREATE_SUSPENDED) {
            EXPECT_FALSE(ct->m_bInitRan);
            EXPECT_EQ(1u, t->ResumeThread());
        }
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t->m_hThread, kWait));
        DWORD code = 0;
        GetExitCodeThread(t->m_hThread, &code);
        EXPECT_EQ(42u, code);
        EXPECT_EQ(kMessages, ct->m_count);
        EXPECT_EQ((kMessages - 1) * 2, ct->m_lastParam);
        EXPECT_EQ(11, ct->m_baseSum);
        EXPECT_TRUE(ct->m_bInitRan);
        EXPECT_TRUE(ct->m_bExitRan);
        EXPECT_EQ(t, ct->m_pSelfSeen);
        delete t;
    }
}

TEST(Threads, AutoDeleteAndEndThread) {
    int before = g_liveThreads;
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CCountingThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, t);
    EXPECT_TRUE(t->m_bAutoDelete);
    HANDLE h = DuplicateThreadHandle(t);
    t->PostThreadMessage(WM_END_NOW, 17, 0);  // ends from inside a handler
    t->ResumeThread();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, kWait));
    DWORD code = 0;
    GetExitCodeThread(h, &code);
    CloseHandle(h);
    EXPECT_EQ(17u, code);
    EXPECT_EQ(before, g_liveThreads.load());  // the object deleted itself
}

struct WorkerParam {
    std::atomic<int> started{0};
    int received = 0;
};

UINT __cdecl QueueWorker(LPVOID pv) {
    WorkerParam* p = static_cast<WorkerParam*>(pv);
    p->started = 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        if (msg.message == WM_COUNT)
            ++p->received;
    return static_cast<UINT>(msg.wParam) + 1000;
}

TEST(Threads, WorkerFunctionForm) {
    for (DWORD flags : {DWORD(0), DWORD(CREATE_SUSPENDED)}) {
        WorkerParam param;
        CWinThread* t = AfxBeginThread(QueueWorker, &param, THREAD_PRIORITY_BELOW_NORMAL, 0, flags);
        ASSERT_NE(nullptr, t);
        t->m_bAutoDelete = FALSE;
        for (int i = 0; i < 200; ++i)
            ASSERT_TRUE(t->PostThreadMessage(WM_COUNT, i, 0));
        t->PostThreadMessage(WM_QUIT, 3, 0);
        if (flags & CREATE_SUSPENDED) {
            EXPECT_EQ(0, param.started.load());
            t->ResumeThread();
        }
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t->m_hThread, kWait));
        DWORD code = 0;
        GetExitCodeThread(t->m_hThread, &code);
        EXPECT_EQ(1003u, code);
        EXPECT_EQ(200, param.received);
        EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, t->GetThreadPriority());
        delete t;
    }
}

// Command maps on a plain command target, with a range and a base class.
class CCommands : public CCmdTarget {
public:
    void OnOne() { m_log += "one;"; }
    void OnRange(UINT id) { m_log.AppendFormat("range %u;", id); }
    CString m_log;
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCommands, CCmdTarget)
    ON_COMMAND(100, OnOne)
    ON_COMMAND_RANGE(200, 205, OnRange)
END_MESSAGE_MAP()

TEST(Threads, CommandMapDispatch) {
    CCommands c;
    EXPECT_TRUE(c.OnCmdMsg(100, CN_COMMAND, nullptr, nullptr));
    EXPECT_TRUE(c.OnCmdMsg(203, CN_COMMAND, nullptr, nullptr));
    EXPECT_FALSE(c.OnCmdMsg(206, CN_COMMAND, nullptr, nullptr));
    EXPECT_FALSE(c.OnCmdMsg(100, 1, nullptr, nullptr));
    AFX_CMDHANDLERINFO info = {};
    EXPECT_TRUE(c.OnCmdMsg(201, CN_COMMAND, nullptr, &info));  // asks only
    EXPECT_EQ(&c, info.pTarget);
    EXPECT_STREQ("one;range 203;", c.m_log);
}

// Locks: each kind keeps a shared counter consistent across threads.
struct LockedCounter {
    CSyncObject* lock;
    long value = 0;
};

DWORD WINAPI IncrementUnderLock(LPVOID pv) {
    LockedCounter* c = static_cast<LockedCounter*>(pv);
    for (int i = 0; i < 2000; ++i) {
        CSingleLock guard(c->lock, TRUE);
        if (!guard.IsLocked())
            return 1;
        long v = c->value;
        if (i % 100 == 0)
            Sleep(0);  // widen the window a lost update would need
        c->value = v + 1;
    }
    return 0;
}

TEST(Sync, LocksSerialiseAndRelease) {
    CCriticalSection cs;
    CMutex mutex;
    CSemaphore sem(1, 1);
    CSyncObject* locks[] = {&cs, &mutex, &sem};
    for (CSyncObject* lock : locks) {
        LockedCounter counter;
        counter.lock = lock;
        HANDLE threads[4];
        for (HANDLE& h : threads)
            h = CreateThread(nullptr, 0, IncrementUnderLock, &counter, 0, nullptr);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(4, threads, TRUE, kWait));
        for (HANDLE h : threads) {
            DWORD code = 9;
            GetExitCodeThread(h, &code);
            EXPECT_EQ(0u, code);
            CloseHandle(h);
        }
        EXPECT_EQ(8000, counter.value) << lock->GetRuntimeClass()->m_lpszClassName;
        CSingleLock again(lock);
        EXPECT_TRUE(again.Lock(0)) << "left locked";
        EXPECT_TRUE(again.Unlock());
        EXPECT_FALSE(again.IsLocked());
    }

    char name[64];
    wsprintfA(name, "fwcore-test-mutex-%lu", GetCurrentProcessId());
    CMutex first(FALSE, name);
    EXPECT_NE(ERROR_ALREADY_EXISTS, GetLastError());
    CMutex second(FALSE, name);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());

    CEvent manual(FALSE, TRUE);
    EXPECT_FALSE(manual.Lock(0));
    manual.SetEvent();
    EXPECT_TRUE(manual.Lock(0));
    EXPECT_TRUE(manual.Lock(0));  // manual reset stays set
    manual.ResetEvent();
    EXPECT_FALSE(manual.Lock(0));
    CEvent autoReset(TRUE);
    EXPECT_TRUE(autoReset.Lock(0));
    EXPECT_FALSE(autoReset.Lock(0));
}

}  // namespace
