// The port's byte-level transactions over the real Win32 serial line under
// Wine, against a simulated controller whose fault knobs shape each answer:
// the golden transcript with the parity of every byte, and the error code
// every fault gives.
#include "tests/sim/sim_control.h"

#include "bus/VTMultiDrop.h"
#include "framework/sync.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace VTMultiDrop;

namespace {

const int Address = 9;

std::string Frame(const char* code, const char* data)
{
    char frame[FrameBufferSize];
    BuildFrame(code, frame, sizeof frame, data);
    return frame;
}

std::string Join(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : " ") + item;
    return text;
}

// A port opened on the first virtual COM port with the Win32 line; it has no
// devices, so its threads only idle and each transaction is the test's own.
class LineFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<int> ports = halvex_sim::Ports();
        ASSERT_FALSE(ports.empty());
        com_ = ports[0];
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        Initialize(GetCurrentThreadId());
        sim_.Add(com_, Address);
        port_.reset(new CommPort(com_, g_DefaultReadTimeout));
        ASSERT_EQ(port_->OpenPort(), 0);
        sim_.Clear(com_);
    }
    void TearDown() override
    {
        if (port_) {
            EXPECT_EQ(port_->ClosePort(), 0);
        }
        port_.reset();
        sim_.Remove(com_, Address);
    }
    // Fetches and acknowledges whatever reply is still pending, so the next
    // case starts from a controller with nothing to give.
    void Settle()
    {
        sim_.Settle(com_);  // a late answer is on the line now
        char reply[FrameBufferSize];
        port_->PollDevice(Address, reply);
    }

    int com_ = 0;
    halvex_sim::Control sim_;
    std::unique_ptr<CommPort> port_;
};

}  // namespace

TEST_F(LineFaults, GoldenTranscriptWithParity)
{
    CSingleLock lock(&port_->GetLock(), TRUE);
    ASSERT_EQ(port_->SendCommand(Address, Frame("ST", "").c_str()), 0);
    EXPECT_EQ(Join(sim_.Transcript(com_)), "m09 m09 s05 s01 s30 s33 s02 s53 s54 s30 s03 s46 s33 s42 s36 s04");
    sim_.Clear(com_);
    char reply[FrameBufferSize];
    ASSERT_EQ(port_->PollDevice(Address, reply), 0);
    EXPECT_EQ(std::string(reply, 3), "ST0");
    EXPECT_EQ(std::string(reply).size(), 3u + 22u);
    EXPECT_EQ(Join(sim_.Transcript(com_)), "m09 m09 s04 m09 m09 s06 s04");
    EXPECT_EQ(sim_.Events(com_), (std::vector<std::string>{"poll 9", "ack 9"}));
}

