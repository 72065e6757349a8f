// The real Orimbel.exe under Wine: the document's file format, byte for
// byte, the files it refuses and what it keeps then, and the pages both ways
// (words into control states, control changes into saved words).
#include "orimbel_process.h"
#include "screen_png.h"
#include <gtest/gtest.h>
#include <cctype>
#include <climits>

namespace {

const int IDC_MASTER = 1012, IDC_DOOR_OPEN_TIMEOUT = 1013, IDC_RELAY1_TIME = 1014, IDC_RELAY2_TIME = 1015,
          IDC_READER1_LED = 1016, IDC_READER2_LED = 1017, IDC_ROLLOVER = 1027;
const int IDC_CAPTION1 = 1002, IDC_ACTION1_RELAY1 = 1003, IDC_ACTION1_RELAY2 = 1004, IDC_EGRESS1_RELAY1 = 1005,
          IDC_EGRESS1_RELAY2 = 1006, IDC_SENSOR1_RELAY1 = 1007, IDC_SENSOR1_RELAY2 = 1008, IDC_REGISTRATION1 = 1009,
          IDC_ACTION2_RELAY1 = 1010, IDC_REGISTRATION2 = 1016;
const UINT ID_RESET_PAGE = 32771;

// One tool for the whole program: starting it under Wine is the slow part.
class Tool : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_tool = new OrimbelProcess(OrimbelProcess::MakeFolder("document"));
        ASSERT_TRUE(s_tool->Launch());
    }
    static void TearDownTestSuite() {
        if (s_tool) {
            EXPECT_EQ(0, s_tool->Exit());
        }
        delete s_tool;
        s_tool = nullptr;
    }
    OrimbelProcess& T() { return *s_tool; }
    // Opens the file as the shell would and answers the box it brings, if
    // any; the box's text, or "" when none came.
    std::string Open(const std::string& path, bool expectBox) {
        EXPECT_TRUE(T().OpenByShell(path)) << path;
        if (!expectBox) return "";
        HWND box = T().WaitForDialog("", 10000);
        if (!box) return "<no box>";
        std::string text = WindowTexts(box);
        PressButton(box, IDOK);
        return text;
    }
    static OrimbelProcess* s_tool;
};
OrimbelProcess* Tool::s_tool = nullptr;

TEST_F(Tool, NewDocumentSavesTheCanonicalBytes) {
    std::string empty = T().Path("new.orimb");
    ASSERT_TRUE(WriteBytes(empty, ""));
    T().Command(0xE100);  // File New
    Open(empty, false);
    ASSERT_TRUE(T().SaveAndWait(empty));
    std::string expected("\x07Orimbel\x01\x00\x00\x00", 12);
    for (int i = 0; i < 13; ++i) expected += std::string("\x03\x03", 2);
    EXPECT_EQ(expected, ReadBytes(empty));
}

// A valid document whose words make each location tell: bit 15 set in some.
std::vector<WORD> Telling() {
    std::vector<WORD> words;
    for (int i = 0; i < 13; ++i) words.push_back((WORD)(0x8000 | (i << 8) | (0x10 + i)));
    words[3] = 0x7FFF;
    return words;
}

std::string Utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

struct LoadCase {
    const char* name;
    std::string bytes;
    const char* message;  // nullptr: opens without a box
    bool opens;           // the document takes the file's path and words
};

std::vector<LoadCase> LoadCases() {
    std::string body = std::string("\x01\x00\x00\x00", 4);
    std::string words = DocumentBytes(Telling()).substr(12);
    std::string valid = DocumentBytes(Telling());
    return {
        {"valid", valid, nullptr, true},
        {"magic of other case", std::string("\x07orimbel", 8) + body + words, "Invalid file.", false},
        {"version 2", std::string("\x07Orimbel\x02\x00\x00\x00", 12) + words, "Invalid file version.", false},
        {"empty", "", nullptr, true},
        {"39 bytes", valid + "X", nullptr, true},
        {"cut at 20", valid.substr(0, 20), "Unexpected file format.", false},
        {"word-length prefix", std::string("\xFF\x07\x00Orimbel", 10) + body + words, nullptr, true},
        {"UTF-16 prefix", std::string("\xFF\xFE\xFF\x07", 4) + Utf16("Orimbel") + body + words, nullptr, true},
        {"4 GiB prefix", std::string(7, '\xFF') + valid.substr(8), "Invalid file.", false},
    };
}

