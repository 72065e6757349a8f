// The real Halvex.exe commanded by client programs over TCP, with simulated
// controllers on two virtual COM ports: removals over TCP (an id that only
// shares a controller's address byte, two in one request, an Exit during
// one), every accepted frame answered exactly once, a line that goes away
// and comes back, and a client that cannot be reached.
#include <winsock2.h>
#include "tests/sim/sim_control.h"
#include "server/app/resource.h"
#include "framework/ids.h"
#include "command_client.h"
#include "server_process.h"
#include "tests/services/held_port.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

const int IdcTree = IDC_TREE;
const int IdAppExit = ID_APP_EXIT;
// Root images of the tree: working, failing, not answering.
const int ImageWorking = 0, ImageFailing = 8, ImageNotAnswering = 9;
// How long the server tries to reach a requester before it gives up.
const DWORD AnswerTimeoutMs = 10000;

int Port(int index)
{
    std::vector<int> ports = halvex_sim::Ports();
    return index < (int)ports.size() ? ports[index] : 0;
}

// Alpha (5) and Bravo (6) on the first port, Charlie (7) on the second.
std::string ServerIni(int tcpPort)
{
    const std::string p0 = std::to_string(Port(0)), p1 = std::to_string(Port(1));
    return "[Controllers]\r\nOnLine=1\r\nCount=3\r\n"
           "Controller0=5\r\nCommPort0=" + p0 + "\r\nName0=Alpha\r\n"
           "Controller1=6\r\nCommPort1=" + p0 + "\r\nName1=Bravo\r\n"
           "Controller2=7\r\nCommPort2=" + p1 + "\r\nName2=Charlie\r\n"
           "[Misc]\r\nTCPPort=" + std::to_string(tcpPort) + "\r\n[Settings]\r\nPauseMachine=20\r\n";
}

// A running server with its tree.
struct Server {
    Server(const std::string& name, int tcpPort)
        : tcpPort(tcpPort), process(ServerProcess::MakeFolder(name, ServerIni(tcpPort)))
    {
    }
    bool Start()
    {
        if (!process.Start() || !(main = process.WaitForMainWindow()))
            return false;
        tree = process.Tree(FindChildControl(main, IdcTree, WC_TREEVIEWA));
        return tree.Window() != nullptr;
    }
    std::string Roots() const { return Join(tree.RootTexts()); }
    int Image(const char* root) const
    {
        HTREEITEM item = tree.FindRoot(root);
        return item ? tree.Image(item) : -1;
    }
    std::string Setting(const char* key) const { return Profile(process.Folder(), "Controllers", key); }

    int tcpPort;
    ServerProcess process;
    HWND main = nullptr;
    RemoteTree tree{ nullptr, nullptr };
};

std::string Status(int com, int id, const char* tag = "Ob30") { return CommandFrame(tag, com, id, "ST"); }
std::string Error(int com, int id) { return "ERR " + std::to_string(com) + " " + std::to_string(id) + " "; }
std::string Remove(int com, int id) { return CommandFrame("Ob30", com, id, "DD"); }

// After Bravo (6) and Charlie (7) went: the settings file keeps Alpha alone.
void ExpectOnlyAlphaSaved(Server& server)
{
    EXPECT_EQ("1", server.Setting("Count"));
    EXPECT_EQ("5", server.Setting("Controller0"));
    EXPECT_EQ("Alpha", server.Setting("Name0"));
    EXPECT_EQ("<missing>", server.Setting("Name1"));
}

} // namespace

TEST(TcpRemovals, AnAliasIdRemovesNothingAndTwoInOneRequestBothRun)
{
    const int p0 = Port(0), p1 = Port(1);
    ASSERT_NE(0, p1) << "two simulated ports expected";
    halvex_sim::Control sim;
    CommandClient client;
    ASSERT_TRUE(client.Listening());
    Server server("tcp-removals", 65041);
    ASSERT_TRUE(server.Start());
    ASSERT_EQ("Alpha | Bravo | Charlie", server.Roots());

    // 261 shares controller 5's address byte but is no controller: its
    // requester hears "ERR", and controller 5 stays in the tree and the bus.
    EXPECT_EQ("ERR " + std::to_string(p0) + " 261 ", client.Ask(server.tcpPort, Remove(p0, 261)));
    EXPECT_EQ("ERR " + std::to_string(p0) + " 261 ", client.Ask(server.tcpPort, Status(p0, 261)));
    EXPECT_EQ("Alpha | Bravo | Charlie", server.Roots());
    EXPECT_EQ(0u, client.Ask(server.tcpPort, Status(p0, 5)).find("ST ")) << "controller 5 is still served";

    // Two removals in one request: both run, one after the other, and the
    // server goes on answering.
    ASSERT_TRUE(CommandClient::Send(server.tcpPort, Remove(p0, 6) + " " + Remove(p1, 7)));
    EXPECT_TRUE(WaitUntil([&] { return server.Roots() == "Alpha"; }, 20000)) << server.Roots();
    EXPECT_EQ(7, server.tree.Count());
    EXPECT_EQ(0u, client.Ask(server.tcpPort, Status(p0, 5)).find("ST "));
    EXPECT_EQ("", client.Next(1000)) << "one answer per frame";

    ASSERT_EQ(0, server.process.Exit());
    ExpectOnlyAlphaSaved(server);
}

