// The notification-area icon against the shell's notification area: the
// tip, adding, removing, coming back after a shell restart, and the clicks.
#include "framework/framework.h"
#include "framework-gui/pump_until.h"
#include "server/app/TrayIcon.h"
#include "server/app/resource.h"
#include <gtest/gtest.h>
#include <string>

namespace {

const UINT CallbackMessage = WM_APP + 1;

// NIM_MODIFY with only the window and the id: TRUE only for an icon that exists.
bool IconPresent(HWND wnd, UINT id)
{
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V3_SIZE;
    probe.hWnd = wnd;
    probe.uID = id;
    return ::Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

// A window that records the commands posted to it.
struct Target : CWnd {
    UINT lastCommand = 0;
    Target() { EXPECT_TRUE(CreateEx(0, nullptr, "target", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr)); }
    ~Target() override { DestroyWindow(); }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_COMMAND)
            lastCommand = LOWORD(wp);
        return CWnd::WindowProc(msg, wp, lp);
    }
};

struct TrayIcon : ::testing::Test {
    HICON icon = (HICON)::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY), IMAGE_ICON, 16, 16, 0);
    COwnedIcon owner{icon};
    Target target;
    CTrayIcon tray;

    void Create(LPCSTR tip = "Halvex")
    {
        ASSERT_TRUE(tray.Create(nullptr, CallbackMessage, tip, icon, IDR_TRAY_MENU));
        tray.SetTargetWnd(&target);
    }
    HWND IconWindow() const { return tray.NotifyData().hWnd; }
};

TEST_F(TrayIcon, TheTipIsCutTo127Characters)
{
    const struct {
        size_t given;
        size_t kept;
    } cases[] = {{0, 0}, {1, 1}, {127, 127}, {128, 127}, {300, 127}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        CTrayIcon icon;
        const std::string tip(c.given, 'T');
        ASSERT_TRUE(icon.Create(nullptr, CallbackMessage, tip.c_str(), this->icon, IDR_TRAY_MENU));
        EXPECT_EQ(std::string(icon.NotifyData().szTip), std::string(c.kept, 'T'));
        EXPECT_EQ(CTrayIcon::s_nMaxTipLength, 128);
    }
}

TEST_F(TrayIcon, TheShellGetsTheFullVersionThreeRecord)
{
    Create();
    const NOTIFYICONDATAA& data = tray.NotifyData();
    // The record up to the balloon icon: 504 bytes on 32-bit Windows.
    EXPECT_EQ(data.cbSize, (DWORD)NOTIFYICONDATAA_V3_SIZE);
    EXPECT_EQ(data.cbSize, sizeof(void*) == 4 ? 504u : 520u);
    EXPECT_EQ(data.uFlags, (UINT)(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(data.uCallbackMessage, CallbackMessage);
    EXPECT_EQ(data.uID, (UINT)IDR_TRAY_MENU);
    EXPECT_EQ(IconWindow(), tray.GetSafeHwnd()); // no parent: its own window
    EXPECT_FALSE(tray.IsHidden());
    EXPECT_FALSE(tray.IsRemoved());
}

TEST_F(TrayIcon, AddedThenRemovedAndGoneWithTheObject)
{
    HWND wnd;
    {
        CTrayIcon icon;
        ASSERT_TRUE(icon.Create(&target, CallbackMessage, "Halvex", this->icon, IDR_TRAY_MENU));
        wnd = icon.NotifyData().hWnd;
        EXPECT_EQ(wnd, target.GetSafeHwnd()); // a parent gets the notifications
        EXPECT_TRUE(IconPresent(wnd, IDR_TRAY_MENU));
        EXPECT_TRUE(icon.RemoveIcon());
        EXPECT_FALSE(IconPresent(wnd, IDR_TRAY_MENU));
        EXPECT_TRUE(icon.RemoveIcon()); // once removed, nothing more to do
    }
    {
        CTrayIcon icon;
        ASSERT_TRUE(icon.Create(&target, CallbackMessage, "Halvex", this->icon, IDR_TRAY_MENU));
        EXPECT_TRUE(icon.SetIcon(this->icon));
    }
    EXPECT_FALSE(IconPresent(wnd, IDR_TRAY_MENU));
}

TEST_F(TrayIcon, ComesBackWhenTheTaskbarIsCreatedAgain)
{
    Create();
    ASSERT_TRUE(IconPresent(IconWindow(), IDR_TRAY_MENU));
    // The shell restarts: every icon is gone, then the broadcast comes.
    NOTIFYICONDATAA gone = {};
    gone.cbSize = NOTIFYICONDATAA_V3_SIZE;
    gone.hWnd = IconWindow();
    gone.uID = IDR_TRAY_MENU;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &gone));
    ASSERT_FALSE(IconPresent(IconWindow(), IDR_TRAY_MENU));
    tray.SendMessage(CTrayIcon::WM_TASKBARCREATED, 0, 0);
    EXPECT_TRUE(IconPresent(IconWindow(), IDR_TRAY_MENU));
    EXPECT_FALSE(tray.IsShowPending());

    // A work-area change puts a lost icon back as well.
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &gone));
    tray.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(IconPresent(IconWindow(), IDR_TRAY_MENU));

    // An icon the program removed stays removed.
    ASSERT_TRUE(tray.RemoveIcon());
    tray.SendMessage(CTrayIcon::WM_TASKBARCREATED, 0, 0);
    EXPECT_FALSE(IconPresent(IconWindow(), IDR_TRAY_MENU));
}