// Each file is opened over a base document with other words; then Save shows
// where the document's path went and what its words are.
TEST_F(Tool, LoadFixturesOpenOrLeaveTheDocumentAsItWas) {
    std::vector<WORD> baseWords = SameWords(0x8303);
    std::string base = T().Path("base.orimb");
    for (const LoadCase& c : LoadCases()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(base, DocumentBytes(baseWords)));
        EXPECT_EQ("", Open(base, false));
        std::string fixture = T().Path("fixture.orimb");
        ASSERT_TRUE(WriteBytes(fixture, c.bytes));
        std::string box = Open(fixture, c.message != nullptr);
        if (c.message) {
            EXPECT_NE(std::string::npos, box.find(c.message)) << box;
        }
        EXPECT_TRUE(T().Dialogs().empty()) << "a second box";
        if (c.opens) {
            // The file's words (the old ones for an empty file), written back in the canonical form.
            EXPECT_TRUE(T().SaveAndWait(fixture)) << "saved to the opened file";
            EXPECT_EQ(DocumentBytes(c.bytes.empty() ? baseWords : Telling()), ReadBytes(fixture));
        } else {
            // The refused file keeps its bytes; the document its path and words.
            EXPECT_TRUE(T().SaveAndWait(base)) << "saved to the document it had";
            EXPECT_EQ(DocumentBytes(baseWords), ReadBytes(base));
            EXPECT_EQ(c.bytes, ReadBytes(fixture));
        }
    }
}

// ---- pages, words into controls -------------------------------------------------

struct ControlState {
    int id;
    int value;  // combo selection, or check box state
    bool checkBox;
};
struct PageCase {
    const char* page;
    WORD word;  // in all thirteen locations
    std::vector<ControlState> states;
};

ControlState Combo(int id, int index) { return {id, index, false}; }
ControlState Box(int id, bool checked) { return {id, checked ? 1 : 0, true}; }

std::vector<PageCase> PageCases() {
    return {
        // Both relays "No effect", every condition "Always", no registration.
        {"Reader 1", 0x0303,
         {Combo(IDC_ACTION1_RELAY1, 3), Combo(IDC_ACTION1_RELAY2, 3), Combo(IDC_EGRESS1_RELAY1, 0),
          Combo(IDC_EGRESS1_RELAY2, 0), Combo(IDC_SENSOR1_RELAY1, 0), Combo(IDC_SENSOR1_RELAY2, 0),
          Box(IDC_REGISTRATION1, false), Combo(IDC_ACTION2_RELAY1, 3), Box(IDC_REGISTRATION2, false)}},
        // Both actions "On", registration ticked, in both columns.
        {"Reader 1", 0x8000,
         {Combo(IDC_ACTION1_RELAY1, 0), Combo(IDC_ACTION1_RELAY2, 0), Box(IDC_REGISTRATION1, true),
          Combo(IDC_ACTION2_RELAY1, 0), Box(IDC_REGISTRATION2, true)}},
        // Bit 7 shows nowhere; "E = 0" for both egress conditions.
        {"Reader 1", 0x0888,
         {Combo(IDC_ACTION1_RELAY1, 0), Combo(IDC_EGRESS1_RELAY1, 2), Combo(IDC_SENSOR1_RELAY1, 0),
          Combo(IDC_ACTION1_RELAY2, 0), Combo(IDC_EGRESS1_RELAY2, 2), Combo(IDC_SENSOR1_RELAY2, 0),
          Box(IDC_REGISTRATION1, false)}},
        {"Forced entry", 0x8303, {Combo(IDC_ACTION1_RELAY1, 3), Box(IDC_REGISTRATION1, true)}},
        // "Disabled", both LEDs 1, all times "1s", rollover "No".
        {"Configuration", 0xE000,
         {Combo(IDC_MASTER, 1), Combo(IDC_READER1_LED, 1), Combo(IDC_READER2_LED, 1), Combo(IDC_RELAY1_TIME, 0),
          Combo(IDC_RELAY2_TIME, 0), Combo(IDC_DOOR_OPEN_TIMEOUT, 0), Combo(IDC_ROLLOVER, 0)}},
        // Bit 3 is not shown: relay-1 time "1s"; door open "1s"; rollover "Yes".
        {"Configuration", 0x0888,
         {Combo(IDC_RELAY1_TIME, 0), Combo(IDC_RELAY2_TIME, 0), Combo(IDC_DOOR_OPEN_TIMEOUT, 0),
          Combo(IDC_ROLLOVER, 1), Combo(IDC_MASTER, 0), Combo(IDC_READER1_LED, 0), Combo(IDC_READER2_LED, 0)}},
    };
}

