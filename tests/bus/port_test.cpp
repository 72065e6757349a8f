// The port over a scripted line: opening and its failures, the bytes and
// parities of a command and a poll, transaction failures with their codes,
// reopening, and the threads' transactions one at a time.
#include "bus/VTMultiDrop.h"
#include "framework/sync.h"
#include "tests/bus/FakeLine.h"
#include "tests/bus/TestView.h"
#include "tests/bus/call_trace.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace VTMultiDrop;

namespace {

std::string Frame(const char* code, const char* data)
{
    char frame[FrameBufferSize];
    BuildFrame(code, frame, sizeof frame, data);
    return frame;
}

std::vector<UINT> TakeThreadMessages()
{
    std::vector<UINT> posted;
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE))
        posted.push_back(msg.message);
    return posted;
}

// A port whose line is open but whose threads do not run: each transaction
// is the test's own call.
class QuietPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        Initialize(GetCurrentThreadId());
        line_ = new FakeLine;
        port_.reset(new CommPort(4, 16, line_));
        line_->Open(4);
        port_->m_DCB.Parity = SPACEPARITY;
        line_->WithPeer(5, [](FakeLine::Peer&) {});
        SetBusView(&view_);
        TakeThreadMessages();
    }
    void TearDown() override
    {
        SetBusView(nullptr);
        port_.reset();
        g_EventThreadId = GetCurrentThreadId();
    }
    Device* Add(int id, bool online = true)
    {
        Device* device = nullptr;
        EXPECT_EQ(port_->AddDevice(id, &device, online, "Door"), 0);
        return device;
    }
    // Controller 5 gives these answers first (or stays silent); the reply
    // it holds for a poll is an empty registration.
    void Script(const std::vector<std::string>& answers, bool silent)
    {
        line_->WithPeer(5, [&](FakeLine::Peer& p) {
            p = FakeLine::Peer();
            p.silent = silent;
            p.scripted.assign(answers.begin(), answers.end());
            p.pending = "SD0*";
        });
    }
    // An idle request to controller 5, or the reading of its reply.
    int Transact(bool poll)
    {
        CSingleLock lock(&port_->GetLock(), TRUE);
        char reply[FrameBufferSize];
        return poll ? port_->ReadReply(5, reply) : port_->SendCommand(5, Frame("SD", "").c_str());
    }
    FakeLine::Peer PeerState(int address)
    {
        FakeLine::Peer copy;
        line_->WithPeer(address, [&](FakeLine::Peer& p) { copy = p; });
        return copy;
    }

    FakeLine* line_ = nullptr;  // owned by the port
    std::unique_ptr<CommPort> port_;
    TestView view_;
};

}  // namespace

