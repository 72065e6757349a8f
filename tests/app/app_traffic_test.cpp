// The real Halvex.exe under registration traffic from two simulated
// controllers: what reaches the registration list, the monthly file and the
// reporting database (and its buffer while the database is down); the tree
// images of a controller that falls silent and comes back; TCP commands
// answered while the operator has a dialog open; and an Exit in the middle
// of the traffic, which must stop the bus and lose nothing.
#include "tests/sim/sim_control.h"
#include "server/app/resource.h"
#include "framework/ids.h"
#include "server_process.h"
#include "command_client.h"
#include "screen_png.h"
#include "build_tree_path.h"
#include "TdsControl.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int IdcTree = IDC_TREE;
const int IdcRegistrations = IDC_REGISTRATIONS;
const int IdcMessages = IDC_MESSAGES;
const int IdAppAbout = ID_APP_ABOUT;
const int IdControllerStatus = ID_CONTROLLER_STATUS;
const int MaxRows = 300;
// Root images of the tree: working, failing, not answering.
const int ImageWorking = 0, ImageFailing = 8, ImageNotAnswering = 9;

struct Controller {
    int com;
    int id;
    const char* name;
};

// Both simulated controllers, fresh (empty queue, counters at 0).
std::vector<Controller> FreshControllers(halvex_sim::Control& sim)
{
    std::vector<int> ports = halvex_sim::Ports();
    if (ports.size() < 2)
        throw std::runtime_error("two simulated ports expected");
    std::vector<Controller> controllers = { { ports[0], 1, "Entrance" }, { ports[1], 2, "Warehouse" } };
    for (const Controller& c : controllers) {
        sim.Request("DEL " + std::to_string(c.com) + " " + std::to_string(c.id));
        sim.Add(c.com, c.id);
    }
    return controllers;
}

std::string Ini(const std::vector<Controller>& controllers, int tcpPort, bool database)
{
    std::ostringstream ini;
    ini << "[Controllers]\r\nOnLine=1\r\nCount=" << controllers.size() << "\r\n";
    for (size_t i = 0; i < controllers.size(); ++i)
        ini << "Controller" << i << "=" << controllers[i].id << "\r\nCommPort" << i << "=" << controllers[i].com
            << "\r\nName" << i << "=" << controllers[i].name << "\r\n";
    ini << "[Misc]\r\nTCPPort=" << tcpPort << "\r\n";
    // A short bus cycle: the traffic of a busy site in seconds, not minutes.
    ini << "[Settings]\r\nPauseMachine=20\r\n";
    if (database)
        ini << "[Database]\r\nUseBCDB=1\r\nConnStr=" << TdsControl::ConnectionString() << "\r\n";
    return ini.str();
}

// The n-th registration a controller makes: every one differs from every
// other in its raw text. Card events (code below 128) carry a card number,
// every seventh is a door event without one.
struct Registration {
    std::string raw;
    int id;
    int code;
    std::string mediaId, date, time;
};

Registration MakeRegistration(int controllerId, int n)
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    Registration r;
    r.id = controllerId;
    r.code = n % 7 == 6 ? 0x84 : 0x01 + n % 4;
    const int day = 1 + n % 28, month = 1 + (n / 28) % 12;
    const int hour = controllerId, minute = (n / 60) % 60, second = n % 60;
    char head[32];
    // Last year's dates: a date the controller keeps can only be in the past.
    const int year = now.wYear - 1;
    snprintf(head, sizeof head, "%02X%02d%02d%02d%02d%02d%02d", r.code, day, month, year % 4, hour, minute, second);
    r.raw = head;
    if (r.code < 128) {
        char card[16];
        snprintf(card, sizeof card, "%06d%06d", controllerId, n);
        r.mediaId = card;
        r.raw += card;
    } else {
        r.mediaId = "000000000000";
    }
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    r.date = text;
    snprintf(text, sizeof text, "%02d:%02d:%02d", hour, minute, second);
    r.time = text;
    return r;
}

std::vector<Registration> Produce(halvex_sim::Control& sim, const Controller& c, int first, int count)
{
    std::vector<Registration> made;
    for (int n = first; n < first + count; ++n) {
        made.push_back(MakeRegistration(c.id, n));
        sim.Reg(c.com, c.id, made.back().raw);
    }
    return made;
}

