// The operator's commands of the real Halvex.exe, used as an operator would:
// each command is posted to the main window, its dialog or question is found
// and answered, and the outcome is read back from the controller tree, the
// message list, the user log, the settings file after Exit and the simulated
// controllers on the virtual COM ports.
#include <winsock2.h>
#include "tests/sim/sim_control.h"
#include "server/app/OperatorDialogsRes.h"
#include "server/app/resource.h"
#include "framework/ids.h"
#include "server_process.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Command ids of the main menu, as the program defines them.
enum : WPARAM {
    CmdAdd = ID_CONTROLLER_ADD,
    CmdRemove = ID_CONTROLLER_REMOVE,
    CmdOnLine = ID_ONLINE,
    CmdStatus = ID_CONTROLLER_STATUS,
    CmdSetTime = ID_CONTROLLER_SETTIME,
    CmdReset = ID_CONTROLLER_RESET,
    CmdPack = ID_CONTROLLER_PACK,
    CmdImport = ID_IMPORT_REGISTRATIONS,
    CmdShowUserLog = ID_SHOW_USER_LOG,
    CmdEdit = ID_CONTROLLER_EDIT,
    CmdDiagnostics = ID_CONTROLLER_DIAGNOSTICS,
    CmdExpandAll = ID_EXPAND_ALL,
    CmdCollapseAll = ID_COLLAPSE_ALL,
    CmdSetTimeToAll = ID_SETTIME_ALL,
    CmdStatusAll = ID_STATUS_ALL,
    CmdTestRead = ID_TEST_READ_EEPROM,
    CmdTestWrite = ID_TEST_WRITE_EEPROM,
};

// Controls of the add/edit dialog and of the user log dialog.
const int NameEdit = IDC_CONTROLLER_NAME, PortList = IDC_COMM_PORT, ControllerList = IDC_CONTROLLER_ID,
          UserLogList = IDC_USER_LOG_LIST;

// Root images of the tree: by the controller's state, or switched off.
const int ImageOnLine = 0, ImageNotAnswering = 9, ImageSwitchedOff = 10;

const char* const AskRemove = "Are you sure you wish to remove selected controller?";
const char* const AskSetTime = "Are you sure you wish to set selected controller's time?";
const char* const AskReset = "Are you sure you wish to reset selected controller's registrations buffer?";
const char* const AskPack = "Are you sure you wish to pack selected controller's data?";
const char* const AskSetTimeToAll = "Are you sure you wish to set time to all controllers?";

const char* const Registration = "00240801140509";

int Port(int index)
{
    std::vector<int> ports = halvex_sim::Ports();
    return index < (int)ports.size() ? ports[index] : 0;
}

// Alpha (5) and Bravo (6) on the first port, Charlie (7) on the second; the
// simulator also has controller 9 on the second port, which the ini leaves out.
std::string ServerIni(int tcpPort, bool online = true, const std::string& misc = "")
{
    const int p0 = Port(0), p1 = Port(1);
    return "[Controllers]\r\nOnLine=" + std::string(online ? "1" : "0") + "\r\nCount=3\r\n" +
           "Controller0=5\r\nCommPort0=" + std::to_string(p0) + "\r\nName0=Alpha\r\n" +
           "Controller1=6\r\nCommPort1=" + std::to_string(p0) + "\r\nName1=Bravo\r\n" +
           "Controller2=7\r\nCommPort2=" + std::to_string(p1) + "\r\nName2=Charlie\r\n" +
           "[Misc]\r\nTCPPort=" + std::to_string(tcpPort) + "\r\n" + misc +
           "[Settings]\r\nPauseMachine=20\r\n";
}

std::string Join(const std::vector<int>& items)
{
    std::string all;
    for (int item : items)
        all += (all.empty() ? "" : " ") + std::to_string(item);
    return all;
}

// A running server and the windows an operator works with.
class Operator {
public:
    Operator(const std::string& name, const std::string& ini)
        : m_folder(ServerProcess::MakeFolder(name, ini)), m_server(m_folder)
    {
    }
    // An earlier run's folder, its settings kept.
    explicit Operator(const std::string& folder, int) : m_folder(folder), m_server(folder) {}

    bool Start()
    {
        if (!m_server.Start() || !(m_main = m_server.WaitForMainWindow()))
            return false;
        tree = RemoteTree(m_server.Handle(), FindChildControl(m_main, IDC_TREE, WC_TREEVIEWA));
        messages = RemoteList(m_server.Handle(), FindChildControl(m_main, IDC_MESSAGES, WC_LISTVIEWA));
        registrations = FindChildControl(m_main, IDC_REGISTRATIONS, WC_LISTVIEWA);
        // The start-up adds the configured controllers before the window shows.
        return tree.Window() && messages.Window() && registrations;
    }

    void Post(WPARAM command) { PostMessageA(m_main, WM_COMMAND, command, 0); }

    HWND WaitDialog(const std::string& text, DWORD timeoutMs = 10000)
    {
        return WaitForProcessDialog(m_server.ProcessId(), text, timeoutMs);
    }

    // Posts the command and presses `button` in the question it asks.
    bool Answer(WPARAM command, const char* question, int button)
    {
        Post(command);
        HWND box = WaitDialog(question);
        return box && PressButton(box, button);
    }

