#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "server/services/UserLog.h"
#include "temp_folder.h"

namespace {

struct Row {
    std::string when, event, port, controller, desc;
};

std::vector<Row> ReadLog(const std::string& path)
{
    SQLite::Database db;
    db.Open(path.c_str());
    std::vector<Row> rows;
    SQLite::TablePtr t = db.Query("select * from tblLog order by LogDT");
    if (!t || !t->ResetRow())
        return rows;
    do {
        rows.push_back({t->GetValue("LogDT"), t->GetValue("EventID"), t->GetValue("Port"),
                        t->GetValue("Controller"), t->GetValue("Desc")});
    } while (t->MoveNext());
    return rows;
}

SYSTEMTIME Utc(int y, int mo, int d, int h, int mi, int s, int ms)
{
    SYSTEMTIME t = {};
    t.wYear = (WORD)y;
    t.wMonth = (WORD)mo;
    t.wDay = (WORD)d;
    t.wHour = (WORD)h;
    t.wMinute = (WORD)mi;
    t.wSecond = (WORD)s;
    t.wMilliseconds = (WORD)ms;
    return t;
}

} // namespace

TEST(UserLog, FreshFolderGetsEmptyTableAndRestartKeepsRows)
{
    TempFolder folder;
    std::string path = folder.File("Log.sqlite");
    {
        CUserLog log(path.c_str());
        EXPECT_TRUE(ReadLog(path).empty());
        SQLite::TablePtr t =
            log.GetDatabase().Query("select sql from sqlite_master where name = 'tblLog'");
        ASSERT_EQ(1, t->GetRowCount());
        EXPECT_STREQ("CREATE TABLE tblLog (LogDT varchar(50) primary key, EventID varchar(20), "
                     "Port integer, Controller integer, Desc varchar(200))",
                     t->GetValue("sql"));
        EXPECT_TRUE(log.InsertAt(Utc(2011, 3, 3, 10, 15, 30, 250), "TimeSet", 2, 5, ""));
    }
    {
        CUserLog again(path.c_str()); // create-table fails harmlessly, rows stay
        EXPECT_TRUE(again.InsertAt(Utc(2011, 3, 3, 10, 15, 31, 0), "Reset", 1, 7, ""));
    }
    std::vector<Row> rows = ReadLog(path);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("2011-03-03 10:15:30.250", rows[0].when);
    EXPECT_EQ("TimeSet", rows[0].event);
    EXPECT_EQ("2", rows[0].port);
    EXPECT_EQ("5", rows[0].controller);
    EXPECT_EQ("", rows[0].desc);
    EXPECT_EQ("2011-03-03 10:15:31.000", rows[1].when);
    EXPECT_EQ("Reset", rows[1].event);
}

TEST(UserLog, SameMillisecondMovesOnInsteadOfLosingTheEvent)
{
    TempFolder folder;
    std::string path = folder.File("Log.sqlite");
    CUserLog log(path.c_str());
    // Three events in one millisecond, the last at the end of a second and of a year.
    SYSTEMTIME t = Utc(2026, 12, 31, 23, 59, 59, 998);
    EXPECT_TRUE(log.InsertAt(t, "TimeSet", 1, 1, ""));
    EXPECT_TRUE(log.InsertAt(t, "TimeSet", 1, 2, ""));
    EXPECT_TRUE(log.InsertAt(t, "TimeSet", 1, 3, ""));
    std::vector<Row> rows = ReadLog(path);
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("2026-12-31 23:59:59.998", rows[0].when);
    EXPECT_EQ("2026-12-31 23:59:59.999", rows[1].when);
    EXPECT_EQ("2027-01-01 00:00:00.000", rows[2].when);
    EXPECT_EQ("1", rows[0].controller);
    EXPECT_EQ("2", rows[1].controller);
    EXPECT_EQ("3", rows[2].controller);
}

TEST(UserLog, QuotesInTextsAreStoredAsGiven)
{
    TempFolder folder;
    std::string path = folder.File("Log.sqlite");
    CUserLog log(path.c_str());
    EXPECT_TRUE(log.InsertAt(Utc(2026, 1, 2, 3, 4, 5, 6), "Heure d'\xE9t\xE9", 3, 12, "it's 'x'"));
    std::vector<Row> rows = ReadLog(path);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("Heure d'\xE9t\xE9", rows[0].event);
    EXPECT_EQ("it's 'x'", rows[0].desc);
}

TEST(UserLog, InsertStampsCurrentUtcTime)
{
    TempFolder folder;
    std::string path = folder.File("Log.sqlite");
    CUserLog log(path.c_str());
    SYSTEMTIME before;
    GetSystemTime(&before);
    EXPECT_TRUE(log.Insert("Pack", 4, 9, ""));
    std::vector<Row> rows = ReadLog(path);
    ASSERT_EQ(1u, rows.size());
    char prefix[16];
    snprintf(prefix, sizeof prefix, "%04d-%02d-%02d", before.wYear, before.wMonth, before.wDay);
    EXPECT_EQ(23u, rows[0].when.size());
    // Midnight between the two clock reads is the only way this can differ.
    SYSTEMTIME after;
    GetSystemTime(&after);
    if (after.wDay == before.wDay) {
        EXPECT_EQ(0u, rows[0].when.find(prefix));
    }
    EXPECT_EQ("Pack", rows[0].event);
}

TEST(UserLog, UnopenableFileFailsSilently)
{
    TempFolder folder;
    CUserLog log(folder.File("missing\\Log.sqlite").c_str());
    EXPECT_FALSE(log.Insert("TimeSet", 1, 1, ""));
}