TEST(PortOpen, EachFailingStepGivesItsCodeAndLeavesTheLineClosed)
{
    struct Case {
        const char* step;
        int FakeLine::Faults::*fault;
        int code;
    } cases[] = {
        {"open", &FakeLine::Faults::open, BUS_UNABLE_TO_OPEN},
        {"GetCommState", &FakeLine::Faults::getState, BUS_GETCOMMSTATE},
        {"SetCommState", &FakeLine::Faults::setState, BUS_SETCOMMSTATE},
        {"GetCommTimeouts", &FakeLine::Faults::getTimeouts, BUS_GETCOMMTIMEOUTS},
        {"SetCommTimeouts", &FakeLine::Faults::setTimeouts, BUS_SETCOMMTIMEOUTS},
        {"SetupComm", &FakeLine::Faults::setup, BUS_SETUPCOMM},
        {"PurgeComm", &FakeLine::Faults::purge, BUS_PURGECOMM},
        {"DTR", &FakeLine::Faults::escape, BUS_ESCAPECOMMFUNCTION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        FakeLine* line = new FakeLine;
        CommPort port(3, 16, line);
        FakeLine::Faults faults;
        faults.*c.fault = 1;
        line->SetFaults(faults);
        EXPECT_EQ(port.OpenPort(), c.code);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_FALSE(line->IsOpenNow());
        EXPECT_EQ(port.m_PollThread.GetHandle(), nullptr);
        EXPECT_EQ(port.ClosePort(), BUS_PORT_ALREADY_CLOSED);
    }
}

TEST(PortOpen, SettingsOpenTwiceAndClose)
{
    FakeLine* line = new FakeLine;
    CommPort port(3, 25, line);
    ASSERT_EQ(port.OpenPort(), 0);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.m_DCB.BaudRate, 9600u);
    EXPECT_EQ(port.m_DCB.ByteSize, 8);
    EXPECT_EQ(port.m_DCB.Parity, MARKPARITY);
    EXPECT_EQ(port.m_DCB.StopBits, ONESTOPBIT);
    EXPECT_TRUE(port.m_DCB.fBinary && port.m_DCB.fParity && port.m_DCB.fNull);
    EXPECT_FALSE(port.m_DCB.fOutxCtsFlow || port.m_DCB.fOutxDsrFlow || port.m_DCB.fOutX || port.m_DCB.fInX);
    EXPECT_EQ(port.m_DCB.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
    EXPECT_NE(port.m_PollThread.GetHandle(), nullptr);
    EXPECT_NE(port.m_SelectThread.GetHandle(), nullptr);
    EXPECT_EQ(port.OpenPort(), BUS_PORT_ALREADY_OPENED);
    EXPECT_EQ(line->Opens(), 1);
    EXPECT_EQ(port.ClosePort(), 0);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(line->IsOpenNow());
    EXPECT_EQ(port.m_PollThread.GetHandle(), nullptr);
    EXPECT_EQ(port.m_SelectThread.GetHandle(), nullptr);
    EXPECT_EQ(port.ClosePort(), BUS_PORT_ALREADY_CLOSED);
}

TEST(PortOpen, AFailingCloseIsReported)
{
    FakeLine* line = new FakeLine;
    CommPort port(3, 16, line);
    ASSERT_EQ(port.OpenPort(), 0);
    line->WithFaults([](FakeLine::Faults& f) { f.close = 1; });
    EXPECT_EQ(port.ClosePort(), BUS_UNABLE_TO_CLOSE);
    EXPECT_EQ(port.ClosePort(), BUS_PORT_ALREADY_CLOSED);
}

TEST_F(QuietPort, GoldenTranscriptOfACommandAndAPoll)
{
    CSingleLock lock(&port_->GetLock(), TRUE);
    EXPECT_EQ(port_->SendCommand(5, Frame("ST", "").c_str()), 0);
    EXPECT_EQ(line_->Transcript(),
              "m05 m05 s05 s01 s30 s33 s02 s53 s54 s30 s03 s46 s33 s42 s36 s04");
    line_->ClearTranscript();
    char reply[FrameBufferSize];
    EXPECT_EQ(port_->PollDevice(5, reply), 0);
    EXPECT_EQ(std::string(reply), "ST0AB12324080314050910042");
    // Poll, then a fresh selection for the acknowledgement.
    EXPECT_EQ(line_->Transcript(), "m05 m05 s04 m05 m05 s06 s04");
    EXPECT_EQ(PeerState(5).acks, 1);
}

TEST_F(QuietPort, AddressesAreWrittenByCount)
{
    CSingleLock lock(&port_->GetLock(), TRUE);
    // A low byte of 0 still puts its two address bytes on the line.
    EXPECT_EQ(port_->SelectAddress(0x100), 0);
    EXPECT_EQ(line_->Transcript(), "m00 m00");
    line_->ClearTranscript();
    EXPECT_EQ(port_->SelectAddress(0x1FF), 0);
    EXPECT_EQ(line_->Transcript(), "mFF mFF");
    EXPECT_EQ(port_->WriteEchoed(""), 0);
    unsigned char none[1];
    EXPECT_EQ(port_->ReadExact(none, 0), 0);
}

TEST_F(QuietPort, DevicesOutsideOneByteAreRefused)
{
    Device* device = reinterpret_cast<Device*>(1);
    EXPECT_EQ(port_->AddDevice(0, &device, true, "x"), BUS_DEVICE_DOESNT_EXIST);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(port_->AddDevice(256, &device, true, "x"), BUS_DEVICE_DOESNT_EXIST);
    EXPECT_EQ(port_->AddDevice(261, &device, true, "x"), BUS_DEVICE_DOESNT_EXIST);
    EXPECT_EQ(port_->AddDevice(5, &device, true, "x"), 0);
    EXPECT_EQ(port_->AddDevice(5, &device, true, "x"), BUS_DEVICE_EXISTS);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(port_->FindDevice(261), nullptr);  // never the controller of its low byte
    EXPECT_EQ(port_->DetachDevice(port_->FindDevice(5)), 0);
    EXPECT_EQ(port_->FindDevice(5), nullptr);
}

TEST_F(QuietPort, TransactionFailures)
{
    const std::string nakAnswer = std::string("\x01") + "00" + "\x15" + "01" + "\x04";
    struct Case {
        const char* what;
        bool poll;
        std::vector<std::string> answers;  // scripted; none with `silent`
        bool silent;
        FakeLine::Faults faults;
        int code;
    };
    auto faults = [](std::function<void(FakeLine::Faults&)> set) {
        FakeLine::Faults f;
        set(f);
        return f;
    };
    const Case cases[] = {
        {"silence", false, {}, true, {}, BUS_NO_SOH},
        {"junk before SOH", false, {std::string("abc\x01") + "00\x06\x04"}, false, {}, 0},
        {"only junk", false, {"abcdefgh"}, false, {}, BUS_NO_SOH},
        {"NAK counts as delivered", false, {nakAnswer}, false, {}, 0},
        {"NAK without its tail", false, {std::string("\x01") + "00\x15"}, false, {}, BUS_RXSTR},
        {"answer cut short", false, {std::string("\x01") + "00"}, false, {}, BUS_RXSTR},
        {"reply length not hex", true, {std::string("\x01") + "ZZ05\x02" + "SD0*\x03" + "0000\x04"}, false, {},
         BUS_INVALID_DATA_LEN},
        {"reply length with a blank", true, {std::string("\x01") + " 405\x02" + "SD0*\x03" + "0000\x04"}, false, {},
         BUS_INVALID_DATA_LEN},
        {"payload short", true, {std::string("\x01") + "0A05\x02" + "SD0*"}, false, {}, BUS_RXSTR},
        {"trailer short", true, {std::string("\x01") + "0405\x02" + "SD0*\x03"}, false, {}, BUS_RXSTR},
        {"empty payload", true, {std::string("\x01") + "0005\x02" + "\x03" + "0000\x04"}, false, {}, 0},
        {"one short echo is retried", false, {}, false, faults([](FakeLine::Faults& f) { f.shortEchoes = 1; }), 0},
        {"address echo short twice", false, {}, false, faults([](FakeLine::Faults& f) { f.shortEchoes = 2; }),
         BUS_RXSTR},
        {"read errors (parity, framing)", false, {}, false, faults([](FakeLine::Faults& f) { f.read = -1; }),
         BUS_RXSTR},
        {"space parity refused", false, {}, false, faults([](FakeLine::Faults& f) { f.failParity = SPACEPARITY; }),
         BUS_SETCOMMSTATE},
        {"mark parity refused", false, {}, false, faults([](FakeLine::Faults& f) { f.failParity = MARKPARITY; }),
         BUS_SETCOMMSTATE},
        {"DTR refused", false, {}, false, faults([](FakeLine::Faults& f) { f.escape = 1; }),
         BUS_ESCAPECOMMFUNCTION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Script(c.answers, c.silent);
        line_->SetFaults(c.faults);
        EXPECT_EQ(Transact(c.poll), c.code);
        line_->SetFaults(FakeLine::Faults());
    }
}

TEST_F(QuietPort, EchoIsRetriedOncePerByteWritten)
{
    CSingleLock lock(&port_->GetLock(), TRUE);
    line_->SetFaults([] { FakeLine::Faults f; f.shortEchoes = 100; return f; }());
    const std::string frame = Frame("SD", "");
    EXPECT_EQ(port_->WriteEchoed(frame.c_str()), BUS_RXSTR);
    int remaining = 0;
    line_->WithFaults([&](FakeLine::Faults& f) { remaining = f.shortEchoes; });
    EXPECT_EQ(100 - remaining, 14);
}

// The pause between reads follows a read attempt that left bytes missing:
// bytes already there are taken at once, and a wait still gives up after as
// many attempts, each with its read and one pause, as before.
TEST_F(QuietPort, ReadsPauseOnlyAfterAnAttemptThatLeftBytesMissing)
{
    ASSERT_TRUE(call_trace::Install());
    struct Case {
        const char* what;
        bool poll;
        std::vector<std::string> answers;  // scripted; none with `silent`
        bool silent;
        int reads, pauses, code;
    } const cases[] = {
        {"command answered", false, {}, false, 5, 0, 0},
        {"poll answered", true, {}, false, 6, 0, 0},
        {"three junk bytes before SOH", false, {std::string("abc\x01") + "00\x06\x04"}, false, 8, 3, 0},
        {"silence: five attempts at SOH", false, {}, true, 7, 5, BUS_NO_SOH},
        {"answer cut short: thirty attempts", false, {std::string("\x01") + "00"}, false, 33, 30, BUS_RXSTR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Script(c.answers, c.silent);
        const int readsBefore = line_->Reads();
        call_trace::Start();
        const int code = Transact(c.poll);
        int pauses = 0;
        for (const call_trace::Call& call : call_trace::Stop())
            pauses += call.kind == call_trace::Sleep && call.thread == GetCurrentThreadId() &&
                      call.arg == static_cast<ULONG_PTR>(port_->m_PauseBetweenReads);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(line_->Reads() - readsBefore, c.reads);
        EXPECT_EQ(pauses, c.pauses);
    }
}

TEST(PortReopen, FailedSelectionReopensAndAFailedReopenTakesTheLineDown)
{
    FakeLine* line = new FakeLine;
    CommPort port(3, 16, line);
    ASSERT_EQ(port.OpenPort(), 0);
    {
        CSingleLock lock(&port.GetLock(), TRUE);
        // A refused space parity after the address: error 2 and one reopen.
        line->WithFaults([](FakeLine::Faults& f) { f.failParity = SPACEPARITY; });
        EXPECT_EQ(port.SelectAddress(5), BUS_SETCOMMSTATE);
        EXPECT_EQ(line->Opens(), 2);
        EXPECT_TRUE(port.IsOpen());
        // Now the device cannot be opened again: the line is down, the port
        // still open, and later selections fail at once without a reopen of
        // their own (the select thread retries, and it waits for this lock).
        line->WithFaults([](FakeLine::Faults& f) { f.open = -1; f.failParity = SPACEPARITY; });
        EXPECT_EQ(port.SelectAddress(5), BUS_SETCOMMSTATE);
        EXPECT_EQ(line->Opens(), 3);
        EXPECT_FALSE(line->IsOpenNow());
        EXPECT_TRUE(port.IsLineDown());
        EXPECT_TRUE(port.IsOpen());
        EXPECT_EQ(port.SelectAddress(5), BUS_UNABLE_TO_OPEN);
        EXPECT_EQ(port.SelectAddress(5), BUS_UNABLE_TO_OPEN);
        EXPECT_EQ(line->Opens(), 3);
    }
    EXPECT_EQ(port.ClosePort(), 0);
    EXPECT_EQ(port.m_PollThread.GetHandle(), nullptr);
}

TEST(PortReopen, AReopenWhoseSettingsFailTakesTheLineDownAndCloseJoinsTheThreads)
{
    FakeLine* line = new FakeLine;
    std::unique_ptr<CommPort> port(new CommPort(3, 16, line));
    ASSERT_EQ(port->OpenPort(), 0);
    {
        CSingleLock lock(&port->GetLock(), TRUE);
        line->WithFaults([](FakeLine::Faults& f) { f.escape = 1; f.getTimeouts = -1; });
        EXPECT_EQ(port->SelectAddress(5), BUS_ESCAPECOMMFUNCTION);
        EXPECT_TRUE(port->IsLineDown());
        EXPECT_TRUE(port->IsOpen());
        EXPECT_FALSE(line->IsOpenNow());
    }
    // The threads go on while the line is down; closing joins them.
    EXPECT_NE(port->m_PollThread.GetHandle(), nullptr);
    EXPECT_EQ(WaitForSingleObject(port->m_SelectThread.GetHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(port->ClosePort(), 0);
    EXPECT_EQ(port->m_PollThread.GetHandle(), nullptr);
    EXPECT_EQ(port->m_SelectThread.GetHandle(), nullptr);
    EXPECT_EQ(port->ClosePort(), BUS_PORT_ALREADY_CLOSED);
    port.reset();
}

// The line goes away (an unplugged adapter) and cannot be opened again for
// three attempts: the port keeps its threads and tries once a second, its
// controller goes failing and not answering as a silent one does, and comes
// back responding when the line reopens; one state post per change.
TEST(PortReopen, ALineThatIsDownIsTriedEverySecondAndItsControllerComesBack)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    Initialize(GetCurrentThreadId());
    TestView view;
    SetBusView(&view);
    const LONG pause = g_PauseMachine;
    g_PauseMachine = 1;
    FakeLine* line = new FakeLine;
    line->WithPeer(5, [](FakeLine::Peer&) {});
    CommPort port(3, 16, line);
    ASSERT_EQ(port.OpenPort(), 0);
    Device* device = nullptr;
    ASSERT_EQ(port.AddDevice(5, &device, true, "Door"), 0);

    std::vector<std::pair<int, int>> states;
    auto waitForState = [&](int state) {
        for (int i = 0; i < 2000; ++i) {
            for (const auto& s : view.TakeStates())
                states.push_back(s);
            if (!states.empty() && states.back().second == state)
                return true;
            Sleep(10);
        }
        return false;
    };
    ASSERT_TRUE(waitForState(DEVICE_RESPONDING));
    line->WithFaults([](FakeLine::Faults& f) { f.open = 3; f.failParity = SPACEPARITY; });
    ASSERT_TRUE(waitForState(DEVICE_OFFLINE));
    EXPECT_TRUE(port.IsLineDown());
    EXPECT_TRUE(port.IsOpen()) << "the port keeps its threads";
    ASSERT_TRUE(waitForState(DEVICE_RESPONDING)) << "back when the line reopens";
    EXPECT_FALSE(port.IsLineDown());
    const std::vector<std::pair<int, int>> expected = {
        {5, DEVICE_RESPONDING}, {5, DEVICE_FAILING}, {5, DEVICE_OFFLINE}, {5, DEVICE_RESPONDING}};
    EXPECT_EQ(states, expected);

    // The first open, the reopen that failed, two retries that failed and
    // the one that succeeded, the retries at least a second apart.
    const std::vector<DWORD> opens = line->OpenTicks();
    ASSERT_EQ(opens.size(), 5u);
    for (size_t i = 2; i < opens.size(); ++i)
        EXPECT_GE(opens[i] - opens[i - 1], static_cast<DWORD>(g_ReopenIntervalMs - 20)) << i;

    EXPECT_EQ(port.ClosePort(), 0);
    SetBusView(nullptr);
    g_PauseMachine = pause;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ;
}

TEST(FailureStep, ThresholdsPostEachChangeOnce)
{
    TestView view;
    SetBusView(&view);
    CommPort port(3, 16, new FakeLine);
    Device* device = nullptr;
    ASSERT_EQ(port.AddDevice(7, &device, true, "x"), 0);
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> seen;
    for (int failure = 1; failure <= 25; ++failure) {
        port.FailureStep(device);
        auto states = view.TakeStates();
        if (!states.empty())
            seen.push_back({failure, states});
    }
    // The 11th failure reports failing and the 21st offline; each further
    // failure (only a queued command can fail while offline) runs both tests
    // again, so it goes through state 2 and back, one post at each change.
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> expected = {
        {11, {{7, DEVICE_FAILING}}}, {21, {{7, DEVICE_OFFLINE}}}};
    for (int failure = 22; failure <= 25; ++failure)
        expected.push_back({failure, {{7, DEVICE_FAILING}, {7, DEVICE_OFFLINE}}});
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(device->GetState(), DEVICE_OFFLINE);
    for (int i = 0; i < 200; ++i)
        port.FailureStep(device);
    EXPECT_EQ(device->GetFailureCounter(), 100);
    view.TakeStates();
    SetBusView(nullptr);
}

TEST_F(QuietPort, IdleRequestsWaitForTheEventThreadAndRespectTheQueue)
{
    Device* a = Add(5);
    Device* b = Add(6);
    line_->WithPeer(6, [](FakeLine::Peer&) {});
    CSingleLock lock(&port_->GetLock(), TRUE);

    g_EventThreadId = 0;
    port_->SelectTransaction(a);
    EXPECT_EQ(PeerState(5).frames, 0) << "no idle request before the event thread is known";
    g_EventThreadId = GetCurrentThreadId();

    b->QueueStatus();
    port_->SelectTransaction(a);
    EXPECT_EQ(PeerState(5).frames, 0) << "a queued command holds back every idle request";
    Command* status = b->GetFirstCommand();
    b->CompleteCommand(status);

    a->SetOnLine(false);
    port_->SelectTransaction(a);
    EXPECT_EQ(PeerState(5).frames, 0);
    a->QueueStatus();  // still sent to a switched-off controller
    port_->SelectTransaction(a);
    EXPECT_EQ(PeerState(5).frames, 1);
    EXPECT_TRUE(a->IsPollDue());
    a->CompleteCommand(a->GetFirstCommand());
    a->SetOnLine(true);

    a->SetState(DEVICE_OFFLINE);
    port_->SelectTransaction(a);
    EXPECT_EQ(PeerState(5).frames, 1);
    a->SetState(DEVICE_RESPONDING);
    port_->SelectTransaction(a);
    EXPECT_EQ(PeerState(5).frames, 2);
}

TEST_F(QuietPort, FirstIdleSuccessReportsRespondingOnceAView)
{
    Device* a = Add(5);
    CSingleLock lock(&port_->GetLock(), TRUE);
    SetBusView(nullptr);
    port_->SelectTransaction(a);
    EXPECT_EQ(a->GetState(), DEVICE_NEW) << "no view: the state waits for one";
    SetBusView(&view_);
    port_->SelectTransaction(a);
    port_->SelectTransaction(a);
    const std::vector<std::pair<int, int>> once = {{5, DEVICE_RESPONDING}};
    EXPECT_EQ(view_.TakeStates(), once);
    EXPECT_EQ(a->GetState(), DEVICE_RESPONDING);
}

TEST_F(QuietPort, CommandsDeliveredOnlyAndAnswered)
{
    Device* a = Add(5);
    CSingleLock lock(&port_->GetLock(), TRUE);
    view_.m_selectPollInfo = true;

    a->QueueWriteEEPROM(500, 1);
    port_->SelectTransaction(a);
    EXPECT_EQ(a->GetFirstCommand(), nullptr);
    EXPECT_FALSE(a->IsPollDue());
    EXPECT_EQ(TakeThreadMessages(), std::vector<UINT>{WM_BUS_EEPROM_WRITE});
    EXPECT_EQ(TakeEEPROMWord(5, 500), 1);

    a->QueueStatus();
    port_->SelectTransaction(a);
    ASSERT_NE(a->GetFirstCommand(), nullptr) << "ST waits for its reply";
    EXPECT_TRUE(a->IsPollDue());
    port_->PollTransaction(a);
    EXPECT_EQ(a->GetFirstCommand(), nullptr);
    EXPECT_EQ(TakeThreadMessages(), std::vector<UINT>{WM_BUS_STATUS});
    EXPECT_EQ(GetStatusFirmware(5), "123");
    EraseStatus(5);
    const auto log = view_.Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "Select: WE " + Frame("WE", "01F40001"));
    EXPECT_EQ(log[2], "Poll: ST AB12324080314050910042");
}

TEST_F(QuietPort, ACommandNeverAnsweredIsDroppedAfterItsDeliveries)
{
    Device* a = Add(5);
    CSingleLock lock(&port_->GetLock(), TRUE);
    a->QueueDiagnostics();  // the fake controller takes DG but never replies
    for (int i = 1; i < g_MaxCommandDeliveries; ++i) {
        port_->SelectTransaction(a);
        port_->PollTransaction(a);
        ASSERT_NE(a->GetFirstCommand(), nullptr) << i;
    }
    port_->SelectTransaction(a);
    EXPECT_EQ(a->GetFirstCommand(), nullptr);
    const int frames = PeerState(5).frames;
    port_->SelectTransaction(a);
    EXPECT_EQ(PeerState(5).frames, frames + 1) << "idle requests go on";
}

// The failures a requester must hear of, as (port, id, code, location).
std::vector<std::string> TakeFailedCommands()
{
    std::vector<std::string> failed;
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), WM_BUS_COMMAND_FAILED, WM_BUS_COMMAND_FAILED, PM_REMOVE)) {
        const FailedCommand f = UnpackFailedCommand(msg.lParam);
        failed.push_back(std::to_string(msg.wParam) + " " + std::to_string(f.deviceId) + " " + f.code + " " +
                         std::to_string(f.location));
    }
    TakeThreadMessages();
    return failed;
}

