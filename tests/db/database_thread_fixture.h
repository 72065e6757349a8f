// The reporting-database thread's surroundings for tests and the benchmark:
// a view whose window records the posted log lines, a ring of registrations,
// and the thread run the way the consumer runs it.
#pragma once
#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "TdsControl.h"
#include "server/services/ServiceBus.h"
#include "server/services/ServiceMessages.h"
#include "server/services/TH_DatabaseBC.h"
#include "tests/services/stub_view.h"

namespace {

// The view: settings, and a window that records the posted log lines.
class TestView : public StubHalvexView
{
public:
    TestView()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "DatabaseThreadTestView";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, (LONG_PTR)this);
    }
    ~TestView() override { DestroyWindow(m_hwnd); }

    bool UseBCDB() const override { return useBCDB; }
    std::string ConnStr() const override { return TdsControl::ConnectionString(); }
    HWND GetSafeHwnd() const override { return m_hwnd; }

    // Pumps this thread's messages until `done` holds or the time is up.
    template <typename Pred> bool PumpUntil(Pred done, DWORD ms = 60000)
    {
        DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > ms)
                return false;
            MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        return true;
    }
    int Count(UINT id) const
    {
        int n = 0;
        for (UINT line : lines)
            n += line == id;
        return n;
    }

    bool useBCDB = true;
    std::vector<UINT> lines;       // string ids, in order
    std::vector<int> bufferCounts; // WM_BUFFER_COUNT values

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        TestView* view = (TestView*)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
        if (view && msg == WM_LOG_STRING)
            view->lines.push_back((UINT)lParam);
        if (view && msg == WM_BUFFER_COUNT)
            view->bufferCounts.push_back((int)lParam);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    HWND m_hwnd;
};

// Ring records 1..n; a buffered row's raw data "RAW<n>" rebuilds record n.
// A slot written with Store holds that record until it is written again;
// the consumer reads it from there.
struct RingBus : IServiceBus {
    std::mutex mutex;
    std::map<int, BufferedRegistration> ring;

    void Store(int slot, const BufferedRegistration& r)
    {
        std::lock_guard<std::mutex> l(mutex);
        ring[slot] = r;
    }

    static BufferedRegistration Make(int n, int year)
    {
        BufferedRegistration r;
        char buf[64];
        r.port = 1;
        r.deviceId = 5;
        r.eventCode = 0x10;
        r.eventCodeText = "10";
        r.day = 10;
        r.month = 12;
        r.year = year;
        r.hour = 8;
        r.minute = 0;
        r.second = n % 60;
        snprintf(buf, sizeof buf, "%04d-12-10", year);
        r.dateText = buf;
        snprintf(buf, sizeof buf, "08:00:%02d", n % 60);
        r.timeText = buf;
        r.dateTimeText = r.dateText + " " + r.timeText;
        snprintf(buf, sizeof buf, "0000%08d", n);
        r.mediaId = buf;
        snprintf(buf, sizeof buf, "RAW%d", n);
        r.rawData = buf;
        return r;
    }
    bool ReadRegistration(int slot, RegistrationRecord& r) override
    {
        std::lock_guard<std::mutex> l(mutex);
        auto it = ring.find(slot);
        if (it == ring.end())
            return false;
        static_cast<BufferedRegistration&>(r) = it->second;
        r.valid = true;
        return true;
    }
    bool ReadReg2Fields(int, CommandProtocol::Reg2Fields&) override { return false; }
    bool RebuildRegistration(int port, int id, const char* raw, int year, BufferedRegistration& out) override
    {
        int n = 0;
        if (sscanf(raw, "RAW%d", &n) != 1)
            return false;
        out = Make(n, year);
        out.port = port;
        out.deviceId = id;
        return true;
    }
    StatusSnapshot CurrentStatus(int) override { return {}; }
    unsigned TakeEEPROMWord(int, int) override { return 0xFFFF; }
};

[[maybe_unused]] std::string Call(int n)
{
    char buf[160];
    snprintf(buf, sizeof buf, "exec spDorvikReg2 '%08d', '2026-12-10', '2026-12-10 08:00:%02d', '999', 5, 16, '10'", n,
             n % 60);
    return buf;
}

// The database thread as the consumer runs it: made by run-time class,
// suspended, auto-deleting, stopped from another thread.
class RunningDatabaseThread
{
public:
    // `start` false: made, but its thread runs only at Start.
    RunningDatabaseThread(TestView& view, IServiceBus& bus, const DatabaseThreadSettings& settings, bool start = true)
    {
        CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CTH_DatabaseBC), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        m_thread = static_cast<CTH_DatabaseBC*>(t);
        m_thread->m_bAutoDelete = TRUE;
        m_thread->m_pOwnerView = &view;
        m_thread->m_pBus = &bus;
        m_thread->m_settings = settings;
        DuplicateHandle(GetCurrentProcess(), m_thread->m_hThread, GetCurrentProcess(), &m_handle, SYNCHRONIZE, FALSE,
                        0);
        m_id = m_thread->m_nThreadID;
        if (start)
            Start();
    }
    void Start() { m_thread->ResumeThread(); }
    ~RunningDatabaseThread() { Stop(); }
    // Hands on registration n, as the consumer does.
    void Post(int n) { Queue().Push(RingBus::Make(n, 2026)); }
    CRegistrationQueue& Queue() { return m_thread->Queue(); }
    DWORD ThreadId() const { return m_id; }
    // Asks the thread to stop and waits for it; false when it did not end
    // within `ms`.
    bool Stop(DWORD ms = 60000)
    {
        if (!m_thread)
            return true;
        m_thread->Stop();
        m_thread = nullptr;
        bool ended = WaitForSingleObject(m_handle, ms) == WAIT_OBJECT_0;
        CloseHandle(m_handle);
        return ended;
    }

private:
    CTH_DatabaseBC* m_thread = nullptr;
    HANDLE m_handle = NULL;
    DWORD m_id = 0;
};

} // namespace
