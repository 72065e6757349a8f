// The real Halvex.exe's own windows driven from outside: the settings sheet
// with its range checks, the reconnect after OK and the Data Link dialog; the
// main frame that hides into the notification area, its notifier and tray menu.
#include "screen_png.h"
#include "server_process.h"
#include <shellapi.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>

namespace {

const int CmdSettings = 32799;
const int UseDatabase = 1009, ConnectionString = 1010, BuildConnection = 1011;
const int AutoSetInterval = 1023, CommandTimeOut = 1024, TcpPort = 1025;

std::string ControlText(HWND control)
{
    char text[1024] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}

// The text read back, allowing the server a moment after a modal box closes
// (a read in that moment can come back empty).
::testing::AssertionResult TextIs(HWND control, const std::string& expected)
{
    std::string seen;
    if (WaitUntil([&] { return (seen = ControlText(control)) == expected; }, 3000))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "text \"" << seen << "\", expected \"" << expected << "\"";
}

void SetControlText(HWND control, const char* text)
{
    SendMessageA(control, WM_SETTEXT, 0, (LPARAM)text);
}

// A running server, its main window, and its settings sheet opened on demand.
class WindowOperator {
public:
    WindowOperator(const std::string& name, const std::string& ini)
        : m_folder(ServerProcess::MakeFolder(name, ini)), m_server(m_folder)
    {
    }
    bool Start()
    {
        if (!m_server.Start() || !(m_main = m_server.WaitForMainWindow()))
            return false;
        messages = RemoteList(m_server.Handle(), FindChildControl(m_main, 1012, WC_LISTVIEWA));
        return messages.Window() != nullptr;
    }
    // Opens the sheet on the page given (0 database, 1 miscellaneous).
    HWND OpenSheet(int page)
    {
        PostMessageA(m_main, WM_COMMAND, CmdSettings, 0);
        HWND sheet = WaitForProcessDialog(m_server.ProcessId(), "Settings");
        if (sheet && page != 0)
            SendMessageA(sheet, PSM_SETCURSEL, (WPARAM)page, 0);
        return sheet;
    }
    HWND Control(HWND sheet, int id, const char* className = "Edit")
    {
        HWND found = nullptr;
        WaitUntil([&] { return (found = FindChildControl(sheet, id, className)) != nullptr; }, 5000);
        return found;
    }
    // A message box of the server (not the sheet) whose texts hold `text`.
    HWND WaitBox(const std::string& text, DWORD timeoutMs = 10000)
    {
        return WaitForProcessDialog(m_server.ProcessId(), text, timeoutMs);
    }
    int Count(const std::string& text)
    {
        int n = 0;
        for (const std::string& line : messages.Column(1))
            n += line.find(text) != std::string::npos;
        return n;
    }
    int Exit() { return m_server.Exit(); }
    DWORD Pid() const { return m_server.ProcessId(); }
    HWND Main() const { return m_main; }
    ServerProcess& Server() { return m_server; }
    const std::string& Folder() const { return m_folder; }

