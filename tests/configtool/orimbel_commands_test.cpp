// The real Orimbel.exe against a stand-in of the server (fake_halvex.py) on
// port 65000: the frames its commands send, the answers it takes on its reply
// port 65002, the progress window, the controller picker, and a close while
// a connection to the reply port is held open.
#include "orimbel_process.h"
#include "screen_png.h"
#include "sim_control.h"
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

const UINT ID_EEPROM_READ = 32778, ID_EEPROM_WRITE = 32779, ID_CONTROLLER_STATUS = 32780,
           ID_CONTROLLER_SETTIME = 32783, ID_SELECT_FROM_HALVEX = 32785;
const int IDC_DEVICE_TEXT = 1014, IDC_VERSION_TEXT = 1015, IDC_DATE_TEXT = 1016, IDC_TIME_TEXT = 1017,
          IDC_COM_PORT = 1021, IDC_CONTROLLER = 1022;
const int IDC_PROGRESS_BAR = 1003, IDC_PROGRESS_PERCENT = 1004, IDC_PROGRESS_STATUS = 1005;
const int IDC_CONTROLLER_LIST = 1030;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, separator))
        if (!item.empty()) items.push_back(item);
    return items;
}

std::string Text(HWND wnd) {
    char text[512] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}

// A connection to the tool's reply port, as the server makes one per answer.
class ReplyConnection {
public:
    ReplyConnection() {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(65002);
        a.sin_addr.s_addr = inet_addr("127.0.0.1");
        m_connected = connect(m_socket, (sockaddr*)&a, sizeof a) == 0;
    }
    ~ReplyConnection() {
        closesocket(m_socket);
        WSACleanup();
    }
    ReplyConnection(const ReplyConnection&) = delete;
    ReplyConnection& operator=(const ReplyConnection&) = delete;
    bool Connected() const { return m_connected; }
    bool Send(const std::string& text) {
        size_t done = 0;
        while (done < text.size()) {
            int n = send(m_socket, text.data() + done, (int)(text.size() - done), 0);
            if (n <= 0) return false;
            done += n;
        }
        return true;
    }

private:
    SOCKET m_socket;
    bool m_connected = false;
};

bool SendAnswer(const std::string& text) {
    ReplyConnection c;
    return c.Connected() && c.Send(text);
}

std::string FrameOf(int port, int controller, const std::string& command) {
    return "VeTr 1 0000000 Ob21 " + std::to_string(port) + " " + std::to_string(controller) + " " + command + " VTEnd";
}

class Commands : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_tool = new OrimbelProcess(OrimbelProcess::MakeFolder("commands"));
        // The picker reads the server's settings file named here.
        ASSERT_TRUE(s_tool->Launch([] { WriteOrimbelString("Settings", "HalvexFile", s_tool->Path("Halvex.ini")); }));
    }
    static void TearDownTestSuite() {
        if (s_tool) {
            EXPECT_EQ(0, s_tool->Exit());
        }
        delete s_tool;
        s_tool = nullptr;
    }
    void SetUp() override {
        m_fake.Ok("MODE answer");
        m_fake.Ok("HOLD off");
        m_fake.Ok("LISTEN on");
        m_fake.Ok("CLEAR");
        ASSERT_TRUE(T().Dialogs().empty());
        // COM port 1, controller 1, chosen in the status bar.
        ASSERT_TRUE(T().ChooseBarItem(IDC_COM_PORT, 0));
        ASSERT_TRUE(T().ChooseBarItem(IDC_CONTROLLER, 0));
    }
    void TearDown() override {
        for (const std::string& left : T().DismissDialogs()) ADD_FAILURE() << "a window left open: " << left;
    }
    OrimbelProcess& T() const { return *s_tool; }
    std::vector<std::string> Frames() { return Split(m_fake.Ok("FRAMES"), '|'); }
    bool WaitForFrames(size_t count, DWORD timeoutMs = 10000) {
        return WaitFor([&] { return Frames().size() >= count; }, timeoutMs);
    }
    // Opens a document of these words through the shell; its path is given back.
    std::string OpenWords(const std::vector<WORD>& words, const std::string& name) {
        std::string path = T().Path(name);
        EXPECT_TRUE(WriteBytes(path, DocumentBytes(words)));
        EXPECT_TRUE(T().OpenByShell(path));
        return path;
    }
    std::string Ini() const { return T().Path("Halvex.ini"); }

    halvex_sim::Control m_fake{"HALVEX_FAKE_CONTROL"};
    static OrimbelProcess* s_tool;
};
OrimbelProcess* Commands::s_tool = nullptr;