TEST_F(TrayIcon, ADoubleClickPostsTheDefaultCommand)
{
    Create();
    const struct {
        const char* name;
        UINT item;
        BOOL byPosition;
        UINT command;
    } cases[] = {
        {"by command", ID_RESTORE, FALSE, ID_RESTORE},
        {"by position", 3, TRUE, 57665},
        {"first by position", 0, TRUE, ID_RESTORE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(tray.SetMenuDefaultItem(c.item, c.byPosition));
        target.lastCommand = 0;
        // Through the icon's window, as the shell sends it.
        EXPECT_EQ(tray.SendMessage(CallbackMessage, IDR_TRAY_MENU, WM_LBUTTONDBLCLK), 1);
        ASSERT_TRUE(PumpUntil([&] { return target.lastCommand != 0; }, 5000));
        EXPECT_EQ(target.lastCommand, c.command);
    }
}

TEST_F(TrayIcon, NotificationsOfOtherIconsAndOtherMessages)
{
    Create();
    ASSERT_TRUE(tray.SetMenuDefaultItem(ID_RESTORE, FALSE));
    EXPECT_EQ(tray.OnTrayNotification(IDR_TRAY_MENU + 1, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(tray.OnTrayNotification(IDR_TRAY_MENU, WM_MOUSEMOVE), 1);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(target.lastCommand, 0u);

    // Without a menu resource of the icon's id there is no menu to open.
    CTrayIcon other;
    ASSERT_TRUE(other.Create(nullptr, CallbackMessage, "x", icon, 4321));
    other.SetTargetWnd(&target);
    EXPECT_FALSE(other.SetMenuDefaultItem(1, TRUE));
    EXPECT_EQ(other.OnTrayNotification(4321, WM_RBUTTONUP), 0);
    EXPECT_EQ(other.OnTrayNotification(4321, WM_LBUTTONDBLCLK), 0);
}

// What the open tray menu showed, read from a thread timer while it tracks.
struct MenuSeen {
    bool open = false;
    UINT defaultItem = (UINT)-1;
    int count = 0;
    UINT ids[8] = {};
    std::string texts[8];
};
MenuSeen* g_seen = nullptr;

void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND popup = ::FindWindowA("#32768", nullptr);
    if (popup == nullptr || !::IsWindowVisible(popup))
        return;
    HMENU menu = (HMENU)::SendMessageA(popup, MN_GETHMENU, 0, 0);
    if (menu != nullptr && g_seen != nullptr) {
        g_seen->open = true;
        g_seen->defaultItem = ::GetMenuDefaultItem(menu, FALSE, 0);
        g_seen->count = ::GetMenuItemCount(menu);
        for (int i = 0; i < g_seen->count && i < 8; ++i) {
            g_seen->ids[i] = ::GetMenuItemID(menu, i);
            MENUITEMINFOA info = {sizeof info, MIIM_DATA};
            char text[64] = "";
            ::GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            g_seen->texts[i] = text;
        }
    }
    ::KillTimer(nullptr, timer);
    ::EndMenu();
}

TEST_F(TrayIcon, TheRightButtonOpensTheTrayMenuWithRestoreAsDefault)
{
    Create();
    ASSERT_TRUE(tray.SetMenuDefaultItem(ID_RESTORE, FALSE));
    target.ShowWindow(SW_SHOW);
    MenuSeen seen;
    g_seen = &seen;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, ReadOpenMenu);
    EXPECT_EQ(tray.OnTrayNotification(IDR_TRAY_MENU, WM_RBUTTONUP), 1);
    ::KillTimer(nullptr, timer);
    g_seen = nullptr;
    ASSERT_TRUE(seen.open);
    EXPECT_EQ(seen.defaultItem, (UINT)ID_RESTORE);
    ASSERT_EQ(seen.count, 4);
    EXPECT_EQ(seen.ids[0], (UINT)ID_RESTORE);
    EXPECT_EQ(seen.ids[1], 57664u);
    EXPECT_EQ(seen.ids[3], 57665u);
    EXPECT_EQ(seen.texts[0], "Restore");
    EXPECT_EQ(seen.texts[3], "E&xit");
}

} // namespace