TEST_F(Tool, PagesShowEveryFieldOfTheirWords) {
    std::string file = T().Path("page.orimb");
    for (const PageCase& c : PageCases()) {
        SCOPED_TRACE(std::string(c.page) + " word " + std::to_string(c.word));
        ASSERT_TRUE(WriteBytes(file, DocumentBytes(SameWords(c.word))));
        Open(file, false);
        // A page shows the words of the moment it is made: made anew each time.
        ASSERT_TRUE(T().ShowPage(std::string(c.page) == "Alarm" ? "Reader 2" : "Alarm"));
        ASSERT_TRUE(T().ShowPage(c.page));
        for (const ControlState& s : c.states) {
            if (s.checkBox) {
                EXPECT_EQ(s.value != 0, T().Checked(s.id)) << "check box " << s.id;
            } else {
                EXPECT_EQ(s.value, T().ComboSelection(s.id)) << "combo " << s.id;
            }
        }
    }
    EXPECT_EQ("", T().PageText(IDC_CAPTION1)) << "the one-word pages have no column caption";
}

// ---- pages, controls into words ---------------------------------------------------

struct EditCase {
    const char* page;
    WORD before;    // in all thirteen locations
    int control;
    int index;      // combo index; -1 for a click of a check box
    int location;   // the word that changes
    WORD after;
};

TEST_F(Tool, EditsAreStoredInTheirWordAtOnce) {
    const EditCase cases[] = {
        {"Reader 1", 0x0303, IDC_EGRESS1_RELAY1, 3, 497, 0x030F},    // "E = 1" for relay 1
        {"Reader 1", 0x0303, IDC_ACTION2_RELAY1, 0, 498, 0x0300},    // the second column: the second word
        {"Configuration", 0x0888, IDC_MASTER, 1, 496, 0x2800},       // unshown bits go, the change stays
        {"Configuration", 0x0888, IDC_READER2_LED, 1, 496, 0x8800},
        {"Alarm", 0x0303, IDC_SENSOR1_RELAY2, 2, 505, 0x2303},       // tree data 8 is the Alarm page
        {"Door open too long", 0x0303, IDC_REGISTRATION1, -1, 508, 0x8303},
    };
    std::string file = T().Path("edit.orimb");
    for (const EditCase& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " control " + std::to_string(c.control));
        ASSERT_TRUE(WriteBytes(file, DocumentBytes(SameWords(c.before))));
        Open(file, false);
        ASSERT_TRUE(T().ShowPage(std::string(c.page) == "Reader 2" ? "Reader 1" : "Reader 2"));
        ASSERT_TRUE(T().ShowPage(c.page));
        if (c.index < 0) {
            T().Click(c.control);
        } else {
            ASSERT_TRUE(T().ChooseComboItem(c.control, c.index));
        }
        ASSERT_TRUE(T().SaveAndWait(file));
        std::vector<WORD> expected = SameWords(c.before);
        expected[c.location - 496] = c.after;
        EXPECT_EQ(expected, WordsOf(ReadBytes(file)));
    }
}