WORD AnswerWord(int location) { return (WORD)(0x8000 ^ (location * 37)); }

TEST_F(Commands, ReadSendsThirteenFramesAndStoresTheAnswers) {
    for (int location = 496; location <= 508; ++location)
        m_fake.Ok("WORD " + std::to_string(location) + " " + std::to_string(AnswerWord(location)));
    std::string file = OpenWords(SameWords(0x0303), "read.orimb");
    T().Command(ID_EEPROM_READ);
    ASSERT_TRUE(WaitForFrames(13));
    ASSERT_TRUE(T().TransferEnded()) << "the progress window closes at the answer for 508";
    std::vector<std::string> frames = Frames();
    ASSERT_EQ(13u, frames.size());
    for (int i = 0; i < 13; ++i) EXPECT_EQ(FrameOf(1, 1, "RE " + std::to_string(496 + i) + " 0"), frames[i]);
    ASSERT_TRUE(T().SaveAndWait(file));
    std::vector<WORD> expected;
    for (int location = 496; location <= 508; ++location) expected.push_back(AnswerWord(location));
    EXPECT_EQ(expected, WordsOf(ReadBytes(file)));
}

TEST_F(Commands, WriteSendsEveryWordOfTheImage) {
    std::vector<WORD> words = SameWords(0x0303);
    words[1] = 0x8303;
    words[12] = 0xFFFF;
    OpenWords(words, "write.orimb");
    T().Command(ID_EEPROM_WRITE);
    ASSERT_TRUE(WaitForFrames(13));
    ASSERT_TRUE(T().TransferEnded());
    std::vector<std::string> frames = Frames();
    ASSERT_EQ(13u, frames.size());
    EXPECT_EQ(FrameOf(1, 1, "WE 497 33539"), frames[1]);
    EXPECT_EQ(FrameOf(1, 1, "WE 508 65535"), frames[12]);
    EXPECT_EQ(FrameOf(1, 1, "WE 496 771"), frames[0]);
}

// The first failed connection ends the sequence: one box, nothing sent after it.
TEST_F(Commands, WithoutAServerOneBoxAndNoFurtherConnection) {
    m_fake.Ok("LISTEN off");
    T().Command(ID_EEPROM_READ);
    HWND box = T().WaitForDialog("Halvex unreachable...");
    ASSERT_NE(nullptr, box);
    // A server that comes up now must not see the rest of the sequence.
    m_fake.Ok("LISTEN on");
    EXPECT_FALSE(T().Progress()) << "the progress window closes with the failure";
    PressButton(box, IDOK);
    ASSERT_TRUE(T().TransferEnded());
    Sleep(1500);
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(T().Dialogs().empty()) << "one box only";
}

TEST_F(Commands, SetTimeAsksFirstAndCancelSendsNothing) {
    T().Command(ID_CONTROLLER_SETTIME);
    EXPECT_NE(std::string::npos, T().Answer("Are you sure you wish to set time?", IDCANCEL).find("set time"));
    Sleep(1500);
    EXPECT_TRUE(Frames().empty());
    T().Command(ID_CONTROLLER_SETTIME);
    T().Answer("Are you sure you wish to set time?", IDOK);
    ASSERT_TRUE(WaitForFrames(1));
    EXPECT_EQ(FrameOf(1, 1, "SETTIME 0 0"), Frames()[0]);
}