TEST(TcpRemovals, ExitDuringARemovalEndsTheServerOnceAfterIt)
{
    const int p0 = Port(0), p1 = Port(1);
    halvex_sim::Control sim;
    Server server("tcp-exit-in-removal", 65042);
    ASSERT_TRUE(server.Start());
    ASSERT_EQ("Alpha | Bravo | Charlie", server.Roots());

    // Two removals in one request: the second starts as soon as the first
    // has left the tree, with its half-second wait for the bus threads
    // before it frees the controller. Exit, close and end-of-session requests
    // arrive then.
    ASSERT_TRUE(CommandClient::Send(server.tcpPort, Remove(p0, 6) + " " + Remove(p1, 7)));
    ASSERT_TRUE(WaitUntil([&] { return server.tree.Count() == 14; }, 20000, 5)) << server.Roots();
    for (int i = 0; i < 2; ++i) {
        PostMessageA(server.main, WM_COMMAND, IdAppExit, 0);
        PostMessageA(server.main, WM_CLOSE, 0, 0);
        PostMessageA(server.main, WM_ENDSESSION, TRUE, 0);
    }
    EXPECT_EQ(0, server.process.WaitForEnd(30000));
    // The removal ran to its end, then the shutdown saved the rest, once.
    ExpectOnlyAlphaSaved(server);
}

// Frames the server accepts but cannot carry out each get exactly one "ERR",
// sent to their own requester, while another client's request made
// meanwhile is answered as usual.
TEST(TcpAnswers, EveryAcceptedFrameGetsExactlyOneAnswer)
{
    const int p0 = Port(0), p1 = Port(1);
    halvex_sim::Control sim;
    CommandClient client, other(65001); // "Ob30" and "Ob20"
    ASSERT_TRUE(client.Listening() && other.Listening());
    Server server("tcp-answers", 65043);
    ASSERT_TRUE(server.Start());

    // A read the controller takes every time but never answers with its own
    // code: dropped after its re-sends.
    sim.Knob(p0, 6, "unknown", -1);
    ASSERT_TRUE(CommandClient::Send(server.tcpPort, CommandFrame("Ob30", p0, 6, "RE", 496)));
    EXPECT_EQ(0u, other.Ask(server.tcpPort, Status(p1, 7, "Ob20")).find("ST ")) << "the other client meanwhile";
    EXPECT_EQ(Error(p0, 6), client.Next(30000));
    EXPECT_EQ("", client.Next(1500)) << "one answer, not two";
    sim.Knob(p0, 6, "unknown", 0);

    // A status reply whose date is not digits.
    sim.Knob(p0, 5, "nondigit", -1);
    EXPECT_EQ(Error(p0, 5), client.Ask(server.tcpPort, Status(p0, 5)));
    EXPECT_EQ("", client.Next(1500));
    sim.Knob(p0, 5, "nondigit", 0);

    // The same controllers answer again, each request once.
    EXPECT_EQ(0u, client.Ask(server.tcpPort, Status(p0, 5)).find("ST "));
    EXPECT_EQ("RE 6 496 0", client.Ask(server.tcpPort, CommandFrame("Ob30", p0, 6, "RE", 496)));
    EXPECT_EQ("", client.Next(1500));
    EXPECT_EQ("", other.Next(0));
    ASSERT_EQ(0, server.process.Exit());
}

// The simulator takes the second port away, as an unplugged adapter would,
// and offers it again: the server keeps serving the port, shows its
// controller failing and then not answering, answers its frames with "ERR"
// meanwhile, and has it back on-line once the port is there again.
TEST(TcpAnswers, APortThatGoesAwayIsServedAgainWhenItComesBack)
{
    const int p0 = Port(0), p1 = Port(1);
    halvex_sim::Control sim;
    CommandClient client, other(65001);
    ASSERT_TRUE(client.Listening() && other.Listening());
    Server server("tcp-unplugged", 65044);
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(WaitUntil([&] { return server.Image("Charlie") == ImageWorking; }, 20000));

    sim.Unplug(p1);
    EXPECT_TRUE(WaitUntil([&] { return server.Image("Charlie") == ImageNotAnswering; }, 30000))
        << server.Image("Charlie");
    EXPECT_EQ(Error(p1, 7), client.Ask(server.tcpPort, Status(p1, 7)));
    EXPECT_EQ(0u, other.Ask(server.tcpPort, Status(p0, 5, "Ob20")).find("ST ")) << "the other port works on";
    EXPECT_EQ(ImageWorking, server.Image("Alpha"));

    sim.Plug(p1);
    EXPECT_TRUE(WaitUntil([&] { return server.Image("Charlie") == ImageWorking; }, 30000))
        << server.Image("Charlie");
    EXPECT_EQ(0u, client.Ask(server.tcpPort, Status(p1, 7)).find("ST "));
    EXPECT_EQ("", client.Next(1500));
    ASSERT_EQ(0, server.process.Exit());
    EXPECT_EQ("Charlie", server.Setting("Name2"));
}

// A client whose PC is switched off: its reply port never answers. Another
// client's request, made while the server still tries to reach the first,
// is taken and answered in its usual time.
TEST(TcpAnswers, AClientThatCannotBeReachedHoldsUpNoOtherClient)
{
    const int p0 = Port(0);
    halvex_sim::Control sim;
    CommandClient client;
    ASSERT_TRUE(client.Listening());
    Server server("tcp-unreachable", 65045);
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(0u, client.Ask(server.tcpPort, Status(p0, 6)).find("ST ")) << "the server answers at all";

    HeldPort switchedOff(65001); // where "Ob20" answers go
    ASSERT_TRUE(switchedOff.held);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(CommandClient::Send(server.tcpPort, Status(p0, 5, "Ob20")));
    Sleep(500); // its answer is on its way to the port that does not answer
    EXPECT_EQ(0u, client.Ask(server.tcpPort, Status(p0, 6)).find("ST "));
    EXPECT_LT(GetTickCount() - start, AnswerTimeoutMs) << "answered only after the other's connect gave up";
    EXPECT_EQ(0, server.process.Exit());
}