TEST_F(Tool, ResetPageGivesThePagesDefaults) {
    std::string file = T().Path("reset.orimb");
    struct {
        const char* page;
        std::vector<int> locations;
        WORD reset;
    } cases[] = {{"Alarm", {505, 506}, 0x0303}, {"Configuration", {496}, 0x0000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        ASSERT_TRUE(WriteBytes(file, DocumentBytes(SameWords(0x8888))));
        Open(file, false);
        ASSERT_TRUE(T().ShowPage("Reader 2"));
        ASSERT_TRUE(T().ShowPage(c.page));
        T().Command(ID_RESET_PAGE);
        ASSERT_TRUE(T().SaveAndWait(file));
        std::vector<WORD> expected = SameWords(0x8888);
        for (int location : c.locations) expected[location - 496] = c.reset;
        EXPECT_EQ(expected, WordsOf(ReadBytes(file)));
    }
}

// The welcome page shows while the tree has no selection. The tree of an
// active window takes the focus and selects its first item (the
// Configuration page), so the open happens in a window kept from the focus.
TEST_F(Tool, ResetPageOnTheWelcomePageChangesNothing) {
    std::string file = T().Path("welcome.orimb");
    ASSERT_TRUE(WriteBytes(file, DocumentBytes(SameWords(0x8888))));
    EnableWindow(T().Main(), FALSE);
    Open(file, false);
    bool welcome = WaitFor([&] { return T().Page() && !GetWindow(T().Page(), GW_CHILD); });
    T().Command(ID_RESET_PAGE);
    bool saved = T().SaveAndWait(file);
    EnableWindow(T().Main(), TRUE);
    ASSERT_TRUE(welcome) << "the welcome page was not shown";
    ASSERT_TRUE(saved);
    EXPECT_EQ(SameWords(0x8888), WordsOf(ReadBytes(file)));
}

// Pictures of every page on one document, and of the LED list dropped down.
TEST_F(Tool, Screenshots) {
    std::string file = T().Path("pictures.orimb");
    std::vector<WORD> words = {0x6815, 0x8E07, 0x0303, 0x0B0A, 0x8303, 0x0303, 0x0303,
                               0x0303, 0x0303, 0x2303, 0x0302, 0x8000, 0x0303};
    ASSERT_TRUE(WriteBytes(file, DocumentBytes(words)));
    Open(file, false);
    const char* pages[] = {"Configuration", "Reader 1", "Reader 2", "Sensor", "Egress", "Alarm", "Forced entry",
                           "Door open too long"};
    RECT shot;
    for (const char* page : pages) {
        ASSERT_TRUE(T().ShowPage(page));
        Sleep(300);
        GetWindowRect(T().Main(), &shot);
        std::string name = std::string("page_") + page + ".png";
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        EXPECT_TRUE(SaveScreenPng(T().Path(name).c_str(), shot)) << name;
    }
    ASSERT_TRUE(T().ShowPage("Configuration"));
    HWND led = T().PageControl(IDC_READER1_LED);
    PostMessageA(led, CB_SHOWDROPDOWN, TRUE, 0);
    Sleep(500);
    GetWindowRect(T().Main(), &shot);
    EXPECT_TRUE(SaveScreenPng(T().Path("led_dropdown.png").c_str(), shot));
    PostMessageA(led, CB_SHOWDROPDOWN, FALSE, 0);
}

// ---- the window and the shell ------------------------------------------------------

TEST_F(Tool, AboutShowsTheVersion) {
    T().Command(57664);
    HWND about = T().WaitForDialog("About Zavora21");
    ASSERT_NE(nullptr, about);
    char version[32] = "";
    GetDlgItemTextA(about, 1000, version, sizeof version);
    EXPECT_STREQ("3.1.0", version);
    EXPECT_TRUE(PressButton(about, IDOK));
}

std::string ClassesValue(const std::string& key) {
    char value[1024] = "";
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "<missing>";
    return value;
}

TEST_F(Tool, TheTreePaneIs180PixelsWide) {
    RECT tree;
    GetWindowRect(T().Tree(), &tree);
    EXPECT_EQ(180, tree.right - tree.left);
}

// The skinned bars stand top to bottom: the menu bar, the toolbar, the
// controller's bar, the panes; the status bar at the bottom. Alt, then a
// letter opens that menu's popup from the menu bar (pictured: its icons).
TEST_F(Tool, TheBarsStandInTheirOrderAndAltReachesTheMenuBar) {
    struct Bar {
        const char* name;
        int id;
    };
    const Bar topDown[] = {{"menu bar", 0xE81A}, {"toolbar", 0xE800}, {"controller bar", 1001},
                           {"page", 0xE901}, {"status bar", 0xE801}};
    LONG above = LONG_MIN;
    for (const Bar& bar : topDown) {
        SCOPED_TRACE(bar.name);
        HWND wnd = bar.id == 0xE901 ? T().Page() : GetDlgItem(T().Main(), bar.id);
        ASSERT_TRUE(wnd && IsWindowVisible(wnd));
        RECT r;
        GetWindowRect(wnd, &r);
        EXPECT_LT(0, r.bottom - r.top);
        EXPECT_LE(above, r.top);
        above = r.bottom;
    }
    // Alt pressed and let go makes the bar's first item hot; a letter then
    // opens its menu without Alt, which only the bar does.
    const LPARAM altHeld = 1 << 29, released = 0xC0000000;
    PostMessageA(T().Main(), WM_SYSKEYDOWN, VK_MENU, altHeld | 1);
    PostMessageA(T().Main(), WM_SYSKEYUP, VK_MENU, released | 1);
    PostMessageA(T().Main(), WM_KEYDOWN, 'F', 1);
    HWND popup = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (popup = FindProcessMenu(T().ProcessId())) != nullptr; })) << "no popup";
    Sleep(300);
    RECT shot, menu;
    GetWindowRect(T().Main(), &shot);
    GetWindowRect(popup, &menu);
    UnionRect(&shot, &shot, &menu);
    EXPECT_TRUE(SaveScreenPng(T().Path("file_menu.png").c_str(), shot));
    PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return FindProcessMenu(T().ProcessId()) == nullptr; })) << "the popup stays";
}