TEST_F(LineFaults, EachFaultGivesItsCode)
{
    struct Case {
        const char* knob;  // applied once, to the step under test
        const char* arg;
        bool poll;         // the fault hits the poll of an "ST" reply, else the "ST" command
        int code;          // of SendCommand, or of reading the reply
        int dispatch;      // of dispatching the reply read; -1: none read
    } cases[] = {
        {"", "", false, BUS_OK, -1},
        {"silence", "", false, BUS_NO_SOH, -1},
        {"junk", "4", false, BUS_OK, -1},  // the SOH is the fifth byte read: still found
        {"junk", "5", false, BUS_NO_SOH, -1},
        {"nak", "", false, BUS_OK, -1},  // a NAK still counts as delivered
        {"late", "300", false, BUS_NO_SOH, -1},
        {"late", "20", false, BUS_OK, -1},
        {"shortecho", "1", false, BUS_OK, -1},  // retried
        {"noecho", "", true, BUS_RXSTR, -1},    // the poll's single byte: one attempt
        {"silence", "", true, BUS_NO_SOH, -1},
        {"junk", "3", true, BUS_OK, BUS_OK},
        {"badlen", "", true, BUS_INVALID_DATA_LEN, -1},
        {"wronglen", "1", true, BUS_OK, BUS_INVALID_DATA_LEN},
        {"wronglen", "-2", true, BUS_OK, BUS_INVALID_DATA_LEN},
        {"unknown", "", true, BUS_OK, BUS_UNKNOWN_EVENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.knob) + " " + c.arg + (c.poll ? " on the poll" : " on the command"));
        CSingleLock lock(&port_->GetLock(), TRUE);
        const std::string status = Frame("ST", "");
        if (c.poll) {
            ASSERT_EQ(port_->SendCommand(Address, status.c_str()), 0);
        }
        if (c.knob[0])
            sim_.Knob(com_, Address, c.knob, 1, c.arg);
        char reply[FrameBufferSize];
        if (!c.poll) {
            EXPECT_EQ(port_->SendCommand(Address, status.c_str()), c.code);
        } else {
            EXPECT_EQ(port_->ReadReply(Address, reply), c.code);
            if (c.dispatch >= 0) {
                const std::string payload(reply);
                EXPECT_EQ(port_->DispatchReply(Address, payload.substr(0, 2), payload.substr(3)), c.dispatch)
                    << payload;
                EXPECT_EQ(port_->SendAck(Address), BUS_OK);
            }
        }
        if (c.knob[0])
            sim_.Knob(com_, Address, c.knob, 0);
        Settle();
        EraseStatus(Address);
    }
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE)) {
    }
}

TEST_F(LineFaults, ARegistrationWithABadDateIsStoredInvalid)
{
    sim_.Reg(com_, Address, "00240801140509");
    CSingleLock lock(&port_->GetLock(), TRUE);
    ASSERT_EQ(port_->SendCommand(Address, Frame("SD", "").c_str()), 0);
    sim_.Knob(com_, Address, "baddate", 1);
    char reply[FrameBufferSize];
    ASSERT_EQ(port_->ReadReply(Address, reply), 0);
    const std::string payload(reply);
    ASSERT_EQ(payload.substr(0, 3), "SD0");
    EventArgRegistration r;
    r.Parse(com_, Address, payload.substr(3));
    EXPECT_EQ(r.m_Day, 31);
    EXPECT_EQ(r.m_Month, 2);
    EXPECT_FALSE(r.m_Valid);
}

// An acknowledgement whose echo is lost is written again: the controller
// takes both, and its record leaves the memory exactly once.
TEST_F(LineFaults, ALostAcknowledgementEchoIsRetriedAndDeliversOnce)
{
    sim_.Reg(com_, Address, "00240801140509");
    sim_.Reg(com_, Address, "00240801140510");
    CSingleLock lock(&port_->GetLock(), TRUE);
    ASSERT_EQ(port_->SendCommand(Address, Frame("SD", "").c_str()), 0);
    char reply[FrameBufferSize];
    ASSERT_EQ(port_->ReadReply(Address, reply), 0);
    EXPECT_EQ(std::string(reply), "SD000240801140509");
    sim_.Knob(com_, Address, "dropackecho", 1);
    EXPECT_EQ(port_->SendAck(Address), BUS_OK);
    auto state = sim_.State(com_, Address);
    EXPECT_EQ(state["acks"], 2);
    EXPECT_EQ(state["delivered"], 1);
    EXPECT_EQ(sim_.Fifo(com_, Address), (std::vector<std::string>{"00240801140510"}));
}

// A port closed before any transaction leaves the line at mark parity, which
// a pty keeps; opening it again must still succeed.
TEST_F(LineFaults, APortOpensAgainWhateverParityTheLineKept)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(port_->ClosePort(), 0);
        port_.reset(new CommPort(com_, g_DefaultReadTimeout));
        ASSERT_EQ(port_->OpenPort(), 0);
    }
    CSingleLock lock(&port_->GetLock(), TRUE);
    EXPECT_EQ(port_->SendCommand(Address, Frame("ST", "").c_str()), 0);
}