    // Opens the user log dialog, reads it and closes it. Commands posted
    // before have all been carried out by the time it opens; a dialog any of
    // them left open is reported in `strays`.
    std::vector<std::vector<std::string>> UserLog(std::vector<std::string>* headings = nullptr,
                                                  std::string* strays = nullptr)
    {
        std::vector<std::vector<std::string>> rows;
        Post(CmdShowUserLog);
        HWND dialog = WaitDialog("User Log");
        if (!dialog) {
            ADD_FAILURE() << "the user log did not open";
            return rows;
        }
        if (strays)
            for (HWND other : ProcessDialogs(m_server.ProcessId()))
                if (other != dialog)
                    *strays += WindowTexts(other);
        RemoteList list(m_server.Handle(), FindChildControl(dialog, UserLogList, WC_LISTVIEWA));
        if (headings) {
            for (int c = 0; c < 8 && !list.Heading(c).empty(); ++c)
                headings->push_back(list.Heading(c) + " " +
                                    std::to_string(SendMessageA(list.Window(), LVM_GETCOLUMNWIDTH, c, 0)));
            LRESULT style = SendMessageA(list.Window(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
            EXPECT_TRUE(style & LVS_EX_FULLROWSELECT) << "full-row selection";
        }
        for (int row = 0, n = list.Count(); row < n; ++row)
            rows.push_back(list.Row(row, 5));
        EXPECT_TRUE(PressButton(dialog, IDCANCEL)) << "Close";
        return rows;
    }

    // Waits until every command posted so far is done; the dialogs left open.
    std::string Settle()
    {
        std::string strays;
        UserLog(nullptr, &strays);
        return strays;
    }

    std::vector<std::string> ChildTexts(const std::string& root)
    {
        std::vector<std::string> texts;
        if (HTREEITEM item = tree.FindRoot(root))
            for (HTREEITEM child : tree.Children(item))
                texts.push_back(tree.Text(child));
        return texts;
    }

    bool HasMessage(const std::string& text)
    {
        for (const std::string& line : messages.Column(1))
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    std::vector<int> RootImages()
    {
        std::vector<int> images;
        for (HTREEITEM item : tree.Roots())
            images.push_back(tree.Image(item));
        return images;
    }

    DWORD Pid() const { return m_server.ProcessId(); }
    HANDLE Process() const { return m_server.Handle(); }
    int Exit() { return m_server.Exit(); }
    int WaitForEnd(DWORD timeoutMs) { return m_server.WaitForEnd(timeoutMs); }
    HWND Main() const { return m_main; }
    bool StillRunning() { return m_server.WaitForEnd(0) == -1; }
    const std::string& Folder() const { return m_folder; }

    RemoteTree tree{ nullptr, nullptr };
    RemoteList messages{ nullptr, nullptr };
    HWND registrations = nullptr;

private:
    std::string m_folder;
    ServerProcess m_server;
    HWND m_main = nullptr;
};

// Fills the open add/edit dialog.
void FillControllerDialog(HWND dialog, const char* name, int port, int id)
{
    SendMessageA(GetDlgItem(dialog, NameEdit), WM_SETTEXT, 0, (LPARAM)name);
    if (port > 0)
        SendMessageA(GetDlgItem(dialog, PortList), CB_SETCURSEL, port - 1, 0);
    if (id > 0)
        SendMessageA(GetDlgItem(dialog, ControllerList), CB_SETCURSEL, id - 1, 0);
}

int Selection(HWND dialog, int list)
{
    return (int)SendMessageA(GetDlgItem(dialog, list), CB_GETCURSEL, 0, 0);
}

std::string NameOf(HWND dialog)
{
    char text[256] = "";
    SendMessageA(GetDlgItem(dialog, NameEdit), WM_GETTEXT, sizeof text, (LPARAM)text);
    return text;
}

std::vector<std::string> LinesOf(int port, int id)
{
    return { "Port: " + std::to_string(port), "Controller: " + std::to_string(id), "Firmware: ", "Date: ",
             "Time: ", "Counter: " };
}

// Waits until the bus has fetched controller `id`'s registrations `rounds`
// more times: whatever the bus would have done meanwhile to the other
// controllers, it has done by then.
bool BusRounds(halvex_sim::Control& sim, int com, int id, int rounds, int timeoutMs = 20000)
{
    return sim.Wait(com, id, "SD", sim.State(com, id)["SD"] + rounds, timeoutMs);
}

// Whether the port's events since the last CLEAR name controller `id`.
bool EventsName(halvex_sim::Control& sim, int com, int id)
{
    const std::string me = " " + std::to_string(id);
    for (const std::string& event : sim.Events(com)) {
        size_t at = event.find(me);
        if (at != std::string::npos && (at + me.size() == event.size() || event[at + me.size()] == ' '))
            return true;
    }
    return false;
}

} // namespace

TEST(OperatorCommands, AddEditAndRemoveThroughTheirDialogs)
{
    const int p0 = Port(0), p1 = Port(1);
    ASSERT_NE(0, p1) << "two simulated ports expected";
    halvex_sim::Control sim;
    Operator op("commands-add", ServerIni(65031));
    ASSERT_TRUE(op.Start());
    EXPECT_EQ("Alpha | Bravo | Charlie", Join(op.tree.RootTexts()));
    EXPECT_EQ(21, op.tree.Count());

    // The first add proposes port 1 and controller 1; an empty name is refused
    // and the dialog stays open.
    op.Post(CmdAdd);
    HWND add = op.WaitDialog("Add controller");
    ASSERT_NE(nullptr, add);
    EXPECT_EQ(0, Selection(add, PortList));
    EXPECT_EQ(0, Selection(add, ControllerList));
    EXPECT_EQ(255, (int)SendMessageA(GetDlgItem(add, PortList), CB_GETCOUNT, 0, 0));
    PostMessageA(add, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(add, IDOK));
    HWND noName = op.WaitDialog("No name specified.");
    ASSERT_NE(nullptr, noName);
    EXPECT_TRUE(PressButton(noName, IDOK));
    EXPECT_TRUE(IsWindowVisible(add));

    // Controller 9 on the second port, sorted in among the roots.
    FillControllerDialog(add, "Beta", p1, 9);
    EXPECT_TRUE(PressButton(add, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return op.tree.Count() == 28; }));
    EXPECT_EQ("Alpha | Beta | Bravo | Charlie", Join(op.tree.RootTexts()));
    EXPECT_EQ(Join(LinesOf(p1, 9)), Join(op.ChildTexts("Beta")));
    EXPECT_EQ(std::to_string(p1 - 1), Profile(op.Folder(), "DialogAdd", "CommPort"));
    EXPECT_EQ("8", Profile(op.Folder(), "DialogAdd", "Controller"));
    EXPECT_EQ("20", Profile(op.Folder(), "Settings", "PauseMachine"));
    EXPECT_EQ("16", Profile(op.Folder(), "Settings", "PauseSerial"));
    EXPECT_TRUE(sim.Wait(p1, 9, "SD", 1, 10000)) << "the new controller is served";

    // The next add proposes the last choice; Cancel adds nothing.
    op.Post(CmdAdd);
    add = op.WaitDialog("Add controller");
    ASSERT_NE(nullptr, add);
    EXPECT_EQ(p1 - 1, Selection(add, PortList));
    EXPECT_EQ(8, Selection(add, ControllerList));
    FillControllerDialog(add, "Never", 0, 0);
    EXPECT_TRUE(PressButton(add, IDCANCEL));

    // An id already served, on its own port or on another, and a port that
    // cannot be opened are refused with the bus error; the tree stays as it was.
    struct Refused { int port, id; } const refused[] = { { p0, 6 }, { p1, 5 }, { 250, 11 } };
    for (const Refused& d : refused) {
        op.Post(CmdAdd);
        add = op.WaitDialog("Add controller");
        ASSERT_NE(nullptr, add);
        FillControllerDialog(add, "Echo", d.port, d.id);
        EXPECT_TRUE(PressButton(add, IDOK));
        HWND error = nullptr;
        WaitUntil([&] {
            std::vector<HWND> open = ProcessDialogs(op.Pid());
            error = open.empty() ? nullptr : open.front();
            return error != nullptr;
        });
        ASSERT_NE(nullptr, error) << "port " << d.port << " id " << d.id;
        EXPECT_EQ(std::string::npos, WindowTexts(error).find("Add controller"));
        EXPECT_TRUE(PressButton(error, IDOK));
        EXPECT_EQ("Alpha | Beta | Bravo | Charlie", Join(op.tree.RootTexts()));
        EXPECT_EQ(28, op.tree.Count());
    }

    // Edit shows the controller with port and id fixed; only the name changes,
    // and the roots are sorted again. (Every OK of the add dialog, refused or
    // not, kept its choice; the edit keeps it as it is.)
    EXPECT_EQ("249", Profile(op.Folder(), "DialogAdd", "CommPort"));
    EXPECT_EQ("10", Profile(op.Folder(), "DialogAdd", "Controller"));
    ASSERT_TRUE(op.tree.Select(op.tree.FindRoot("Bravo")));
    op.Post(CmdEdit);
    HWND edit = op.WaitDialog("Edit controller");
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ("Bravo", NameOf(edit));
    EXPECT_EQ(p0 - 1, Selection(edit, PortList));
    EXPECT_EQ(5, Selection(edit, ControllerList));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(edit, PortList)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(edit, ControllerList)));
    FillControllerDialog(edit, "Zulu", 0, 0);
    EXPECT_TRUE(PressButton(edit, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return Join(op.tree.RootTexts()) == "Alpha | Beta | Charlie | Zulu"; }))
        << Join(op.tree.RootTexts());
    EXPECT_EQ(Join(LinesOf(p0, 6)), Join(op.ChildTexts("Zulu")));
    EXPECT_EQ("10", Profile(op.Folder(), "DialogAdd", "Controller")) << "edit leaves the add choice";

    // Edit from a child line; Cancel keeps the name.
    ASSERT_TRUE(op.tree.Select(op.tree.Children(op.tree.FindRoot("Charlie"))[3]));
    op.Post(CmdEdit);
    edit = op.WaitDialog("Edit controller");
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ("Charlie", NameOf(edit));
    FillControllerDialog(edit, "Nope", 0, 0);
    EXPECT_TRUE(PressButton(edit, IDCANCEL));
    EXPECT_EQ("Alpha | Beta | Charlie | Zulu", Join(op.tree.RootTexts()));

    // Remove, asked from a child line: Cancel keeps it, OK takes the
    // controller with all its lines away, and the bus stops serving it.
    ASSERT_TRUE(op.tree.Select(op.tree.Children(op.tree.FindRoot("Alpha"))[1]));
    ASSERT_TRUE(op.Answer(CmdRemove, AskRemove, IDCANCEL));
    EXPECT_EQ("", op.Settle());
    EXPECT_EQ("Alpha | Beta | Charlie | Zulu", Join(op.tree.RootTexts()));
    ASSERT_TRUE(op.Answer(CmdRemove, AskRemove, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return op.tree.Count() == 21; }));
    EXPECT_EQ("Beta | Charlie | Zulu", Join(op.tree.RootTexts()));
    sim.Clear(p0);
    ASSERT_TRUE(BusRounds(sim, p0, 6, 3)) << "the bus no longer goes round";
    EXPECT_FALSE(EventsName(sim, p0, 5)) << Join(sim.Events(p0));
    EXPECT_TRUE(EventsName(sim, p0, 6)) << "the other controller of the port is still served";

    ASSERT_EQ(0, op.Exit());
    struct Key { const char *key; std::string value; } const saved[] = {
        { "Count", "3" },
        { "Name0", "Beta" },    { "Controller0", "9" }, { "CommPort0", std::to_string(p1) },
        { "Name1", "Charlie" }, { "Controller1", "7" }, { "CommPort1", std::to_string(p1) },
        { "Name2", "Zulu" },    { "Controller2", "6" }, { "CommPort2", std::to_string(p0) },
        { "Name3", "<missing>" }, { "Controller3", "<missing>" },
    };
    for (const Key& k : saved)
        EXPECT_EQ(k.value, Profile(op.Folder(), "Controllers", k.key)) << k.key;
}

