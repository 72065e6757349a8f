// The whole bus layer under Wine against simulated controllers on virtual COM
// ports: three controllers on the first port and one on the second.
#include "tests/sim/sim_control.h"

#include "bus/VTMultiDrop.h"
#include "tests/bus/TestView.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace VTMultiDrop;

namespace {

// Collects the thread messages the bus posts to this (the event) thread
// while dispatching the view's window messages.
struct EventLog {
    std::vector<MSG> events;
    void Pump(TestView& view, std::vector<std::pair<int, int>>& states)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == nullptr)
                events.push_back(msg);
            else
                DispatchMessageA(&msg);
        }
        auto more = view.TakeStates();
        states.insert(states.end(), more.begin(), more.end());
    }
};

std::string RegistrationData(int code, int second, bool media)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[40];
    std::snprintf(text, sizeof text, "%02X%02d%02d%02d%02d%02d%02d%s", code, now.wDay, now.wMonth, now.wYear % 4, 0, 1,
                  second, media ? "123456789012" : "");
    return text;
}

class BusSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        ports_ = halvex_sim::Ports();
        ASSERT_GE(ports_.size(), 2u);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        Initialize(GetCurrentThreadId());
        SetBusView(&view_);
        g_PauseMachine = 5;
    }
    void TearDown() override
    {
        CloseAll();
        SetBusView(nullptr);
        view_.TakeStates();
    }
    // Pumps until `done` or the time-out; true when done.
    template <class Done>
    bool PumpUntil(Done done, DWORD timeoutMs = 60000)
    {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > timeoutMs)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            log_.Pump(view_, states_);
        }
        return true;
    }
    int Count(UINT message)
    {
        int n = 0;
        for (const MSG& m : log_.events)
            n += m.message == message;
        return n;
    }

    std::vector<int> ports_;
    halvex_sim::Control sim_;
    TestView view_;
    EventLog log_;
    std::vector<std::pair<int, int>> states_;
};

}  // namespace

TEST_F(BusSim, EveryRegistrationArrivesOnceInOrder)
{
    const int com1 = ports_[0], com2 = ports_[1];
    struct Controller {
        int com, id;
    } controllers[] = {{com1, 1}, {com1, 2}, {com1, 3}, {com2, 7}};
    const int perController = 6;
    std::map<int, std::vector<std::string>> sent;
    for (const Controller& c : controllers)
        for (int i = 0; i < perController; ++i) {
            const std::string data = RegistrationData(i % 2 ? 0x80 : 0x00, i, i % 3 == 0);
            sim_.Reg(c.com, c.id, data);
            sent[c.id].push_back(data);
        }
    for (const Controller& c : controllers) {
        Device* device = nullptr;
        ASSERT_EQ(AddDevice(c.com, c.id, &device, "Door", true), 0) << c.id;
        ASSERT_NE(device, nullptr);
    }
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_BUS_REGISTRATION) >= 4 * perController; }));
    // A little longer: nothing more may come.
    PumpUntil([] { return false; }, 500);

    std::map<int, std::vector<std::string>> received;
    for (const MSG& m : log_.events) {
        if (m.message != WM_BUS_REGISTRATION)
            continue;
        const EventArgRegistration& r = g_Registrations[m.lParam];
        EXPECT_EQ(static_cast<int>(m.wParam), r.m_Port);
        EXPECT_EQ(r.m_Port, r.m_DeviceId == 7 ? com2 : com1);
        EXPECT_TRUE(r.m_Valid) << r.m_RawData;
        SYSTEMTIME now;
        GetLocalTime(&now);
        EXPECT_EQ(r.m_Year, now.wYear);
        EXPECT_EQ(r.m_MediaId.size(), r.m_EventCode >= 128 || r.m_RawData.size() == 26 ? 12u : 0u);
        received[r.m_DeviceId].push_back(r.m_RawData);
    }
    EXPECT_EQ(received, sent);
    for (const Controller& c : controllers) {
        EXPECT_TRUE(sim_.Fifo(c.com, c.id).empty());
        EXPECT_EQ(sim_.State(c.com, c.id)["delivered"], perController);
    }
    // Each controller answered: one report of "responding" each.
    std::map<int, int> responding;
    for (auto& s : states_)
        if (s.second == DEVICE_RESPONDING)
            ++responding[s.first];
    EXPECT_EQ(responding, (std::map<int, int>{{1, 1}, {2, 1}, {3, 1}, {7, 1}}));
}

