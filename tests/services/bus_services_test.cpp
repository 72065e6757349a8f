// The service threads' view of the real bus layer: ring records as the
// consumer (for the file and the database) and the push read them, buffered rows rebuilt
// in their own year, and controllers found by (port, id) at use.
#include "bus/VTMultiDrop.h"
#include "framework/sync.h"
#include "tests/bus/FakeLine.h"
#include "server/services/BusServices.h"
#include "server/services/ServiceMessages.h"
#include "tests/services/stub_view.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

struct RemovalView : StubHalvexView {
    HWND window = NULL;
    DWORD DispatcherThreadId() const override { return GetCurrentThreadId(); }
    HWND GetSafeHwnd() const override { return window; }
};

TEST(BusServices, RingRecordReadsAsConsumerDatabaseAndPushNeedIt)
{
    RemovalView view;
    CBusServices bus(view);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char raw[32];
    snprintf(raw, sizeof raw, "1A%02d%02d%02d140700000012345678", now.wDay, now.wMonth, now.wYear % 4);
    int slot = VTMultiDrop::StoreRegistration(3, 12, raw);

    RegistrationRecord r;
    ASSERT_TRUE(bus.ReadRegistration(slot, r));
    EXPECT_EQ(3, r.port);
    EXPECT_EQ(12, r.deviceId);
    EXPECT_EQ(raw, r.rawData);
    EXPECT_EQ("000012345678", r.mediaId);
    EXPECT_EQ("1A", r.eventCodeText);
    EXPECT_EQ(0x1A, r.eventCode);
    EXPECT_EQ(now.wYear, r.year);
    char dateTime[32];
    snprintf(dateTime, sizeof dateTime, "%04d-%02d-%02d 14:07:00", now.wYear, now.wMonth, now.wDay);
    EXPECT_EQ(dateTime, r.dateTimeText);
    EXPECT_EQ("14:07:00", r.timeText);
    EXPECT_TRUE(r.valid);

    CommandProtocol::Reg2Fields f;
    ASSERT_TRUE(bus.ReadReg2Fields(slot, f));
    EXPECT_EQ(3, f.port);
    EXPECT_EQ(12, f.id);
    EXPECT_EQ(14, f.hour);
    EXPECT_EQ(7, f.minute);
}

// The controller keeps the year modulo 4: decoded by today's clock a row
// buffered years ago would land in the wrong cycle of four years.
TEST(BusServices, BufferedRowIsRebuiltInItsStoredYear)
{
    RemovalView view;
    CBusServices bus(view);
    struct {
        int year;
        const char* raw;
        const char* date;
    } cases[] = {
        { 2019, "10311203235959000012345678", "2019-12-31" }, // 2019 % 4 == 3
        { 2020, "10290200080000000012345678", "2020-02-29" }, // a leap day
        { 2023, "10010103000000000012345678", "2023-01-01" },
    };
    for (const auto& c : cases) {
        BufferedRegistration out;
        ASSERT_TRUE(bus.RebuildRegistration(2, 7, c.raw, c.year, out)) << c.raw;
        EXPECT_EQ(c.year, out.year);
        EXPECT_EQ(c.date, out.dateText);
        EXPECT_EQ(2, out.port);
        EXPECT_EQ(7, out.deviceId);
        EXPECT_EQ("000012345678", out.mediaId);
    }
    BufferedRegistration out;
    EXPECT_FALSE(bus.RebuildRegistration(2, 7, "garbage", 2020, out));
    EXPECT_FALSE(bus.RebuildRegistration(2, 7, "10310203000000000012345678", 2023, out)); // 31 February
}

TEST(BusServices, ControllersAreFoundAtUseAndRemovalGoesToTheView)
{
    RemovalView view;
    CBusServices bus(view);
    EXPECT_FALSE(bus.ControllerExists(250, 5)); // no such port
    EXPECT_EQ(VTMultiDrop::BUS_DEVICE_DOESNT_EXIST, QueueSetTimeOnBus(250, 5));
    bus.QueueStatus(250, 5); // nothing to queue on: no effect, no crash

    // "DD" is carried out by the view's window, on the thread that owns it.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "BusServicesTestView";
    RegisterClassA(&wc);
    view.window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    bus.RemoveController(4, 9);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, view.window, WM_REMOVE_CONTROLLER, WM_REMOVE_CONTROLLER, PM_REMOVE));
    EXPECT_EQ(4u, msg.wParam);
    EXPECT_EQ(9, msg.lParam);
    DestroyWindow(view.window);

    // The error answer goes to the dispatcher's queue.
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    bus.PostErrorReply(1, 99);
    ASSERT_TRUE(PeekMessageA(&msg, (HWND)-1, WM_TCP_ERROR_REPLY, WM_TCP_ERROR_REPLY, PM_REMOVE));
    EXPECT_EQ(1u, msg.wParam);
    EXPECT_EQ(99, msg.lParam);
}

// A controller on a line that went away (an unplugged adapter): its frames
// are answered with "ERR" at once instead of waiting in a queue that nothing
// can deliver.
TEST(BusServices, AControllerOnALineThatIsDownIsAnsweredWithErr)
{
    RemovalView view;
    CBusServices bus(view);
    FakeLine* line = new FakeLine;
    line->WithPeer(5, [](FakeLine::Peer&) {});
    VTMultiDrop::CommPort* port = new VTMultiDrop::CommPort(3, 16, line);
    ASSERT_EQ(0, port->OpenPort());
    VTMultiDrop::Device* device = nullptr;
    ASSERT_EQ(0, port->AddDevice(5, &device, true, "Door"));
    {
        CSingleLock lock(&VTMultiDrop::g_RegistryLock, TRUE);
        VTMultiDrop::g_Ports[3] = port;
    }
    EXPECT_TRUE(bus.ControllerExists(3, 5));
    {
        CSingleLock lock(&port->GetLock(), TRUE);
        line->WithFaults([](FakeLine::Faults& f) { f.open = -1; f.failParity = SPACEPARITY; });
        port->SelectAddress(5);
    }
    ASSERT_TRUE(port->IsLineDown());
    EXPECT_FALSE(bus.ControllerExists(3, 5));

    MSG msg;
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    const std::string request = "VeTr 1 0000000 Ob21 3 5 ST 0 0 VTEnd";
    ParseCommandFrames(request.c_str(), request.size(), "10.0.0.7", bus);
    ASSERT_TRUE(PeekMessageA(&msg, (HWND)-1, WM_TCP_ERROR_REPLY, WM_TCP_ERROR_REPLY, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
    EXPECT_EQ(5, msg.lParam);
    EXPECT_FALSE(device->HasCommands());
    EXPECT_TRUE(PendingRequests().Entries(PendingKind::Status).empty());
    EXPECT_EQ(0, VTMultiDrop::RemoveDeviceById(3, 5)); // the last one: the port goes too
    PendingRequests().Clear();
}

} // namespace