TEST_F(Commands, AnUnknownControllerIsSaidOnceAndChangesNoWord) {
    m_fake.Ok("MODE err");
    std::vector<WORD> words = SameWords(0x1234);
    std::string file = OpenWords(words, "unknown.orimb");
    T().Command(ID_EEPROM_READ);
    std::string box = T().Answer("Controller is not found in Halvex device-map", IDOK);
    EXPECT_NE("<none>", box);
    ASSERT_TRUE(WaitForFrames(13));
    ASSERT_TRUE(T().TransferEnded()) << "the error closes the progress window and frees the main window";
    Sleep(1500);
    EXPECT_TRUE(T().Dialogs().empty()) << "thirteen answers, one box";
    ASSERT_TRUE(T().SaveAndWait(file));
    EXPECT_EQ(words, WordsOf(ReadBytes(file)));
}

TEST_F(Commands, StatusFillsDateTimeDeviceAndVersion) {
    m_fake.Ok("STATUS 01.02.2024 10:11:12 HEAD FW1.2");
    T().Command(ID_CONTROLLER_STATUS);
    ASSERT_TRUE(WaitForFrames(1));
    EXPECT_EQ(FrameOf(1, 1, "ST 0 0"), Frames()[0]);
    ASSERT_TRUE(WaitFor([&] { return T().BarText(IDC_DATE_TEXT) == "01.02.2024"; }));
    EXPECT_EQ("10:11:12", T().BarText(IDC_TIME_TEXT));
    EXPECT_EQ("HEAD", T().BarText(IDC_DEVICE_TEXT));
    EXPECT_EQ("FW1.2", T().BarText(IDC_VERSION_TEXT));
}

// Answers sent straight to the reply port, as the server would send them.
TEST_F(Commands, AnswersOnTheReplyPort) {
    std::string file = OpenWords(SameWords(0x0303), "answers.orimb");
    ASSERT_TRUE(SendAnswer("ST 03.04.2025 01:02:03 DEV VER and more"));
    ASSERT_TRUE(WaitFor([&] { return T().BarText(IDC_VERSION_TEXT) == "VER"; }));
    EXPECT_EQ("03.04.2025", T().BarText(IDC_DATE_TEXT));
    ASSERT_TRUE(SendAnswer("ST"));
    ASSERT_TRUE(WaitFor([&] { return T().BarText(IDC_DATE_TEXT).empty(); }));
    EXPECT_EQ("", T().BarText(IDC_VERSION_TEXT));
    // Nothing of these reaches the words.
    ASSERT_TRUE(SendAnswer("RE 1 600 5"));
    ASSERT_TRUE(SendAnswer("garbage 1 497 9"));
    ASSERT_TRUE(SendAnswer("RE 1 -3 9"));
    // An answer of 10,240 bytes or more: its first 10,239 count. The value
    // ends in the last byte, which is dropped.
    std::string full = "RE 1 498 ";
    full += std::string(10240 - full.size() - 5, '0') + "46601";
    ASSERT_TRUE(SendAnswer(full));
    ASSERT_TRUE(SendAnswer("RE 1 499 22136"));
    Sleep(500);
    ASSERT_TRUE(T().SaveAndWait(file));
    std::vector<WORD> expected = SameWords(0x0303);
    expected[2] = 4660;
    expected[3] = 22136;
    EXPECT_EQ(expected, WordsOf(ReadBytes(file)));
}