TEST_F(BusSim, ASilentControllerFailsGoesOfflineAndComesBack)
{
    const int com = ports_[0];
    for (int id : {1, 2, 3}) {
        Device* device = nullptr;
        ASSERT_EQ(AddDevice(com, id, &device, "Door", true), 0);
    }
    ASSERT_TRUE(PumpUntil([&] { return states_.size() >= 3; }));
    states_.clear();
    sim_.Knob(com, 2, "silence", -1);
    ASSERT_TRUE(PumpUntil([&] { return states_.size() >= 2; }));
    const std::vector<std::pair<int, int>> down = {{2, DEVICE_FAILING}, {2, DEVICE_OFFLINE}};
    EXPECT_EQ(states_, down);
    // Its neighbours go on meanwhile.
    sim_.Reg(com, 3, RegistrationData(0x81, 1, false));
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_BUS_REGISTRATION) >= 1; }));

    // Offline: no more idle requests for it.
    const int frames = sim_.State(com, 2)["frames"];
    PumpUntil([] { return false; }, 1000);
    EXPECT_EQ(sim_.State(com, 2)["frames"], frames);

    sim_.Knob(com, 2, "silence", 0);
    states_.clear();
    ASSERT_TRUE(WithDevice(com, 2, [](Device& d) { d.QueueStatus(); }));
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_BUS_STATUS) >= 1; }));
    const std::vector<std::pair<int, int>> up = {{2, DEVICE_RESPONDING}};
    EXPECT_EQ(states_, up);
    EXPECT_EQ(FindDevice(FindCommPort(com), 2)->GetState(), DEVICE_RESPONDING);
    EXPECT_EQ(GetStatusDate(2).size(), 10u);
    EraseStatus(2);
}

TEST_F(BusSim, EEPROMReadAndWriteThroughTheSimulator)
{
    const int com = ports_[1];
    Device* device = nullptr;
    ASSERT_EQ(AddDevice(com, 7, &device, "Door", true), 0);
    sim_.Ok("EEPROM " + std::to_string(com) + " 7 01F4 1234");
    ASSERT_TRUE(WithDevice(com, 7, [](Device& d) { d.QueueReadEEPROM(500); }));
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_BUS_EEPROM_READ) >= 1; }));
    EXPECT_EQ(TakeEEPROMWord(7, 500), 0x1234);
    EXPECT_EQ(TakeEEPROMWord(7, 500), 0xFFFF);
    ASSERT_TRUE(WithDevice(com, 7, [](Device& d) { d.QueueWriteEEPROM(501, 0xBEEF); }));
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_BUS_EEPROM_WRITE) >= 1; }));
    EXPECT_EQ(TakeEEPROMWord(7, 501), 0xBEEF);
    EXPECT_EQ(sim_.Ok("EEPROM " + std::to_string(com) + " 7 01F5"), "BEEF");
}

