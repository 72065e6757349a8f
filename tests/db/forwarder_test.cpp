// The forwarding logic against a scripted connection: what is sent, what is
// buffered, and how the buffer is emptied.
#include <gtest/gtest.h>
#include <windows.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "server/services/ReportingForwarder.h"
#include "temp_folder.h"

namespace {

class ScriptedLink : public IReportingLink {
public:
    bool reachable = true;
    std::vector<std::string> executed; // statements the database accepted
    std::string refuse;                // statements containing this fail
    int opens = 0, closes = 0;
    bool open = false;

    bool Open(const std::string& cs) override
    {
        ++opens;
        lastConnectionString = cs;
        open = reachable;
        return open;
    }
    bool Execute(const std::string& sql) override
    {
        if (!open || !reachable || (!refuse.empty() && sql.find(refuse) != std::string::npos))
            return false;
        if (whileExecuting)
            whileExecuting();
        executed.push_back(sql);
        return true;
    }
    std::function<void()> whileExecuting; // runs while a statement is on its way
    void Close() override
    {
        ++closes;
        open = false;
    }
    std::string lastConnectionString;
};

BufferedRegistration Reg(int device, int code, const char* media, int year, int second)
{
    BufferedRegistration r;
    r.port = 3;
    r.deviceId = device;
    r.eventCode = code;
    char buf[64];
    snprintf(buf, sizeof buf, "%02X", code);
    r.eventCodeText = buf;
    r.day = 10;
    r.month = 12;
    r.year = year;
    r.hour = 8;
    r.minute = 0;
    r.second = second;
    snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, 12, 10);
    r.dateText = buf;
    snprintf(buf, sizeof buf, "%02d:%02d:%02d", 8, 0, second);
    r.timeText = buf;
    r.dateTimeText = r.dateText + " " + r.timeText;
    r.mediaId = media;
    snprintf(buf, sizeof buf, "%02X%02d%02d%02d%02d%02d%02d%s", code, 10, 12, year % 4, 8, 0,
             second, code < 128 ? media : "");
    r.rawData = buf;
    return r;
}

// Decodes what Reg() writes as raw data, taking the year as stored.
bool Rebuild(int port, int device, const char* raw, int year, BufferedRegistration& out)
{
    std::string s(raw);
    if (s.size() != 14 && s.size() != 26)
        return false;
    int code = (int)strtol(s.substr(0, 2).c_str(), nullptr, 16);
    out = Reg(device, code, s.size() == 26 ? s.substr(14).c_str() : "000000000000", year,
              atoi(s.substr(12, 2).c_str()));
    out.port = port;
    return true;
}

struct Logged {
    int image;
    UINT id;
};

class Forwarder : public ::testing::Test {
protected:
    Forwarder() : forwarder(link, Hooks(), folder.File("Buffer.sqlite")) {}

    ReportingHooks Hooks()
    {
        ReportingHooks h;
        h.useDatabase = [this] { return use; };
        h.connectionString = [this] { return std::string("Provider=MSDASQL;Data Source=X"); };
        h.log = [this](int image, UINT id) { lines.push_back({image, id}); };
        h.bufferCount = [this](int n) { counts.push_back(n); };
        h.rebuild = Rebuild;
        return h;
    }

    std::vector<UINT> Ids() const
    {
        std::vector<UINT> ids;
        for (const Logged& l : lines)
            ids.push_back(l.id);
        return ids;
    }
    int Count(UINT id) const
    {
        std::vector<UINT> ids = Ids();
        return (int)std::count(ids.begin(), ids.end(), id);
    }
    void Exec(const char* sql)
    {
        SQLite::Database db;
        db.Open(folder.File("Buffer.sqlite").c_str());
        ASSERT_EQ(SQLITE_OK, db.DirectStatement(sql)) << sql;
    }

    // (RegID, raw data) of the buffer rows, in RegID order.
    std::vector<std::pair<int, std::string>> BufferRows()
    {
        SQLite::Database db;
        db.Open(folder.File("Buffer.sqlite").c_str());
        std::vector<std::pair<int, std::string>> rows;
        SQLite::TablePtr t = db.Query("select * from tblRegBC order by RegID");
        if (t && t->ResetRow()) {
            do
                rows.push_back({atoi(t->GetValue("RegID")), t->GetValue("strRawData")});
            while (t->MoveNext());
        }
        return rows;
    }

    void BufferFive()
    {
        link.reachable = false;
        forwarder.Start();
        for (int i = 0; i < 5; ++i)
            forwarder.OnRegistration(Reg(5, 0x10, "000000000001", 2026, i));
        ASSERT_EQ(5u, BufferRows().size());
        link.reachable = true;
        forwarder.Reconnect();
        ASSERT_TRUE(forwarder.IsConnected());
        lines.clear();
    }