// The percentage after each answer, one answer let through at a time.
TEST_F(Commands, ProgressRunsWithTheAnswers) {
    m_fake.Ok("HOLD on");
    OpenWords(SameWords(0x0303), "progress.orimb");
    T().Command(ID_EEPROM_READ);
    ASSERT_TRUE(WaitForFrames(13));
    HWND progress = T().Progress();
    ASSERT_NE(nullptr, progress);
    EXPECT_FALSE(IsWindowEnabled(T().Main())) << "the main window waits while the words travel";
    const char* expected[] = {"0%", "8%", "16%", "25%", "33%", "41%", "50%", "58%", "66%", "75%", "83%", "91%"};
    char status[32];
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        m_fake.Ok("RELEASE 1");
        snprintf(status, sizeof status, "Reading location %04X", 496 + i);
        ASSERT_TRUE(WaitFor([&] { return Text(GetDlgItem(progress, IDC_PROGRESS_STATUS)) == status; }));
        EXPECT_EQ(expected[i], Text(GetDlgItem(progress, IDC_PROGRESS_PERCENT)));
        DWORD_PTR position = 0;
        SendMessageTimeoutA(GetDlgItem(progress, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &position);
        EXPECT_EQ(496 + i, (int)position) << "the bar moves for every location but the first";
    }
    // The answer for 508 withheld: the window waits for it.
    RECT shot;
    GetWindowRect(progress, &shot);
    EXPECT_TRUE(SaveScreenPng(T().Path("progress_508_withheld.png").c_str(), shot));
    EXPECT_TRUE(IsWindow(progress));
    m_fake.Ok("RELEASE 1");
    ASSERT_TRUE(T().TransferEnded());
}

// ---- the controller picker ---------------------------------------------------------------

TEST_F(Commands, PickerListsTheServersControllersAndPicksOne) {
    ASSERT_TRUE(WriteBytes(Ini(), "[Controllers]\r\nCount=2\r\nName0=Gate\r\nCommPort0=1\r\nController0=5\r\n"
                                  "Name1=Office\r\nCommPort1=2\r\nController1=7\r\n"));
    HWND picker = T().OpenPicker();
    ASSERT_NE(nullptr, picker);
    RemoteList rows = T().PickerRows(picker);
    ASSERT_EQ(2, rows.Count());
    EXPECT_EQ((std::vector<std::string>{"Gate", "1", "5"}), rows.Row(0, 3));
    EXPECT_EQ((std::vector<std::string>{"Office", "2", "7"}), rows.Row(1, 3));
    EXPECT_EQ("Name", rows.Heading(0));
    EXPECT_EQ("ID", rows.Heading(2));
    ASSERT_TRUE(T().ClickRow(rows.Window(), 1));
    Sleep(300);
    RECT shot;
    GetWindowRect(picker, &shot);
    EXPECT_TRUE(SaveScreenPng(T().Path("picker.png").c_str(), shot));
    ASSERT_TRUE(PressButton(picker, IDOK));
    T().Command(ID_CONTROLLER_STATUS);
    ASSERT_TRUE(WaitForFrames(1));
    EXPECT_EQ(FrameOf(2, 7, "ST 0 0"), Frames()[0]);
    EXPECT_EQ("2", T().BarText(IDC_COM_PORT));
    EXPECT_EQ("7", T().BarText(IDC_CONTROLLER));
}

TEST_F(Commands, PickerOkWithoutARowSaysSoAndStays) {
    ASSERT_TRUE(WriteBytes(Ini(), "[Controllers]\r\nCount=1\r\nName0=Gate\r\nCommPort0=1\r\nController0=5\r\n"));
    HWND picker = T().OpenPicker();
    ASSERT_NE(nullptr, picker);
    PostMessageA(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(picker, IDOK));
    EXPECT_NE("<none>", T().Answer("Nothing selected.", IDOK));
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(picker)) << "the picker stays open";
    PressButton(picker, IDCANCEL);
}

TEST_F(Commands, PickerAMissingFileGivesAnEmptyList) {
    DeleteFileA(Ini().c_str());
    HWND picker = T().OpenPicker();
    ASSERT_NE(nullptr, picker);
    EXPECT_EQ(0, T().PickerRows(picker).Count());
    PressButton(picker, IDCANCEL);
}

TEST_F(Commands, PickerAHugeCountReturnsAtOnce) {
    ASSERT_TRUE(WriteBytes(Ini(), "[Controllers]\r\nCount=2147483647\r\nName0=Gate\r\nCommPort0=1\r\nController0=5\r\n"));
    HWND picker = T().OpenPicker();
    ASSERT_NE(nullptr, picker) << "the picker is up within the time-out";
    EXPECT_EQ(255, T().PickerRows(picker).Count());
    PressButton(picker, IDCANCEL);
}

