// The real Halvex.exe under Wine: start-up, the main window's bars, the
// single-instance rule with two processes, the settings written back at Exit,
// and a shutdown asked for several times at once.
#include <winsock2.h>
#include "screen_png.h"
#include "server/app/resource.h"
#include "framework/ids.h"
#include "server_process.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>

namespace {

const int MenuBarId = 0xE81A;

// Entries the server must skip: no name, port 0, port missing.
const char* const InvalidEntriesIni =
    "[Controllers]\r\nOnLine=1\r\nCount=3\r\n"
    "Controller0=5\r\nCommPort0=3\r\nName0=\r\n"
    "Controller1=6\r\nCommPort1=0\r\nName1=Gate\r\n"
    "Controller2=7\r\nName2=Door\r\n"
    "[Misc]\r\nTestMenu=5\r\nSelectPollInfo=1\r\nTCPPort=65011\r\nAutoSetTime=0\r\nAutoSetTimeInterval=3\r\n"
    "[Database]\r\nUseBCDB=0\r\nConnStr=Provider=none\r\n";

bool TcpPortAcceptsNow(int port)
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons((u_short)port);
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    bool ok = connect(s, (sockaddr*)&a, sizeof a) == 0;
    closesocket(s);
    WSACleanup();
    return ok;
}

// The listener starts on its own thread after the window shows: give it a
// bounded while.
bool TcpPortAnswers(int port)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (TcpPortAcceptsNow(port))
            return true;
        Sleep(100);
    }
    return false;
}

std::string ClassOf(HWND wnd)
{
    char name[64] = "";
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND parent, HWND child)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

