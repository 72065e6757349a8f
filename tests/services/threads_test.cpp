// The consumer's hand-on of bus events and the set-time worker, against a
// recording view and a real thread queue standing in for the dispatcher.
#include "server/services/TH_Consumer.h"
#include "server/services/TH_DatabaseBC.h"
#include "fake_bus.h"
#include "server/services/ServiceMessages.h"
#include "server/services/SetTimeThreads.h"
#include "temp_folder.h"
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct RecordingView : IHalvexView {
    std::mutex mutex;
    bool running = true, useBCDB = true;
    DWORD dispatcher = 0;
    std::vector<std::string> log;
    std::vector<std::pair<int, int>> controllers;
    void Add(const std::string& s) { std::lock_guard<std::mutex> l(mutex); log.push_back(s); }
    std::vector<std::string> Log() { std::lock_guard<std::mutex> l(mutex); return log; }
    bool IsRunning() const override { return running; }
    bool UseBCDB() const override { return useBCDB; }
    int AutoSetTime() const override { return 0; }
    int AutoSetTimeInterval() const override { return 1; }
    DWORD DispatcherThreadId() const override { return dispatcher; }
    std::string ConnStr() const override { return ""; }
    int TCPPort() const override { return 65000; }
    HWND GetSafeHwnd() const override { return NULL; }
    void AddLogMessage(const std::string& text, int image) override { Add("line " + std::to_string(image) + " " + text); }
    void AddRegistration(int slot) override { Add("registration " + std::to_string(slot)); }
    void UpdateControllerStatus(int id, int port) override { Add("tree " + std::to_string(id) + " " + std::to_string(port)); }
    void AddDiagnosticsLine(int id, int port) override { Add("diagnostics " + std::to_string(id) + " " + std::to_string(port)); }
    std::vector<std::pair<int, int>> ControllersInTreeOrder() override { return controllers; }
    std::string LoadResourceString(UINT id) override { return id == IDS_TIMESET ? "TimeSet" : ""; }
    void LogUserEvent(int eventId, int port, int id, const std::string&) override
    {
        Add("event " + std::to_string(eventId) + " " + std::to_string(port) + " " + std::to_string(id));
    }
    void RefreshCommandStates() override {}
};

// A thread with a message queue that records what is posted to it.
struct Queue {
    std::mutex mutex;
    std::vector<std::string> messages;
    DWORD id = 0;
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    std::thread thread;
    Queue()
    {
        thread = std::thread([this] {
            MSG msg;
            PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
            id = GetCurrentThreadId();
            SetEvent(ready);
            while (GetMessageA(&msg, NULL, 0, 0) > 0) {
                char text[64];
                snprintf(text, sizeof(text), "%04X %d %d", msg.message, (int)msg.wParam, (int)msg.lParam);
                std::lock_guard<std::mutex> l(mutex);
                messages.push_back(text);
            }
        });
        WaitForSingleObject(ready, INFINITE);
    }
    // Everything posted before this call, in order.
    std::vector<std::string> Drain()
    {
        HANDLE done = CreateEventA(NULL, TRUE, FALSE, NULL);
        PostThreadMessageA(id, WM_APP + 0x7F, 0, (LPARAM)done);
        for (int i = 0; i < 3000; ++i) {
            {
                std::lock_guard<std::mutex> l(mutex);
                if (!messages.empty() && messages.back().rfind("807F", 0) == 0) {
                    messages.pop_back();
                    auto all = messages;
                    messages.clear();
                    CloseHandle(done);
                    return all;
                }
            }
            Sleep(10);
        }
        CloseHandle(done);
        return {};
    }
    ~Queue()
    {
        PostThreadMessageA(id, WM_QUIT, 0, 0);
        thread.join();
        CloseHandle(ready);
    }
};

SYSTEMTIME Time(int y, int mo, int d, int h, int mi, int s)
{
    SYSTEMTIME t = {};
    t.wYear = y; t.wMonth = mo; t.wDay = d; t.wHour = h; t.wMinute = mi; t.wSecond = s;
    return t;
}

RegistrationRecord Record(bool valid, int second = 0)
{
    RegistrationRecord r;
    r.port = 3;
    r.deviceId = 12;
    char text[32];
    snprintf(text, sizeof text, "1A2403051407%02d0000012345", second);
    r.rawData = text;
    r.mediaId = "000000012345";
    snprintf(text, sizeof text, "2024-03-05 14:07:%02d", second);
    r.dateTimeText = text;
    r.eventCodeText = "1A";
    r.eventCode = 0x1A;
    r.valid = valid;
    return r;
}

// What waits in a hand-off queue, by date-time text.
std::vector<std::string> Drain(CRegistrationQueue& queue)
{
    std::vector<std::string> texts;
    BufferedRegistration r;
    while (queue.Pop(r))
        texts.push_back(r.dateTimeText);
    return texts;
}

