// Benchmark: the real bus threads against simulated controllers that pace
// their bytes like a 9600-baud line (11 bits a character). Prints, per port,
// the steady rate of registrations (first arrival to last), the bound the
// line and the cycle pause allow for the same exchanges, their ratio and the
// CPU time per registration; then where the time of each exchange goes
// (call_trace.h watches the threads' Win32 calls), beside the same exchanges
// made bare on the same port in the same run: write, then read until the
// bytes are there, without purges, DTR or pauses. It checks only that every
// registration arrived; speed never fails it.
#include "tests/sim/sim_control.h"

#include "tests/bus/bus_line_bound.h"
#include "tests/bus/call_trace.h"
#include "tests/bus/exchange_phases.h"

#include "framework/sync.h"
#include "bus/VTMultiDrop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace VTMultiDrop;
namespace phases = exchange_phases;

namespace {

// The simulator plays this controller on every line for the bare exchanges.
const int BareId = 9;
const int BareExchanges = 40;

// A number from the environment; `otherwise` when it is not set or empty.
int EnvNumber(const char* name, int otherwise)
{
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : otherwise;
}

double CpuMs()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        ULARGE_INTEGER v;
        v.LowPart = t.dwLowDateTime;
        v.HighPart = t.dwHighDateTime;
        return v.QuadPart / 10000.0;
    };
    return ms(kernel) + ms(user);
}

double NowMs()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return call_trace::Ms(t.QuadPart);
}

// The registrations arriving on this thread, with the time and the process's
// CPU time at the first and the last: the steady rate lies between them.
struct Arrivals {
    int count = 0;
    double firstMs = 0, lastMs = 0, cpuAtFirst = 0, cpuAtLast = 0;

    void Take()
    {
        MSG msg;
        while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE)) {
            if (msg.message != WM_BUS_REGISTRATION)
                continue;
            lastMs = NowMs();
            cpuAtLast = CpuMs();
            if (count++ == 0) {
                firstMs = lastMs;
                cpuAtFirst = cpuAtLast;
            }
        }
    }
    double PerSecond() const { return count > 1 ? (count - 1) * 1000.0 / (lastMs - firstMs) : 0.0; }
    double CpuMsEach() const { return count > 1 ? (cpuAtLast - cpuAtFirst) / (count - 1) : 0.0; }
};

std::string TodaysRegistration()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char data[32];
    std::snprintf(data, sizeof data, "00%02d%02d%02d000000", now.wDay, now.wMonth, now.wYear % 4);
    return data;
}

// The exchanges of the bus made by hand on its open line (port lock held):
// each write is followed by reads until its echo and answer are there.
class BareLine {
public:
    explicit BareLine(CommPort& port) : m_line(*port.m_Line), m_dcb(port.m_DCB) {}

    void Command(int id, const char* frame)
    {
        call_trace::MarkHere();
        Select(id);
        Exchange(reinterpret_cast<const unsigned char*>(frame), std::strlen(frame), 5);
    }
    // A poll for a registration, its reply and the acknowledgement.
    void Poll(int id)
    {
        call_trace::MarkHere();
        Select(id);
        const unsigned char poll = EOT;
        Exchange(&poll, 1, 1 + 5 + 3 + 14 + 6);
        Select(id);
        const unsigned char ack[2] = {ACK, EOT};
        Exchange(ack, 2, 0);
    }

private:
    void Select(int id)
    {
        SetParity(MARKPARITY);
        const unsigned char address[2] = {static_cast<unsigned char>(id), static_cast<unsigned char>(id)};
        Exchange(address, 2, 0);
        SetParity(SPACEPARITY);
    }
    void SetParity(BYTE parity)
    {
        m_dcb.Parity = parity;
        m_line.SetState(m_dcb);
    }
    // Writes the bytes, reads their echo, then `answer` bytes more.
    void Exchange(const unsigned char* bytes, size_t count, int answer)
    {
        DWORD written = 0;
        m_line.Write(bytes, static_cast<DWORD>(count), written);
        ReadAll(static_cast<int>(count));
        ReadAll(answer);
    }
    void ReadAll(int count)
    {
        unsigned char in[FrameBufferSize];
        int got = 0;
        // A read that gets nothing has waited out the read time-out; an
        // answer may take longer than one.
        for (int empty = 0; got < count && empty < 20;) {
            DWORD read = 0;
            m_line.Read(in + got, static_cast<DWORD>(count - got), read);
            got += static_cast<int>(read);
            empty += read == 0;
        }
        EXPECT_EQ(got, count);
    }

    ISerialLine& m_line;
    DCB m_dcb;
};

void PrintPhases(const char* what, const phases::Mean& mean, double lineMs)
{
    std::printf("  %-22s %3d", what, mean.count);
    for (int p = 0; p < phases::PhaseCount; ++p)
        std::printf(" %9.2f", mean.ms[p]);
    std::printf(" %9.2f %9.2f\n", mean.Total(), lineMs);
}

