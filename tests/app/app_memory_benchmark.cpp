// Benchmark: the real Halvex.exe, its bus and its services, through 10,000
// registrations from two simulated controllers with a short cycle pause (the
// reporting database off: the test platform's ADO chain grows by about 13 kB
// a statement of its own). Every registration adds a row to the registration
// list; the operator's status requests, logged with the poll information on,
// fill the message list. Prints the server's private bytes as the
// registrations arrive, and their growth per registration from the moment
// both lists hold as many rows as they keep. It fails only when
// registrations go missing, never on the figures.
#include "tests/sim/sim_control.h"
#include "server/app/resource.h"
#include "framework/ids.h"
#include "server_process.h"

#include "bus/Registrations.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int IdcRegistrations = IDC_REGISTRATIONS;
const int IdcMessages = IDC_MESSAGES;
const int IdStatusAll = ID_STATUS_ALL;
const int ListCap = 300;  // rows either list keeps
const int Total = 10000;
const int SampleEvery = 500;
// Queued on a controller ahead of the bus, in steps, so that the simulator's
// memory stays as small as the server's.
const int Ahead = 400;

struct Controller {
    int com;
    int id;
};

std::string Ini(const std::vector<Controller>& controllers)
{
    std::ostringstream ini;
    ini << "[Controllers]\r\nOnLine=1\r\nCount=" << controllers.size() << "\r\n";
    for (size_t i = 0; i < controllers.size(); ++i)
        ini << "Controller" << i << "=" << controllers[i].id << "\r\nCommPort" << i << "=" << controllers[i].com
            << "\r\nName" << i << "=Door " << controllers[i].id << "\r\n";
    ini << "[Misc]\r\nTCPPort=65041\r\nSelectPollInfo=1\r\n";
    // A busy site's day in minutes; the server's window still keeps up.
    ini << "[Settings]\r\nPauseMachine=20\r\n";
    return ini.str();
}

// The n-th registration of a controller: a card event of last year, its card
// number made of the controller and n, so every raw text is its own.
std::string Registration(int id, int n)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char raw[32];
    std::snprintf(raw, sizeof raw, "01%02d%02d%02d%02d%02d%02d%06d%06d", 1 + n % 28, 1 + n / 28 % 12,
                  (now.wYear - 1) % 4, id, n / 60 % 60, n % 60, id, n);
    return raw;
}

// The process's commit charge: its private bytes. Windows gives the same
// figure as PrivateUsage; Wine fills only this one.
SIZE_T PrivateBytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PagefileUsage : 0;
}

// Lines of the monthly registration file after its header.
int FileRegistrations(const std::string& folder)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char name[64];
    std::snprintf(name, sizeof name, "\\Halvex-%04d-%02d.regQv", now.wYear, now.wMonth);
    const std::string text = ReadFileBytes(folder + name);
    return std::max(0, static_cast<int>(std::count(text.begin(), text.end(), '\n')) - 1);
}

struct Sample {
    int registrations;
    SIZE_T privateBytes;
    int listRows, messageRows;
};

}  // namespace

TEST(MemoryBenchmark, PrivateBytesPerRegistrationOnceTheListsAreFull)
{
    halvex_sim::Control sim;
    const std::vector<int> ports = halvex_sim::Ports();
    ASSERT_GE(ports.size(), 2u);
    const std::vector<Controller> controllers = {{ports[0], 1}, {ports[1], 2}};
    const std::string folder = ServerProcess::MakeFolder("memory", Ini(controllers));
    ServerProcess server(folder);
    ASSERT_NE(nullptr, server.StartForMainWindow());
    const RemoteList list = server.List(server.Control(IdcRegistrations));
    const RemoteList messages = server.List(server.Control(IdcMessages));

    const int perController = Total / static_cast<int>(controllers.size());
    std::vector<int> queued(controllers.size(), 0);
    auto delivered = [&] {
        int n = 0;
        for (const Controller& c : controllers)
            n += sim.State(c.com, c.id)["delivered"];
        return n;
    };
    std::vector<Sample> samples;
    samples.push_back({0, PrivateBytes(server.Handle()), list.Count(), messages.Count()});
    const DWORD start = GetTickCount();
    int done = 0;
    while (done < Total && GetTickCount() - start < 600000) {
        for (size_t i = 0; i < controllers.size(); ++i) {
            const Controller& c = controllers[i];
            const int fifo = sim.State(c.com, c.id)["fifo"];
            for (int n = fifo; n < Ahead && queued[i] < perController; ++n)
                sim.Reg(c.com, c.id, Registration(c.id, queued[i]++));
        }
        // The operator's status of all controllers: with the poll
        // information on, each adds its command and its reply to the messages.
        PostMessageA(server.Main(), WM_COMMAND, IdStatusAll, 0);
        Sleep(200);
        done = delivered();
        if (done >= samples.back().registrations + SampleEvery || done >= Total)
            samples.push_back({done, PrivateBytes(server.Handle()), list.Count(), messages.Count()});
    }
    ASSERT_EQ(Total, done) << "registrations delivered in 10 minutes";
    // The last ones reach the file and the list a moment after the
    // controllers let go of them.
    for (int wait = 0; wait < 100 && FileRegistrations(folder) < Total; ++wait)
        Sleep(100);
    EXPECT_EQ(Total, FileRegistrations(folder));
    Sleep(1000);
    samples.push_back({done, PrivateBytes(server.Handle()), list.Count(), messages.Count()});

    std::printf("%14s %14s %10s %10s\n", "registrations", "private kB", "list rows", "messages");
    for (const Sample& s : samples)
        std::printf("%14d %14.1f %10d %10d\n", s.registrations, s.privateBytes / 1024.0, s.listRows, s.messageRows);
    // Growth per registration from the first sample with both lists full,
    // and from the first after the bus's registration ring was filled once:
    // its records take their texts as each slot is first used.
    auto full = std::find_if(samples.begin(), samples.end(),
                             [](const Sample& s) { return s.listRows >= ListCap && s.messageRows >= ListCap; });
    ASSERT_NE(full, samples.end()) << "the lists never reached their caps";
    auto ringFilled = std::find_if(full, samples.end(), [](const Sample& s) {
        return s.registrations >= VTMultiDrop::RegistrationRingSize;
    });
    const Sample& last = samples.back();
    auto growth = [&](const Sample& from) {
        return last.registrations > from.registrations
                   ? (static_cast<double>(last.privateBytes) - static_cast<double>(from.privateBytes)) /
                         (last.registrations - from.registrations)
                   : 0.0;
    };
    std::printf("private bytes %.1f kB after %d registrations; per registration since both lists were full "
                "(%d, %.1f kB): %.1f bytes",
                last.privateBytes / 1024.0, last.registrations, full->registrations, full->privateBytes / 1024.0,
                growth(*full));
    if (ringFilled != samples.end() && ringFilled->registrations < last.registrations)
        std::printf("; since the ring of %d registrations was filled (%d, %.1f kB): %.1f bytes",
                    VTMultiDrop::RegistrationRingSize, ringFilled->registrations, ringFilled->privateBytes / 1024.0,
                    growth(*ringFilled));
    std::printf("\n");
    EXPECT_EQ(ListCap, last.listRows);
    EXPECT_EQ(0, server.Exit(60000));
}