// The controller chosen in the status bar is kept for the next start, and a
// file named on the command line opens.
TEST_F(Commands, TheChosenControllerIsKeptForTheNextStart) {
    OrimbelProcess tool(OrimbelProcess::MakeFolder("restart"));
    // Only one tool may listen on the reply port: the suite's waits.
    ASSERT_EQ(0, T().Exit());
    ASSERT_TRUE(tool.Launch());
    EXPECT_EQ(-1, ReadOrimbelInt("Settings", "COMPort")) << "nothing written before the first close";
    ASSERT_TRUE(tool.ChooseBarItem(IDC_COM_PORT, 2));
    ASSERT_TRUE(tool.ChooseBarItem(IDC_CONTROLLER, 11));
    Sleep(300);
    ASSERT_EQ(0, tool.Exit());
    EXPECT_EQ(2, ReadOrimbelInt("Settings", "COMPort"));
    EXPECT_EQ(11, ReadOrimbelInt("Settings", "TermID"));

    std::string file = tool.Path("argument.orimb");
    ASSERT_TRUE(WriteBytes(file, DocumentBytes(SameWords(0x2468))));
    char full[MAX_PATH];
    GetFullPathNameA(file.c_str(), MAX_PATH, full, nullptr);  // a drive path: no "/" a switch could start with
    ASSERT_TRUE(tool.Start(std::string("\"") + full + "\""));
    ASSERT_NE(nullptr, tool.WaitForMainWindow());
    EXPECT_EQ("3", tool.BarText(IDC_COM_PORT));
    EXPECT_EQ("12", tool.BarText(IDC_CONTROLLER));
    tool.Command(ID_CONTROLLER_STATUS);
    ASSERT_TRUE(WaitForFrames(1));
    EXPECT_EQ(FrameOf(3, 12, "ST 0 0"), Frames()[0]);
    char title[64] = "";
    GetWindowTextA(tool.Main(), title, sizeof title);
    EXPECT_STREQ("Zavora21", title) << "the title stays the program's with a file open";
    ASSERT_TRUE(tool.SaveAndWait(file)) << "the file of the command line is the document";
    EXPECT_EQ(SameWords(0x2468), WordsOf(ReadBytes(file)));
    EXPECT_EQ(0, tool.Exit());
    // The suite's tool again, as the other tests left it.
    ASSERT_TRUE(T().Launch([] { WriteOrimbelString("Settings", "HalvexFile", s_tool->Path("Halvex.ini")); }));
}

// As the shell starts the tool for a file: with /dde, the file following by DDE.
TEST(ShellStart, TheFileComesByDde) {
    OrimbelProcess tool(OrimbelProcess::MakeFolder("shell-start"));
    DeleteOrimbelKey();
    ASSERT_TRUE(tool.Start("/dde"));
    ASSERT_NE(nullptr, tool.WaitForMainWindow());
    std::string file = tool.Path("double-clicked.orimb");
    ASSERT_TRUE(WriteBytes(file, DocumentBytes(SameWords(0x0C0C))));
    ASSERT_TRUE(tool.OpenByShell(file));
    ASSERT_TRUE(tool.SaveAndWait(file));
    EXPECT_EQ(SameWords(0x0C0C), WordsOf(ReadBytes(file)));
    EXPECT_EQ(0, tool.Exit());
}

// Closing the tool while a connection to its reply port stays open: the
// listener ends within its bound and the program with it.
TEST(Closing, WhileAnAnswerIsHeldOpenTheToolEnds) {
    OrimbelProcess tool(OrimbelProcess::MakeFolder("closing"));
    ASSERT_TRUE(tool.Launch());
    // The listener comes up just after the window.
    std::unique_ptr<ReplyConnection> held;
    ASSERT_TRUE(WaitFor([&] {
        held.reset(new ReplyConnection);
        return held->Connected();
    }));
    ASSERT_TRUE(held->Send("RE 1 4"));
    Sleep(300);
    DWORD start = GetTickCount();
    EXPECT_EQ(0, tool.Exit(15000));
    EXPECT_LT(GetTickCount() - start, 10000u);
}

}  // namespace