void PrintBreakdown(const std::vector<phases::Exchange>& bus, const std::vector<phases::Exchange>& bare)
{
    std::printf("  ms per exchange          n");
    for (int p = 0; p < phases::PhaseCount; ++p)
        std::printf(" %9s", phases::Name(static_cast<phases::Phase>(p)));
    std::printf(" %9s %9s\n", "total", "line");
    const double commandMs = bus_bound::SelectBytes() * bus_bound::MsPerByte;
    const double pollMs = bus_bound::PollBytes(3 + 14) * bus_bound::MsPerByte;
    PrintPhases("idle request, bus", phases::Average(bus, phases::Command), commandMs);
    PrintPhases("idle request, bare", phases::Average(bare, phases::Command), commandMs);
    PrintPhases("poll and ack, bus", phases::Average(bus, phases::Poll), pollMs);
    PrintPhases("poll and ack, bare", phases::Average(bare, phases::Poll), pollMs);
}

}  // namespace

TEST(BusBenchmark, RegistrationsPerSecondAgainstTheLineBound)
{
    ASSERT_TRUE(call_trace::Install());
    const std::vector<int> ports = halvex_sim::Ports();
    ASSERT_GE(ports.size(), 2u);
    halvex_sim::Control sim;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    Initialize(GetCurrentThreadId());
    g_PauseMachine = EnvNumber("HALVEX_BENCH_PAUSE", 100);
    const int perController = EnvNumber("HALVEX_BENCH_REGISTRATIONS", 30);

    struct Line {
        int com;
        std::vector<int> ids;
    } lines[] = {{ports[0], {1, 2, 3}}, {ports[1], {7}}};
    double best = 0, bestBound = 0;
    std::printf("pause %ld ms, %d registrations per controller, 9600 baud\n", static_cast<long>(g_PauseMachine),
                perController);
    const std::string registration = TodaysRegistration();
    for (const Line& line : lines) {
        for (int id : line.ids)
            for (int i = 0; i < perController; ++i)
                sim.Reg(line.com, id, registration);
        for (int i = 0; i < BareExchanges; ++i)
            sim.Reg(line.com, BareId, registration);
        const int total = perController * static_cast<int>(line.ids.size());

        // Every controller is added switched off, so the bus threads leave
        // the line to the bare exchanges first.
        std::vector<Device*> devices;
        for (int id : line.ids) {
            Device* device = nullptr;
            ASSERT_EQ(AddDevice(line.com, id, &device, "Bench", false), 0);
            devices.push_back(device);
        }
        ASSERT_EQ(AddDevice(line.com, BareId, nullptr, "Bare", false), 0);
        CommPort* port = FindCommPort(line.com);
        ASSERT_NE(port, nullptr);
        call_trace::Start();
        const double bareCpuStart = CpuMs();
        {
            CSingleLock lock(&port->GetLock(), TRUE);
            BareLine bare(*port);
            for (int i = 0; i < BareExchanges; ++i) {
                bare.Command(BareId, port->m_IdleFrame);
                bare.Poll(BareId);
            }
        }
        const double bareCpuMs = (CpuMs() - bareCpuStart) / BareExchanges;
        const std::vector<phases::Exchange> bare = phases::OfMarks(call_trace::Stop(), GetCurrentThreadId());
        ASSERT_EQ(RemoveDeviceById(line.com, BareId), 0);

        call_trace::Start();
        const DWORD start = GetTickCount();
        for (Device* device : devices)
            device->SetOnLine(true);
        Arrivals arrivals;
        while (arrivals.count < total && GetTickCount() - start < 300000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
            arrivals.Take();
        }
        const std::vector<phases::Exchange> bus =
            phases::OfBusThreads(call_trace::Stop(), GetCurrentThreadId(), &port->GetLock().m_sect);
        for (int id : line.ids)
            ASSERT_EQ(RemoveDeviceById(line.com, id), 0);
        EXPECT_EQ(arrivals.count, total);

        // The two threads' transactions share the line; each thread also
        // pauses before its own transaction.
        const double bound = bus_bound::RegistrationsPerSecond(g_PauseMachine);
        const double rate = arrivals.PerSecond();
        const double cpuPerRegistration = arrivals.CpuMsEach();
        best = std::max(best, rate);
        bestBound = std::max(bestBound, bound);
        std::printf("COM%d (%zu controllers): %.2f registrations/s, bound %.2f/s, ratio %.3f, "
                    "CPU %.2f ms/registration (%.2f%% of its %.1f ms line time; its exchanges made bare: %.2f ms)\n",
                    line.com, line.ids.size(), rate, bound, rate / bound, cpuPerRegistration,
                    cpuPerRegistration * bound / 10.0, 1000.0 / bound, bareCpuMs);
        PrintBreakdown(bus, bare);
    }
    CloseAll();
    // The fastest line, for the benchmarks of the stages behind the bus.
    if (const char* dir = std::getenv("HALVEX_BINARY_DIR")) {
        std::string path = std::string(dir) + "/" + bus_bound::RateFileName();
        if (FILE* f = std::fopen(path.c_str(), "w")) {
            std::fprintf(f, "%.3f %.3f\n", best, bestBound);
            std::fclose(f);
        }
    }
}