    TempFolder folder;
    ScriptedLink link;
    bool use = true;
    std::vector<Logged> lines;
    std::vector<int> counts;
    std::atomic<bool> keepGoing{true};
    CReportingForwarder forwarder;
};

const char* const Sent0 =
    "exec spDorvikReg2 '00000001', '2026-12-10', '2026-12-10 08:00:00', '999', 5, 16, '10'";

} // namespace

TEST(StoredProcedureCall, ExactText)
{
    struct Case {
        BufferedRegistration r;
        const char* text;
    } cases[] = {
        {Reg(5, 0x10, "123400001234", 2026, 0),
         "exec spDorvikReg2 '00001234', '2026-12-10', '2026-12-10 08:00:00', '999', 5, 16, '10'"},
        {Reg(12, 0x8A, "000000000000", 2027, 59),
         "exec spDorvikReg2 '00000000', '2027-12-10', '2027-12-10 08:00:59', '999', 12, 138, '8A'"},
        {Reg(1, 0x01, "1234", 2026, 7),
         "exec spDorvikReg2 '1234', '2026-12-10', '2026-12-10 08:00:07', '999', 1, 1, '01'"},
        {Reg(1, 0x01, "12'45678", 2026, 7),
         "exec spDorvikReg2 '12''45678', '2026-12-10', '2026-12-10 08:00:07', '999', 1, 1, '01'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, FormatStoredProcedureCall(c.r));
}

TEST_F(Forwarder, StartShowsDisconnectedThenConnected)
{
    forwarder.Start();
    EXPECT_TRUE(forwarder.IsConnected());
    EXPECT_EQ((std::vector<UINT>{141, 138}), Ids());
    EXPECT_EQ("Provider=MSDASQL;Data Source=X", link.lastConnectionString);
}

TEST_F(Forwarder, DisabledAtStartOnlyDisconnectsAndDropsRegistrations)
{
    use = false;
    forwarder.Start();
    forwarder.Reconnect();
    forwarder.OnRegistration(Reg(5, 0x10, "000000000001", 2026, 0));
    EXPECT_EQ((std::vector<UINT>{141}), Ids());
    EXPECT_EQ(0, link.opens);
    EXPECT_TRUE(BufferRows().empty());
    use = true;
    forwarder.Connect(); // what the reconnect message does
    EXPECT_EQ((std::vector<UINT>{141, 141, 138}), Ids());
}

TEST_F(Forwarder, ReachableSendsOneStatementPerRegistrationAndBuffersNothing)
{
    forwarder.Start();
    for (int i = 0; i < 3; ++i)
        forwarder.OnRegistration(Reg(5, 0x10, "000000000001", 2026, i));
    ASSERT_EQ(3u, link.executed.size());
    EXPECT_EQ(Sent0, link.executed[0]);
    EXPECT_TRUE(BufferRows().empty());
}

TEST_F(Forwarder, UnreachableBuffersEachRegistrationAndReconnectRetries)
{
    link.reachable = false;
    forwarder.Start();
    EXPECT_EQ((std::vector<UINT>{141, 139}), Ids());
    lines.clear();
    forwarder.OnRegistration(Reg(5, 0x10, "000000000001", 2026, 0));
    forwarder.OnRegistration(Reg(6, 0x8A, "000000000000", 2026, 1));
    EXPECT_EQ((std::vector<UINT>{142, 142}), Ids());
    auto rows = BufferRows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("10101202080000000000000001", rows[0].second);
    EXPECT_EQ("8A101202080001", rows[1].second);
    lines.clear();
    forwarder.Reconnect();
    EXPECT_EQ((std::vector<UINT>{145, 139}), Ids());
    link.reachable = true;
    lines.clear();
    forwarder.Reconnect();
    EXPECT_EQ((std::vector<UINT>{145, 138}), Ids());
    lines.clear();
    forwarder.Reconnect(); // connected: nothing to do
    EXPECT_TRUE(lines.empty());
}

TEST_F(Forwarder, FailedCallDisconnectsAndBuffers)
{
    forwarder.Start();
    lines.clear();
    link.refuse = "spDorvikReg2";
    forwarder.OnRegistration(Reg(5, 0x10, "000000000001", 2026, 0));
    EXPECT_FALSE(forwarder.IsConnected());
    EXPECT_EQ((std::vector<UINT>{141, 142, 140}), Ids());
    EXPECT_EQ(1u, BufferRows().size());
}

TEST_F(Forwarder, FlushSendsInBufferOrderAndDeletesEach)
{
    BufferFive();
    // The first registration (08:00:00) moved to the end of the buffer: rows
    // go in the order they were buffered (RegID), not by registration time,
    // so a clock set back on a controller keeps its rows in place.
    {
        SQLite::Database db;
        db.Open(folder.File("Buffer.sqlite").c_str());
        ASSERT_EQ(SQLITE_OK, db.DirectStatement("update tblRegBC set RegID = 100 where RegID = 1"));
    }
    forwarder.Flush(keepGoing);
    ASSERT_EQ(5u, link.executed.size());
    const char* seconds[] = {"01", "02", "03", "04", "00"};
    for (int i = 0; i < 5; ++i)
        EXPECT_NE(std::string::npos, link.executed[i].find(std::string("08:00:") + seconds[i] + "'"))
            << link.executed[i];
    EXPECT_TRUE(BufferRows().empty());
    EXPECT_EQ((std::vector<int>{5, 0}), counts);
    EXPECT_EQ((std::vector<UINT>{147}), Ids());
}

TEST_F(Forwarder, FlushStopsAtFirstFailureAndNextFlushResumesThere)
{
    BufferFive();
    link.refuse = "08:00:02'";
    forwarder.Flush(keepGoing);
    EXPECT_EQ(2u, link.executed.size());
    auto rows = BufferRows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ(3, rows[0].first);
    EXPECT_EQ((std::vector<int>{5, 3}), counts);
    EXPECT_TRUE(forwarder.IsConnected()); // a refused row does not drop the connection
    link.refuse.clear();
    forwarder.Flush(keepGoing);
    ASSERT_EQ(5u, link.executed.size());
    EXPECT_NE(std::string::npos, link.executed[2].find("08:00:02'"));
    EXPECT_TRUE(BufferRows().empty());
}

TEST_F(Forwarder, FlushStopsWhenADeleteFails)
{
    BufferFive();
    {
        SQLite::Database db;
        db.Open(folder.File("Buffer.sqlite").c_str());
        ASSERT_EQ(SQLITE_OK, db.DirectStatement(
                                 "create trigger keep2 before delete on tblRegBC when old.RegID = 2 "
                                 "begin select raise(abort, 'locked'); end"));
    }
    forwarder.Flush(keepGoing);
    // Row 2 was sent but could not be deleted: nothing after it is sent.
    EXPECT_EQ(2u, link.executed.size());
    auto rows = BufferRows();
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ(2, rows[0].first);
}

TEST_F(Forwarder, RowThatNoLongerRebuildsIsKeptSkippedAndReportedOnce)
{
    BufferFive();
    Exec("update tblRegBC set strRawData = 'garbled' where RegID = 2");
    forwarder.Flush(keepGoing);
    // The rows after it went out, in order; the bad one stays, said once.
    ASSERT_EQ(4u, link.executed.size());
    const char* seconds[] = {"00", "02", "03", "04"};
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(std::string::npos, link.executed[i].find(std::string("08:00:") + seconds[i] + "'"))
            << link.executed[i];
    EXPECT_EQ((std::vector<std::pair<int, std::string>>{{2, "garbled"}}), BufferRows());
    EXPECT_EQ(1, Count(IDS_DB_ROW_UNREADABLE));
    EXPECT_EQ((std::vector<int>{5, 1}), counts);

    // Later flushes skip it silently, and send what came since.
    forwarder.OnRegistration(Reg(5, 0x10, "000000000001", 2026, 9)); // sent at once
    link.reachable = false;
    forwarder.OnRegistration(Reg(5, 0x10, "000000000001", 2026, 10)); // buffered
    link.reachable = true;
    forwarder.Reconnect();
    forwarder.Flush(keepGoing);
    EXPECT_NE(std::string::npos, link.executed.back().find("08:00:10'")) << link.executed.back();
    EXPECT_EQ(1, Count(IDS_DB_ROW_UNREADABLE));
    EXPECT_EQ(1u, BufferRows().size());
}

// A flush whose deletions cannot be committed (another program reads the
// buffer meanwhile) must not leave every row it sent to be sent again.
TEST_F(Forwarder, FlushThatCannotCommitSendsAtMostOneRowAgain)
{
    BufferFive();
    SQLite::Database reader;
    reader.Open(folder.File("Buffer.sqlite").c_str());
    ASSERT_TRUE(reader.BeginTransaction());
    ASSERT_EQ(5, reader.Query("select * from tblRegBC")->GetRowCount()); // holds its read lock
    forwarder.Flush(keepGoing);
    reader.CommitTransaction();
    reader.Close();
    forwarder.Flush(keepGoing);

    std::map<std::string, int> sent;
    for (const std::string& s : link.executed)
        ++sent[s];
    EXPECT_EQ(5u, sent.size()) << "every registration goes out";
    EXPECT_LE(link.executed.size(), 6u) << "more than one registration was sent twice";
    EXPECT_TRUE(BufferRows().empty());
}

// A crash in the middle of a flush leaves the buffer as it was last
// committed: the rows sent before the one in flight must be gone from it.
TEST_F(Forwarder, CrashDuringAFlushWouldSendOnlyTheRowInFlightAgain)
{
    BufferFive();
    std::vector<std::pair<int, std::string>> committed;
    link.whileExecuting = [&] {
        if (link.executed.size() == 2) // the third row is on its way
            committed = BufferRows();  // what another connection, or a restart, finds
    };
    forwarder.Flush(keepGoing);
    ASSERT_EQ(5u, link.executed.size());
    ASSERT_EQ(3u, committed.size());
    EXPECT_EQ(3, committed[0].first);
}

TEST_F(Forwarder, FlushUsesTheStoredYear)
{
    link.reachable = false;
    forwarder.Start();
    // Buffered in 2027 from a controller whose year digits are 3; flushed as 2027
    // whatever the clock's leap cycle is by then.
    forwarder.OnRegistration(Reg(5, 0x10, "000000000001", 2027, 0));
    link.reachable = true;
    forwarder.Reconnect();
    forwarder.Flush(keepGoing);
    ASSERT_EQ(1u, link.executed.size());
    EXPECT_EQ(
        "exec spDorvikReg2 '00000001', '2027-12-10', '2027-12-10 08:00:00', '999', 5, 16, '10'",
        link.executed[0]);
}

TEST_F(Forwarder, FlushDoesNothingWhenDisconnectedOrDisabled)
{
    BufferFive();
    use = false;
    forwarder.Flush(keepGoing);
    use = true;
    forwarder.Disconnect();
    forwarder.Flush(keepGoing);
    EXPECT_TRUE(link.executed.empty());
    EXPECT_EQ(5u, BufferRows().size());
}

TEST_F(Forwarder, StopDuringFlushKeepsUnsentRows)
{
    BufferFive();
    keepGoing = false;
    forwarder.Flush(keepGoing);
    EXPECT_TRUE(link.executed.empty());
    EXPECT_EQ(5u, BufferRows().size());
}

TEST_F(Forwarder, RowsSurviveARestart)
{
    link.reachable = false;
    forwarder.Start();
    forwarder.OnRegistration(Reg(5, 0x10, "000000000001", 2026, 0));
    forwarder.Shutdown();
    ScriptedLink second;
    CReportingForwarder again(second, Hooks(), folder.File("Buffer.sqlite"));
    again.Start();
    again.Flush(keepGoing);
    ASSERT_EQ(1u, second.executed.size());
    EXPECT_EQ(Sent0, second.executed[0]);
    EXPECT_TRUE(BufferRows().empty());
}

// A registration the buffer cannot take is not reported as buffered.
TEST_F(Forwarder, InsertThatCannotBeWrittenIsReportedAsNotBuffered)
{
    const struct {
        const char* name;
        bool reachable;
        std::vector<UINT> lines;
    } cases[] = {
        {"not connected", false, {IDS_DB_NOT_BUFFERED}},
        {"the call fails", true, {141, IDS_DB_NOT_BUFFERED, 140}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        link.reachable = c.reachable;
        CReportingForwarder broken(link, Hooks(), folder.File("missing\\Buffer.sqlite"));
        broken.Start();
        link.refuse = "spDorvikReg2";
        lines.clear();
        broken.OnRegistration(Reg(5, 0x10, "000000000001", 2026, 0));
        EXPECT_EQ(c.lines, Ids());
        link.refuse.clear();
    }
}

TEST_F(Forwarder, InsertWaitsForAnotherConnectionsLock)
{
    link.reachable = false;
    forwarder.Start();
    SQLite::Database other;
    other.Open(folder.File("Buffer.sqlite").c_str());
    ASSERT_EQ(SQLITE_OK, other.DirectStatement("BEGIN IMMEDIATE TRANSACTION"));
    std::atomic<bool> done{false};
    std::thread releaser([&] {
        Sleep(500);
        other.CommitTransaction();
        done = true;
    });
    lines.clear();
    forwarder.OnRegistration(Reg(5, 0x10, "000000000001", 2026, 0));
    releaser.join();
    EXPECT_EQ((std::vector<UINT>{142}), Ids());
    EXPECT_EQ(1u, BufferRows().size());
}