// The consumer's handlers, called on this thread, with the view and the
// dispatcher's queue they hand on to.
class ConsumerHandlers : public ::testing::Test
{
protected:
    ConsumerHandlers()
    {
        view.dispatcher = dispatcher.id;
        consumer.m_bAutoDelete = FALSE;
        consumer.m_pOwnerView = &view;
    }
    RecordingView view;
    Queue dispatcher;
    CTH_Consumer consumer;
};

TEST_F(ConsumerHandlers, RegistrationsReachDispatcherViewDatabaseAndFile)
{
    TempFolder folder;
    CRegistrationQueue database;
    consumer.m_pDatabaseQueue = &database;
    ASSERT_TRUE(consumer.OpenFile(folder.Path(), Time(2011, 1, 31, 23, 59, 0)));
    EXPECT_EQ(folder.Path() + "Halvex-2011-01.regQv", consumer.FileName());

    consumer.HandleRegistration(17, Record(true), Time(2011, 2, 1, 0, 0, 5)); // past midnight: still January's file
    consumer.HandleRegistration(18, Record(false, 1), Time(2011, 2, 1, 0, 0, 6));
    view.useBCDB = false;
    consumer.HandleRegistration(19, Record(true, 2), Time(2011, 2, 1, 0, 0, 7));
    view.running = false;
    consumer.HandleRegistration(20, Record(true, 3), Time(2011, 2, 1, 0, 0, 8));

    EXPECT_EQ((std::vector<std::string>{ "8007 3 17", "8007 3 18", "8007 3 19" }), dispatcher.Drain());
    EXPECT_EQ(std::vector<std::string>{ "2024-03-05 14:07:00" }, Drain(database));
    EXPECT_EQ((std::vector<std::string>{ "registration 17", "registration 18", "registration 19" }), view.Log());
    consumer.CloseFile();
    EXPECT_EQ("Raw,MediaID,DateTime,Port,Controller,Event,DateTimeDL\r\n"
              "1A2403051407000000012345,000000012345,2024-03-05 14:07:00,003,012,1A,2011-02-01 00:00:05\r\n"
              "1A2403051407020000012345,000000012345,2024-03-05 14:07:02,003,012,1A,2011-02-01 00:00:07\r\n",
              ReadFileBytes(consumer.FileName()));
}

TEST_F(ConsumerHandlers, WithoutFileRegistrationsAreStillHandedOn)
{
    TempFolder folder;
    EXPECT_FALSE(consumer.OpenFile(folder.Path() + "missing\\", Time(2011, 3, 1, 0, 0, 0)));
    consumer.HandleRegistration(1, Record(true), Time(2011, 3, 1, 0, 0, 0));
    EXPECT_EQ(std::vector<std::string>{ "8007 3 1" }, dispatcher.Drain());
    EXPECT_EQ(std::vector<std::string>{ "registration 1" }, view.Log());
}

TEST_F(ConsumerHandlers, OtherEventsGoToDispatcherAndView)
{
    PendingRequests().Clear();
    consumer.HandleStatus(1, 5, { "2024-03-05 14:07:00", "AB", "101" });
    consumer.OnEEPROMRead(5, 496);
    consumer.OnEEPROMWrite(5, 500);
    consumer.OnDiagnostics(1, 5);
    consumer.OnCommandFailed(1, PackFailedCommand(5, "RE", 496));
    const std::string failed = "800F 1 " + std::to_string(PackFailedCommand(5, "RE", 496));
    EXPECT_EQ((std::vector<std::string>{ "8008 1 5", "8009 5 496", "800A 5 500", failed }), dispatcher.Drain());
    EXPECT_EQ((std::vector<std::string>{ "tree 5 1", "diagnostics 5 1" }), view.Log());
    StatusSnapshot s;
    ASSERT_TRUE(PendingRequests().TakeStatusSnapshot(5, s)) << "the answer's texts were not kept";
    EXPECT_EQ("AB", s.head);
}

