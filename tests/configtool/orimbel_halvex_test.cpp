// The real Orimbel.exe with the real Halvex.exe and a simulated controller:
// the picker reads the server's own settings file, and reading, writing,
// status and set time reach the controller on its virtual COM port.
#include "orimbel_process.h"
#include "sim_control.h"
#include <gtest/gtest.h>

namespace {

const UINT ID_EEPROM_READ = 32778, ID_EEPROM_WRITE = 32779, ID_CONTROLLER_STATUS = 32780,
           ID_CONTROLLER_SETTIME = 32783;
const int IDC_DEVICE_TEXT = 1014, IDC_VERSION_TEXT = 1015, IDC_DATE_TEXT = 1016, IDC_TIME_TEXT = 1017,
          IDC_CONTROLLER = 1022;
const int Gate = 5;  // the simulated controller the server knows; 9 it does not

std::string Hex4(int value) {
    char text[8];
    snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

class WithHalvex : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        int port = halvex_sim::Ports().at(0);
        std::string ini = "[Controllers]\r\nOnLine=1\r\nCount=1\r\nController0=" + std::to_string(Gate) +
                          "\r\nCommPort0=" + std::to_string(port) + "\r\nName0=Gate\r\n" +
                          "[Misc]\r\nTCPPort=65000\r\nAutoSetTime=0\r\n[Settings]\r\nPauseMachine=20\r\n";
        s_server = new ServerProcess(ServerProcess::MakeFolder("orimbel", ini));
        ASSERT_TRUE(s_server->Start());
        ASSERT_NE(nullptr, s_server->WaitForMainWindow());
        s_tool = new OrimbelProcess(OrimbelProcess::MakeFolder("with-halvex"));
        ASSERT_TRUE(s_tool->Launch(
            [] { WriteOrimbelString("Settings", "HalvexFile", s_server->Folder() + "\\Halvex.ini"); }));
        ASSERT_TRUE(s_tool->PickController("Gate"));
    }
    static void TearDownTestSuite() {
        if (s_tool) {
            EXPECT_EQ(0, s_tool->Exit());
        }
        if (s_server) {
            EXPECT_EQ(0, s_server->Exit());
        }
        delete s_tool;
        delete s_server;
        s_tool = nullptr;
        s_server = nullptr;
    }
    void TearDown() override {
        for (const std::string& left : T().DismissDialogs()) ADD_FAILURE() << "a window left open: " << left;
    }
    OrimbelProcess& T() const { return *s_tool; }
    int Com() const { return halvex_sim::Ports().at(0); }
    std::string Eeprom(int location) { return m_sim.Ok("EEPROM " + std::to_string(Com()) + " " + std::to_string(Gate) +
                                                       " " + Hex4(location)); }
    std::string Open(const std::vector<WORD>& words, const std::string& name) {
        std::string path = T().Path(name);
        EXPECT_TRUE(WriteBytes(path, DocumentBytes(words)));
        EXPECT_TRUE(T().OpenByShell(path));
        return path;
    }

    halvex_sim::Control m_sim;
    static OrimbelProcess* s_tool;
    static ServerProcess* s_server;
};
OrimbelProcess* WithHalvex::s_tool = nullptr;
ServerProcess* WithHalvex::s_server = nullptr;

TEST_F(WithHalvex, ThePickerListsTheServersControllers) {
    HWND picker = T().OpenPicker();
    ASSERT_NE(nullptr, picker);
    RemoteList rows = T().PickerRows(picker);
    ASSERT_EQ(1, rows.Count());
    EXPECT_EQ((std::vector<std::string>{"Gate", std::to_string(Com()), std::to_string(Gate)}), rows.Row(0, 3));
    PressButton(picker, IDCANCEL);
}

TEST_F(WithHalvex, ReadBringsTheControllersWords) {
    std::vector<WORD> words;
    for (int location = 496; location <= 508; ++location) {
        words.push_back((WORD)(0x8001 + location * 13));
        m_sim.Ok("EEPROM " + std::to_string(Com()) + " " + std::to_string(Gate) + " " + Hex4(location) + " " +
                 Hex4(words.back()));
    }
    std::string file = Open(SameWords(0x0303), "read.orimb");
    T().Command(ID_EEPROM_READ);
    ASSERT_TRUE(WaitFor([&] { return T().Progress() != nullptr; })) << "the transfer starts";
    ASSERT_TRUE(T().TransferEnded(60000));
    ASSERT_TRUE(T().SaveAndWait(file));
    EXPECT_EQ(words, WordsOf(ReadBytes(file)));
}

TEST_F(WithHalvex, WriteChangesTheControllersWordsExactly) {
    std::vector<WORD> words;
    for (int location = 496; location <= 508; ++location) words.push_back((WORD)(0xF00F ^ (location * 7)));
    Open(words, "write.orimb");
    T().Command(ID_EEPROM_WRITE);
    ASSERT_TRUE(WaitFor([&] { return T().Progress() != nullptr; })) << "the transfer starts";
    ASSERT_TRUE(T().TransferEnded(60000));
    for (int location = 496; location <= 508; ++location)
        EXPECT_EQ(Hex4(words[location - 496]), Eeprom(location)) << location;
}

// The server's status answer: the controller's date and time, its device and
// version texts.
TEST_F(WithHalvex, StatusFillsTheBar) {
    m_sim.Ok("CLOCK " + std::to_string(Com()) + " " + std::to_string(Gate) + " 05.06.2023 07:08:09");
    T().Command(ID_CONTROLLER_STATUS);
    ASSERT_TRUE(WaitFor([&] { return T().BarText(IDC_DATE_TEXT) == "2023-06-05"; }, 30000))
        << "date " << T().BarText(IDC_DATE_TEXT);
    EXPECT_EQ("07:08", T().BarText(IDC_TIME_TEXT).substr(0, 5));
    EXPECT_FALSE(T().BarText(IDC_DEVICE_TEXT).empty());
    EXPECT_FALSE(T().BarText(IDC_VERSION_TEXT).empty());
}

TEST_F(WithHalvex, SetTimeSetsTheControllersClock) {
    std::string clock = "CLOCK " + std::to_string(Com()) + " " + std::to_string(Gate);
    m_sim.Ok(clock + " 01.01.2001 00:00:00");
    T().Command(ID_CONTROLLER_SETTIME);
    T().Answer("Are you sure you wish to set time?", IDOK);
    EXPECT_TRUE(WaitFor([&] { return llabs(SecondsFromNow(m_sim.Ok(clock))) < 120; }, 30000))
        << "the controller's clock: " << m_sim.Ok(clock);
}

TEST_F(WithHalvex, AControllerTheServerDoesNotKnowIsSaidOnce) {
    std::vector<WORD> words = SameWords(0x4321);
    std::string file = Open(words, "unknown.orimb");
    ASSERT_TRUE(T().ChooseBarItem(IDC_CONTROLLER, 8));  // controller 9
    T().Command(ID_EEPROM_READ);
    EXPECT_NE("<none>", T().Answer("Controller is not found in Halvex device-map", IDOK));
    ASSERT_TRUE(T().TransferEnded());
    Sleep(2000);
    EXPECT_TRUE(T().Dialogs().empty()) << "one box for the thirteen answers";
    ASSERT_TRUE(T().SaveAndWait(file));
    EXPECT_EQ(words, WordsOf(ReadBytes(file)));
    ASSERT_TRUE(T().ChooseBarItem(IDC_CONTROLLER, Gate - 1));
}

}  // namespace
