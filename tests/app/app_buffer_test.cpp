// The real Halvex.exe's registration buffer (Buffer.sqlite) against the
// reporting-database stand-in: a server killed in the middle of emptying the
// buffer, a buffer another program reads while it is emptied, a row that no
// longer reads back, and a buffer that cannot be written at all. Whatever
// happens, no registration is lost and at most one goes out twice.
#include "tests/sim/sim_control.h"
#include "server/app/resource.h"
#include "framework/ids.h"
#include "server_process.h"
#include "TdsControl.h"
#include "server/services/SQLiteDatabase.h"
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

const int IdcMessages = IDC_MESSAGES;
const char* const NotBuffered =
    "Unable to write registration to buffer database. It is kept in the registration file only.";
const char* const WritingToBuffer = "Writing registration to buffer database.";
const char* const RowUnreadable = "A registration in buffer database cannot be read. It stays there and is skipped.";

std::string Ini(const std::string& controllers, int tcpPort)
{
    return "[Controllers]\r\nOnLine=1\r\n" + controllers + "[Misc]\r\nTCPPort=" + std::to_string(tcpPort) +
           "\r\n[Settings]\r\nPauseMachine=20\r\n[Database]\r\nUseBCDB=1\r\nConnStr=" +
           TdsControl::ConnectionString() + "\r\n";
}

// Buffered registration n of controller 5: a card event of last year, its
// raw data as the controller sent it.
struct Buffered {
    std::string raw, call;
};

Buffered MakeBuffered(int n, int year)
{
    const int day = 1 + n % 28, month = 1 + (n / 28) % 12, hour = n / 3600 % 24, minute = n / 60 % 60,
              second = n % 60;
    char raw[64], call[200];
    snprintf(raw, sizeof raw, "01%02d%02d%02d%02d%02d%02d0000%08d", day, month, year % 4, hour, minute, second, n);
    snprintf(call, sizeof call,
             "exec spDorvikReg2 '%08d', '%04d-%02d-%02d', '%04d-%02d-%02d %02d:%02d:%02d', '999', 5, 1, '01'", n,
             year, month, day, year, month, day, hour, minute, second);
    return { raw, call };
}

int LastYear()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wYear - 1;
}

// Rows 1..count in the folder's Buffer.sqlite, as the server writes them;
// the rows named in `garbled` carry raw data no controller sends.
std::vector<Buffered> FillBuffer(const std::string& folder, int count, const std::vector<int>& garbled = {})
{
    std::vector<Buffered> rows;
    SQLite::Database db;
    EXPECT_EQ(0, db.Open((folder + "\\Buffer.sqlite").c_str()));
    EXPECT_EQ(0, db.DirectStatement(
                     "create table tblRegBC( RegID integer primary key, nDay integer, nMonth integer, "
                     "nYear integer, nHour integer, nMinute integer, nSecond integer, strDate varchar(50), "
                     "strTime varchar(50), strDateTime varchar(50), strMediaID varchar(50), "
                     "strEventID varchar(50), nEventID integer, nTermID integer, nCommPort integer, "
                     "strRawData varchar(256) )"));
    db.BeginTransaction();
    const int year = LastYear();
    for (int n = 1; n <= count; ++n) {
        Buffered b = MakeBuffered(n, year);
        bool bad = false;
        for (int g : garbled)
            bad = bad || g == n;
        if (bad)
            b.raw = "garbled";
        // Only the port, controller, year and raw data are read back.
        char sql[512];
        snprintf(sql, sizeof sql,
                 "insert into tblRegBC values(NULL, 1, 1, %d, 0, 0, 0, '', '', '', '', '01', 1, 5, 3, '%s')", year,
                 b.raw.c_str());
        EXPECT_EQ(0, db.DirectStatement(sql));
        rows.push_back(b);
    }
    EXPECT_TRUE(db.CommitTransaction());
    return rows;
}

