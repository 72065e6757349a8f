// Controllers' command queues, the builders' data texts, and the message pump
// wait.
#include "bus/VTMultiDrop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace VTMultiDrop;

namespace {

HANDLE s_timerEvent;

void CALLBACK SetTimerEvent(HWND, UINT, UINT_PTR, DWORD)
{
    SetEvent(s_timerEvent);
}

const int IdsPerThread = 2000;

DWORD WINAPI TakeCommandIds(LPVOID p)
{
    auto* ids = static_cast<std::vector<int>*>(p);
    for (int i = 0; i < IdsPerThread; ++i)
        ids->push_back(Command("ST", "").GetId());
    return 0;
}

}  // namespace

TEST(DeviceQueue, OldestFirstAndCompletedById)
{
    Device device(nullptr, 5, true, "Gate");
    EXPECT_EQ(device.GetFirstCommand(), nullptr);
    EXPECT_EQ(device.QueueStatus(), 0);
    EXPECT_EQ(device.QueueStatus(), 0);  // twice: both stay
    EXPECT_EQ(device.QueueReadEEPROM(500), 0);
    Command* first = device.GetFirstCommand();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetCode(), "ST");
    EXPECT_EQ(device.GetFirstCommand(), first);  // looking does not take it
    const int firstId = first->GetId();
    device.CompleteCommand(first);
    Command* second = device.GetFirstCommand();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetCode(), "ST");
    EXPECT_GT(second->GetId(), firstId);
    device.CompleteCommand(second);
    EXPECT_EQ(device.GetFirstCommand()->GetCode(), "RE");
    EXPECT_EQ(device.GetFirstCommand()->GetData(), "01F4");
    EXPECT_TRUE(device.HasCommands());
    // Deleting the device deletes what is still queued.
}

TEST(DeviceQueue, BuildersDataAndFrames)
{
    Device device(nullptr, 5, true, "Gate");
    struct Case {
        int (*queue)(Device&);
        const char* code;
        const char* data;
    } cases[] = {
        {[](Device& d) { return d.QueueStatus(); }, "ST", ""},
        {[](Device& d) { return d.QueueDiagnostics(); }, "DG", ""},
        {[](Device& d) { return d.QueueReadEEPROM(500); }, "RE", "01F4"},
        {[](Device& d) { return d.QueueWriteEEPROM(500, 1); }, "WE", "01F40001"},
        {[](Device& d) { return d.QueueWriteEEPROM(0xABCD, 0xFFFF); }, "WE", "ABCDFFFF"},
        {[](Device& d) { return d.QueueReset(); }, "RS", ""},
        {[](Device& d) { return d.QueuePack(); }, "PD", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.queue(device), 0);
        Command* command = device.GetFirstCommand();
        ASSERT_NE(command, nullptr);
        EXPECT_EQ(command->GetCode(), c.code);
        EXPECT_EQ(command->GetData(), c.data);
        char frame[FrameBufferSize];
        ASSERT_TRUE(BuildFrame(c.code, frame, sizeof frame, c.data));
        EXPECT_STREQ(command->GetFrame(), frame);
        device.CompleteCommand(command);
    }
    EXPECT_EQ(device.QueueSetTime(), 0);
    ASSERT_NE(device.GetFirstCommand(), nullptr);
    EXPECT_EQ(device.GetFirstCommand()->GetData().size(), 17u);
}

TEST(DeviceQueue, SetTimeText)
{
    SYSTEMTIME t = {};
    t.wYear = 2011;
    t.wMonth = 8;
    t.wDay = 24;
    t.wDayOfWeek = 3;  // Wednesday
    t.wHour = 14;
    t.wMinute = 5;
    t.wSecond = 9;
    EXPECT_EQ(SetTimeText(t), "24.08.03214:05:09");
    t.wDayOfWeek = 1;  // Monday
    EXPECT_EQ(SetTimeText(t), "24.08.03014:05:09");
    t.wDayOfWeek = 6;  // Saturday
    EXPECT_EQ(SetTimeText(t), "24.08.03514:05:09");
    t.wDayOfWeek = 0;  // Sunday
    EXPECT_EQ(SetTimeText(t), "24.08.03614:05:09");
}

TEST(DeviceQueue, FlagsAndName)
{
    Device device(nullptr, 5, false, "Gate");
    EXPECT_FALSE(device.IsOnLine());
    EXPECT_TRUE(device.IsPollDue());
    device.SetOnLine(true);
    device.SetPollDue(false);
    EXPECT_TRUE(device.IsOnLine());
    EXPECT_FALSE(device.IsPollDue());
    device.SetName("Door");
    EXPECT_EQ(device.GetName(), "Door");
    EXPECT_EQ(device.GetState(), DEVICE_NEW);
}

TEST(DeviceQueue, CommandIdsAreDistinctAcrossThreads)
{
    struct Shared {
        std::vector<int> ids[4];
    } shared;
    HANDLE threads[4];
    for (int i = 0; i < 4; ++i)
        threads[i] = CreateThread(nullptr, 0, TakeCommandIds, &shared.ids[i], 0, nullptr);
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    std::vector<int> all;
    for (int i = 0; i < 4; ++i) {
        CloseHandle(threads[i]);
        all.insert(all.end(), shared.ids[i].begin(), shared.ids[i].end());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}

TEST(WaitWithMessagePump, ReturnsWhenSignalledAndDispatchesMeanwhile)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // A timer message dispatched by the pump sets the event.
    s_timerEvent = event;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, SetTimerEvent);
    EXPECT_EQ(WaitWithMessagePump(&event), WAIT_OBJECT_0);
    KillTimer(nullptr, timer);
    CloseHandle(event);
}

TEST(WaitWithMessagePump, ReturnsOnFailureAndKeepsTheQuit)
{
    HANDLE bad = nullptr;
    EXPECT_EQ(WaitWithMessagePump(&bad), WAIT_FAILED);

    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    s_timerEvent = event;
    PostQuitMessage(42);
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, SetTimerEvent);
    EXPECT_EQ(WaitWithMessagePump(&event), WAIT_OBJECT_0);
    KillTimer(nullptr, timer);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 42u);
    CloseHandle(event);
}