// A click on the toolbar's About button reaches the frame as the command.
TEST_F(Tool, TheToolbarsButtonsGiveTheirCommands) {
    const UINT ID_APP_ABOUT = 57664;
    HWND toolbar = GetDlgItem(T().Main(), 0xE800);
    ASSERT_NE(nullptr, toolbar);
    DWORD_PTR index = (DWORD_PTR)-1;
    SendMessageTimeoutA(toolbar, TB_COMMANDTOINDEX, ID_APP_ABOUT, 0, SMTO_ABORTIFHUNG, 2000, &index);
    ASSERT_NE((DWORD_PTR)-1, index);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, T().ProcessId());
    ASSERT_NE(nullptr, process);
    RECT button = {};
    {
        RemoteBlock remote(process, sizeof(RECT));
        DWORD_PTR ok = 0;
        SendMessageTimeoutA(toolbar, TB_GETITEMRECT, index, (LPARAM)remote.At(0), SMTO_ABORTIFHUNG, 2000, &ok);
        ASSERT_TRUE(ok && remote.Read(0, &button, sizeof button));
    }
    CloseHandle(process);
    LPARAM centre = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    PostMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    PostMessageA(toolbar, WM_LBUTTONUP, 0, centre);
    HWND about = T().WaitForDialog("About Zavora21");
    ASSERT_NE(nullptr, about);
    EXPECT_TRUE(PressButton(about, IDOK));
}

