// The TCP command parser and the answer texts: which frames act, which
// requesters are recorded, and what goes on the wire.
#include "server/services/CommandParser.h"
#include "server/services/CommandProtocol.h"
#include "server/services/PendingRequests.h"
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

// Records every call as one text line. Controllers 5 on COM1 and 7 on COM2 exist.
struct Recorder : ICommandTarget {
    std::vector<std::string> calls;
    std::set<std::pair<int, int>> controllers{ { 1, 5 }, { 2, 7 } };
    void Log(const std::string& s) { calls.push_back(s); }
    static std::string N(int v) { return std::to_string(v); }
    bool ControllerExists(int port, int id) override { return controllers.count({ port, id }) > 0; }
    void AddController(int port, int id, const std::string& name) override { Log("add " + N(port) + " " + N(id) + " " + name); }
    void QueueStatus(int port, int id) override { Log("status " + N(port) + " " + N(id)); }
    void QueueSetTime(int port, int id) override { Log("settime " + N(port) + " " + N(id)); }
    void EraseStatus(int id) override { Log("erase " + N(id)); }
    void QueueReadEEPROM(int port, int id, int location) override { Log("read " + N(port) + " " + N(id) + " " + N(location)); }
    void QueueWriteEEPROM(int port, int id, int location, int value) override
    {
        Log("write " + N(port) + " " + N(id) + " " + N(location) + " " + N(value));
    }
    void RemoveController(int port, int id) override { Log("remove " + N(port) + " " + N(id)); }
    void PostErrorReply(int port, int id) override { Log("err " + N(port) + " " + N(id)); }
};

std::string Dump(const PendingMap& map)
{
    std::string s;
    for (const auto& e : map)
        s += (s.empty() ? "" : " ") + e.first + "=" + e.second;
    return s;
}

std::string DumpErrors()
{
    std::string s;
    for (const auto& e : PendingRequests().Errors())
        s += (s.empty() ? "" : " ") + e.requester + "=" + std::to_string(e.port) + "," + std::to_string(e.id);
    return s;
}

struct Case {
    const char* name;
    const char* request;
    std::vector<std::string> calls;
    const char* status;
    const char* read;
    const char* write;
    const char* errors;
};

