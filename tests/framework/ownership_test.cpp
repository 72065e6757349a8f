// The ownership kit: owned handles, the lock, owned threads, the link to an
// auto-deleting thread and the worker-thread base, on every way out of a scope.
#include <gtest/gtest.h>
#include <atomic>
#include <stdexcept>
#include "framework/framework.h"

namespace {

const DWORD kWait = 60000;  // generous: the machine may be loaded

bool IsOpen(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

HANDLE NewEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

// ---- owned handle

TEST(OwnedHandle, ClosesOnEveryWayOut) {
    HANDLE raw = nullptr;
    auto earlyReturn = [&](bool leave) {
        COwnedHandle h(NewEvent());
        raw = h;
        if (leave) return;
        SetEvent(h);
    };
    earlyReturn(true);
    EXPECT_FALSE(IsOpen(raw)) << "early return";
    earlyReturn(false);
    EXPECT_FALSE(IsOpen(raw)) << "end of scope";
    try {
        COwnedHandle h(NewEvent());
        raw = h;
        throw std::runtime_error("unwind");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(IsOpen(raw)) << "exception";
}

TEST(OwnedHandle, NoneIsNullOrInvalidAndClosesNothing) {
    for (HANDLE none : {(HANDLE) nullptr, INVALID_HANDLE_VALUE}) {
        COwnedHandle h(none);
        EXPECT_FALSE(h.IsValid());
        EXPECT_EQ(h.Get(), nullptr);
        EXPECT_FALSE(h.Close());
        // A function that reports failure through the slot leaves none too.
        *h.Receive() = none;
        EXPECT_FALSE(h.IsValid());
        EXPECT_FALSE(h.Duplicate().IsValid());
    }
}

TEST(OwnedHandle, ClosesOnceAndMovesOwnership) {
    COwnedHandle a(NewEvent());
    HANDLE raw = a;
    COwnedHandle b(std::move(a));
    EXPECT_FALSE(a.IsValid());
    EXPECT_EQ(b.Get(), raw);
    EXPECT_TRUE(IsOpen(raw));

    COwnedHandle c(NewEvent());
    HANDLE replaced = c;
    c = std::move(b);  // the handle c held goes; b's is c's now
    EXPECT_FALSE(IsOpen(replaced));
    EXPECT_EQ(c.Get(), raw);
    c = std::move(c);
    EXPECT_TRUE(IsOpen(raw)) << "self-move keeps the handle";

    c.Attach(raw);  // the same handle again: not closed
    EXPECT_TRUE(IsOpen(raw));
    EXPECT_TRUE(c.Close());
    EXPECT_FALSE(IsOpen(raw));
    EXPECT_FALSE(c.Close()) << "a second close does nothing";
}

TEST(OwnedHandle, DuplicateIsOwnedApart) {
    COwnedHandle event(NewEvent());
    COwnedHandle copy = event.Duplicate(SYNCHRONIZE | EVENT_MODIFY_STATE, 0);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_NE(copy.Get(), event.Get());
    HANDLE raw = copy;
    SetEvent(copy);
    copy.Close();
    EXPECT_FALSE(IsOpen(raw));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0) << "the original stays";
}

// ---- the lock

// Whether another thread can take the section now.
bool FreeElsewhere(CCriticalSection& section) {
    std::atomic<bool> got{false};
    COwnedThread probe;
    probe.Start([&] {
        if (section.Lock(0)) {
            got = true;
            section.Unlock();
        }
    });
    probe.Join();
    return got;
}

TEST(Lock, HeldForTheScopeAndReleasedOnEveryWayOut) {
    CCriticalSection section;
    ASSERT_TRUE(FreeElsewhere(section));
    {
        CSingleLock lock(&section, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(FreeElsewhere(section));
    }
    EXPECT_TRUE(FreeElsewhere(section)) << "end of scope";

    auto earlyReturn = [&]() -> int {
        CSingleLock lock(&section, TRUE);
        return 1;
    };
    earlyReturn();
    EXPECT_TRUE(FreeElsewhere(section)) << "early return";

    try {
        CSingleLock lock(&section, TRUE);
        throw std::runtime_error("unwind");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(FreeElsewhere(section)) << "exception";

    // Unlocked by hand before a rethrow, and not released twice after.
    try {
        CSingleLock lock(&section, TRUE);
        try {
            throw std::runtime_error("inner");
        } catch (...) {
            EXPECT_TRUE(lock.Unlock());
            EXPECT_TRUE(FreeElsewhere(section));
            throw;
        }
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(FreeElsewhere(section));
    // The same thread takes it again (a section counts its owner's entries).
    CSingleLock outer(&section, TRUE);
    CSingleLock inner(&section, TRUE);
    inner.Unlock();
    EXPECT_FALSE(FreeElsewhere(section));
}

// ---- owned thread

TEST(OwnedThread, RunsAndJoinsWithABound) {
    COwnedHandle release(NewEvent());
    std::atomic<bool> ran{false};
    COwnedThread t;
    ASSERT_TRUE(t.Start([&] {
        WaitForSingleObject(release, kWait);
        ran = true;
    }));
    EXPECT_TRUE(t.IsRunning());
    EXPECT_NE(t.GetThreadId(), 0u);
    EXPECT_FALSE(t.Start([] {})) << "one thread per owner";
    EXPECT_FALSE(t.Join(20)) << "the bound passes first";
    EXPECT_NE(t.GetHandle(), nullptr) << "kept for the next wait";
    SetEvent(release);
    HANDLE raw = t.GetHandle();
    EXPECT_TRUE(t.Join(kWait));
    EXPECT_TRUE(ran);
    EXPECT_EQ(t.GetHandle(), nullptr);
    EXPECT_FALSE(IsOpen(raw));
    EXPECT_TRUE(t.Join(0)) << "nothing left to wait for";
    ASSERT_TRUE(t.Start([] {})) << "startable again once joined";
    EXPECT_TRUE(t.Join(kWait));
}

TEST(OwnedThread, JoinsThroughTheCallersWait) {
    COwnedThread t;
    ASSERT_TRUE(t.Start([] { Sleep(10); }));
    int waits = 0;
    EXPECT_TRUE(t.Join([&](HANDLE h) {
        ++waits;
        return WaitForSingleObject(h, kWait);
    }));
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(t.GetHandle(), nullptr);
}

TEST(OwnedThread, OwnerLeavingByExceptionWaitsForTheThread) {
    std::atomic<bool> finished{false};
    HANDLE raw = nullptr;
    try {
        COwnedThread t;
        t.Start([&] {
            Sleep(50);
            finished = true;
        });
        raw = t.GetHandle();
        throw std::runtime_error("unwind");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(finished) << "the body never outlives its owner";
    EXPECT_FALSE(IsOpen(raw));
}

// A thread that stops its own owner (a bus thread closing its port) must not
// wait for itself; the owner keeps the handle, and its destructor later joins
// from another thread.
TEST(OwnedThread, JoinOnItsOwnThreadIsRefused) {
    COwnedThread t;
    std::atomic<int> joined{-1};
    COwnedHandle go(NewEvent());
    ASSERT_TRUE(t.Start([&] {
        WaitForSingleObject(go, kWait);
        joined = t.Join();  // without bound: never returns if it waits for itself
    }));
    HANDLE raw = t.GetHandle();
    SetEvent(go);
    const bool ended = WaitForSingleObject(raw, kWait) == WAIT_OBJECT_0;
    if (!ended)
        TerminateThread(raw, 1);  // it waits for itself; end it so the owner can go
    ASSERT_TRUE(ended) << "the thread waited for its own end";
    EXPECT_EQ(joined.load(), FALSE);
    EXPECT_EQ(t.GetHandle(), raw) << "the handle stays for the owner";
    EXPECT_TRUE(t.Join(0));
}

TEST(OwnedThread, MovesAndJoinsTheThreadItReplaces) {
    std::atomic<int> finished{0};
    COwnedThread a;
    a.Start([&] { Sleep(30); ++finished; });
    COwnedThread b(std::move(a));
    EXPECT_EQ(a.GetHandle(), nullptr);
    EXPECT_EQ(a.GetThreadId(), 0u);
    EXPECT_TRUE(a.Join(0));
    COwnedThread c;
    c.Start([&] { Sleep(30); ++finished; });
    c = std::move(b);  // c's own thread is joined first
    EXPECT_GE(finished.load(), 1);
    EXPECT_TRUE(c.Join(kWait));
    EXPECT_EQ(finished.load(), 2);
}

// ---- link to an auto-deleting thread

std::atomic<int> g_linkedAlive{0};

class CLinkedThread : public CWinThread {
    DECLARE_DYNCREATE(CLinkedThread)
public:
    CLinkedThread() { ++g_linkedAlive; }
    ~CLinkedThread() override { --g_linkedAlive; }
    BOOL InitInstance() override {
        m_seenAtStart = m_value;
        return TRUE;
    }
    int m_value = 0;
    std::atomic<int>* m_pSeen = nullptr;
    int m_seenAtStart = -1;
    int ExitInstance() override {
        if (m_pSeen) *m_pSeen = m_seenAtStart;
        return CWinThread::ExitInstance();
    }
};
IMPLEMENT_DYNCREATE(CLinkedThread, CWinThread)

TEST(ThreadLink, PreparesBeforeTheThreadRunsAndOutlivesTheObject) {
    std::atomic<int> seen{-1};
    int aliveBefore = g_linkedAlive;
    CThreadLink link;
    CLinkedThread* t = link.Start<CLinkedThread>([&](CLinkedThread* p) {
        EXPECT_TRUE(p->m_bAutoDelete);
        p->m_value = 42;
        p->m_pSeen = &seen;
    });
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(link.GetHandle());
    EXPECT_TRUE(link.IsRunning());
    EXPECT_TRUE(link.PostThreadMessage(WM_QUIT));
    HANDLE raw = link.GetHandle();
    EXPECT_TRUE(link.Join(kWait)) << "our own handle is still good after the object closed its own";
    EXPECT_FALSE(IsOpen(raw));
    EXPECT_EQ(seen.load(), 42) << "set before any code of the thread ran";
    EXPECT_EQ(g_linkedAlive.load(), aliveBefore) << "the object deleted itself";
}

TEST(ThreadLink, DroppedLinkLeavesTheThreadRunning) {
    DWORD id = 0;
    COwnedHandle watch;
    try {
        CThreadLink link;
        ASSERT_TRUE(link.Start(RUNTIME_CLASS(CLinkedThread)));
        id = link.GetThreadId();
        watch = COwnedHandle::DuplicateOf(link.GetHandle(), SYNCHRONIZE, 0);
        throw std::runtime_error("unwind");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_TIMEOUT) << "still running";
    PostThreadMessageA(id, WM_QUIT, 0, 0);
    EXPECT_EQ(WaitForSingleObject(watch, kWait), WAIT_OBJECT_0);
}

// ---- worker-thread base

class CApartmentProbe : public CWorkerThread {
    DECLARE_DYNCREATE(CApartmentProbe)
public:
    BOOL InitInstance() override {
        CWorkerThread::InitInstance();
        // S_FALSE: this thread is in a single-threaded apartment already.
        m_again = CoInitialize(nullptr);
        if (SUCCEEDED(m_again)) CoUninitialize();
        m_multi = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(m_multi)) CoUninitialize();
        return !m_failInit;
    }
    int ExitInstance() override {
        int result = CWorkerThread::ExitInstance();
        // Left: joining a multi-threaded apartment works now.
        m_afterExit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(m_afterExit)) CoUninitialize();
        *m_pResults = {m_again, m_multi, m_afterExit};
        return result;
    }
    struct Results { HRESULT again, multi, afterExit; };
    Results* m_pResults = nullptr;
    bool m_failInit = false;
    HRESULT m_again = E_FAIL, m_multi = E_FAIL, m_afterExit = E_FAIL;
};
IMPLEMENT_DYNCREATE(CApartmentProbe, CWorkerThread)

TEST(WorkerThread, OwnApartmentLeftAlsoAfterAFailedStart) {
    for (bool failInit : {false, true}) {
        CApartmentProbe::Results r = {E_FAIL, E_FAIL, E_FAIL};
        CThreadLink link;
        ASSERT_TRUE(link.Start<CApartmentProbe>([&](CApartmentProbe* p) {
            p->m_pResults = &r;
            p->m_failInit = failInit;
        }));
        if (!failInit) link.PostThreadMessage(WM_QUIT);
        ASSERT_TRUE(link.Join(kWait));
        EXPECT_EQ(r.again, S_FALSE) << failInit;
        EXPECT_EQ(r.multi, RPC_E_CHANGED_MODE) << failInit;
        EXPECT_EQ(r.afterExit, S_OK) << failInit;
    }
}

}  // namespace