    RemoteList messages{nullptr, nullptr};

private:
    std::string m_folder;
    ServerProcess m_server;
    HWND m_main = nullptr;
};

bool Closed(HWND window, DWORD timeoutMs = 10000)
{
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

} // namespace

TEST(SettingsSheet, TimeOutInSecondsStoredInMillisecondsAtExit)
{
    WindowOperator op("settings_timeout",
                        "[Settings]\r\nCommandTimeOut=10000\r\n[Misc]\r\nTCPPort=65041\r\n[Database]\r\nUseBCDB=0\r\n");
    ASSERT_TRUE(op.Start());
    HWND sheet = op.OpenSheet(1);
    ASSERT_NE(nullptr, sheet);
    HWND timeout = op.Control(sheet, CommandTimeOut);
    ASSERT_NE(nullptr, timeout);
    EXPECT_EQ("10", ControlText(timeout));
    EXPECT_EQ("65041", ControlText(op.Control(sheet, TcpPort)));
    SetControlText(timeout, "25");
    ASSERT_TRUE(PressButton(sheet, IDOK));
    EXPECT_EQ(0, op.Exit());
    EXPECT_EQ("25000", Profile(op.Folder(), "Settings", "CommandTimeOut"));
}

TEST(SettingsSheet, OutOfRangeValuesAreRefusedAndTheSheetStays)
{
    WindowOperator op("settings_range",
                        "[Settings]\r\nCommandTimeOut=7000\r\n[Misc]\r\nTCPPort=65042\r\nAutoSetTimeInterval=5\r\n"
                        "[Database]\r\nUseBCDB=0\r\n");
    ASSERT_TRUE(op.Start());
    const struct {
        int control;
        const char* value;
        const char* message;
    } cases[] = {
        {AutoSetInterval, "0", "Please enter an integer between 1 and 32767."},
        {TcpPort, "70000", "Please enter an integer between 1 and 65535."},
        {CommandTimeOut, "0", "Please enter an integer between 1 and 65535."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        HWND sheet = op.OpenSheet(1);
        ASSERT_NE(nullptr, sheet);
        HWND edit = op.Control(sheet, c.control);
        ASSERT_NE(nullptr, edit);
        SetControlText(edit, c.value);
        ASSERT_EQ(c.value, ControlText(edit));
        PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(sheet, IDOK));
        HWND box = op.WaitBox(c.message);
        ASSERT_NE(nullptr, box) << "no range message";
        EXPECT_NE(box, sheet);
        ASSERT_TRUE(PressButton(box, IDOK));
        EXPECT_TRUE(IsWindowVisible(sheet)) << "the sheet stays open";
        EXPECT_TRUE(TextIs(edit, c.value));
        ASSERT_TRUE(PressButton(sheet, IDCANCEL));
    }
    EXPECT_EQ(0, op.Exit());
    EXPECT_EQ("7000", Profile(op.Folder(), "Settings", "CommandTimeOut"));
    EXPECT_EQ("65042", Profile(op.Folder(), "Misc", "TCPPort"));
    EXPECT_EQ("5", Profile(op.Folder(), "Misc", "AutoSetTimeInterval"));
}

TEST(SettingsSheet, OkWithoutChangesReconnectsTheDatabase)
{
    WindowOperator op("settings_reconnect", "[Misc]\r\nTCPPort=65043\r\n"
                                              "[Database]\r\nUseBCDB=1\r\nConnStr=Provider=NoSuchProvider.1\r\n");
    ASSERT_TRUE(op.Start());
    const std::string unable = "Unable to connect to database.", disconnected = "Disconnected from database.";
    ASSERT_TRUE(WaitUntil([&] { return op.Count(unable) >= 1; }, 30000)) << Join(op.messages.Column(1));
    const int unableBefore = op.Count(unable), disconnectedBefore = op.Count(disconnected);
    HWND sheet = op.OpenSheet(0);
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ("Provider=NoSuchProvider.1", ControlText(op.Control(sheet, ConnectionString)));
    EXPECT_EQ(BST_CHECKED, SendMessageA(op.Control(sheet, UseDatabase, "Button"), BM_GETCHECK, 0, 0));
    ASSERT_TRUE(PressButton(sheet, IDOK));
    EXPECT_TRUE(WaitUntil([&] {
        return op.Count(disconnected) > disconnectedBefore && op.Count(unable) > unableBefore;
    }, 30000)) << Join(op.messages.Column(1));
    EXPECT_EQ(0, op.Exit());
    EXPECT_EQ("Provider=NoSuchProvider.1", Profile(op.Folder(), "Database", "ConnStr"));
}

TEST(SettingsSheet, BuildKeepsTheTextWhenCancelledOrUnavailable)
{
    WindowOperator op("settings_build", "[Misc]\r\nTCPPort=65044\r\n[Database]\r\nUseBCDB=1\r\nConnStr=\r\n");
    ASSERT_TRUE(op.Start());
    HWND sheet = op.OpenSheet(0);
    ASSERT_NE(nullptr, sheet);
    HWND text = op.Control(sheet, ConnectionString);
    HWND build = op.Control(sheet, BuildConnection, "Button");
    ASSERT_TRUE(text && build);
    EXPECT_TRUE(IsWindowEnabled(build));
    HWND page = GetParent(build);

    // Empty: a new one is asked for; Cancel leaves the text empty.
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(BuildConnection, BN_CLICKED), (LPARAM)build);
    HWND links = op.WaitBox("Data Link Properties", 20000);
    ASSERT_NE(nullptr, links) << "the Data Link dialog did not open";
    ASSERT_TRUE(PressButton(links, IDCANCEL, 20000));
    EXPECT_TRUE(IsWindowVisible(sheet));
    EXPECT_TRUE(TextIs(text, ""));