const Case kCases[] = {
    { "read", "VeTr 1 0000000 Ob21 1 5 RE 496 0 VTEnd", { "read 1 5 496" }, "", "10.0.0.7:65002=5:496", "", "" },
    { "write", "VeTr 1 0000000 Ob20 1 5 WE 500 1234 VTEnd", { "write 1 5 500 1234" }, "", "", "10.0.0.7:65001=5:500", "" },
    { "status", "VeTr 1 0000000 Brqv 2 7 ST 0 0 VTEnd", { "status 2 7" }, "10.0.0.7:20000=7:0", "", "", "" },
    { "settime records nobody", "VeTr 1 0000000 Ob30 1 5 SETTIME 0 0 VTEnd", { "settime 1 5" }, "", "", "", "" },
    { "clear status", "VeTr 1 0000000 Ob21 1 5 CS 0 0 VTEnd", { "erase 5" }, "", "", "", "" },
    { "remove", "VeTr 1 0000000 Ob21 2 7 DD 0 0 VTEnd", { "remove 2 7" }, "", "", "", "" },
    { "add goes to the target", "VeTr 1 0000000 Ob21 1 5 CD Door 0 VTEnd", { "add 1 5 Door" }, "", "", "", "" },
    { "unknown tag changes nothing", "VeTr 1 0000000 XYZ 1 5 RE 496 0 VTEnd", {}, "", "", "", "" },
    { "unknown command", "VeTr 1 0000000 Ob21 1 5 re 496 0 VTEnd", {}, "", "", "", "" },
    { "version and length are not read", "VeTr 9 abc Ob21 1 5 RE 496 0 VTEnd", { "read 1 5 496" }, "", "10.0.0.7:65002=5:496", "", "" },
    { "two frames in order", "VeTr 1 0 Ob21 1 5 RE 496 0 VTEndVeTr 1 0 Ob21 2 7 ST 0 0 VTEnd",
      { "read 1 5 496", "status 2 7" }, "10.0.0.7:65002=7:0", "10.0.0.7:65002=5:496", "", "" },
    { "unknown controller answers its own requester and ends the request",
      "VeTr 1 0 Ob21 1 99 RE 496 0 VTEnd VeTr 1 0 Ob21 1 5 ST 0 0 VTEnd", { "err 1 99" }, "", "", "", "10.0.0.7:65002=1,99" },
    { "controller on another port is unknown", "VeTr 1 0 Ob21 2 5 ST 0 0 VTEnd", { "err 2 5" }, "", "", "", "10.0.0.7:65002=2,5" },
    { "port not a number is unknown", "VeTr 1 0 Ob21 x 5 ST 0 0 VTEnd", { "err 0 5" }, "", "", "", "10.0.0.7:65002=0,5" },
    { "missing id is unknown", "VeTr 1 0 Ob21 1 VTEnd", { "err 1 0" }, "", "", "", "10.0.0.7:65002=1,0" },
    { "missing command does nothing", "VeTr 1 0 Ob21 1 5 VTEnd", {}, "", "", "", "" },
    // A read or write it cannot carry out is answered with "ERR", and the
    // request goes on.
    { "read without location is refused", "VeTr 1 0 Ob21 1 5 RE VTEnd", { "err 1 5" }, "", "", "", "10.0.0.7:65002=1,5" },
    { "write without value is refused", "VeTr 1 0 Ob21 1 5 WE 500 VTEnd", { "err 1 5" }, "", "", "", "10.0.0.7:65002=1,5" },
    { "location beyond 16 bits is refused", "VeTr 1 0 Ob21 1 5 RE 70032 0 VTEnd", { "err 1 5" }, "", "", "", "10.0.0.7:65002=1,5" },
    { "negative location is refused", "VeTr 1 0 Ob21 1 5 RE -1 0 VTEnd", { "err 1 5" }, "", "", "", "10.0.0.7:65002=1,5" },
    { "word beyond 16 bits is refused", "VeTr 1 0 Ob21 1 5 WE 500 65536 VTEnd", { "err 1 5" }, "", "", "", "10.0.0.7:65002=1,5" },
    { "refused read leaves the next frame handled", "VeTr 1 0 Ob21 1 5 RE 99999 0 VTEnd VeTr 1 0 Ob21 1 5 WE 500 65535 VTEnd",
      { "err 1 5", "write 1 5 500 65535" }, "", "", "10.0.0.7:65002=5:500", "10.0.0.7:65002=1,5" },
    // Answers carry the numbers, so entries must name them, not the texts.
    { "id and location with leading zeros", "VeTr 1 0 Ob21 1 05 RE 0496 0 VTEnd", { "read 1 5 496" }, "", "10.0.0.7:65002=5:496", "", "" },
    { "id with a sign", "VeTr 1 0 Ob21 1 +5 ST 0 0 VTEnd", { "status 1 5" }, "10.0.0.7:65002=5:0", "", "", "" },
    { "id beyond an int is unknown, not wrapped", "VeTr 1 0 Ob21 1 4294967301 ST 0 0 VTEnd", { "err 1 0" }, "", "", "", "10.0.0.7:65002=1,0" },
    { "extra end marker runs nothing twice", "VeTr 1 0 Ob21 1 5 WE 500 1 VTEnd VTEnd", { "write 1 5 500 1" }, "", "", "10.0.0.7:65002=5:500", "" },
    { "end marker before start", "VTEnd VeTr 1 0 Ob21 1 5 ST 0 0", {}, "", "", "", "" },
    { "start without end", "VeTr 1 0 Ob21 1 5 ST 0 0", {}, "", "", "", "" },
    { "text after a NUL is not read", "VeTr 1 0 Ob21 1 5 ST 0 0 VTEnd\0VeTr 1 0 Ob21 2 7 ST 0 0 VTEnd", { "status 1 5" }, "10.0.0.7:65002=5:0", "", "", "" },
    { "two status requests leave two entries", "VeTr 1 0 Ob21 1 5 ST 0 0 VTEnd VeTr 1 0 Ob21 1 5 ST 0 0 VTEnd",
      { "status 1 5", "status 1 5" }, "10.0.0.7:65002=5:0 10.0.0.7:65002=5:0", "", "", "" },
};