TEST(OperatorCommands, BusCommandsReachTheSelectedControllerAndTheUserLog)
{
    const int p0 = Port(0), p1 = Port(1);
    ASSERT_NE(0, p1);
    halvex_sim::Control sim;
    for (int id : { 5, 6 })
        sim.Ok("CLOCK " + std::to_string(p0) + " " + std::to_string(id) + " 01.01.2020 00:00:00");
    sim.Ok("CLOCK " + std::to_string(p1) + " 7 01.01.2020 00:00:00");
    Operator op("commands-bus", ServerIni(65032));
    ASSERT_TRUE(op.Start());

    // Status from a child line reads the status of its controller only; the
    // reply fills the controller's lines and opens them.
    sim.Ok("CLOCK " + std::to_string(p0) + " 6 03.03.2023 10:15:30");
    int alphaStatus = sim.State(p0, 5)["ST"];
    HTREEITEM bravo = op.tree.FindRoot("Bravo");
    ASSERT_TRUE(op.tree.Select(op.tree.Children(bravo)[0]));
    op.Post(CmdStatus);
    EXPECT_TRUE(sim.Wait(p0, 6, "ST", 1, 10000));
    EXPECT_TRUE(WaitUntil([&] { return op.ChildTexts("Bravo")[2] == "Firmware: 100"; }));
    std::vector<std::string> lines = op.ChildTexts("Bravo");
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("-03-03", lines[3].substr(lines[3].size() - 6)) << lines[3];
    EXPECT_EQ(0u, lines[4].find("Time: 10:15:")) << lines[4];
    EXPECT_EQ("Counter: 0000", lines[5]);
    EXPECT_TRUE(op.tree.Expanded(bravo));
    EXPECT_EQ(alphaStatus, sim.State(p0, 5)["ST"]);

    // Status of all, also with nothing selected.
    int before[3] = { sim.State(p0, 5)["ST"], sim.State(p0, 6)["ST"], sim.State(p1, 7)["ST"] };
    ASSERT_TRUE(op.tree.Select(nullptr));
    op.Post(CmdStatusAll);
    EXPECT_TRUE(sim.Wait(p0, 5, "ST", before[0] + 1, 10000));
    EXPECT_TRUE(sim.Wait(p0, 6, "ST", before[1] + 1, 10000));
    EXPECT_TRUE(sim.Wait(p1, 7, "ST", before[2] + 1, 10000));
    EXPECT_TRUE(WaitUntil([&] { return op.ChildTexts("Alpha")[2] == "Firmware: 100"; }));

    // Diagnostics: the reply becomes a message line with its three counters.
    sim.Reg(p0, 5, Registration);
    sim.Reg(p0, 5, Registration);
    ASSERT_TRUE(sim.Wait(p0, 5, "delivered", 2, 10000));
    ASSERT_TRUE(op.tree.Select(op.tree.FindRoot("Alpha")));
    op.Post(CmdDiagnostics);
    EXPECT_TRUE(sim.Wait(p0, 5, "DG", 1, 10000));
    const std::string diagnostics = "CP:" + std::to_string(p0) + " ID:5 CT:0000 RD:0002 WR:";
    EXPECT_TRUE(WaitUntil([&] { return op.HasMessage(diagnostics); })) << Join(op.messages.Column(1));

    // Set time, reset and pack ask first: Cancel sends nothing, OK sends the
    // command and writes the user-log row.
    struct Asked {
        WPARAM command;
        const char* question;
        const char* code;
    } const asked[] = {
        { CmdSetTime, AskSetTime, "WT" },
        { CmdReset, AskReset, "RS" },
        { CmdPack, AskPack, "PD" },
    };
    // The simulator lives through all the cases: its counters are compared
    // with their values now.
    std::map<std::string, int> alpha = sim.State(p0, 5), bravoCounts = sim.State(p0, 6), charlie = sim.State(p1, 7);
    size_t logged = 0;
    for (const Asked& a : asked) {
        ASSERT_TRUE(op.Answer(a.command, a.question, IDCANCEL)) << a.code;
        EXPECT_EQ("", op.Settle()) << a.code;
        EXPECT_EQ(alpha[a.code], sim.State(p0, 5)[a.code]) << a.code;
        EXPECT_EQ(logged, op.UserLog().size()) << a.code;
        if (a.command == CmdSetTime) {
            EXPECT_EQ("01.01.2020", sim.Ok("CLOCK " + std::to_string(p0) + " 5").substr(0, 10));
        }
        ASSERT_TRUE(op.Answer(a.command, a.question, IDOK)) << a.code;
        EXPECT_TRUE(sim.Wait(p0, 5, a.code, alpha[a.code] + 1, 10000)) << a.code;
        EXPECT_EQ(bravoCounts[a.code], sim.State(p0, 6)[a.code]) << a.code;
        EXPECT_EQ(++logged, op.UserLog().size()) << a.code;
    }
    EXPECT_GE(5, llabs(SecondsFromNow(sim.Ok("CLOCK " + std::to_string(p0) + " 5"))));
    EXPECT_TRUE(sim.Fifo(p0, 5).empty());

    // Set time to all: Cancel sets nothing; OK sets every controller's clock,
    // with a message line and a user-log row each.
    ASSERT_TRUE(op.Answer(CmdSetTimeToAll, AskSetTimeToAll, IDCANCEL));
    EXPECT_EQ("", op.Settle());
    EXPECT_EQ(bravoCounts["WT"], sim.State(p0, 6)["WT"]);
    EXPECT_EQ(charlie["WT"], sim.State(p1, 7)["WT"]);
    ASSERT_TRUE(op.Answer(CmdSetTimeToAll, AskSetTimeToAll, IDOK));
    EXPECT_TRUE(sim.Wait(p0, 5, "WT", alpha["WT"] + 2, 10000));
    EXPECT_TRUE(sim.Wait(p0, 6, "WT", bravoCounts["WT"] + 1, 10000));
    EXPECT_TRUE(sim.Wait(p1, 7, "WT", charlie["WT"] + 1, 10000));
    EXPECT_GE(5, llabs(SecondsFromNow(sim.Ok("CLOCK " + std::to_string(p0) + " 6"))));
    EXPECT_GE(5, llabs(SecondsFromNow(sim.Ok("CLOCK " + std::to_string(p1) + " 7"))));
    for (const std::string& line : { "TimeSet CP:" + std::to_string(p0) + " ID5",
                                     "TimeSet CP:" + std::to_string(p0) + " ID6",
                                     "TimeSet CP:" + std::to_string(p1) + " ID7" })
        EXPECT_TRUE(WaitUntil([&] { return op.HasMessage(line); })) << line;

    // The user log dialog: five columns, the rows oldest first.
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows = op.UserLog(&headings);
    EXPECT_EQ("Date/Time 140 | Event 80 | Port 32 | Controller 32 | Description 180", Join(headings));
    const std::string P0 = std::to_string(p0), P1 = std::to_string(p1);
    const std::vector<std::vector<std::string>> expected = {
        { "TimeSet", P0, "5" }, { "Reset", P0, "5" }, { "Pack", P0, "5" },
        { "TimeSet", P0, "5" }, { "TimeSet", P0, "6" }, { "TimeSet", P1, "7" },
    };
    ASSERT_EQ(expected.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(Join(expected[i]), Join({ rows[i][1], rows[i][2], rows[i][3] })) << "row " << i;
        EXPECT_EQ("", rows[i][4]) << "row " << i;
        int y, mo, d, h, mi, s, ms;
        EXPECT_EQ(7, sscanf(rows[i][0].c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3d", &y, &mo, &d, &h, &mi, &s, &ms))
            << rows[i][0];
        EXPECT_EQ(23u, rows[i][0].size()) << rows[i][0];
        if (i > 0) {
            EXPECT_LT(rows[i - 1][0], rows[i][0]);
        }
    }
    ASSERT_EQ(0, op.Exit());
}

TEST(OperatorCommands, WithNothingSelectedTheControllerCommandsDoNothing)
{
    const int p0 = Port(0), p1 = Port(1);
    halvex_sim::Control sim;
    Operator op("commands-none", ServerIni(65033));
    ASSERT_TRUE(op.Start());
    ASSERT_TRUE(op.tree.Select(nullptr));
    const char* const codes[] = { "ST", "DG", "WT", "RS", "PD", "RE", "WE" };
    struct Counters { int com, id; std::map<std::string, int> state; };
    auto snapshot = [&] {
        return std::vector<Counters>{ { p0, 5, sim.State(p0, 5) }, { p0, 6, sim.State(p0, 6) },
                                      { p1, 7, sim.State(p1, 7) } };
    };
    std::vector<Counters> before = snapshot();

    // The import is refused too while the reporting database is not connected.
    const WPARAM refused[] = { CmdEdit, CmdRemove, CmdStatus, CmdDiagnostics, CmdSetTime, CmdReset, CmdPack,
                               CmdSetTimeToAll, CmdExpandAll, CmdCollapseAll, CmdTestRead, CmdTestWrite,
                               CmdImport };
    for (WPARAM command : refused)
        op.Post(command);
    std::vector<std::string> headings;
    std::string strays;
    // A fresh folder's user log: the five headings and no rows.
    EXPECT_EQ(0u, op.UserLog(&headings, &strays).size());
    EXPECT_EQ("Date/Time 140 | Event 80 | Port 32 | Controller 32 | Description 180", Join(headings));
    EXPECT_EQ("", strays);
    EXPECT_EQ(21, op.tree.Count());
    EXPECT_EQ("Alpha | Bravo | Charlie", Join(op.tree.RootTexts()));
    for (HTREEITEM root : op.tree.Roots())
        EXPECT_FALSE(op.tree.Expanded(root));

    // With a controller selected, the test commands stay refused while the
    // settings leave them off.
    ASSERT_TRUE(op.tree.Select(op.tree.FindRoot("Alpha")));
    op.Post(CmdTestRead);
    op.Post(CmdTestWrite);
    EXPECT_EQ("", op.Settle());
    ASSERT_TRUE(BusRounds(sim, p0, 5, 2));
    std::vector<Counters> after = snapshot();
    for (size_t i = 0; i < after.size(); ++i)
        for (const char* code : codes)
            EXPECT_EQ(before[i].state[code], after[i].state[code]) << code << " of " << after[i].id;
    EXPECT_TRUE(op.StillRunning());
    ASSERT_EQ(0, op.Exit());
}

TEST(OperatorCommands, TestCommandsReadAndWriteTheirLocations)
{
    const int p0 = Port(0);
    halvex_sim::Control sim;
    Operator op("commands-test", ServerIni(65034, true, "TestMenu=1\r\n"));
    ASSERT_TRUE(op.Start());
    ASSERT_TRUE(op.tree.Select(op.tree.Children(op.tree.FindRoot("Alpha"))[2]));
    sim.Clear(p0);
    const int bravoWrites = sim.State(p0, 6)["WE"];
    const int alphaWrites = sim.State(p0, 5)["WE"], alphaReads = sim.State(p0, 5)["RE"];
    op.Post(CmdTestWrite);
    EXPECT_TRUE(sim.Wait(p0, 5, "WE", alphaWrites + 200, 60000));
    const std::string eeprom = "EEPROM " + std::to_string(p0) + " 5 ";
    EXPECT_EQ("0504", sim.Ok(eeprom + "0004"));
    EXPECT_EQ("0550", sim.Ok(eeprom + "0050"));
    EXPECT_EQ("05CB", sim.Ok(eeprom + "00CB"));
    EXPECT_EQ("0000", sim.Ok(eeprom + "0003"));
    EXPECT_EQ("0000", sim.Ok(eeprom + "00CC"));
    EXPECT_EQ(bravoWrites, sim.State(p0, 6)["WE"]);

    op.Post(CmdTestRead);
    EXPECT_TRUE(sim.Wait(p0, 5, "RE", alphaReads + 200, 60000));
    // Every location from 4 to 203 was read, and no other (a command the line
    // lost is sent again, so the count of reads alone does not tell).
    std::set<int> read;
    auto locationsRead = [&] {
        read.clear();
        for (const std::string& event : sim.Events(p0)) {
            unsigned location = 0;
            if (sscanf(event.c_str(), "cmd 5 RE %x", &location) == 1)
                read.insert((int)location);
        }
        return read.size();
    };
    WaitUntil([&] { return locationsRead() >= 200; }, 60000, 200);
    ASSERT_EQ(200u, locationsRead());
    EXPECT_EQ(4, *read.begin());
    EXPECT_EQ(203, *read.rbegin());
    ASSERT_EQ(0, op.Exit());
    EXPECT_EQ("1", Profile(op.Folder(), "Misc", "TestMenu"));
}

TEST(OperatorCommands, OnLineSwitchAndTreeExpansion)
{
    const int p0 = Port(0), p1 = Port(1);
    halvex_sim::Control sim;
    std::string folder;
    {
        Operator op("commands-online", ServerIni(65035));
        ASSERT_TRUE(op.Start());
        folder = op.Folder();
        EXPECT_EQ(std::vector<int>(3, ImageOnLine), op.RootImages());
        EXPECT_TRUE(IsWindowEnabled(op.registrations));

        // Expand and collapse act on every controller.
        ASSERT_TRUE(op.tree.Select(op.tree.FindRoot("Bravo")));
        op.Post(CmdExpandAll);
        op.Settle();
        for (HTREEITEM root : op.tree.Roots())
            EXPECT_TRUE(op.tree.Expanded(root)) << op.tree.Text(root);
        op.Post(CmdCollapseAll);
        op.Settle();
        for (HTREEITEM root : op.tree.Roots())
            EXPECT_FALSE(op.tree.Expanded(root)) << op.tree.Text(root);

        // Off: every controller shows switched off, nothing is fetched any
        // more, the registration list is disabled.
        op.Post(CmdOnLine);
        EXPECT_TRUE(WaitUntil([&] { return op.RootImages() == std::vector<int>(3, ImageSwitchedOff); }))
            << Join(op.RootImages());
        EXPECT_FALSE(IsWindowEnabled(op.registrations));
        Sleep(300);
        int fetches = sim.State(p0, 5)["SD"];
        Sleep(1000);
        EXPECT_GE(fetches + 1, sim.State(p0, 5)["SD"]);

        // On again: back to work.
        op.Post(CmdOnLine);
        EXPECT_TRUE(WaitUntil([&] { return op.RootImages() == std::vector<int>(3, ImageOnLine); }));
        EXPECT_TRUE(IsWindowEnabled(op.registrations));
        EXPECT_TRUE(sim.Wait(p0, 5, "SD", sim.State(p0, 5)["SD"] + 3, 10000));

        // A controller that stops answering shows as not answering and is
        // left alone; switching off and on again gives it a fresh start.
        sim.Knob(p0, 6, "silence", -1);
        EXPECT_TRUE(WaitUntil([&] { return op.tree.Image(op.tree.FindRoot("Bravo")) == ImageNotAnswering; }, 20000))
            << op.tree.Image(op.tree.FindRoot("Bravo"));
        sim.Knob(p0, 6, "silence", 0);
        ASSERT_TRUE(BusRounds(sim, p0, 5, 1));
        int quiet = sim.State(p0, 6)["SD"];
        ASSERT_TRUE(BusRounds(sim, p0, 5, 3)) << "Alpha is no longer served";
        EXPECT_EQ(quiet, sim.State(p0, 6)["SD"]);
        EXPECT_EQ(ImageNotAnswering, op.tree.Image(op.tree.FindRoot("Bravo")));
        op.Post(CmdOnLine);
        op.Post(CmdOnLine);
        EXPECT_TRUE(sim.Wait(p0, 6, "SD", quiet + 1, 10000));
        EXPECT_TRUE(WaitUntil([&] { return op.RootImages() == std::vector<int>(3, ImageOnLine); }));

        op.Post(CmdOnLine);
        EXPECT_TRUE(WaitUntil([&] { return op.RootImages() == std::vector<int>(3, ImageSwitchedOff); }))
            << Join(op.RootImages());
        ASSERT_EQ(0, op.Exit());
        EXPECT_EQ("0", Profile(folder, "Controllers", "OnLine"));
    }

    // Started switched off; a controller added meanwhile shows image 0 but is
    // not served until the switch comes on.
    Operator op(folder, 0);
    ASSERT_TRUE(op.Start());
    EXPECT_EQ(std::vector<int>(3, ImageSwitchedOff), op.RootImages());
    EXPECT_FALSE(IsWindowEnabled(op.registrations));
    op.Post(CmdAdd);
    HWND add = op.WaitDialog("Add controller");
    ASSERT_NE(nullptr, add);
    FillControllerDialog(add, "Delta", p1, 9);
    EXPECT_TRUE(PressButton(add, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return op.tree.Count() == 28; }));
    EXPECT_EQ((std::vector<int>{ ImageSwitchedOff, ImageSwitchedOff, ImageSwitchedOff, ImageOnLine }),
              op.RootImages());
    int fetches = sim.State(p1, 9)["SD"];
    Sleep(1000);
    EXPECT_EQ(fetches, sim.State(p1, 9)["SD"]);
    op.Post(CmdOnLine);
    EXPECT_TRUE(WaitUntil([&] { return op.RootImages() == std::vector<int>(4, ImageOnLine); }));
    EXPECT_TRUE(sim.Wait(p1, 9, "SD", fetches + 1, 10000));
    EXPECT_TRUE(IsWindowEnabled(op.registrations));
    ASSERT_EQ(0, op.Exit());
    EXPECT_EQ("1", Profile(folder, "Controllers", "OnLine"));
}

// File New and File Open are in the application's command map: each builds
// the view again, which must neither add the controllers a second time nor
// start a second set of services.
TEST(OperatorCommands, NewAndOpenDocumentLeaveTheRunningServerAsItWas)
{
    const WPARAM FileNew = 0xE100, FileOpen = 0xE101;
    struct Case {
        const char* name;
        WPARAM command;
        int tcpPort;
    } const cases[] = { { "File New", FileNew, 65039 }, { "File Open", FileOpen, 65040 } };
    halvex_sim::Control sim;
    const int p0 = Port(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Operator op(std::string("commands-") + (c.command == FileNew ? "new" : "open"), ServerIni(c.tcpPort));
        ASSERT_TRUE(op.Start());
        ASSERT_TRUE(op.tree.Select(op.tree.FindRoot("Bravo")));
        op.Post(c.command);
        if (c.command == FileOpen) {
            HWND open = op.WaitDialog("Open");
            ASSERT_NE(nullptr, open) << "no file dialog";
            // The file name box (the dialog's combo box 1148) and its edit field.
            HWND name = FindWindowExA(FindChildControl(open, 1148, "ComboBox"), nullptr, "Edit", nullptr);
            ASSERT_NE(nullptr, name) << WindowTexts(open);
            // The dialog opens on the server's folder, which holds its settings file.
            SendMessageA(name, WM_SETTEXT, 0, (LPARAM) "Halvex.ini");
            ASSERT_TRUE(PressButton(open, IDOK)) << WindowTexts(open);
        }
        EXPECT_EQ(nullptr, op.WaitDialog("Device already exists", 3000)) << "the controllers were added again";
        EXPECT_EQ("", op.Settle());
        EXPECT_EQ("Alpha | Bravo | Charlie", Join(op.tree.RootTexts()));
        EXPECT_EQ(21, op.tree.Count());
        RemoteList registrations(op.Process(), op.registrations);
        EXPECT_EQ("", registrations.Heading(5)) << "the list's columns were added again";
        EXPECT_NE("", registrations.Heading(4));

        // The one set of services still works: the bus fetches, the
        // registrations reach the list once each.
        const int rows = registrations.Count();
        sim.Reg(p0, 5, Registration);
        EXPECT_TRUE(WaitUntil([&] { return registrations.Count() > rows; }));
        ASSERT_TRUE(BusRounds(sim, p0, 5, 2)) << "a second set of services would have shown it again by now";
        EXPECT_EQ(rows + 1, registrations.Count());
        EXPECT_EQ(0, op.Exit());
        EXPECT_EQ("3", Profile(op.Folder(), "Controllers", "Count"));
    }
}

TEST(OperatorCommands, ShortcutKeysGiveTheirCommands)
{
    const int p0 = Port(0);
    halvex_sim::Control sim;
    Operator op("commands-keys", ServerIni(65036));
    ASSERT_TRUE(op.Start());
    HWND tree = op.tree.Window();
    ASSERT_TRUE(op.tree.Select(op.tree.FindRoot("Bravo")));

    struct Key {
        UINT message;
        WPARAM key;
        const char* opens;
    } const asking[] = {
        { WM_KEYDOWN, VK_INSERT, "Add controller" },
        { WM_KEYDOWN, VK_DELETE, AskRemove },
        { WM_CHAR, 0x14, AskSetTime }, // Ctrl+T
    };
    for (const Key& k : asking) {
        PostMessageA(tree, k.message, k.key, 1);
        HWND dialog = op.WaitDialog(k.opens);
        ASSERT_NE(nullptr, dialog) << k.opens;
        EXPECT_TRUE(PressButton(dialog, IDCANCEL)) << k.opens;
    }
    int status = sim.State(p0, 6)["ST"], timeSet = sim.State(p0, 6)["WT"];
    PostMessageA(tree, WM_CHAR, 0x13, 1); // Ctrl+S
    EXPECT_TRUE(sim.Wait(p0, 6, "ST", status + 1, 10000));
    EXPECT_EQ("", op.Settle());
    EXPECT_EQ("Alpha | Bravo | Charlie", Join(op.tree.RootTexts()));
    EXPECT_EQ(timeSet, sim.State(p0, 6)["WT"]);
    ASSERT_EQ(0, op.Exit());
}

TEST(OperatorCommands, TreeContextMenuSelectsTheControllerAndCarriesTheCommands)
{
    halvex_sim::Control sim;
    Operator op("commands-menu", ServerIni(65037));
    ASSERT_TRUE(op.Start());
    HWND tree = op.tree.Window(), view = GetParent(tree);
    RemoteBlock notify(op.Process(), sizeof(NMHDR));
    NMHDR rightClick = { tree, IDC_TREE, (UINT)NM_RCLICK };
    ASSERT_TRUE(notify.Write(0, &rightClick, sizeof rightClick));
    auto clickAt = [&](POINT where) {
        ClientToScreen(tree, &where);
        SetCursorPos(where.x, where.y);
        PostMessageA(view, WM_NOTIFY, IDC_TREE, (LPARAM)notify.At(0));
    };

    // Empty tree space: no menu.
    RECT client;
    GetClientRect(tree, &client);
    clickAt({ client.right / 2, client.bottom - 4 });
    EXPECT_EQ("", op.Settle());
    EXPECT_EQ(nullptr, FindProcessMenu(op.Pid()));

    // On a controller: it is selected and the menu's first item is Add.
    HTREEITEM charlie = op.tree.FindRoot("Charlie");
    RECT item;
    ASSERT_TRUE(op.tree.ItemRect(charlie, &item));
    clickAt({ (item.left + item.right) / 2, (item.top + item.bottom) / 2 });
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindProcessMenu(op.Pid())) != nullptr; }));
    EXPECT_EQ(charlie, op.tree.Selected());
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    HWND add = op.WaitDialog("Add controller");
    ASSERT_NE(nullptr, add);
    EXPECT_TRUE(PressButton(add, IDCANCEL));
    EXPECT_EQ(nullptr, FindProcessMenu(op.Pid()));
    ASSERT_EQ(0, op.Exit());
}