    // A text to edit: where the dialog cannot edit, the operator is told and
    // the text stays as it was.
    SetControlText(text, "Provider=SQLOLEDB;Data Source=here");
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(BuildConnection, BN_CLICKED), (LPARAM)build);
    HWND box = op.WaitBox("The connection string is kept", 20000);
    if (box != nullptr) {
        ASSERT_TRUE(PressButton(box, IDOK));
    } else {
        // A system whose dialog does edit: cancel it.
        HWND edit = op.WaitBox("Data Link Properties", 5000);
        ASSERT_NE(nullptr, edit) << "neither the dialog nor a message";
        ASSERT_TRUE(PressButton(edit, IDCANCEL, 20000));
    }
    EXPECT_TRUE(IsWindowVisible(sheet));
    EXPECT_TRUE(TextIs(text, "Provider=SQLOLEDB;Data Source=here"));
    ASSERT_TRUE(PressButton(sheet, IDCANCEL));
    EXPECT_TRUE(Closed(sheet));
    EXPECT_EQ(0, op.Exit());
}

// ---- the main frame in the notification area ---------------------------------

namespace {

const UINT TrayNotify = WM_APP + 1;
const UINT TrayId = 138;
const UINT CmdRestore = 32787, CmdAbout = 57664, CmdExit = 57665;

// NIM_MODIFY with only the window and the id: TRUE only for an icon that exists.
bool TrayIconPresent(HWND wnd)
{
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V3_SIZE;
    probe.hWnd = wnd;
    probe.uID = TrayId;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

struct PopupSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK NotifierSearchStep(HWND w, LPARAM lp)
{
    PopupSearch* s = (PopupSearch*)lp;
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    RECT r;
    if (owner == s->pid && IsWindowVisible(w) && (GetWindowLongA(w, GWL_STYLE) & WS_POPUP) &&
        GetWindowRect(w, &r) && r.right - r.left == 100 && r.bottom - r.top == 70) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// The visible 100 x 70 popup of the process: the notifier.
HWND FindNotifier(DWORD pid)
{
    PopupSearch search = {pid, nullptr};
    EnumWindows(NotifierSearchStep, (LPARAM)&search);
    return search.found;
}

bool Alive(const ServerProcess& server) { return WaitForSingleObject(server.Handle(), 0) == WAIT_TIMEOUT; }

} // namespace

TEST(MainFrame, CloseBoxHidesIntoTheTrayWithTheNotifierAndTheTrayBringsItBack)
{
    WindowOperator op("frame_tray", "[Misc]\r\nTCPPort=65045\r\n");
    ASSERT_TRUE(op.Start());
    HWND main = op.Main();
    ServerProcess& server = op.Server();
    const std::string& folder = op.Folder();
    const LONG style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconPresent(main); })) << "tray icon after the start";

    // The close box: hidden and iconic, still running, the notice slides up.
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main) && IsIconic(main); }));
    const DWORD closed = GetTickCount();
    HWND notifier = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (notifier = FindNotifier(server.ProcessId())) != nullptr; }, 3000));
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    RECT r = {};
    EXPECT_TRUE(WaitUntil([&] { return GetWindowRect(notifier, &r) && r.left == sw - 100 && r.top == sh - 70; }, 3000))
        << r.left << "," << r.top;
    SaveScreenPng((folder + "\\notifier.png").c_str(), r);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(notifier); }, 6000));
    printf("the notice was shown for %lu ms\n", GetTickCount() - closed);
    EXPECT_TRUE(Alive(server));
    EXPECT_TRUE(TrayIconPresent(main));

    // A double click on the icon restores; minimising hides again.
    PostMessageA(main, TrayNotify, TrayId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }));
    PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }));
    PostMessageA(main, TrayNotify, TrayId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }));

    // The shell restarts: the icon is gone, the broadcast brings it back.
    NOTIFYICONDATAA gone = {};
    gone.cbSize = NOTIFYICONDATAA_V3_SIZE;
    gone.hWnd = main;
    gone.uID = TrayId;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
    ASSERT_FALSE(TrayIconPresent(main));
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconPresent(main); })) << "the icon came back";

    // The right button: Restore (default), About, Exit; Exit ends the server.
    PostMessageA(main, TrayNotify, TrayId, WM_RBUTTONUP);
    HWND menuWindow = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menuWindow = FindProcessMenu(server.ProcessId())) != nullptr; }));
    HMENU menu = (HMENU)SendMessageA(menuWindow, MN_GETHMENU, 0, 0);
    ASSERT_NE(nullptr, menu);
    // Where menus can be read from another process (not under Wine, whose
    // menus are the process's own; the tray's own test reads them there).
    if (GetMenuItemCount(menu) != -1) {
        ASSERT_EQ(4, GetMenuItemCount(menu));
        EXPECT_EQ(CmdRestore, GetMenuItemID(menu, 0));
        EXPECT_EQ(CmdAbout, GetMenuItemID(menu, 1));
        EXPECT_EQ(CmdExit, GetMenuItemID(menu, 3));
        EXPECT_EQ(CmdRestore, GetMenuDefaultItem(menu, FALSE, 0));
    }
    RECT menuRect = {};
    GetWindowRect(menuWindow, &menuRect);
    SaveScreenPng((folder + "\\tray_menu.png").c_str(), menuRect);
    // The last item from no selection is Exit.
    PostMessageA(menuWindow, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(0, server.WaitForEnd(30000)) << "Exit from the tray menu ends the server";
    EXPECT_EQ("65045", Profile(folder, "Misc", "TCPPort")) << "the shutdown saved the settings";
}