TEST_F(QuietPort, AnAwaitedCommandThatEndsWithoutItsAnswerIsReportedOnce)
{
    Device* a = Add(5);
    CSingleLock lock(&port_->GetLock(), TRUE);
    {
        SCOPED_TRACE("taken every time but never answered");
        a->QueueReadEEPROM(496, true);  // the fake controller gives no RE reply
        for (int i = 0; i < g_MaxCommandDeliveries; ++i) {
            port_->SelectTransaction(a);
            port_->PollTransaction(a);
        }
        EXPECT_EQ(a->GetFirstCommand(), nullptr);
        EXPECT_EQ(TakeFailedCommands(), std::vector<std::string>{"4 5 RE 496"});
    }
    {
        SCOPED_TRACE("dropped at the failure past twenty, awaited and not");
        line_->WithPeer(5, [](FakeLine::Peer& p) { p.silent = true; });
        a->QueueStatus(true);
        a->QueueStatus();
        a->SetFailureCounter(19);
        port_->SelectTransaction(a);
        port_->SelectTransaction(a);
        port_->SelectTransaction(a);
        EXPECT_EQ(a->GetFirstCommand(), nullptr);
        EXPECT_EQ(TakeFailedCommands(), std::vector<std::string>{"4 5 ST 0"});
        line_->WithPeer(5, [](FakeLine::Peer& p) { p.silent = false; });
        a->SetFailureCounter(0);
        a->SetState(DEVICE_RESPONDING);
    }
    {
        SCOPED_TRACE("a status reply whose date is not digits");
        line_->WithPeer(5, [](FakeLine::Peer& p) { p.status = "AB1232X080314050910042"; });
        a->QueueStatus(true);
        port_->SelectTransaction(a);
        port_->PollTransaction(a);
        EXPECT_EQ(a->GetFirstCommand(), nullptr);
        EXPECT_EQ(GetStatusFirmware(5), "");
        EXPECT_EQ(TakeFailedCommands(), std::vector<std::string>{"4 5 ST 0"});
    }
    {
        SCOPED_TRACE("removed with the command still queued");
        a->QueueWriteEEPROM(500, 7, true);
        a->QueueReadEEPROM(501);
        EXPECT_EQ(port_->DetachDevice(a), 0);
        EXPECT_EQ(TakeFailedCommands(), std::vector<std::string>{"4 5 WE 500"});
    }
}