int BufferRows(const std::string& folder)
{
    SQLite::Database db;
    db.Open((folder + "\\Buffer.sqlite").c_str());
    SQLite::TablePtr t = db.Query("select count(*) as N from tblRegBC");
    const char* n = t && t->ResetRow() ? t->GetValue("N") : nullptr;
    return n ? atoi(n) : -1;
}

// How often each stored-procedure call reached the stand-in.
std::map<std::string, int> Calls(TdsControl& tds, int* total = nullptr)
{
    std::map<std::string, int> calls;
    int all = 0;
    for (const std::string& b : tds.Batches())
        if (b.compare(0, 18, "exec spDorvikReg2 ") == 0) {
            ++calls[b];
            ++all;
        }
    if (total)
        *total = all;
    return calls;
}

int CallCount(TdsControl& tds)
{
    int total = 0;
    Calls(tds, &total);
    return total;
}

// Every row went out, none that was not buffered, and at most one twice.
void ExpectEachSentOnceButOne(TdsControl& tds, const std::vector<Buffered>& rows)
{
    int total = 0;
    std::map<std::string, int> calls = Calls(tds, &total);
    int twice = 0;
    for (const Buffered& b : rows) {
        auto it = calls.find(b.call);
        if (it == calls.end()) {
            ADD_FAILURE() << "never sent: " << b.call;
            continue;
        }
        twice += it->second - 1;
    }
    EXPECT_EQ(rows.size(), calls.size()) << "calls for rows that were not buffered";
    EXPECT_LE(twice, 1) << "registrations sent more than once";
    printf("%d rows, %d calls, %d sent twice\n", (int)rows.size(), total, twice);
}

// A fresh folder for a server with no controllers, and a stand-in that has
// seen nothing yet.
std::string FreshFolder(TdsControl& tds, const char* name, int tcpPort)
{
    EXPECT_EQ("OK", tds.Command("clear"));
    return ServerProcess::MakeFolder(name, Ini("Count=0\r\n", tcpPort));
}

// Started, with its main window shown.
bool Started(ServerProcess& server)
{
    return server.Start() && server.WaitForMainWindow() != nullptr;
}

int LinesWith(ServerProcess& server, const std::string& text)
{
    int n = 0;
    for (const std::string& line : server.List(server.Control(IdcMessages)).Column(1))
        n += line == text;
    return n;
}

} // namespace

TEST(RegistrationBuffer, ServerKilledWhileEmptyingItSendsAtMostOneRowAgainAfterRestart)
{
    TdsControl tds;
    const std::string folder = FreshFolder(tds, "buffer-kill", 65041);
    const int count = 3000;
    const std::vector<Buffered> rows = FillBuffer(folder, count);
    {
        ServerProcess server(folder);
        ASSERT_TRUE(server.Start());
        // The connection at start empties the buffer at once.
        ASSERT_TRUE(WaitUntil([&] { return CallCount(tds) >= 100; }, 60000, 20)) << "the flush never began";
        ASSERT_TRUE(TerminateProcess(server.Handle(), 1));
        server.WaitForEnd(10000);
    }
    const int sentBeforeKill = CallCount(tds);
    ASSERT_LT(sentBeforeKill, count) << "the flush ended before the kill; nothing was shown";
    EXPECT_LE(BufferRows(folder), count - sentBeforeKill + 1) << "rows sent before the kill are still buffered";

    ServerProcess again(folder);
    ASSERT_TRUE(Started(again));
    EXPECT_TRUE(WaitUntil([&] { return BufferRows(folder) == 0; }, 300000, 20)) << BufferRows(folder) << " rows left";
    ExpectEachSentOnceButOne(tds, rows);
    EXPECT_EQ(0, again.Exit(60000));
}

