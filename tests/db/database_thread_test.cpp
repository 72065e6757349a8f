// The reporting-database thread through the real chain (ADO, its ODBC
// provider, odbc32, unixODBC, the driver shim, FreeTDS) against the TDS
// stand-in: forwarding, buffering while unreachable, reconnecting, the ordered
// flush that stops at the first failure, and a prompt stop, during an outage
// or in the middle of a flush, that keeps the rows.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "TdsControl.h"
#include "server/services/SQLiteDatabase.h"
#include "server/services/ServiceBus.h"
#include "server/services/ServiceMessages.h"
#include "server/services/TH_Consumer.h"
#include "server/services/TH_DatabaseBC.h"
#include "temp_folder.h"
#include "database_thread_fixture.h"

namespace {

class DatabaseThread : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(TdsControl::Dsn().empty()) << "run through with-tds.sh";
        ASSERT_EQ("OK", control.Reset());
        settings.bufferPath = folder.File("Buffer.sqlite");
        settings.tickMilliseconds = 50; // every 30 ticks: 1.5 seconds
    }
    // RegIDs and raw data texts of the buffer, in RegID order.
    std::vector<std::string> BufferRows()
    {
        SQLite::Database db;
        db.Open(folder.File("Buffer.sqlite").c_str());
        std::vector<std::string> rows;
        SQLite::TablePtr t = db.Query("select RegID, strRawData from tblRegBC order by RegID");
        if (t && t->ResetRow()) {
            do
                rows.push_back(t->GetValue("strRawData"));
            while (t->MoveNext());
        }
        return rows;
    }
    std::vector<std::string> Calls()
    {
        std::vector<std::string> calls;
        for (const std::string& b : control.Batches())
            if (b.find("spDorvikReg2") != std::string::npos)
                calls.push_back(b);
        return calls;
    }

    TdsControl control;
    TempFolder folder;
    TestView view;
    RingBus bus;
    DatabaseThreadSettings settings;
};

TEST_F(DatabaseThread, ReachableDatabaseGetsOneCallPerRegistrationAndNoBufferRows)
{
    RunningDatabaseThread thread(view, bus, settings);
    ASSERT_TRUE(view.PumpUntil([&] { return view.Count(138) == 1; })) << "never connected";
    for (int n = 1; n <= 3; ++n)
        thread.Post(n);
    ASSERT_TRUE(view.PumpUntil([&] { return Calls().size() == 3; }));
    EXPECT_EQ((std::vector<std::string>{ Call(1), Call(2), Call(3) }), Calls());
    EXPECT_TRUE(BufferRows().empty());
    ASSERT_TRUE(thread.Stop());
    view.PumpUntil([] { return true; });
    // Every start shows the disconnect of its first connect, and the stop one more.
    EXPECT_EQ(141u, view.lines.front());
    EXPECT_EQ(0, view.Count(142));
}

// A slow reporting database leaves the database thread behind the bus. The
// registrations the consumer handed on are forwarded as they were, however
// often the ring of 8192 slots went round meanwhile.
TEST_F(DatabaseThread, RegistrationsHandedOnAreForwardedAsTheyWereAfterTheRingWrapped)
{
    const int ringSize = 8192, n = ringSize + 200;
    RunningDatabaseThread thread(view, bus, settings, false); // it gets to its queue only after all n
    CTH_Consumer consumer;                     // its handler, called on this thread
    consumer.m_bAutoDelete = FALSE;
    consumer.m_pOwnerView = &view;
    consumer.m_pBus = &bus;
    consumer.m_pDatabaseQueue = &thread.Queue();
    for (int i = 1; i <= n; ++i) {
        const int slot = i & (ringSize - 1);
        bus.Store(slot, RingBus::Make(i, 2026)); // what the poll thread does
        consumer.OnRegistration(1, slot);        // the bus's message for it
    }
    thread.Start();
    ASSERT_TRUE(view.PumpUntil([&] { return Calls().size() >= (size_t)n; }, 600000))
        << Calls().size() << " of " << n << " forwarded";
    std::vector<std::string> calls = Calls();
    size_t wrong = 0;
    for (int i = 1; i <= n; ++i)
        if (calls[i - 1] != Call(i) && wrong++ == 0)
            ADD_FAILURE() << "registration " << i << " went out as " << calls[i - 1];
    EXPECT_EQ(0u, wrong);
    EXPECT_EQ((size_t)n, calls.size());
}

