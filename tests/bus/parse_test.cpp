// Replies as events: field decoding, the year window, the registration ring,
// the result maps, the dispatch with its thread messages, and the tables of
// error texts and event names.
#include "bus/VTMultiDrop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace VTMultiDrop;

namespace {

SYSTEMTIME At(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Posted& o) const { return message == o.message && wParam == o.wParam && lParam == o.lParam; }
};

std::vector<Posted> TakeThreadMessages()
{
    std::vector<Posted> posted;
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE))
        posted.push_back({msg.message, msg.wParam, msg.lParam});
    return posted;
}

class BusTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue
        Initialize(GetCurrentThreadId());
        TakeThreadMessages();
    }
};

}  // namespace

TEST_F(BusTables, ErrorTextsAndEventNamesExactly)
{
    const char* texts[] = {"OK",
                           "No SOH",
                           "SetCommState error",
                           "EscapeCommFunction error",
                           "RxSTR error",
                           "Invalid data len",
                           "Comm port already opened",
                           "Unable to open comm port",
                           "GetCommState error",
                           "GetCommTImeouts error",
                           "SetCommTimeouts error",
                           "SetupComm error",
                           "SetCommMask error",
                           "PurgeComm error",
                           "Comm port already closed",
                           "Unable to close comm port",
                           "Device already exists",
                           "Device doesn't exist",
                           "Unknown event",
                           "TimeOut"};
    for (int code = 0; code < 20; ++code)
        EXPECT_EQ(GetErrorText(code), texts[code]) << code;
    EXPECT_EQ(GetErrorText(20), "");
    EXPECT_EQ(GetErrorText(-1), "");

    const std::pair<int, const char*> names[] = {{0x00, "T1"}, {0x01, "T1A"}, {0x10, "T2"},   {0x11, "T2A"},
                                                 {0x80, "SO"}, {0x81, "SC"},  {0x88, "EO"},   {0x89, "EC"},
                                                 {0x96, "AFE"}, {0x9A, "ADOTL"}, {0xAE, "AO"}, {0xAF, "AC"}};
    for (const auto& n : names)
        EXPECT_EQ(GetEventName(n.first), n.second) << n.first;
    EXPECT_EQ(GetEventName(2), "");
    EXPECT_EQ(GetEventName(138), "");
    EXPECT_EQ(g_EventNames.size(), 12u);
    // A second Initialize keeps what is there.
    Initialize(GetCurrentThreadId());
    EXPECT_EQ(g_ErrorTexts.size(), 20u);
}

TEST_F(BusTables, RegistrationFields)
{
    struct Case {
        const char* data;
        SYSTEMTIME now;
        int code;
        const char* name;
        const char* dateTime;
        const char* media;
        bool valid;
    } cases[] = {
        {"00240803140509123456789012", At(2011, 8, 25), 0, "T1", "2011-08-24 14:05:09", "123456789012", true},
        {"01240803140509", At(2011, 8, 25), 1, "T1A", "2011-08-24 14:05:09", "", true},
        {"80240803140509123456789012", At(2011, 8, 25), 128, "SO", "2011-08-24 14:05:09", "000000000000", true},
        {"AF240803140509", At(2011, 8, 25), 175, "AC", "2011-08-24 14:05:09", "000000000000", true},
        {"8A240803140509", At(2011, 8, 25), 138, "", "2011-08-24 14:05:09", "000000000000", true},
        // Year digits 03 read in 2012 belong to 2011, not to 2015.
        {"10010103000000", At(2012, 1, 10), 16, "T2", "2011-01-01 00:00:00", "", true},
        // Within a day ahead of our clock: this year; further: four years back.
        {"11110100080000", At(2012, 1, 10, 12), 17, "T2A", "2012-01-11 08:00:00", "", true},
        {"11010300080000", At(2012, 1, 10, 12), 17, "T2A", "2008-03-01 08:00:00", "", true},
        {"00311200235959", At(2013, 1, 1, 0, 0, 5), 0, "T1", "2012-12-31 23:59:59", "", true},
        // A controller a little ahead across New Year: the new year, not the
        // one four years before it.
        {"00010103003000", At(2026, 12, 31, 23, 0), 0, "T1", "2027-01-01 00:30:00", "", true},
        {"00020103003000", At(2026, 12, 31, 23, 0), 0, "T1", "2023-01-02 00:30:00", "", true},
        // Stored but invalid.
        {"00310203140509", At(2011, 8, 25), 0, "T1", "2011-02-31 14:05:09", "", false},
        {"00240803250509", At(2011, 8, 25), 0, "T1", "2011-08-24 25:05:09", "", false},
        {"00240807140509", At(2011, 8, 25), 0, "T1", nullptr, "", false},
        // Exactly the digits of each field: no blanks, signs or "0x".
        {"00 40803140509", At(2011, 8, 25), 0, "T1", nullptr, "", false},
        {"00+40803140509", At(2011, 8, 25), 0, "T1", nullptr, "", false},
        {"000x0803140509", At(2011, 8, 25), 0, "T1", nullptr, "", false},
        {" 1240803140509", At(2011, 8, 25), 0, "", nullptr, "", false},
        {"0024080314050", At(2011, 8, 25), 0, "", nullptr, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        EventArgRegistration r;
        r.Parse(3, 7, c.data, c.now);
        EXPECT_EQ(r.m_Port, 3);
        EXPECT_EQ(r.m_DeviceId, 7);
        EXPECT_EQ(r.m_RawData, c.data);
        EXPECT_EQ(r.m_EventCodeText, std::string(c.data).substr(0, 2));
        if (c.name[0] || c.code) {
            EXPECT_EQ(r.m_EventCode, c.code);
        }
        EXPECT_EQ(r.m_EventName, c.name);
        if (c.dateTime) {
            EXPECT_EQ(r.m_DateTimeText, c.dateTime);
            EXPECT_EQ(r.m_DateText, std::string(c.dateTime).substr(0, 10));
            EXPECT_EQ(r.m_TimeText, std::string(c.dateTime).substr(11));
        }
        EXPECT_EQ(r.m_MediaId, c.media);
        EXPECT_EQ(r.m_Valid, c.valid);
    }
}

TEST_F(BusTables, RegistrationConstructorDecodesWithTheLocalClock)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char data[32];
    std::snprintf(data, sizeof data, "00%02d%02d%02d%02d%02d%02d", now.wDay, now.wMonth, now.wYear % 4, 1, 2, 3);
    EventArgRegistration r(1, 2, data);
    EXPECT_EQ(r.m_Year, now.wYear);
    EXPECT_TRUE(r.m_Valid);
}