// `count` registrations queued on each controller, by their raw text.
std::map<std::string, Registration> ProduceOnEach(halvex_sim::Control& sim, const std::vector<Controller>& controllers,
                                                  int first, int count)
{
    std::map<std::string, Registration> produced;
    for (const Controller& c : controllers)
        for (const Registration& r : Produce(sim, c, first, count))
            produced[r.raw] = r;
    return produced;
}

// The COM port of each controller id.
std::map<int, int> ComOfId(const std::vector<Controller>& controllers)
{
    std::map<int, int> comOf;
    for (const Controller& c : controllers)
        comOf[c.id] = c.com;
    return comOf;
}

// The statement the server sends the reporting database for a registration.
std::string DatabaseCall(const Registration& r)
{
    char text[256];
    snprintf(text, sizeof text, "exec spDorvikReg2 '%s', '%s', '%s %s', '999', %d, %d, '%02X'",
             r.mediaId.substr(r.mediaId.size() - 8).c_str(), r.date.c_str(), r.date.c_str(), r.time.c_str(), r.id,
             r.code, r.code);
    return text;
}

std::vector<std::string> Split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep))
        parts.push_back(part);
    return parts;
}

std::string RegistrationFile(const std::string& folder)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char name[64];
    snprintf(name, sizeof name, "\\Halvex-%04d-%02d.regQv", now.wYear, now.wMonth);
    return folder + name;
}

// The lines of the monthly file; the header is checked and left out.
std::vector<std::vector<std::string>> FileLines(const std::string& folder, bool* headerOk = nullptr)
{
    std::vector<std::vector<std::string>> lines;
    std::string text = ReadFileBytes(RegistrationFile(folder));
    std::vector<std::string> raw = Split(text, '\n');
    if (headerOk)
        *headerOk = !raw.empty() && raw[0] == "Raw,MediaID,DateTime,Port,Controller,Event,DateTimeDL\r";
    for (size_t i = 1; i < raw.size(); ++i) {
        std::string line = raw[i];
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(Split(line, ','));
    }
    return lines;
}

int Delivered(halvex_sim::Control& sim, const Controller& c)
{
    return sim.State(c.com, c.id)["delivered"];
}

// Every produced registration is in the file exactly once, with its own
// fields, and nothing else is there.
void ExpectEachOnceInFile(const std::vector<std::vector<std::string>>& lines,
                          const std::map<std::string, Registration>& produced, const std::map<int, int>& comOfId)
{
    std::map<std::string, int> seen;
    for (const auto& fields : lines) {
        ASSERT_EQ(7u, fields.size()) << fields[0];
        ++seen[fields[0]];
        auto it = produced.find(fields[0]);
        if (it == produced.end()) {
            ADD_FAILURE() << "not produced: " << fields[0];
            continue;
        }
        const Registration& r = it->second;
        char number[8];
        EXPECT_EQ(r.mediaId, fields[1]);
        EXPECT_EQ(r.date + " " + r.time, fields[2]);
        snprintf(number, sizeof number, "%03d", comOfId.at(r.id));
        EXPECT_EQ(number, fields[3]);
        snprintf(number, sizeof number, "%03d", r.id);
        EXPECT_EQ(number, fields[4]);
        snprintf(number, sizeof number, "%02X", r.code);
        EXPECT_EQ(number, fields[5]);
    }
    size_t missing = 0, twice = 0;
    for (const auto& p : produced) {
        int n = seen.count(p.first) ? seen[p.first] : 0;
        missing += n == 0;
        twice += n > 1;
    }
    EXPECT_EQ(0u, missing) << "registrations delivered but not in the file";
    EXPECT_EQ(0u, twice) << "registrations in the file more than once";
    EXPECT_EQ(produced.size(), lines.size());
}

std::string StatusFrame(const Controller& c)
{
    return CommandFrame("Ob30", c.com, c.id, "ST");
}

// "ST yyyy-mm-dd hh:mm:ss 01 100": the simulated controller's clock (today),
// its head and its firmware.
void ExpectStatusAnswer(const std::string& answer)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char today[16];
    snprintf(today, sizeof today, "%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    std::vector<std::string> f = Split(answer, ' ');
    ASSERT_EQ(5u, f.size()) << answer;
    EXPECT_EQ("ST", f[0]);
    EXPECT_EQ(today, f[1]);
    EXPECT_EQ(8u, f[2].size()) << answer;
    EXPECT_EQ("01", f[3]);
    EXPECT_EQ("100", f[4]);
}

int RootImage(ServerProcess& server, HWND tree, const std::string& name)
{
    RemoteTree remote = server.Tree(tree);
    HTREEITEM root = remote.FindRoot(name);
    return root ? remote.Image(root) : -1;
}

} // namespace