TEST(ServerRun, MainWindowStacksMenuBarToolbarViewAndStatusBar)
{
    std::string folder = ServerProcess::MakeFolder("bars", "[Misc]\r\nTCPPort=65021\r\n");
    ServerProcess server(folder);
    HWND main = server.StartForMainWindow();
    ASSERT_NE(nullptr, main);
    // The menu bar takes the window's menu over at the first idle pass.
    HWND menuBar = GetDlgItem(main, MenuBarId);
    ASSERT_NE(nullptr, menuBar);
    EXPECT_TRUE(WaitUntil([&] { return GetMenu(main) == nullptr; })) << "the window keeps its own menu";
    EXPECT_TRUE(IsWindowVisible(menuBar));
    HWND toolbar = GetDlgItem(main, 0xE800);
    HWND status = GetDlgItem(main, 0xE801);
    HWND view = GetDlgItem(main, 0xE900);
    ASSERT_NE(nullptr, toolbar);
    ASSERT_NE(nullptr, status);
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(TOOLBARCLASSNAMEA, ClassOf(toolbar));
    EXPECT_EQ(STATUSCLASSNAMEA, ClassOf(status));
    EXPECT_TRUE(IsWindowVisible(toolbar));
    EXPECT_TRUE(IsWindowVisible(status));

    // The buttons of toolbar resource 128, each with its own image in order.
    EXPECT_EQ(11, SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    struct Button { int index; UINT id; int image; } const buttons[] = {
        { 0, ID_CONTROLLER_ADD, 0 }, { 1, ID_CONTROLLER_EDIT, 1 }, { 2, ID_CONTROLLER_REMOVE, 2 },
        { 4, ID_CONTROLLER_STATUS, 3 }, { 5, ID_CONTROLLER_DIAGNOSTICS, 4 }, { 7, ID_EXPAND_ALL, 5 },
        { 8, ID_COLLAPSE_ALL, 6 }, { 10, ID_APP_ABOUT, 7 },
    };
    for (const Button& b : buttons) {
        EXPECT_EQ(b.index, SendMessageA(toolbar, TB_COMMANDTOINDEX, b.id, 0)) << b.id;
        EXPECT_EQ(b.image, SendMessageA(toolbar, TB_GETBITMAP, b.id, 0)) << b.id;
    }
    EXPECT_EQ(1, SendMessageA(status, SB_GETPARTS, 0, 0)) << "one message pane";

    // Menu bar on top, the toolbar under it, then the view, the status bar at
    // the bottom, all across the client area, nothing overlapping.
    RECT client, mb = ChildRect(main, menuBar), tb = ChildRect(main, toolbar), vw = ChildRect(main, view),
                 sb = ChildRect(main, status);
    GetClientRect(main, &client);
    EXPECT_EQ(0, mb.top);
    EXPECT_GT(mb.bottom, mb.top);
    EXPECT_EQ(mb.bottom, tb.top);
    EXPECT_GT(tb.bottom, tb.top);
    EXPECT_EQ(tb.bottom, vw.top);
    EXPECT_EQ(vw.bottom, sb.top);
    EXPECT_EQ(client.bottom, sb.bottom);
    EXPECT_EQ(client.right, mb.right);
    EXPECT_EQ(client.right, tb.right);
    EXPECT_EQ(client.right, sb.right);
    EXPECT_GT(vw.bottom, vw.top);

    RECT shot;
    GetWindowRect(main, &shot);
    SaveScreenPng((folder + "\\main_window.png").c_str(), shot);
    EXPECT_EQ(0, server.Exit());
}

// Keys as the frame's message loop gets them from the keyboard: Alt and F10
// come as system keys, and a key pressed with Alt held carries the context bit.
enum KeyKind { Plain, System, WithAlt };
void PostKey(HWND wnd, UINT key, KeyKind kind = Plain)
{
    const LPARAM context = kind == WithAlt ? (1 << 29) : 0;
    const UINT down = kind == Plain ? WM_KEYDOWN : WM_SYSKEYDOWN, up = kind == Plain ? WM_KEYUP : WM_SYSKEYUP;
    PostMessageA(wnd, down, key, 1 | context);
    PostMessageA(wnd, up, key, 1 | context | 0xC0000000);
}

// Alt and F10 reach the menu bar (its first item, then Down opens it), and
// Alt with a mnemonic opens that popup; Escape twice leaves the bar.
TEST(ServerRun, KeysReachTheMenuBar)
{
    std::string folder = ServerProcess::MakeFolder("menubar", "[Misc]\r\nTCPPort=65021\r\n");
    ServerProcess server(folder);
    HWND main = server.StartForMainWindow();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(WaitUntil([&] { return GetMenu(main) == nullptr; }));
    SetForegroundWindow(main);
    struct Route { const char* name; UINT key; KeyKind kind; UINT then; } const routes[] = {
        { "Alt, Down", VK_MENU, WithAlt, VK_DOWN },
        { "F10, Down", VK_F10, System, VK_DOWN },
        { "Alt+C", 'C', WithAlt, 0 },
    };
    for (const Route& route : routes) {
        PostKey(main, route.key, route.kind);
        if (route.then)
            PostKey(main, route.then);
        EXPECT_TRUE(WaitUntil([&] { return FindProcessMenu(server.ProcessId()) != nullptr; }, 3000)) << route.name;
        if (route.key == 'C') {
            HWND popup = FindProcessMenu(server.ProcessId());
            RECT window, menu;
            GetWindowRect(main, &window);
            GetWindowRect(popup, &menu);
            UnionRect(&window, &window, &menu);
            SaveScreenPng((folder + "\\menu_bar_popup.png").c_str(), window);
            printf("screenshot of the open menu: %s\\menu_bar_popup.png\n", folder.c_str());
        }
        for (int i = 0; i < 2; ++i) {
            PostKey(main, VK_ESCAPE);
            Sleep(200);
        }
        EXPECT_TRUE(WaitUntil([&] { return FindProcessMenu(server.ProcessId()) == nullptr; }, 3000)) << route.name;
    }
    EXPECT_EQ(0, server.Exit());
}

TEST(ServerRun, StartsWithFixedSizeWindowAndServesTcp)
{
    std::string folder = ServerProcess::MakeFolder("start", InvalidEntriesIni);
    ServerProcess server(folder);
    HWND main = server.StartForMainWindow();
    ASSERT_NE(nullptr, main);
    LONG style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_EQ(0, style & WS_THICKFRAME);
    EXPECT_EQ(0, style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(TcpPortAnswers(65011));
    // Read at once and written back as 1 or 0.
    EXPECT_EQ("0", Profile(folder, "Misc", "TestMenu"));
    EXPECT_EQ("1", Profile(folder, "Misc", "SelectPollInfo"));
}

TEST(ServerRun, WritesEverySettingBackAtExit)
{
    std::string folder = ServerProcess::MakeFolder("settings", InvalidEntriesIni);
    ServerProcess server(folder);
    ASSERT_NE(nullptr, server.StartForMainWindow());
    ASSERT_EQ(0, server.Exit());

    struct Key { const char *section, *key, *value; } const expected[] = {
        { "Controllers", "OnLine", "1" },     { "Controllers", "Count", "0" },
        { "Controllers", "Controller0", "<missing>" }, { "Controllers", "Name1", "<missing>" },
        { "Controllers", "Controller2", "<missing>" },
        { "Database", "UseBCDB", "0" },       { "Database", "ConnStr", "Provider=none" },
        { "Misc", "AutoSetTime", "0" },       { "Misc", "AutoSetTimeInterval", "3" },
        { "Misc", "TCPPort", "65011" },       { "Misc", "TestMenu", "0" },
        { "Misc", "SelectPollInfo", "0" },    { "Settings", "CommandTimeOut", "10000" },
    };
    for (const Key& k : expected)
        EXPECT_EQ(k.value, Profile(folder, k.section, k.key)) << k.section << " " << k.key;
}

TEST(ServerRun, CloseBoxHidesAndSecondStartBringsTheFirstBack)
{
    std::string folder = ServerProcess::MakeFolder("single", "[Misc]\r\nTCPPort=65013\r\n");
    ServerProcess first(folder);
    HWND main = first.StartForMainWindow();
    ASSERT_NE(nullptr, main);

    // The close box only hides the window; the server goes on running.
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    for (int i = 0; i < 50 && IsWindowVisible(main); ++i)
        Sleep(100);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(-1, first.WaitForEnd(500));
    EXPECT_TRUE(TcpPortAnswers(65013));

    // A second start restores the first window and ends without one of its own.
    std::string other = ServerProcess::MakeFolder("single2", "[Misc]\r\nTCPPort=65014\r\n");
    ServerProcess second(other);
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(0, second.WaitForEnd(30000));
    for (int i = 0; i < 50 && !IsWindowVisible(main); ++i)
        Sleep(100);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(IsIconic(main));
    EXPECT_FALSE(TcpPortAnswers(65014));
    EXPECT_EQ("<missing>", Profile(other, "Settings", "CommandTimeOut")); // the early end wrote nothing
}