TEST(Consumer, ThreadHandsOnPostedEventsWritesTheMonthlyFileAndStopsWithItsDatabaseThread)
{
    TempFolder folder;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string file = RegistrationFileName(ApplicationFolder(), now);
    DeleteFileA(file.c_str());
    FakeBus bus;
    bus.records[7] = Record(true);
    RecordingView view;
    view.useBCDB = false;
    Queue dispatcher;
    view.dispatcher = dispatcher.id;

    CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(CTH_Consumer), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    CTH_Consumer* consumer = static_cast<CTH_Consumer*>(thread);
    consumer->m_pOwnerView = &view;
    consumer->m_pBus = &bus;
    consumer->m_databaseSettings.bufferPath = folder.Path() + "Buffer.sqlite";
    consumer->m_bAutoDelete = TRUE;
    HANDLE handle = NULL;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &handle, SYNCHRONIZE, FALSE, 0));
    DWORD id = thread->m_nThreadID;
    thread->ResumeThread();

    PostThreadMessageA(id, WM_BUS_REGISTRATION, 3, 7);
    PostThreadMessageA(id, WM_BUS_EEPROM_READ, 5, 496);
    PostThreadMessageA(id, WM_BUS_DIAGNOSTICS, 3, 12);
    for (int i = 0; i < 500 && view.Log().size() < 2; ++i)
        Sleep(20);
    EXPECT_EQ((std::vector<std::string>{ "8007 3 7", "8009 5 496" }), dispatcher.Drain());
    PostThreadMessageA(id, WM_THREAD_STOP, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(handle, 30000)) << "the consumer did not stop";
    CloseHandle(handle);
    EXPECT_EQ((std::vector<std::string>{ "registration 7", "diagnostics 12 3" }), view.Log());
    std::string text = ReadFileBytes(file);
    EXPECT_EQ(0u, text.find("Raw,MediaID,DateTime,Port,Controller,Event,DateTimeDL\r\n"
                            "1A2403051407000000012345,000000012345,2024-03-05 14:07:00,003,012,1A,")) << text;
    DeleteFileA(file.c_str());
}

// Controllers whose set-time fails get a failure line and no user-log event.
int g_failingPort = 2;
HANDLE g_release = NULL;
int QueueSetTime(int port, int)
{
    if (g_release != NULL)
        WaitForSingleObject(g_release, 60000);
    return port == g_failingPort ? 17 : 0;
}

DWORD PlainWait(HANDLE* handle)
{
    return WaitForSingleObject(*handle, 60000);
}

TEST(SetTime, WorkerQueuesEveryControllerOfTheTree)
{
    RecordingView view;
    view.controllers = { { 1, 5 }, { 2, 7 }, { 3, 12 } };
    CHalvexViewSetTime service(view, QueueSetTime);
    ASSERT_TRUE(service.StartSetTimeWorker());
    service.WaitForThreads(PlainWait);
    EXPECT_EQ((std::vector<std::string>{ "line 1 TimeSet CP:1 ID5", "event 151 1 5", "line 0 TimeSet CP:2 ID7",
                                         "line 1 TimeSet CP:3 ID12", "event 151 3 12" }),
              view.Log());
    EXPECT_FALSE(service.WorkerRunning());
}

TEST(SetTime, SecondStartWhileBusyDoesNothing)
{
    RecordingView view;
    view.controllers = { { 1, 5 } };
    g_release = CreateEventA(NULL, TRUE, FALSE, NULL);
    CHalvexViewSetTime service(view, QueueSetTime);
    ASSERT_TRUE(service.StartSetTimeWorker());
    std::vector<BOOL> again(8);
    std::vector<std::thread> starters;
    for (auto& result : again)
        starters.emplace_back([&] { result = service.StartSetTimeWorker(); });
    for (auto& t : starters)
        t.join();
    SetEvent(g_release);
    service.WaitForThreads(PlainWait);
    CloseHandle(g_release);
    g_release = NULL;
    for (BOOL started : again)
        EXPECT_FALSE(started);
    EXPECT_EQ((std::vector<std::string>{ "line 1 TimeSet CP:1 ID5", "event 151 1 5" }), view.Log());
    ASSERT_TRUE(service.StartSetTimeWorker()) << "a finished worker blocks the next";
    service.WaitForThreads(PlainWait);
}

TEST(SetTime, EmptyTreeAddsNoLine)
{
    RecordingView view;
    CHalvexViewSetTime service(view, QueueSetTime);
    ASSERT_TRUE(service.StartSetTimeWorker());
    service.WaitForThreads(PlainWait);
    EXPECT_TRUE(view.Log().empty());
}

TEST(SetTime, IntervalIsComparedInFullMinutes)
{
    FILETIME last = { 0, 1 };
    auto After = [&](LONGLONG seconds) {
        ULARGE_INTEGER u;
        u.LowPart = last.dwLowDateTime;
        u.HighPart = last.dwHighDateTime;
        u.QuadPart += seconds * 10000000LL;
        FILETIME f = { u.LowPart, u.HighPart };
        return f;
    };
    EXPECT_FALSE(CHalvexViewSetTime::IntervalPassed(last, After(59), 1));
    EXPECT_TRUE(CHalvexViewSetTime::IntervalPassed(last, After(60), 1));
    EXPECT_FALSE(CHalvexViewSetTime::IntervalPassed(last, After(1799), 30));
    EXPECT_TRUE(CHalvexViewSetTime::IntervalPassed(last, After(0), 0));
}

} // namespace
