// Prints throughput figures of the registration path (no pass/fail):
//  - registrations per second through the consumer's hand-on to the monthly
//    file, with the database thread buffering them while the database is down;
//  - buffered rows per second flushed to the TDS stand-in after it returns;
// each against the most the bus delivers: the best rate the bus benchmark
// measured on one line (left in the build tree when it ran first), else the
// bound the line and the cycle pause allow.
// Run through with-tds.sh (see tests/tds/README.md).
#include <windows.h>
#include <stdio.h>

#include "database_thread_fixture.h"
#include "server/services/SQLiteDatabase.h"
#include "server/services/TH_Consumer.h"
#include "temp_folder.h"
#include "tests/bus/bus_line_bound.h"

namespace {

struct ConsumerView : TestView {
    DWORD dispatcher = 0;
    DWORD DispatcherThreadId() const override { return dispatcher; }
};

int BufferRowCount(const std::string& path)
{
    SQLite::Database db;
    db.Open(path.c_str());
    SQLite::TablePtr t = db.Query("select count(*) as N from tblRegBC");
    const char* n = t && t->ResetRow() ? t->GetValue("N") : nullptr;
    return n ? atoi(n) : 0;
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

struct BusRate {
    double perSecond;
    const char* source;
};

BusRate BusMaximum()
{
    if (const char* dir = getenv("HALVEX_BINARY_DIR")) {
        std::string path = std::string(dir) + "/" + bus_bound::RateFileName();
        if (FILE* f = fopen(path.c_str(), "r")) {
            double measured = 0, bound = 0;
            int n = fscanf(f, "%lf %lf", &measured, &bound);
            fclose(f);
            if (n >= 1 && measured > 0)
                return { measured, "measured by the bus benchmark" };
        }
    }
    return { bus_bound::RegistrationsPerSecond(100), "line bound at 9600 baud, pause 100 ms" };
}

void PrintRate(const char* what, int count, double seconds, const BusRate& bus)
{
    double rate = seconds > 0 ? count / seconds : 0;
    printf("%s: %d in %.3f s, %.0f per second, %.1f times the bus's %.2f per second (%s)\n", what, count, seconds,
           rate, rate / bus.perSecond, bus.perSecond, bus.source);
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? atoi(argv[1]) : 2000;
    TdsControl control;
    if (TdsControl::Dsn().empty()) {
        printf("run through with-tds.sh\n");
        return 1;
    }
    control.Command("clear");
    control.Command("refuse on");
    TempFolder folder;
    const std::string buffer = folder.File("Buffer.sqlite");
    DatabaseThreadSettings settings;
    settings.bufferPath = buffer;
    settings.tickMilliseconds = 20;
    RingBus bus;
    ConsumerView view;

    RunningDatabaseThread database(view, bus, settings);
    view.PumpUntil([&] { return view.Count(139) >= 1; });

    // The consumer's hand-on, called on this thread as its message loop would.
    CTH_Consumer consumer;
    consumer.m_bAutoDelete = FALSE;
    consumer.m_pOwnerView = &view;
    consumer.m_pDatabaseQueue = &database.Queue();
    SYSTEMTIME now;
    GetLocalTime(&now);
    consumer.OpenFile(folder.Path(), now);
    RegistrationRecord record;
    static_cast<BufferedRegistration&>(record) = RingBus::Make(1, 2026);
    record.valid = true;

    LARGE_INTEGER t0, t1, t2, t3;
    QueryPerformanceCounter(&t0);
    for (int i = 1; i <= count; ++i)
        consumer.HandleRegistration(i, record, now);
    QueryPerformanceCounter(&t1);
    view.PumpUntil([&] { return view.Count(142) >= count; }, 600000);
    QueryPerformanceCounter(&t2);
    consumer.CloseFile();
    const BusRate busRate = BusMaximum();
    PrintRate("registrations through the consumer to the monthly file", count, Seconds(t0, t1), busRate);
    printf("buffer rows written: %d\n", BufferRowCount(buffer));
    PrintRate("registrations buffered while the database is down", count, Seconds(t0, t2), busRate);

    control.Command("refuse off");
    view.PumpUntil([&] { return view.Count(138) >= 1; }, 600000);
    QueryPerformanceCounter(&t2);
    view.PumpUntil([&] { return !view.bufferCounts.empty() && view.bufferCounts.back() == 0; }, 3600000);
    QueryPerformanceCounter(&t3);
    PrintRate("buffered rows flushed to the reporting database", count, Seconds(t2, t3), busRate);
    database.Stop();
    return 0;
}