TEST_F(DatabaseThread, OutageBuffersRetriesAndFlushesInOrderAfterRecovery)
{
    ASSERT_EQ("OK", control.Command("refuse on"));
    RunningDatabaseThread thread(view, bus, settings);
    ASSERT_TRUE(view.PumpUntil([&] { return view.Count(139) >= 1; }));
    for (int n = 1; n <= 5; ++n)
        thread.Post(n);
    ASSERT_TRUE(view.PumpUntil([&] { return view.Count(142) == 5; }));
    EXPECT_EQ((std::vector<std::string>{ "RAW1", "RAW2", "RAW3", "RAW4", "RAW5" }), BufferRows());
    // Reconnect attempts follow on every thirtieth tick.
    ASSERT_TRUE(view.PumpUntil([&] { return view.Count(145) >= 2; }));
    EXPECT_TRUE(Calls().empty());

    ASSERT_EQ("OK", control.Command("refuse off"));
    ASSERT_TRUE(view.PumpUntil([&] { return BufferRows().empty(); })) << "buffer never flushed";
    EXPECT_EQ((std::vector<std::string>{ Call(1), Call(2), Call(3), Call(4), Call(5) }), Calls());
    ASSERT_TRUE(view.PumpUntil([&] { return !view.bufferCounts.empty() && view.bufferCounts.back() == 0; }));
    EXPECT_EQ(5, view.bufferCounts.front());
    EXPECT_GE(view.Count(147), 1);
}

TEST_F(DatabaseThread, FlushStopsAtTheFirstFailureAndResumesThereLater)
{
    ASSERT_EQ("OK", control.Command("refuse on"));
    {
        RunningDatabaseThread thread(view, bus, settings);
        for (int n = 1; n <= 4; ++n)
            thread.Post(n);
        ASSERT_TRUE(view.PumpUntil([&] { return view.Count(142) == 4; }));
    }
    // Rows survive the restart; the third one is refused by the database.
    ASSERT_EQ((std::vector<std::string>{ "RAW1", "RAW2", "RAW3", "RAW4" }), BufferRows());
    ASSERT_EQ("OK", control.Command("fail text '00000003'"));
    ASSERT_EQ("OK", control.Command("refuse off"));
    RunningDatabaseThread thread(view, bus, settings);
    ASSERT_TRUE(view.PumpUntil([&] { return Calls().size() >= 3; }));
    ASSERT_TRUE(view.PumpUntil([&] { return BufferRows().size() == 2; }));
    EXPECT_EQ((std::vector<std::string>{ "RAW3", "RAW4" }), BufferRows());

    ASSERT_EQ("OK", control.Command("fail none"));
    ASSERT_TRUE(view.PumpUntil([&] { return BufferRows().empty(); }));
    std::vector<std::string> calls = Calls();
    // The refused call, then the retry from the same row on: 1, 2, 3 (refused), 3, 4.
    EXPECT_EQ((std::vector<std::string>{ Call(1), Call(2), Call(3), Call(3), Call(4) }), calls);
}

TEST_F(DatabaseThread, StopDuringAnOutageIsPromptAndKeepsTheRows)
{
    settings.tickMilliseconds = 1000; // the product's tick
    ASSERT_EQ("OK", control.Command("refuse on"));
    RunningDatabaseThread thread(view, bus, settings);
    for (int n = 1; n <= 3; ++n)
        thread.Post(n);
    ASSERT_TRUE(view.PumpUntil([&] { return view.Count(142) == 3; }));
    // A stop that waited for the next thirtieth tick would take 30 seconds.
    EXPECT_TRUE(thread.Stop(10000));
    EXPECT_EQ((std::vector<std::string>{ "RAW1", "RAW2", "RAW3" }), BufferRows());
}

TEST_F(DatabaseThread, StopDuringAFlushIsPromptAndKeepsEveryUnsentRow)
{
    const int n = 300;
    ASSERT_EQ("OK", control.Command("refuse on"));
    RunningDatabaseThread thread(view, bus, settings);
    for (int i = 1; i <= n; ++i)
        thread.Post(i);
    ASSERT_TRUE(view.PumpUntil([&] { return view.Count(142) == n; }, 120000));
    ASSERT_EQ("OK", control.Command("refuse off"));
    ASSERT_TRUE(view.PumpUntil([&] { return !Calls().empty(); })) << "the flush never began";
    EXPECT_TRUE(thread.Stop(10000));

    // Every row whose statement went out was deleted, and only those: the
    // statements are the first k rows in order, the buffer holds the rest.
    std::vector<std::string> calls = Calls(), rows = BufferRows();
    const size_t k = calls.size();
    printf("stopped after %u of %d rows\n", (unsigned)k, n);
    ASSERT_EQ((size_t)n, k + rows.size());
    for (size_t i = 0; i < k; ++i)
        EXPECT_EQ(Call((int)i + 1), calls[i]);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ("RAW" + std::to_string(k + i + 1), rows[i]);
}

TEST_F(DatabaseThread, UseBCDBOffNeitherSendsNorBuffers)
{
    view.useBCDB = false;
    RunningDatabaseThread thread(view, bus, settings);
    thread.Post(1);
    ASSERT_TRUE(view.PumpUntil([&] { return view.Count(141) >= 1; }));
    ASSERT_TRUE(thread.Stop());
    EXPECT_TRUE(BufferRows().empty());
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(0, view.Count(138) + view.Count(139));
}

} // namespace