class ParserCase : public ::testing::TestWithParam<Case> {};

TEST_P(ParserCase, ActsAndRecords)
{
    const Case& c = GetParam();
    PendingRequests().Clear();
    Recorder recorder;
    // Requests may hold NUL bytes: pass the literal's full size.
    size_t length = strlen(c.request);
    if (strcmp(c.name, "text after a NUL is not read") == 0)
        length += 1 + strlen(c.request + length + 1);
    ParseCommandFrames(c.request, length, "10.0.0.7", recorder);
    EXPECT_EQ(c.calls, recorder.calls);
    EXPECT_EQ(c.status, Dump(PendingRequests().Entries(PendingKind::Status)));
    EXPECT_EQ(c.read, Dump(PendingRequests().Entries(PendingKind::Read)));
    EXPECT_EQ(c.write, Dump(PendingRequests().Entries(PendingKind::Write)));
    EXPECT_EQ(c.errors, DumpErrors());
    EXPECT_TRUE(PendingRequests().Entries(PendingKind::Reg2).empty());
}

INSTANTIATE_TEST_SUITE_P(Frames, ParserCase, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string n;
    for (const char* p = info.param.name; *p; ++p)
        n += isalnum((unsigned char)*p) ? *p : '_';
    return n;
});

// A full request with no NUL, ending right before an inaccessible page: the
// parser must not read past the bytes it was given.
TEST(Parser, FullRequestAgainstGuardPageIsReadWithinItsLength)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t pages = (CommandProtocol::MaxRequestBytes + page - 1) / page;
    char* base = static_cast<char*>(VirtualAlloc(NULL, (pages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_TRUE(base != NULL);
    DWORD old;
    ASSERT_TRUE(VirtualProtect(base + pages * page, page, PAGE_NOACCESS, &old));
    char* request = base + pages * page - CommandProtocol::MaxRequestBytes;
    std::string frame = "VeTr 1 0 Ob21 1 5 RE 496 0 VTEnd";
    memset(request, 'V', CommandProtocol::MaxRequestBytes);
    memcpy(request, frame.data(), frame.size());
    // A second frame whose end marker would lie beyond the request.
    memcpy(request + CommandProtocol::MaxRequestBytes - 20, "VeTr 1 0 Ob21 1 5 VT", 20);
    PendingRequests().Clear();
    Recorder recorder;
    ParseCommandFrames(request, CommandProtocol::MaxRequestBytes, "127.0.0.1", recorder);
    EXPECT_EQ(std::vector<std::string>{ "read 1 5 496" }, recorder.calls);
    VirtualFree(base, 0, MEM_RELEASE);
}

TEST(Parser, HostileRequestOfMarkersOnly)
{
    std::string request;
    while (request.size() + 9 <= (size_t)CommandProtocol::MaxRequestBytes)
        request += "VeTrVTEnd";
    PendingRequests().Clear();
    Recorder recorder;
    ParseCommandFrames(request.data(), request.size(), "127.0.0.1", recorder);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(Protocol, TagsSelectReplyPorts)
{
    EXPECT_EQ(20000, CommandProtocol::ReplyPortOfTag("Brqv"));
    EXPECT_EQ(65001, CommandProtocol::ReplyPortOfTag("Ob20"));
    EXPECT_EQ(65002, CommandProtocol::ReplyPortOfTag("Ob21"));
    EXPECT_EQ(65003, CommandProtocol::ReplyPortOfTag("Ob30"));
    EXPECT_EQ(0, CommandProtocol::ReplyPortOfTag("ob21"));
    EXPECT_EQ(0, CommandProtocol::ReplyPortOfTag(""));
}

TEST(Protocol, AnswerTexts)
{
    EXPECT_EQ("ERR 1 7 ", CommandProtocol::ErrorLine(1, 7));
    EXPECT_EQ("ERR 1 99 ", CommandProtocol::ErrorLine(1, 99));
    EXPECT_EQ("RE 5 496 65535", CommandProtocol::ReadLine(5, 496, 0xFFFF));
    EXPECT_EQ("WE 5 500 1234", CommandProtocol::WriteLine(5, 500, 0x104D2));
    EXPECT_EQ("ST 2024-03-05 14:07:00 AB 123", CommandProtocol::StatusLine("2024-03-05 14:07:00", "AB", "123"));
    EXPECT_EQ("5:0", CommandProtocol::AwaitedValue(5, 0));
    std::string host;
    int port = 0;
    ASSERT_TRUE(CommandProtocol::SplitRequester("10.0.0.7:65002", host, port));
    EXPECT_EQ("10.0.0.7", host);
    EXPECT_EQ(65002, port);
    EXPECT_FALSE(CommandProtocol::SplitRequester("nocolon", host, port));
}

TEST(Protocol, RegistrationPush)
{
    CommandProtocol::Reg2Fields r{ "123456789012", 5, 3, 2024, 14, 7, 0x0A, 5, 3 };
    std::string payload = CommandProtocol::Reg2Payload(r);
    EXPECT_EQ("12345678,05.03.24,14:07:00,0A,05.", payload);
    EXPECT_EQ(33u, payload.size());
    EXPECT_EQ("VeTr 1 0000033 Hlvx 3 REG2 12345678,05.03.24,14:07:00,0A,05.", CommandProtocol::Reg2Frame(r));
}

TEST(Pending, FirstMatchInKeyOrderIsTaken)
{
    CPendingRequests pending;
    pending.Add(PendingKind::Status, "10.0.0.9:65002", "5:0");
    pending.Add(PendingKind::Status, "10.0.0.7:65002", "6:0");
    pending.Add(PendingKind::Status, "10.0.0.8:65002", "5:0");
    std::string requester;
    ASSERT_TRUE(pending.TakeFirstMatching(PendingKind::Status, "5:0", requester));
    EXPECT_EQ("10.0.0.8:65002", requester);
    ASSERT_TRUE(pending.TakeFirstMatching(PendingKind::Status, "5:0", requester));
    EXPECT_EQ("10.0.0.9:65002", requester);
    EXPECT_FALSE(pending.TakeFirstMatching(PendingKind::Status, "5:0", requester));
    EXPECT_EQ(1u, pending.Entries(PendingKind::Status).size());
}

TEST(Pending, ErrorGoesToTheFailingRequesterInArrivalOrder)
{
    CPendingRequests pending;
    pending.AddError("10.0.0.9:65002", 1, 99);
    pending.AddError("10.0.0.1:65002", 1, 99);
    pending.AddError("10.0.0.5:65002", 2, 99);
    PendingError e;
    ASSERT_TRUE(pending.TakeError(2, 99, e));
    EXPECT_EQ("10.0.0.5:65002", e.requester);
    ASSERT_TRUE(pending.TakeError(1, 99, e));
    EXPECT_EQ("10.0.0.9:65002", e.requester);
    ASSERT_TRUE(pending.TakeError(1, 99, e));
    EXPECT_EQ("10.0.0.1:65002", e.requester);
    EXPECT_FALSE(pending.TakeError(1, 99, e));
}

TEST(Pending, StatusSnapshotsQueuePerController)
{
    CPendingRequests pending;
    pending.PushStatusSnapshot(5, { "2024-03-05 14:07:00", "AB", "101" });
    pending.PushStatusSnapshot(5, { "2024-03-05 14:08:00", "AB", "101" });
    StatusSnapshot s;
    EXPECT_FALSE(pending.TakeStatusSnapshot(6, s));
    ASSERT_TRUE(pending.TakeStatusSnapshot(5, s));
    EXPECT_EQ("2024-03-05 14:07:00", s.dateTime);
    ASSERT_TRUE(pending.TakeStatusSnapshot(5, s));
    EXPECT_EQ("2024-03-05 14:08:00", s.dateTime);
    EXPECT_FALSE(pending.TakeStatusSnapshot(5, s));
}

} // namespace