// The settings file names the controllers: only usable entries are served,
// an id already served is refused with the bus layer's own text, and the
// shutdown writes back exactly the tree, in tree order, with every setting.
TEST(ServerSettingsFile, OnlyUsableEntriesAreServedAndComeBackInTreeOrder)
{
    const int p0 = Port(0), p1 = Port(1);
    ASSERT_NE(0, p1) << "two simulated ports expected";
    const std::string P0 = std::to_string(p0), P1 = std::to_string(p1);
    const std::string ini = "[Controllers]\r\nOnLine=1\r\nCount=6\r\n"
                            "Controller0=7\r\nCommPort0=" + P1 + "\r\nName0=Zulu\r\n"
                            "Controller1=6\r\nCommPort1=" + P0 + "\r\nName1=\r\n"       // no name
                            "Controller2=9\r\nCommPort2=0\r\nName2=Gate\r\n"            // port 0
                            "Controller3=5\r\nCommPort3=" + P0 + "\r\nName3=Alpha\r\n"
                            "Controller4=7\r\nCommPort4=" + P0 + "\r\nName4=Echo\r\n"   // id already served
                            "CommPort5=" + P0 + "\r\nName5=Door\r\n"                     // no id
                            "[Misc]\r\nTCPPort=65038\r\nTestMenu=1\r\nSelectPollInfo=1\r\nAutoSetTime=0\r\n"
                            "AutoSetTimeInterval=7\r\n"
                            "[Database]\r\nUseBCDB=0\r\nConnStr=Provider=none\r\n"
                            "[Settings]\r\nCommandTimeOut=4000\r\nPauseSerial=12\r\nPauseMachine=20\r\n";
    std::string folder = ServerProcess::MakeFolder("settings-entries", ini);
    ServerProcess server(folder);
    ASSERT_TRUE(server.Start());
    HWND refused = WaitForProcessDialog(server.ProcessId(), "Device already exists", 30000);
    ASSERT_NE(nullptr, refused) << "the second controller 7 is refused at start-up";
    EXPECT_TRUE(PressButton(refused, IDOK));
    HWND main = server.WaitForMainWindow();
    ASSERT_NE(nullptr, main);

    RemoteTree tree = server.Tree(FindChildControl(main, IDC_TREE, WC_TREEVIEWA));
    EXPECT_EQ("Alpha | Zulu", Join(tree.RootTexts()));
    EXPECT_EQ(14, tree.Count());
    struct Served { const char* name; int port, id; } const served[] = { { "Alpha", p0, 5 }, { "Zulu", p1, 7 } };
    for (const Served& s : served) {
        std::vector<std::string> lines;
        for (HTREEITEM child : tree.Children(tree.FindRoot(s.name)))
            lines.push_back(tree.Text(child));
        EXPECT_EQ(Join(LinesOf(s.port, s.id)), Join(lines)) << s.name;
    }
    ASSERT_EQ(0, server.Exit());

    // The controllers in tree order and nothing of the entries left out.
    char section[4096] = {};
    DWORD length = GetPrivateProfileSectionA("Controllers", section, sizeof section, (folder + "\\Halvex.ini").c_str());
    std::vector<std::string> keys;
    for (const char* key = section; key < section + length && *key; key += strlen(key) + 1)
        keys.push_back(key);
    EXPECT_EQ("OnLine=1 | Controller0=5 | CommPort0=" + P0 + " | Name0=Alpha | Controller1=7 | CommPort1=" + P1 +
                  " | Name1=Zulu | Count=2",
              Join(keys));

    struct Key { const char *section, *key, *value; } const kept[] = {
        { "Database", "UseBCDB", "0" },         { "Database", "ConnStr", "Provider=none" },
        { "Misc", "AutoSetTime", "0" },         { "Misc", "AutoSetTimeInterval", "7" },
        { "Misc", "TCPPort", "65038" },         { "Misc", "TestMenu", "1" },
        { "Misc", "SelectPollInfo", "0" },      { "Settings", "CommandTimeOut", "4000" },
        { "Settings", "PauseSerial", "12" },    { "Settings", "PauseMachine", "20" },
    };
    for (const Key& k : kept)
        EXPECT_EQ(k.value, Profile(folder, k.section, k.key)) << k.section << " " << k.key;
}