TEST_F(Tool, RegistersItsFileTypeForTheShell) {
    std::string exe = T().Path("Orimbel.exe");
    char full[MAX_PATH];
    GetFullPathNameA(exe.c_str(), MAX_PATH, full, nullptr);
    EXPECT_EQ("Orimb.Document", ClassesValue(".orimb"));
    EXPECT_EQ("Orimb Document", ClassesValue("Orimb.Document"));
    EXPECT_EQ(std::string("\"") + full + "\" /dde", ClassesValue("Orimb.Document\\shell\\open\\command"));
    EXPECT_EQ("[open(\"%1\")]", ClassesValue("Orimb.Document\\shell\\open\\ddeexec"));
    EXPECT_EQ(std::string(full) + ",0", ClassesValue("Orimb.Document\\DefaultIcon"));
}

RECT ClientRectOf(HWND wnd) {
    RECT r = {};
    GetClientRect(wnd, &r);
    return r;
}

// A control's rectangle in the client coordinates of the page.
RECT InPage(HWND page, HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, page, (POINT*)&r, 2);
    return r;
}

// A pane smaller than the configuration form scrolls it: no control is lost.
TEST_F(Tool, ASmallPaneScrollsTheForm) {
    RECT before;
    GetWindowRect(T().Main(), &before);
    ASSERT_TRUE(T().ShowPage("Reader 2"));
    ASSERT_TRUE(T().ShowPage("Configuration"));
    HWND page = T().Page();
    RECT home = InPage(page, T().PageControl(IDC_MASTER));
    SetWindowPos(T().Main(), nullptr, 0, 0, 480, 260, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([&] { return (GetWindowLongA(page, GWL_STYLE) & WS_VSCROLL) != 0; })) << "a vertical bar";
    HWND last = T().PageControl(IDC_READER2_LED);
    EXPECT_GT(InPage(page, last).bottom, ClientRectOf(page).bottom) << "the last control lies below the pane";
    PostMessageA(page, WM_VSCROLL, SB_BOTTOM, 0);
    ASSERT_TRUE(WaitFor([&] { return InPage(page, last).bottom <= ClientRectOf(page).bottom; }))
        << "scrolled into view";
    RECT shot;
    GetWindowRect(T().Main(), &shot);
    SaveScreenPng(T().Path("small_pane.png").c_str(), shot);
    SetWindowPos(T().Main(), nullptr, 0, 0, before.right - before.left, before.bottom - before.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([&] { return (GetWindowLongA(page, GWL_STYLE) & WS_VSCROLL) == 0; })) << "the bar goes";
    RECT back = InPage(page, T().PageControl(IDC_MASTER));
    EXPECT_EQ(home.top, back.top) << "the form is back at its origin";
    EXPECT_EQ(home.left, back.left);
}

HWND FocusOf(HWND main) {
    GUITHREADINFO info = {sizeof info};
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
    return info.hwndFocus;
}

bool Within(HWND child, HWND parent) { return child && (child == parent || IsChild(parent, child)); }

// F6 and Shift+F6 move the focus to the next and the previous pane, wrapping.
TEST_F(Tool, F6MovesBetweenTheTreeAndThePage) {
    ASSERT_TRUE(T().ShowPage("Reader 1"));
    SetForegroundWindow(T().Main());
    PostMessageA(T().Tree(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(T().Tree(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ASSERT_TRUE(WaitFor([&] { return FocusOf(T().Main()) == T().Tree(); })) << "the tree has the focus";
    PostMessageA(T().Tree(), WM_KEYDOWN, VK_F6, 0);
    ASSERT_TRUE(WaitFor([&] { return Within(FocusOf(T().Main()), T().Page()); })) << "F6: the page";
    PostMessageA(FocusOf(T().Main()), WM_KEYDOWN, VK_F6, 0);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(T().Main()) == T().Tree(); })) << "F6 again: round to the tree";
    T().Command(57681);  // Shift+F6
    ASSERT_TRUE(WaitFor([&] { return Within(FocusOf(T().Main()), T().Page()); })) << "Shift+F6: back to the page";
    T().Command(57681);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(T().Main()) == T().Tree(); }));
}