TEST_F(QuietPort, TheFailurePastTwentyDropsTheCommand)
{
    Device* a = Add(5);
    line_->WithPeer(5, [](FakeLine::Peer& p) { p.silent = true; });
    CSingleLock lock(&port_->GetLock(), TRUE);
    a->QueueStatus();
    a->QueueReadEEPROM(1);
    a->SetFailureCounter(19);
    port_->SelectTransaction(a);
    ASSERT_NE(a->GetFirstCommand(), nullptr);
    EXPECT_EQ(a->GetFirstCommand()->GetCode(), "ST");
    port_->SelectTransaction(a);  // 21st failure
    ASSERT_NE(a->GetFirstCommand(), nullptr);
    EXPECT_EQ(a->GetFirstCommand()->GetCode(), "RE");
    EXPECT_FALSE(a->IsPollDue());
    port_->SelectTransaction(a);  // still above 20: dropped at once
    EXPECT_EQ(a->GetFirstCommand(), nullptr);
    EXPECT_EQ(a->GetState(), DEVICE_OFFLINE);
    // A command that gets through brings it back.
    line_->WithPeer(5, [](FakeLine::Peer& p) { p.silent = false; });
    view_.TakeStates();
    a->QueueStatus();
    port_->SelectTransaction(a);
    EXPECT_EQ(a->GetState(), DEVICE_RESPONDING);
    EXPECT_EQ(a->GetFailureCounter(), 0);
    const std::vector<std::pair<int, int>> back = {{5, DEVICE_RESPONDING}};
    EXPECT_EQ(view_.TakeStates(), back);
}

