// The rig's virtual COM ports under Wine: a pty linked into the prefix opens as
// a COM device, DTR can be raised (through the rig's shim), and the simulator
// on the Linux side sees the parity set by SetCommState for every byte.
#include "tests/sim/sim_control.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

class Port {
public:
    explicit Port(int com)
    {
        char name[32];
        std::snprintf(name, sizeof name, "\\\\.\\COM%d", com);
        handle_ = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~Port()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    HANDLE Handle() const { return handle_; }

    bool SetParity(BYTE parity)
    {
        DCB dcb = {};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(handle_, &dcb))
            return false;
        dcb.BaudRate = 9600;
        dcb.ByteSize = 8;
        dcb.Parity = parity;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = TRUE;
        dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = dcb.fInX = FALSE;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        return SetCommState(handle_, &dcb) != 0;
    }

    bool Write(const Bytes& bytes)
    {
        DWORD done = 0;
        return WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
               done == bytes.size();
    }

    // Reads count bytes, giving up after a generous while.
    Bytes Read(size_t count)
    {
        Bytes got;
        for (int attempt = 0; attempt < 100 && got.size() < count; ++attempt) {
            unsigned char buf[512];
            DWORD want = static_cast<DWORD>(count - got.size()), done = 0;
            if (want > sizeof buf)
                want = sizeof buf;
            if (ReadFile(handle_, buf, want, &done, nullptr))
                got.insert(got.end(), buf, buf + done);
        }
        return got;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class RigSerial : public ::testing::Test {
protected:
    void SetUp() override
    {
        ports_ = halvex_sim::Ports();
        ASSERT_FALSE(ports_.empty()) << "HALVEX_SIM_PORTS is not set";
        com_ = ports_[0];
        control_.Clear(com_);
        port_.reset(new Port(com_));
        ASSERT_NE(port_->Handle(), INVALID_HANDLE_VALUE) << "COM" << com_ << " error " << GetLastError();
        // The pty keeps the parity of the last program; from none, mark is a change.
        ASSERT_TRUE(port_->SetParity(NOPARITY)) << GetLastError();
        ASSERT_TRUE(port_->SetParity(MARKPARITY)) << GetLastError();
        parity_ = MARKPARITY;
        COMMTIMEOUTS t = {};
        t.ReadIntervalTimeout = MAXDWORD;
        t.ReadTotalTimeoutMultiplier = MAXDWORD;
        t.ReadTotalTimeoutConstant = 100;
        ASSERT_TRUE(SetCommTimeouts(port_->Handle(), &t));
        ASSERT_TRUE(SetupComm(port_->Handle(), 4000, 2000));
        ASSERT_TRUE(PurgeComm(port_->Handle(), PURGE_TXCLEAR | PURGE_RXCLEAR));
    }

    // Writes under the given parity and expects the line echo back. Wine on a
    // pty refuses (error 87) to set the stick parity that is already in force,
    // so only changes are set.
    void Exchange(BYTE parity, const Bytes& bytes)
    {
        if (parity != parity_) {
            ASSERT_TRUE(port_->SetParity(parity)) << GetLastError();
        }
        parity_ = parity;
        ASSERT_TRUE(port_->Write(bytes));
        EXPECT_EQ(port_->Read(bytes.size()), bytes);
    }

    static std::vector<std::string> Tokens(char parity, const Bytes& bytes)
    {
        std::vector<std::string> out;
        for (unsigned char b : bytes) {
            char t[8];
            std::snprintf(t, sizeof t, "%c%02X", parity, b);
            out.push_back(t);
        }
        return out;
    }

    std::vector<int> ports_;
    int com_ = 0;
    BYTE parity_ = NOPARITY;
    halvex_sim::Control control_;
    std::unique_ptr<Port> port_;
};

TEST_F(RigSerial, DtrCanBeRaisedAndLowered)
{
    EXPECT_TRUE(EscapeCommFunction(port_->Handle(), SETDTR)) << GetLastError();
    EXPECT_TRUE(EscapeCommFunction(port_->Handle(), CLRDTR)) << GetLastError();
    EXPECT_TRUE(EscapeCommFunction(port_->Handle(), SETDTR)) << GetLastError();
}

TEST_F(RigSerial, PeerSeesTheParityOfEveryByte)
{
    struct Step {
        BYTE parity;
        char token;
        Bytes bytes;
    };
    // Address bytes 0xC8 are no controller here: the line only echoes.
    const Step steps[] = {
        {MARKPARITY, 'm', {0xC8, 0xC8}},
        {SPACEPARITY, 's', {0x04}},
        {MARKPARITY, 'm', {0xC9, 0xC9}},
        {SPACEPARITY, 's', {0x06, 0x04}},
        {SPACEPARITY, 's', {0x00, 0x41, 0xFF, 0x80}},
        {MARKPARITY, 'm', {0x00}},
    };
    std::vector<std::string> expected;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.token);
        Exchange(s.parity, s.bytes);
        auto t = Tokens(s.token, s.bytes);
        expected.insert(expected.end(), t.begin(), t.end());
    }
    EXPECT_EQ(control_.Transcript(com_), expected);
}

// A controller at address 5 (simulator started with --device 0:5): a status
// request, its answer, the poll, the reply frame and the acknowledgement.
TEST_F(RigSerial, StatusTransactionWithController)
{
    const Bytes select = {0x05, 0x05};
    const Bytes status = {0x05, 0x01, '0', '3', 0x02, 'S', 'T', '0', 0x03, 'F', '3', 'B', '6', 0x04};
    Exchange(MARKPARITY, select);
    Exchange(SPACEPARITY, status);
    EXPECT_EQ(port_->Read(5), (Bytes{0x01, '0', '0', 0x06, 0x04}));

    Exchange(MARKPARITY, select);
    Exchange(SPACEPARITY, {0x04});
    Bytes head = port_->Read(6);
    ASSERT_EQ(head.size(), 6u);
    EXPECT_EQ(head[0], 0x01);
    EXPECT_EQ(std::string(head.begin() + 1, head.begin() + 3), "19");   // "ST" "0" + 22 characters
    Bytes payload = port_->Read(0x19);
    ASSERT_EQ(payload.size(), 0x19u);
    EXPECT_EQ(std::string(payload.begin(), payload.begin() + 3), "ST0");
    EXPECT_EQ(port_->Read(6).size(), 6u);

    Exchange(MARKPARITY, select);
    Exchange(SPACEPARITY, {0x06, 0x04});
    EXPECT_TRUE(control_.Wait(com_, 5, "acks", 1));
    auto state = control_.State(com_, 5);
    EXPECT_EQ(state["ST"], 1);
    EXPECT_EQ(state["polls"], 1);
    EXPECT_EQ(state["naks"], 0);
    EXPECT_EQ(control_.Events(com_), (std::vector<std::string>{"cmd 5 ST", "poll 5", "ack 5"}));
}

}  // namespace
