// The server's own files: the settings file with every section, key and
// default, and the monthly registration file's exact format.
#include "server/services/RegistrationFile.h"
#include "server/services/ServerSettings.h"
#include "temp_folder.h"
#include <gtest/gtest.h>

namespace {

TEST(Settings, MissingFileGivesEveryDefault)
{
    TempFolder folder;
    CIniFile ini(folder.Path() + "Halvex.ini");
    ServiceSettings s = LoadServiceSettings(ini);
    EXPECT_TRUE(s.online);
    EXPECT_FALSE(s.testMenu);
    EXPECT_FALSE(s.selectPollInfo);
    EXPECT_FALSE(s.useBCDB);
    EXPECT_EQ("", s.connStr);
    EXPECT_EQ(0, s.autoSetTime);
    EXPECT_EQ(1, s.autoSetTimeInterval);
    EXPECT_EQ(65000, s.tcpPort);
    EXPECT_TRUE(s.controllers.empty());
    EXPECT_EQ(10000, ReadCommandTimeOut(ini));
    EXPECT_EQ("English", ReadLanguage(ini));
    BusPauses p = ReadBusPauses(ini);
    EXPECT_EQ(16, p.pauseSerial);
    EXPECT_EQ(100, p.pauseMachine);
    AddDialogChoice c = ReadAddDialogChoice(ini);
    EXPECT_EQ(0, c.commPort);
    EXPECT_EQ(0, c.controller);
    EXPECT_EQ("", ReadImportFilePath(ini));
    // Reading writes the two flags back at once.
    EXPECT_EQ("0", ini.GetString("Misc", "TestMenu", "missing"));
    EXPECT_EQ("0", ini.GetString("Misc", "SelectPollInfo", "missing"));
}

TEST(Settings, EveryKeyIsReadFromTheFile)
{
    TempFolder folder;
    std::string path = folder.Path() + "Halvex.ini";
    WriteFileBytes(path,
             "[Controllers]\r\nOnLine=0\r\nCount=5\r\n"
             "Controller0=5\r\nCommPort0=1\r\nName0=Front door\r\n"
             "Controller1=6\r\nCommPort1=1\r\n"                       // no name: skipped
             "Controller2=7\r\nCommPort2=0\r\nName2=Zero port\r\n"    // port 0: skipped
             "Controller3=8\r\nName3=No port\r\n"                     // port missing: skipped
             "Controller4=12\r\nCommPort4=3\r\nName4=Gate\r\n"
             "[Database]\r\nUseBCDB=1\r\nConnStr=Provider=MSDASQL;Data Source=rep\r\n"
             "[Misc]\r\nTestMenu=5\r\nSelectPollInfo=1\r\nAutoSetTime=2\r\nAutoSetTimeInterval=30\r\nTCPPort=65100\r\n"
             "[Settings]\r\nCommandTimeOut=7000\r\nLanguage=Deutsch\r\nPauseSerial=20\r\nPauseMachine=50\r\n"
             "[DialogAdd]\r\nCommPort=2\r\nController=11\r\n"
             "[DialogImportRegs]\r\nFilePath=C:\\regs\\Halvex-2011-03.regQv\r\n");
    CIniFile ini(path);
    ServiceSettings s = LoadServiceSettings(ini);
    EXPECT_FALSE(s.online);
    EXPECT_FALSE(s.testMenu); // only 1 means on
    EXPECT_EQ("0", ini.GetString("Misc", "TestMenu", ""));
    EXPECT_TRUE(s.selectPollInfo);
    EXPECT_TRUE(s.useBCDB);
    EXPECT_EQ("Provider=MSDASQL;Data Source=rep", s.connStr);
    EXPECT_EQ(2, s.autoSetTime);
    EXPECT_EQ(30, s.autoSetTimeInterval);
    EXPECT_EQ(65100, s.tcpPort);
    ASSERT_EQ(2u, s.controllers.size());
    EXPECT_EQ(5, s.controllers[0].id);
    EXPECT_EQ(1, s.controllers[0].port);
    EXPECT_EQ("Front door", s.controllers[0].name);
    EXPECT_EQ(12, s.controllers[1].id);
    EXPECT_EQ(3, s.controllers[1].port);
    EXPECT_EQ("Gate", s.controllers[1].name);
    EXPECT_EQ(7000, ReadCommandTimeOut(ini));
    EXPECT_EQ("Deutsch", ReadLanguage(ini));
    EXPECT_EQ(20, ReadBusPauses(ini).pauseSerial);
    EXPECT_EQ(50, ReadBusPauses(ini).pauseMachine);
    EXPECT_EQ(2, ReadAddDialogChoice(ini).commPort);
    EXPECT_EQ(11, ReadAddDialogChoice(ini).controller);
    EXPECT_EQ("C:\\regs\\Halvex-2011-03.regQv", ReadImportFilePath(ini));
}

TEST(Settings, AddDialogIndexesOutsideTheListsFallBackToTheFirstEntry)
{
    TempFolder folder;
    CIniFile ini(folder.Path() + "Halvex.ini");
    const struct { int stored, read; } cases[] = { { -1, 0 }, { 0, 0 }, { 254, 254 }, { 255, 0 }, { 100000, 0 } };
    for (const auto& c : cases) {
        ini.WriteInt("DialogAdd", "CommPort", c.stored);
        ini.WriteInt("DialogAdd", "Controller", c.stored);
        EXPECT_EQ(c.read, ReadAddDialogChoice(ini).commPort) << c.stored;
        EXPECT_EQ(c.read, ReadAddDialogChoice(ini).controller) << c.stored;
    }
}

TEST(Settings, ShutdownRewritesControllersAndRoundTrips)
{
    TempFolder folder;
    std::string path = folder.Path() + "Halvex.ini";
    WriteFileBytes(path, "[Controllers]\r\nCount=2\r\nController0=5\r\nCommPort0=1\r\nName0=Door\r\n"
                   "Controller1=6\r\nCommPort1=2\r\n[Misc]\r\nSelectPollInfo=1\r\n");
    CIniFile ini(path);
    ServiceSettings s = LoadServiceSettings(ini);
    ASSERT_EQ(1u, s.controllers.size());
    s.online = false;
    s.useBCDB = true;
    s.connStr = std::string(3000, 'c') + ";Password=x y";
    s.autoSetTime = 1;
    s.autoSetTimeInterval = 15;
    s.tcpPort = 65010;
    s.testMenu = true;
    SaveServiceSettings(ini, s, s.controllers);

    EXPECT_EQ(-1, ini.GetInt("Controllers", "Controller1", -1)) << "a removed entry survived";
    EXPECT_EQ("", ini.GetString("Controllers", "Name1", ""));
    EXPECT_EQ(1, ini.GetInt("Controllers", "Count", -1));
    EXPECT_EQ("0", ini.GetString("Misc", "SelectPollInfo", ""));
    ServiceSettings again = LoadServiceSettings(ini);
    EXPECT_EQ(s.online, again.online);
    EXPECT_EQ(s.useBCDB, again.useBCDB);
    EXPECT_EQ(s.connStr, again.connStr);
    EXPECT_EQ(s.autoSetTime, again.autoSetTime);
    EXPECT_EQ(s.autoSetTimeInterval, again.autoSetTimeInterval);
    EXPECT_EQ(s.tcpPort, again.tcpPort);
    EXPECT_TRUE(again.testMenu);
    EXPECT_FALSE(again.selectPollInfo);
    ASSERT_EQ(1u, again.controllers.size());
    EXPECT_EQ("Door", again.controllers[0].name);

    WriteCommandTimeOut(ini, 12000);
    WriteLanguage(ini, "");
    WriteBusPauses(ini, BusPauses());
    WriteAddDialogChoice(ini, { 3, 9 });
    WriteImportFilePath(ini, "D:\\x.regQv");
    EXPECT_EQ(12000, ReadCommandTimeOut(ini));
    EXPECT_EQ("", ReadLanguage(ini)); // an empty choice is kept as empty
    EXPECT_EQ("16", ini.GetString("Settings", "PauseSerial", ""));
    EXPECT_EQ("100", ini.GetString("Settings", "PauseMachine", ""));
    EXPECT_EQ(3, ReadAddDialogChoice(ini).commPort);
    EXPECT_EQ(9, ReadAddDialogChoice(ini).controller);
    EXPECT_EQ("D:\\x.regQv", ReadImportFilePath(ini));
}

SYSTEMTIME Time(int y, int mo, int d, int h, int mi, int s)
{
    SYSTEMTIME t = {};
    t.wYear = y; t.wMonth = mo; t.wDay = d; t.wHour = h; t.wMinute = mi; t.wSecond = s;
    return t;
}

TEST(RegistrationFile, NameFollowsMonthOfStart)
{
    EXPECT_EQ("C:\\app\\Halvex-2011-03.regQv", RegistrationFileName("C:\\app\\", Time(2011, 3, 31, 23, 59, 0)));
    EXPECT_EQ("Halvex-2026-12.regQv", RegistrationFileName("", Time(2026, 12, 1, 0, 0, 0)));
}

TEST(RegistrationFile, LineFormat)
{
    EXPECT_EQ("1A2403051407000000012345,000000012345,2024-03-05 14:07:00,003,012,1A,2024-03-05 14:07:03",
              RegistrationLine("1A2403051407000000012345", "000000012345", "2024-03-05 14:07:00", 3, 12, "1A",
                               Time(2024, 3, 5, 14, 7, 3)));
    EXPECT_EQ("r,m,d,1234,000,80,2000-01-02 03:04:05",
              RegistrationLine("r", "m", "d", 1234, 0, "80", Time(2000, 1, 2, 3, 4, 5)));
}

TEST(RegistrationFile, HeaderOnceAndCrLfLines)
{
    TempFolder folder;
    std::string path = RegistrationFileName(folder.Path(), Time(2011, 3, 1, 0, 0, 0));
    {
        CRegistrationFile file;
        ASSERT_TRUE(file.Open(path));
        file.WriteLine("first");
        // Complete on disk after every line, and readable by others meanwhile.
        EXPECT_EQ("Raw,MediaID,DateTime,Port,Controller,Event,DateTimeDL\r\nfirst\r\n", ReadFileBytes(path));
        HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                    OPEN_EXISTING, 0, NULL);
        EXPECT_EQ(INVALID_HANDLE_VALUE, writer) << "another writer got in";
        if (writer != INVALID_HANDLE_VALUE)
            CloseHandle(writer);
    }
    {
        CRegistrationFile file;
        ASSERT_TRUE(file.Open(path));
        file.WriteLine("second");
    }
    EXPECT_EQ("Raw,MediaID,DateTime,Port,Controller,Event,DateTimeDL\r\nfirst\r\nsecond\r\n", ReadFileBytes(path));
}

TEST(RegistrationFile, OpenFailsWhileAnotherProcessWrites)
{
    TempFolder folder;
    std::string path = folder.Path() + "Halvex-2011-03.regQv";
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, CREATE_ALWAYS,
                                0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    CRegistrationFile file;
    EXPECT_FALSE(file.Open(path));
    EXPECT_FALSE(file.IsOpen());
    file.WriteLine("lost quietly"); // no file: nothing happens
    CloseHandle(holder);
    EXPECT_EQ("", ReadFileBytes(path));
}

} // namespace