TEST(MainFrame, TheTrayIsIgnoredOnceTheShutdownRuns)
{
    WindowOperator op("frame_tray_exit", "[Misc]\r\nTCPPort=65046\r\n");
    ASSERT_TRUE(op.Start());
    HWND main = op.Main();
    ServerProcess& server = op.Server();
    // Exit, and behind it the tray menu and Restore while the shutdown's
    // waits serve messages: neither may open a menu or stop the end.
    PostMessageA(main, WM_COMMAND, CmdExit, 0);
    for (int i = 0; i < 20; ++i) {
        PostMessageA(main, TrayNotify, TrayId, WM_RBUTTONUP);
        PostMessageA(main, TrayNotify, TrayId, WM_LBUTTONDBLCLK);
    }
    bool menuSeen = false;
    const bool ended = WaitUntil([&] {
        menuSeen = menuSeen || FindProcessMenu(server.ProcessId()) != nullptr;
        return !Alive(server);
    }, 30000, 10);
    EXPECT_FALSE(menuSeen) << "a tray menu opened during the shutdown";
    EXPECT_TRUE(ended);
    if (!ended) {
        if (HWND m = FindProcessMenu(server.ProcessId()))
            PostMessageA(m, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    EXPECT_EQ(0, server.WaitForEnd(30000));
}