TEST_F(BusSim, RegistryScenario)
{
    const int com1 = ports_[0], com2 = ports_[1];
    Device* device = nullptr;
    // A COM port that does not exist: 7, nothing registered, and again.
    EXPECT_EQ(AddDevice(249, 9, &device, "x", true), BUS_UNABLE_TO_OPEN);
    EXPECT_EQ(FindCommPort(249), nullptr);
    EXPECT_EQ(AddDevice(249, 9, &device, "x", true), BUS_UNABLE_TO_OPEN);
    // Ids are unique across ports and must fit the one address byte.
    ASSERT_EQ(AddDevice(com1, 5, &device, "x", true), 0);
    EXPECT_EQ(AddDevice(com2, 5, &device, "x", true), BUS_DEVICE_EXISTS);
    EXPECT_EQ(FindCommPort(com2), nullptr) << "nothing opened for a refused id";
    EXPECT_EQ(AddDevice(com2, 261, &device, "x", true), BUS_DEVICE_DOESNT_EXIST);
    EXPECT_EQ(AddDevice(com2, 0, &device, "x", true), BUS_DEVICE_DOESNT_EXIST);
    EXPECT_EQ(FindCommPort(com2), nullptr);
    EXPECT_EQ(FindDevice(FindCommPort(com1), 261), nullptr);
    EXPECT_EQ(FindDevice(nullptr, 5), nullptr);
    EXPECT_EQ(RemoveDeviceById(com2, 5), BUS_PORT_ALREADY_CLOSED);
    EXPECT_EQ(RemoveDeviceById(com1, 6), BUS_DEVICE_DOESNT_EXIST);
    EXPECT_FALSE(WithDevice(com1, 6, [](Device&) {}));

    // Removing the last controller closes the port and ends its threads.
    CommPort* port = FindCommPort(com1);
    ASSERT_NE(port, nullptr);
    HANDLE threads[2];
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), port->m_PollThread.GetHandle(), GetCurrentProcess(), &threads[0], SYNCHRONIZE,
                                FALSE, 0));
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), port->m_SelectThread.GetHandle(), GetCurrentProcess(), &threads[1],
                                SYNCHRONIZE, FALSE, 0));
    EXPECT_EQ(RemoveDeviceById(com1, 5), 0);
    EXPECT_EQ(FindCommPort(com1), nullptr);
    EXPECT_EQ(WaitForMultipleObjects(2, threads, TRUE, 0), WAIT_OBJECT_0);
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", com1);
    HANDLE again = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << "the port's handle is closed";
    if (again != INVALID_HANDLE_VALUE)
        CloseHandle(again);
    // A later add opens it again with a fresh port.
    ASSERT_EQ(AddDevice(com1, 5, &device, "x", true), 0);
    EXPECT_NE(FindCommPort(com1), nullptr);
    EXPECT_EQ(RemoveDevice(device), 0);
    EXPECT_EQ(RemoveDevice(nullptr), BUS_DEVICE_DOESNT_EXIST);
    EXPECT_TRUE(g_Ports.empty());
}

namespace {

struct StressShared {
    std::vector<int> coms;
    volatile LONG stop = 0;
    volatile LONG queued = 0;
};

// Plays the TCP command parser: finds controllers and queues on them while
// the window thread adds and removes them.
DWORD WINAPI FindAndQueue(LPVOID p)
{
    auto* shared = static_cast<StressShared*>(p);
    for (unsigned i = 0; !shared->stop; ++i) {
        const int com = shared->coms[i % shared->coms.size()];
        const int id = 1 + static_cast<int>(i % 4);
        if (WithDevice(com, id, [](Device& d) { d.QueueStatus(); }))
            InterlockedIncrement(&shared->queued);
        if (i % 16 == 0)
            Sleep(1);
    }
    return 0;
}

}  // namespace

TEST_F(BusSim, AddsAndRemovesWhileThreadsRunAndAParserQueues)
{
    StressShared shared;
    shared.coms = {ports_[0], ports_[1]};
    for (int com : shared.coms)
        for (int id = 1; id <= 4; ++id)
            sim_.Request("ADD " + std::to_string(com) + " " + std::to_string(id));
    HANDLE parser = CreateThread(nullptr, 0, FindAndQueue, &shared, 0, nullptr);
    const DWORD start = GetTickCount();
    for (int round = 0; round < 40; ++round) {
        for (int id = 1; id <= 4; ++id) {
            Device* device = nullptr;
            const int com = shared.coms[(round + id) % 2];
            ASSERT_EQ(AddDevice(com, id, &device, "x", true), 0) << round << " " << id;
        }
        log_.Pump(view_, states_);
        Sleep(round % 5);
        for (int id = 4; id >= 1; --id)
            ASSERT_EQ(RemoveDeviceById(shared.coms[(round + id) % 2], id), 0) << round << " " << id;
    }
    shared.stop = 1;
    // A deadlock shows as a parser that never ends.
    EXPECT_EQ(WaitForSingleObject(parser, 60000), WAIT_OBJECT_0);
    CloseHandle(parser);
    EXPECT_TRUE(g_Ports.empty());
    EXPECT_GT(shared.queued, 0);
    std::printf("stress: %lu ms, %ld commands queued\n", GetTickCount() - start, shared.queued);
}