// ---- the window's layout across starts -----------------------------------------------

RECT WindowRectOf(HWND wnd) {
    RECT r = {};
    GetWindowRect(wnd, &r);
    return r;
}

// A window placement, as the tool stores it, with that normal rectangle.
std::string PlacementBytes(const RECT& normal) {
    WINDOWPLACEMENT p = {};
    p.length = sizeof p;
    p.showCmd = SW_SHOWNORMAL;
    p.rcNormalPosition = normal;
    return std::string(reinterpret_cast<const char*>(&p), sizeof p);
}

// The place of the window and the width of the tree are kept for the next
// start; a start does not change them.
TEST(Layout, PlacementAndTreeWidthComeBack) {
    OrimbelProcess tool(OrimbelProcess::MakeFolder("layout"));
    ASSERT_TRUE(tool.Launch([] { WriteOrimbelInt("Settings", "LeftView", 230); }));
    EXPECT_EQ(230, WindowRectOf(tool.Tree()).right - WindowRectOf(tool.Tree()).left);
    EXPECT_EQ("<missing>", ReadOrimbelBytes("Settings", "Position")) << "nothing written before the first close";
    SetWindowPos(tool.Main(), nullptr, 70, 60, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(300);
    ASSERT_EQ(0, tool.Exit());
    EXPECT_EQ(230, ReadOrimbelInt("Settings", "LeftView"));
    EXPECT_EQ(44u, ReadOrimbelBytes("Settings", "Position").size());

    ASSERT_TRUE(tool.Start());
    ASSERT_NE(nullptr, tool.WaitForMainWindow());
    RECT frame = WindowRectOf(tool.Main());
    EXPECT_EQ(70, frame.left);
    EXPECT_EQ(60, frame.top);
    EXPECT_EQ(640, frame.right - frame.left);
    EXPECT_EQ(480, frame.bottom - frame.top);
    EXPECT_EQ(230, WindowRectOf(tool.Tree()).right - WindowRectOf(tool.Tree()).left);
    ASSERT_EQ(0, tool.Exit());
}

// Only a value of a placement's size is taken as the placement; any other
// leaves the window at its default place and the tool starts as usual.
TEST(Layout, OnlyAPlacementOfItsSizeIsApplied) {
    const RECT stored = {300, 200, 900, 650};
    const std::string placement = PlacementBytes(stored);
    struct Case {
        const char* name;
        std::string bytes;
        bool applied;
    } cases[] = {
        {"a placement", placement, true},
        {"four bytes more", placement + std::string(4, '\0'), false},
        {"four bytes less", placement.substr(0, 40), false},
        {"one byte", std::string(1, '\x2C'), false},
        {"empty", "", false},
    };
    OrimbelProcess tool(OrimbelProcess::MakeFolder("placement"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(tool.Launch([&] { WriteOrimbelBytes("Settings", "Position", c.bytes); }));
        RECT frame = WindowRectOf(tool.Main());
        bool atStored = frame.left == stored.left && frame.top == stored.top && frame.right == stored.right &&
                        frame.bottom == stored.bottom;
        EXPECT_EQ(c.applied, atStored) << frame.left << "," << frame.top << " " << frame.right << "," << frame.bottom;
        EXPECT_TRUE(tool.Dialogs().empty());
        ASSERT_EQ(0, tool.Exit());
    }
}

// ---- the language of the next start ---------------------------------------------------

std::string LanguageDll(const char* name) {
    const char* dir = getenv("HALVEX_BINARY_DIR");
    return std::string(dir ? dir : ".") + "\\tests\\lang\\dlls\\" + name + ".dll";
}

// Opens the menu bar's popup of that mnemonic by Alt and the letter and takes
// its last item with Enter, as a user would: a disabled item does nothing.
// (The tool's menus cannot be read from another process under Wine.) The
// menu is closed again when the item did not close it.
void ChooseLastMenuItem(const OrimbelProcess& tool, char mnemonic) {
    const LPARAM altHeld = 1 << 29;
    PostMessageA(tool.Main(), WM_SYSKEYDOWN, (WPARAM)toupper((unsigned char)mnemonic), altHeld | 1);
    HWND popup = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (popup = FindProcessMenu(tool.ProcessId())) != nullptr; })) << "no popup";
    PostMessageA(popup, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
    Sleep(1000);
    for (int i = 0; i < 2 && (popup = FindProcessMenu(tool.ProcessId())) != nullptr; ++i) {
        PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        Sleep(300);
    }
}