TEST_F(BusTables, StatusDiagnosticsAndEEPROMFields)
{
    EventArgStatus status;
    ASSERT_TRUE(status.Parse(4, 9, "AB12324080314050910042", At(2011, 8, 25)));
    EXPECT_EQ(status.m_Head, "AB");
    EXPECT_EQ(status.m_Firmware, "123");
    EXPECT_EQ(status.m_DateTimeText, "2011-08-24 14:05:09");
    EXPECT_EQ(status.m_Flag, '1');
    EXPECT_EQ(status.m_Counter, "0042");
    EXPECT_TRUE(status.Parse(4, 9, "AB123240803140509x0042", At(2011, 8, 25)));  // the flag is not read
    EXPECT_FALSE(status.Parse(4, 9, "AB1232408031405091004", At(2011, 8, 25)));
    EXPECT_FALSE(status.Parse(4, 9, "AB123 40803140509x0042", At(2011, 8, 25)));

    EventArgDiagnostics diagnostics;
    ASSERT_TRUE(diagnostics.Parse(4, 9, "000100020003"));
    EXPECT_EQ(diagnostics.m_CT, "0001");
    EXPECT_EQ(diagnostics.m_RD, "0002");
    EXPECT_EQ(diagnostics.m_WR, "0003");
    EXPECT_FALSE(diagnostics.Parse(4, 9, "00010002000"));

    struct Case {
        const char* data;
        bool ok;
        int location, word;
    } cases[] = {{"01F40001", true, 500, 1}, {"ffffABCD", true, 0xFFFF, 0xABCD}, {"01F4 001", false, 0, 0},
                 {"0x1F0001", false, 0, 0},  {"01F400011", false, 0, 0},       {"+1F40001", false, 0, 0}};
    for (const Case& c : cases) {
        EventArgEEPROMLoc loc;
        EXPECT_EQ(loc.Parse(4, 9, c.data), c.ok) << c.data;
        if (c.ok) {
            EXPECT_EQ(loc.m_Location, c.location);
            EXPECT_EQ(loc.m_Word, c.word);
        }
    }
}

TEST_F(BusTables, RingWrapsAfter8192)
{
    g_NextRegistration = RegistrationRingSize - 1;
    EXPECT_EQ(StoreRegistration(2, 5, "00240803140509"), RegistrationRingSize - 1);
    EXPECT_EQ(StoreRegistration(2, 6, "80240803140509"), 0);
    EXPECT_EQ(g_Registrations[0].m_DeviceId, 6);
    EXPECT_EQ(g_Registrations[0].m_EventName, "SO");
    EXPECT_EQ(g_Registrations[RegistrationRingSize - 1].m_DeviceId, 5);
    EXPECT_EQ(StoreRegistration(2, 7, "00240803140509"), 1);
}