TEST(RegistrationTraffic, ReachesListFileAndDatabaseAndTcpIsAnsweredMeanwhile)
{
    halvex_sim::Control sim;
    TdsControl tds;
    std::vector<Controller> controllers = FreshControllers(sim);
    const int tcpPort = 65031;
    std::string folder = ServerProcess::MakeFolder("traffic", Ini(controllers, tcpPort, true));
    ASSERT_EQ("OK", tds.Command("clear"));
    CommandClient client;
    ASSERT_TRUE(client.Listening());

    ServerProcess server(folder);
    HWND main = server.StartForMainWindow();
    ASSERT_NE(nullptr, main);
    HWND list = server.Control(IdcRegistrations);
    HWND tree = server.Control(IdcTree);
    ASSERT_NE(nullptr, list);
    ASSERT_NE(nullptr, tree);

    // More than the list holds, from both controllers at once.
    const int perController = 170;
    const std::map<std::string, Registration> produced = ProduceOnEach(sim, controllers, 0, perController);
    const std::map<int, int> comOfId = ComOfId(controllers);

    int most = 0;
    auto watchList = [&] { most = std::max(most, server.List(list).Count()); };
    auto deliveredAll = [&](int atLeast) {
        return [&, atLeast] {
            for (const Controller& c : controllers)
                if (Delivered(sim, c) < atLeast)
                    return false;
            return true;
        };
    };

    // A client's status request while the registrations flow...
    ASSERT_TRUE(WaitUntil(deliveredAll(40), 60000, 50, watchList));
    ExpectStatusAnswer(client.Ask(tcpPort, StatusFrame(controllers[1])));

    // ...and while the operator has a modal dialog open.
    PostMessageA(main, WM_COMMAND, IdAppAbout, 0);
    HWND about = server.WaitForWindow("About Halvex");
    ASSERT_NE(nullptr, about);
    ExpectStatusAnswer(client.Ask(tcpPort, StatusFrame(controllers[0])));
    watchList();
    PostMessageA(about, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(WaitUntil(deliveredAll(perController), 120000, 50, watchList));
    std::vector<std::vector<std::string>> lines;
    ASSERT_TRUE(WaitUntil([&] { return FileLines(folder).size() >= produced.size(); }, 30000, 50, watchList));
    bool headerOk = false;
    lines = FileLines(folder, &headerOk);
    // The list shows new rows a moment after the file has them.
    WaitUntil([&] {
        return server.List(list).Text(MaxRows - 1, 1) == lines.back()[2] &&
               server.List(list).Text(MaxRows - 1, 0) == lines.back()[1];
    }, 10000, 50, watchList);
    watchList();
    EXPECT_TRUE(headerOk);
    ExpectEachOnceInFile(lines, produced, comOfId);

    // The list: never more than 300 rows, and at the end the newest 300,
    // in the order they were written, with the image of their kind (card
    // event 2, event without a card 1), the last one in view.
    EXPECT_LE(most, MaxRows);
    ASSERT_EQ(MaxRows, server.List(list).Count());
    ASSERT_GE(lines.size(), (size_t)MaxRows);
    EXPECT_GE(server.List(list).TopIndex() + server.List(list).RowsPerPage(), MaxRows);
    size_t mismatches = 0;
    for (int row = 0; row < MaxRows; ++row) {
        const auto& line = lines[lines.size() - MaxRows + row];
        const int image = strtol(line[5].c_str(), nullptr, 16) < 128 ? 2 : 1;
        if (server.List(list).Text(row, 0) != line[1] || server.List(list).Text(row, 1) != line[2] ||
            server.List(list).Text(row, 3) != std::to_string(atoi(line[4].c_str())) ||
            server.List(list).Image(row) != image) {
            if (mismatches++ == 0)
                ADD_FAILURE() << "row " << row << " shows " << server.List(list).Text(row, 1) << ", the file has "
                              << line[2];
        }
    }
    EXPECT_EQ(0u, mismatches);

    // The reporting database: one call per registration, none twice.
    std::map<std::string, int> calls;
    auto countCalls = [&] {
        calls.clear();
        size_t total = 0;
        for (const std::string& b : tds.Batches())
            if (b.compare(0, 18, "exec spDorvikReg2 ") == 0) {
                ++calls[b];
                ++total;
            }
        return total;
    };
    WaitUntil([&] { return countCalls() >= produced.size(); }, 30000, 50);
    size_t missingCalls = 0;
    for (const auto& p : produced) {
        auto it = calls.find(DatabaseCall(p.second));
        if (it == calls.end())
            ++missingCalls;
        else
            EXPECT_EQ(1, it->second) << it->first;
    }
    EXPECT_EQ(0u, missingCalls) << "e.g. " << DatabaseCall(produced.begin()->second);
    EXPECT_EQ(produced.size(), countCalls());

    // Both controllers worked throughout.
    for (const Controller& c : controllers)
        EXPECT_EQ(ImageWorking, RootImage(server, tree, c.name)) << c.name;

    RECT r;
    GetWindowRect(main, &r);
    EXPECT_TRUE(SaveScreenPng(BuildTreePath("app_traffic_main.png").c_str(), r));

    EXPECT_EQ(0, server.Exit(60000));
}

TEST(RegistrationTraffic, SilentControllerGoesFailingThenNotAnsweringAndBack)
{
    halvex_sim::Control sim;
    std::vector<Controller> controllers = FreshControllers(sim);
    const Controller& quiet = controllers[0];
    const Controller& other = controllers[1];
    std::string folder = ServerProcess::MakeFolder("traffic-silence", Ini(controllers, 65032, false));
    ServerProcess server(folder);
    ASSERT_NE(nullptr, server.StartForMainWindow());
    HWND tree = server.Control(IdcTree);
    ASSERT_NE(nullptr, tree);
    ASSERT_TRUE(WaitUntil([&] { return sim.State(quiet.com, quiet.id)["SD"] > 3; }, 20000, 50));
    ASSERT_EQ(ImageWorking, RootImage(server, tree, quiet.name));

    // Each image the silent controller shows, in order of appearance.
    std::vector<int> shown = { ImageWorking };
    int otherImage = ImageWorking;
    auto watch = [&] {
        int image = RootImage(server, tree, quiet.name);
        if (image >= 0 && image != shown.back())
            shown.push_back(image);
        int o = RootImage(server, tree, other.name);
        if (o >= 0 && o != ImageWorking)
            otherImage = o;
    };
    sim.Knob(quiet.com, quiet.id, "silence", -1);
    EXPECT_TRUE(WaitUntil([&] { return shown.back() == ImageNotAnswering; }, 30000, 50, watch));
    EXPECT_EQ((std::vector<int>{ ImageWorking, ImageFailing, ImageNotAnswering }), shown);

    // Answering again is not enough: a controller that stopped answering
    // gets no idle requests, and keeps its image...
    sim.Knob(quiet.com, quiet.id, "silence", 0);
    WaitUntil([] { return false; }, 1500, 50, watch);
    EXPECT_EQ(ImageNotAnswering, shown.back());

    // ...until a command reaches it: the operator's status request.
    RemoteTree remoteTree = server.Tree(tree);
    HTREEITEM item = remoteTree.FindRoot(quiet.name);
    ASSERT_TRUE(item && remoteTree.Select(item));
    PostMessageA(server.WaitForMainWindow(), WM_COMMAND, IdControllerStatus, 0);
    EXPECT_TRUE(WaitUntil([&] { return shown.back() == ImageWorking; }, 20000, 50, watch));
    EXPECT_EQ(ImageWorking, otherImage) << "the other controller went on working";

    // Its registrations are fetched again.
    std::map<std::string, Registration> produced;
    for (const Registration& r : Produce(sim, quiet, 1000, 5))
        produced[r.raw] = r;
    EXPECT_TRUE(WaitUntil([&] { return FileLines(folder).size() >= produced.size(); }, 30000, 50, watch));
    ExpectEachOnceInFile(FileLines(folder), produced, { { quiet.id, quiet.com } });

    EXPECT_EQ(0, server.Exit(60000));
}

TEST(RegistrationTraffic, DatabaseDownBuffersEveryRegistrationAndSendsThemWhenBack)
{
    halvex_sim::Control sim;
    TdsControl tds;
    ASSERT_EQ("OK", tds.Command("clear"));
    ASSERT_EQ("OK", tds.Command("refuse on"));
    std::vector<Controller> controllers = FreshControllers(sim);
    const int tcpPort = 65034;
    std::string folder = ServerProcess::MakeFolder("traffic-dbdown", Ini(controllers, tcpPort, true));
    ServerProcess server(folder);
    ASSERT_NE(nullptr, server.StartForMainWindow());
    HWND messages = server.Control(IdcMessages);
    ASSERT_NE(nullptr, messages);

    // Every buffered registration writes a line: more than the log keeps.
    const int perController = 160;
    const std::map<std::string, Registration> produced = ProduceOnEach(sim, controllers, 3000, perController);
    const std::map<int, int> comOfId = ComOfId(controllers);
    int most = 0;
    auto watchLog = [&] { most = std::max(most, server.List(messages).Count()); };
    ASSERT_TRUE(WaitUntil([&] { return FileLines(folder).size() >= produced.size(); }, 120000, 50, watchLog));
    ExpectEachOnceInFile(FileLines(folder), produced, comOfId);
    WaitUntil([&] { return server.List(messages).Count() == MaxRows; }, 10000, 50, watchLog);
    EXPECT_LE(most, MaxRows);
    EXPECT_EQ(MaxRows, server.List(messages).Count());
    EXPECT_EQ(0, tds.Logins());

    // Back: the reconnect thread finds it within its 30 seconds, and the
    // buffer goes out in the order the registrations came.
    ASSERT_EQ("OK", tds.Command("refuse off"));
    std::vector<std::string> calls;
    auto readCalls = [&] {
        calls.clear();
        for (const std::string& b : tds.Batches())
            if (b.compare(0, 18, "exec spDorvikReg2 ") == 0)
                calls.push_back(b);
        return calls.size() >= produced.size();
    };
    EXPECT_TRUE(WaitUntil(readCalls, 150000, 50, [] { Sleep(500); }));
    std::vector<std::string> expected;
    for (const auto& fields : FileLines(folder))
        expected.push_back(DatabaseCall(produced.at(fields[0])));
    EXPECT_EQ(expected, calls);

    EXPECT_EQ(0, server.Exit(60000));
}

TEST(RegistrationTraffic, ExitDuringTrafficLosesNothing)
{
    halvex_sim::Control sim;
    TdsControl tds;
    const struct {
        const char* name;
        bool databaseDown; // every registration then goes to the buffer and writes a log line
    } cases[] = { { "database up", false }, { "database down", true } };
    int tcpPort = 65035;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        ASSERT_EQ("OK", tds.Command("clear"));
        ASSERT_EQ("OK", tds.Command(test.databaseDown ? "refuse on" : "refuse off"));
        std::vector<Controller> controllers = FreshControllers(sim);
        std::string folder = ServerProcess::MakeFolder(std::string("traffic-exit-") + (test.databaseDown ? "down" : "up"),
                                                       Ini(controllers, tcpPort++, true));
        ServerProcess server(folder);
        ASSERT_NE(nullptr, server.StartForMainWindow());

        const int queued = 400;
        std::map<int, std::vector<Registration>> made;
        for (const Controller& c : controllers)
            made[c.id] = Produce(sim, c, 2000, queued);
        ASSERT_TRUE(WaitUntil([&] { return Delivered(sim, controllers[0]) + Delivered(sim, controllers[1]) >= 60; }, 60000, 50));

        // A hang check, not a speed test: the bound is generous.
        EXPECT_EQ(0, server.Exit(60000));

        // What the controllers handed over is in the file: the first
        // `delivered` of each queue, every one once.
        std::map<std::string, Registration> delivered;
        const std::map<int, int> comOfId = ComOfId(controllers);
        int left = 0;
        for (const Controller& c : controllers) {
            int n = Delivered(sim, c);
            left += queued - n;
            for (int i = 0; i < n; ++i)
                delivered[made[c.id][i].raw] = made[c.id][i];
        }
        // The bus stops at the Exit; one that went on until the controllers
        // were empty left the shutdown waiting for it.
        EXPECT_GT(left, 0) << "the bus went on fetching after the Exit until nothing was left";
        ExpectEachOnceInFile(FileLines(folder), delivered, comOfId);

        // The reporting database got no registration twice and none that was
        // not delivered.
        std::set<std::string> known;
        for (const auto& d : delivered)
            known.insert(DatabaseCall(d.second));
        std::map<std::string, int> calls;
        for (const std::string& b : tds.Batches())
            if (b.compare(0, 18, "exec spDorvikReg2 ") == 0)
                ++calls[b];
        for (const auto& call : calls) {
            EXPECT_EQ(1, call.second) << call.first;
            EXPECT_TRUE(known.count(call.first)) << call.first;
        }
        printf("exit during traffic, %s: %d delivered, %d still queued, %zu sent to the database\n", test.name,
               (int)delivered.size(), left, calls.size());
    }
    tds.Command("refuse off");
}