// Exit asked again and again, from the menu and by close messages, while the
// controllers are served and the set-time worker waits on controllers that
// do not answer: the waits of the shutdown serve the queued requests, and
// each of them must find the shutdown under way. A second run of it would
// save the settings again after the tree was emptied, losing every controller.
TEST(ServerRun, ExitAskedRepeatedlyShutsDownOnce)
{
    const int p0 = Port(0), p1 = Port(1);
    ASSERT_NE(0, p1);
    halvex_sim::Control sim;
    Operator op("commands-exit", ServerIni(65046));
    ASSERT_TRUE(op.Start());
    ASSERT_TRUE(WaitUntil([&] { return op.RootImages() == std::vector<int>(3, ImageOnLine); }, 20000));

    struct Silent { int com, id, before; } silent[] = {{p0, 5, 0}, {p0, 6, 0}, {p1, 7, 0}};
    for (Silent& c : silent) {
        c.before = sim.State(c.com, c.id)["silent"];
        sim.Knob(c.com, c.id, "silence", -1);
    }
    ASSERT_TRUE(op.Answer(CmdSetTimeToAll, AskSetTimeToAll, IDOK));
    // The set-time worker is on the bus: a controller has let a frame go unanswered.
    ASSERT_TRUE(sim.Wait(p0, 5, "silent", silent[0].before + 1, 20000)) << "no frame reached controller 5";

    for (int i = 0; i < 3; ++i) {
        PostMessageA(op.Main(), WM_COMMAND, ID_APP_EXIT, 0);
        PostMessageA(op.Main(), WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(0, op.WaitForEnd(90000));
    for (Silent& c : silent)
        sim.Knob(c.com, c.id, "silence", 0);

    const std::string& folder = op.Folder();
    EXPECT_EQ("3", Profile(folder, "Controllers", "Count"));
    EXPECT_EQ("Alpha | Bravo | Charlie", Profile(folder, "Controllers", "Name0") + " | " +
                                             Profile(folder, "Controllers", "Name1") + " | " +
                                             Profile(folder, "Controllers", "Name2"));
    EXPECT_EQ("65046", Profile(folder, "Misc", "TCPPort"));
}