TEST_F(QuietPort, ARegistrationIsAcknowledgedOnlyOnceHandedOn)
{
    Device* a = Add(5);
    line_->WithPeer(5, [](FakeLine::Peer& p) { p.fifo.push_back("00240803140509"); });
    CSingleLock lock(&port_->GetLock(), TRUE);
    port_->SelectTransaction(a);
    g_EventThreadId = 0;  // the event thread has gone
    port_->PollTransaction(a);
    EXPECT_EQ(PeerState(5).acks, 0);
    EXPECT_EQ(PeerState(5).fifo.size(), 1u);
    g_EventThreadId = GetCurrentThreadId();
    port_->SelectTransaction(a);
    port_->PollTransaction(a);
    EXPECT_EQ(PeerState(5).acks, 1);
    EXPECT_TRUE(PeerState(5).fifo.empty());
    EXPECT_EQ(TakeThreadMessages(), std::vector<UINT>{WM_BUS_REGISTRATION});
    // "SD *" carries nothing and is acknowledged.
    port_->SelectTransaction(a);
    port_->PollTransaction(a);
    EXPECT_EQ(PeerState(5).acks, 2);
    EXPECT_TRUE(TakeThreadMessages().empty());
}

// The registry over a port on a scripted line: an id that shares controller
// 5's address byte, or lies outside 1..255, is no controller at all.
TEST(RegistryLookups, IdsOutsideOneByteFindNothingAndLeaveControllerFive)
{
    CommPort* port = new CommPort(3, 16, new FakeLine);
    ASSERT_EQ(port->OpenPort(), 0);
    Device* five = nullptr;
    ASSERT_EQ(port->AddDevice(5, &five, true, "Door"), 0);
    {
        CSingleLock lock(&g_RegistryLock, TRUE);
        g_Ports[3] = port;
    }
    for (int id : {0, 256, 261, -251, 65541}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(FindDevice(port, id), nullptr);
        EXPECT_FALSE(WithDevice(3, id, [](Device&) {}));
        EXPECT_EQ(RemoveDeviceById(3, id), BUS_DEVICE_DOESNT_EXIST);
        EXPECT_EQ(FindDevice(port, 5), five);
    }
    // Port numbers are exact too: 259 is not COM3.
    EXPECT_EQ(RemoveDeviceById(259, 5), BUS_PORT_ALREADY_CLOSED);
    EXPECT_EQ(FindDevice(FindCommPort(3), 5), five);
    // Removal by the exact id takes the controller, and with the last one the port.
    EXPECT_EQ(RemoveDeviceById(3, 5), 0);
    EXPECT_EQ(FindCommPort(3), nullptr);
}
