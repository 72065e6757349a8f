#include <gtest/gtest.h>
#include <windows.h>
#include <sqlite3.h>

#include <thread>

#include "server/services/SQLiteDatabase.h"
#include "temp_folder.h"

namespace {

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class SQLiteWrapper : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SQLITE_OK, db.Open(folder.File("t.sqlite").c_str()));
        ASSERT_EQ(SQLITE_OK, db.DirectStatement("create table t (RegID integer primary key, "
                                                "Name varchar(50), Extra varchar(50))"));
    }
    TempFolder folder;
    SQLite::Database db;
};

} // namespace

TEST(SQLiteDatabase, OpenCreatesMissingFileAndCloseClears)
{
    TempFolder folder;
    std::string path = folder.File("new.sqlite");
    ASSERT_FALSE(FileExists(path));
    SQLite::Database db;
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(0, db.Close());
    ASSERT_EQ(SQLITE_OK, db.Open(path.c_str()));
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(SQLITE_OK, db.DirectStatement("create table x (a integer)"));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(SQLITE_OK, db.Close());
    EXPECT_FALSE(db.IsOpen());
}

TEST(SQLiteDatabase, OpenFailsInMissingFolder)
{
    TempFolder folder;
    SQLite::Database db;
    int rc = db.Open(folder.File("no-such-folder\\x.sqlite").c_str());
    EXPECT_NE(SQLITE_OK, rc);
    EXPECT_EQ(rc, db.GetLastError());
    EXPECT_FALSE(db.IsOpen());
}

TEST(SQLiteDatabase, EveryOperationOnAClosedConnectionReportsError1)
{
    SQLite::Database db;
    EXPECT_EQ(SQLITE_ERROR, db.DirectStatement("select 1"));
    EXPECT_EQ(SQLITE_ERROR, db.GetLastError());
    EXPECT_FALSE(db.BeginTransaction());
    EXPECT_FALSE(db.CommitTransaction());
    SQLite::TablePtr t = db.Query("select 1");
    EXPECT_FALSE(t);
    EXPECT_EQ(SQLITE_ERROR, db.GetLastError());
}

TEST_F(SQLiteWrapper, StatementErrorsAreKeptAndSuccessDoesNotClearThem)
{
    EXPECT_EQ(SQLITE_ERROR, db.DirectStatement("create table t (a integer)"));
    EXPECT_EQ(SQLITE_ERROR, db.GetLastError());
    EXPECT_EQ(SQLITE_OK, db.DirectStatement("insert into t values(NULL, 'a', NULL)"));
    EXPECT_EQ(SQLITE_ERROR, db.GetLastError());
    EXPECT_EQ(SQLITE_CONSTRAINT, db.DirectStatement("insert into t values(1, 'dup', NULL)"));
    EXPECT_EQ(SQLITE_CONSTRAINT, db.GetLastError());
    EXPECT_TRUE(db.BeginTransaction());
    EXPECT_EQ(0, db.GetLastError());
    EXPECT_TRUE(db.CommitTransaction());
    EXPECT_FALSE(db.CommitTransaction()); // no transaction open
    EXPECT_NE(0, db.GetLastError());
}

TEST_F(SQLiteWrapper, EmptyResultHasNoCurrentRow)
{
    SQLite::TablePtr t = db.Query("select * from t");
    ASSERT_TRUE(t);
    EXPECT_EQ(0, t->GetRowCount());
    EXPECT_EQ(-1, t->GetCurrentRow());
    EXPECT_FALSE(t->ResetRow());
    EXPECT_FALSE(t->MoveNext());
    EXPECT_EQ(nullptr, t->GetValue("RegID"));
}

TEST_F(SQLiteWrapper, FailedQueryGivesEmptyTableAndKeepsError)
{
    SQLite::TablePtr t = db.Query("select * from missing");
    ASSERT_TRUE(t);
    EXPECT_EQ(0, t->GetRowCount());
    EXPECT_EQ(SQLITE_ERROR, db.GetLastError());
}

TEST_F(SQLiteWrapper, RowsCursorCaseInsensitiveColumnsAndNullCells)
{
    ASSERT_EQ(SQLITE_OK, db.DirectStatement("insert into t values(NULL, 'first', NULL)"));
    ASSERT_EQ(SQLITE_OK, db.DirectStatement("insert into t values(NULL, 'second', 'x')"));
    SQLite::TablePtr t = db.Query("select * from t order by RegID");
    ASSERT_TRUE(t);
    EXPECT_EQ(2, t->GetRowCount());
    EXPECT_EQ(3, t->GetColumnCount());
    EXPECT_EQ(0, t->GetCurrentRow());
    EXPECT_STREQ("1", t->GetValue("regid"));
    EXPECT_STREQ("first", t->GetValue("NAME"));
    ASSERT_NE(nullptr, t->GetValue("Extra"));
    EXPECT_STREQ("", t->GetValue("Extra")); // SQL NULL reads as empty text
    EXPECT_EQ(nullptr, t->GetValue("Missing"));
    EXPECT_EQ(nullptr, t->GetValue(nullptr));
    EXPECT_TRUE(t->MoveNext());
    EXPECT_STREQ("second", t->GetValue("Name"));
    EXPECT_STREQ("x", t->GetValue("Extra"));
    EXPECT_FALSE(t->MoveNext());
    EXPECT_EQ(1, t->GetCurrentRow());
    EXPECT_TRUE(t->ResetRow());
    EXPECT_STREQ("first", t->GetValue("Name"));
    t.Reset();
    EXPECT_FALSE(t);
}

TEST_F(SQLiteWrapper, AnsiTextRoundTripsThroughUtf8)
{
    // "Müller" in the ANSI code page; the wrapper must store UTF-8 and give ANSI back.
    const char ansi[] = "M\xFCller";
    std::string sql = std::string("insert into t values(NULL, '") + ansi + "', NULL)";
    ASSERT_EQ(SQLITE_OK, db.DirectStatement(sql.c_str()));
    SQLite::TablePtr t = db.Query("select Name, hex(Name) as H from t");
    ASSERT_EQ(1, t->GetRowCount());
    if (GetACP() == 1252) {
        EXPECT_STREQ(ansi, t->GetValue("Name"));
        EXPECT_STREQ("4DC3BC6C6C6572", t->GetValue("H"));
    }
}

TEST(SQLiteText, EscapeDoublesSingleQuotes)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""}, {"plain", "plain"}, {"it's", "it''s"}, {"''", "''''"}, {"a'); drop table t; --", "a''); drop table t; --"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, SQLite::EscapeText(c.in)) << c.in;
    EXPECT_EQ("", SQLite::EscapeText(nullptr));
}

TEST_F(SQLiteWrapper, SecondConnectionWaitsForALockInsteadOfFailing)
{
    // The other connection holds the write lock for a while; the insert must
    // wait for it (busy time-out) and then succeed, not fail with SQLITE_BUSY.
    std::string path = folder.File("t.sqlite");
    HANDLE locked = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        SQLite::Database other;
        other.Open(path.c_str());
        other.DirectStatement("BEGIN IMMEDIATE TRANSACTION");
        other.DirectStatement("insert into t values(NULL, 'other', NULL)");
        SetEvent(locked);
        Sleep(700);
        other.CommitTransaction();
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(locked, 30000));
    EXPECT_EQ(SQLITE_OK, db.DirectStatement("insert into t values(NULL, 'mine', NULL)"));
    holder.join();
    CloseHandle(locked);
    SQLite::TablePtr t = db.Query("select * from t");
    EXPECT_EQ(2, t->GetRowCount());
}