std::string WindowText(HWND wnd) {
    char text[64] = "";
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

const int IDC_LABEL_COM_PORT = 1031;

// Without language libraries the command is disabled; with one exporting the
// tool's name function it offers that language (and not one of the server's),
// keeps the choice and gives its texts at the next start.
TEST(Language, ALibraryOfTheToolsOwnIsOfferedAndTakenAtTheNextStart) {
    OrimbelProcess tool(OrimbelProcess::MakeFolder("language"));
    ASSERT_TRUE(tool.Launch());
    ChooseLastMenuItem(tool, 'v');
    EXPECT_TRUE(tool.Dialogs().empty()) << "Language is disabled without libraries";
    ASSERT_EQ(0, tool.Exit());

    ASSERT_TRUE(CopyFileA(LanguageDll("Suomi").c_str(), tool.Path("Suomi.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(LanguageDll("Deutsch").c_str(), tool.Path("Deutsch.dll").c_str(), FALSE));
    ASSERT_TRUE(tool.Launch());
    EXPECT_EQ("COM port", WindowText(tool.BarControl(IDC_LABEL_COM_PORT)));
    ChooseLastMenuItem(tool, 'v');
    HWND dialog = tool.WaitForDialog("Language");
    ASSERT_NE(nullptr, dialog);
    HWND list = GetDlgItem(dialog, 1020);
    std::vector<std::string> names;
    for (int i = 0; i < (int)SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        // The list's text crosses the process boundary as wide characters only.
        wchar_t name[64] = L"";
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 64) SendMessageW(list, LB_GETTEXT, i, (LPARAM)name);
        names.push_back(std::string(name, name + wcslen(name)));
    }
    EXPECT_EQ("English | Suomi", Join(names)) << "the server's library is not the tool's";
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_NE("<none>", tool.Answer("you must restart the application", IDOK));
    ASSERT_EQ(0, tool.Exit());
    EXPECT_EQ("Suomi", ReadOrimbelString("Settings", "Language"));

    ASSERT_TRUE(tool.Start());
    ASSERT_NE(nullptr, tool.WaitForMainWindow());
    EXPECT_EQ("COM-portti", WindowText(tool.BarControl(IDC_LABEL_COM_PORT)));
    ASSERT_EQ(0, tool.Exit());
}

// A language library without the template of the controller bar: the main
// window cannot be made, and the start ends without one (and without a box).
TEST(Language, WithoutTheControllerBarTheStartEndsWithoutAWindow) {
    OrimbelProcess tool(OrimbelProcess::MakeFolder("language-broken"));
    ASSERT_TRUE(CopyFileA(LanguageDll("NoStatusBar").c_str(), tool.Path("Broken.dll").c_str(), FALSE));
    EXPECT_FALSE(tool.Launch([] { WriteOrimbelString("Settings", "Language", "Broken"); }));
    EXPECT_NE(-1, tool.WaitForEnd(15000)) << "the process ended";
    EXPECT_TRUE(tool.Dialogs().empty());
}

}  // namespace