// Another program (a viewer, a backup) holds a read lock on the buffer file
// while the server empties it: the deletions cannot be committed then.
TEST(RegistrationBuffer, FlushThatCannotCommitSendsAtMostOneRowAgain)
{
    TdsControl tds;
    const std::string folder = FreshFolder(tds, "buffer-locked", 65042);
    const std::vector<Buffered> rows = FillBuffer(folder, 20);
    SQLite::Database reader;
    ASSERT_EQ(0, reader.Open((folder + "\\Buffer.sqlite").c_str()));
    ASSERT_TRUE(reader.BeginTransaction());
    ASSERT_EQ(20, reader.Query("select * from tblRegBC")->GetRowCount());

    ServerProcess server(folder);
    ASSERT_TRUE(Started(server));
    ASSERT_TRUE(WaitUntil([&] { return CallCount(tds) >= 1; }, 60000, 20)) << "the flush never began";
    // Past the server's wait for the lock (5 s): that flush has given up.
    Sleep(8000);
    reader.CommitTransaction();
    reader.Close();
    // The next flush, 30 seconds after the first, sends what is left.
    EXPECT_TRUE(WaitUntil([&] { return BufferRows(folder) == 0; }, 120000, 20)) << BufferRows(folder) << " rows left";
    ExpectEachSentOnceButOne(tds, rows);
    EXPECT_EQ(0, server.Exit(60000));
}

TEST(RegistrationBuffer, RowThatNoLongerReadsBackStaysAndTheRowsAfterItAreSent)
{
    TdsControl tds;
    const std::string folder = FreshFolder(tds, "buffer-garbled", 65043);
    std::vector<Buffered> rows = FillBuffer(folder, 6, { 2 });
    rows.erase(rows.begin() + 1);

    ServerProcess server(folder);
    ASSERT_TRUE(Started(server));
    EXPECT_TRUE(WaitUntil([&] { return CallCount(tds) >= 5 && BufferRows(folder) == 1; }, 60000, 20))
        << CallCount(tds) << " calls, " << BufferRows(folder) << " rows left";
    ExpectEachSentOnceButOne(tds, rows);
    EXPECT_TRUE(WaitUntil([&] { return LinesWith(server, RowUnreadable) == 1; }, 10000, 20))
        << LinesWith(server, RowUnreadable) << " lines say so";
    EXPECT_EQ(0, server.Exit(60000));
    EXPECT_EQ(1, BufferRows(folder)) << "the unreadable row is kept";
}

// Neither the reporting database nor the buffer can take the registrations:
// the operator is told they are only in the monthly file.
TEST(RegistrationBuffer, RegistrationThatCannotBeBufferedIsNotReportedAsBuffered)
{
    halvex_sim::Control sim;
    TdsControl tds;
    ASSERT_EQ("OK", tds.Command("refuse on"));
    const int com = halvex_sim::Ports().at(0);
    sim.Request("DEL " + std::to_string(com) + " 5");
    sim.Add(com, 5);
    const std::string folder = ServerProcess::MakeFolder(
        "buffer-unwritable", Ini("Count=1\r\nController0=5\r\nCommPort0=" + std::to_string(com) + "\r\nName0=Gate\r\n", 65044));
    // A folder where the buffer file would be: it can be neither opened nor made.
    ASSERT_TRUE(CreateDirectoryA((folder + "\\Buffer.sqlite").c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);

    ServerProcess server(folder);
    ASSERT_TRUE(Started(server));
    const int year = LastYear();
    for (int n = 1; n <= 3; ++n)
        sim.Reg(com, 5, MakeBuffered(n, year).raw);
    EXPECT_TRUE(WaitUntil([&] { return LinesWith(server, NotBuffered) == 3; }, 30000, 20))
        << LinesWith(server, NotBuffered) << " lines say so";
    EXPECT_EQ(0, LinesWith(server, WritingToBuffer));
    EXPECT_EQ(0, server.Exit(60000));
    // They are in the monthly file.
    SYSTEMTIME now;
    GetLocalTime(&now);
    char name[64];
    snprintf(name, sizeof name, "\\Halvex-%04d-%02d.regQv", now.wYear, now.wMonth);
    const std::string file = ReadFileBytes(folder + name);
    for (int n = 1; n <= 3; ++n)
        EXPECT_NE(std::string::npos, file.find(MakeBuffered(n, year).raw + ",")) << file;
    tds.Command("refuse off");
    RemoveDirectoryA((folder + "\\Buffer.sqlite").c_str());
}