TEST_F(BusTables, ResultMapsKeepTheNewestReply)
{
    EraseStatus(40);
    EraseDiagnostics(40);
    EXPECT_EQ(GetStatusFirmware(40), "");
    EXPECT_EQ(GetDiagnosticsCT(40), "");
    EXPECT_EQ(TakeEEPROMWord(40, 500), 0xFFFF);

    EventArgStatus first, second;
    ASSERT_TRUE(first.Parse(1, 40, "AB12324080314050910042", At(2011, 8, 25)));
    ASSERT_TRUE(second.Parse(1, 40, "CD45624080314050910042", At(2011, 8, 25)));
    InsertStatus(40, second);
    InsertStatus(40, first);  // a stale status must not stay
    EXPECT_EQ(GetStatusFirmware(40), "123");
    EXPECT_EQ(GetStatusHead(40), "AB");
    EXPECT_EQ(GetStatusDate(40), "2011-08-24");
    EXPECT_EQ(GetStatusTime(40), "14:05:09");
    EXPECT_EQ(GetStatusDateTime(40), "2011-08-24 14:05:09");
    EXPECT_EQ(GetStatusCounter(40), "0042");
    InsertStatus(40, second);
    EXPECT_EQ(GetStatusFirmware(40), "456");
    EraseStatus(40);
    EXPECT_EQ(GetStatusFirmware(40), "");

    EventArgDiagnostics older, newer;
    ASSERT_TRUE(older.Parse(1, 40, "000900090009"));
    ASSERT_TRUE(newer.Parse(1, 40, "000100020003"));
    InsertDiagnostics(40, older);
    InsertDiagnostics(40, newer);
    EXPECT_EQ(GetDiagnosticsCT(40), "0001");
    EXPECT_EQ(GetDiagnosticsRD(40), "0002");
    EXPECT_EQ(GetDiagnosticsWR(40), "0003");
    EraseDiagnostics(40);
    EXPECT_EQ(GetDiagnosticsCT(40), "");

    InsertEEPROMWord(40, 500, 1);
    InsertEEPROMWord(40, 500, 2);  // a stale word must not win
    InsertEEPROMWord(41, 500, 7);
    EXPECT_EQ(TakeEEPROMWord(40, 500), 2);
    EXPECT_EQ(TakeEEPROMWord(40, 500), 0xFFFF);
    EXPECT_EQ(TakeEEPROMWord(41, 500), 7);
}

TEST_F(BusTables, DispatchStoresAndPosts)
{
    CommPort port(6, 16);
    EraseStatus(9);
    EraseDiagnostics(9);
    g_NextRegistration = 100;

    struct Case {
        const char* code;
        const char* data;
        int result;
        std::vector<Posted> posted;
    } cases[] = {
        {"SD", "*", BUS_UNKNOWN_EVENT, {}},
        {"SD", "0024080314050", BUS_INVALID_DATA_LEN, {}},
        {"SD", "00240803140509", BUS_OK, {{WM_BUS_REGISTRATION, 6, 100}}},
        {"SD", "00240803140509123456789012", BUS_OK, {{WM_BUS_REGISTRATION, 6, 101}}},
        {"ST", "AB12324080314050910042", BUS_OK, {{WM_BUS_STATUS, 6, 9}}},
        {"ST", "AB1232408031405091004", BUS_INVALID_DATA_LEN, {}},
        {"DG", "000100020003", BUS_OK, {{WM_BUS_DIAGNOSTICS, 6, 9}}},
        {"DG", "0001000200", BUS_INVALID_DATA_LEN, {}},
        {"RE", "01F40007", BUS_OK, {{WM_BUS_EEPROM_READ, 9, 500}}},
        {"WE", "01F50008", BUS_OK, {{WM_BUS_EEPROM_WRITE, 9, 501}}},
        {"RE", "01F4000", BUS_INVALID_DATA_LEN, {}},
        {"RE", "01F4000G", BUS_INVALID_DATA_LEN, {}},
        {"XX", "whatever", BUS_UNKNOWN_EVENT, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " " + c.data);
        EXPECT_EQ(port.DispatchReply(9, c.code, c.data), c.result);
        EXPECT_EQ(TakeThreadMessages(), c.posted);
    }
    EXPECT_EQ(g_Registrations[101].m_MediaId, "123456789012");
    EXPECT_EQ(GetStatusFirmware(9), "123");
    EXPECT_EQ(GetDiagnosticsCT(9), "0001");
    EXPECT_EQ(TakeEEPROMWord(9, 500), 7);
    EXPECT_EQ(TakeEEPROMWord(9, 501), 8);

    // Without an event thread nothing is handed on.
    const DWORD thread = g_EventThreadId;
    g_EventThreadId = 0;
    bool handedOn = true;
    EXPECT_EQ(port.DispatchReply(9, "SD", "00240803140509", handedOn), BUS_OK);
    EXPECT_FALSE(handedOn);
    g_EventThreadId = thread;
    EXPECT_EQ(port.DispatchReply(9, "SD", "00240803140509", handedOn), BUS_OK);
    EXPECT_TRUE(handedOn);
    TakeThreadMessages();
    EraseStatus(9);
    EraseDiagnostics(9);
}
