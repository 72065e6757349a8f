// The real Halvex.exe commanded by client programs over TCP, with simulated
// controllers on two virtual COM ports: removals over TCP (an id that only
// shares a controller's address byte, two in one request, an Exit during
// one), every accepted frame answered exactly once, a line that goes away
// and comes back, and a client that cannot be reached.
#include <winsock2.h>
#include "tests/sim/sim_control.h"
#include "command_client.h"
#include "server_process.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

const int IdcTree = 1000;
const int IdAppExit = 57665;

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

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

std::string Join(const std::vector<std::string>& items)
{
    std::string all;
    for (const std::string& item : items)
        all += (all.empty() ? "" : " | ") + item;
    return all;
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
    std::string Setting(const char* key) const { return Profile(process.Folder(), "Controllers", key); }

    int tcpPort;
    ServerProcess process;
    HWND main = nullptr;
    RemoteTree tree{ nullptr, nullptr };
};

std::string Status(int com, int id) { return CommandFrame("Ob30", com, id, "ST"); }
std::string Remove(int com, int id) { return CommandFrame("Ob30", com, id, "DD"); }

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
    EXPECT_EQ("1", server.Setting("Count"));
    EXPECT_EQ("5", server.Setting("Controller0"));
    EXPECT_EQ("Alpha", server.Setting("Name0"));
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
    // before it frees the controller. Exit and close requests arrive then.
    ASSERT_TRUE(CommandClient::Send(server.tcpPort, Remove(p0, 6) + " " + Remove(p1, 7)));
    DWORD start = GetTickCount();
    while (server.tree.Count() != 14 && GetTickCount() - start < 20000)
        Sleep(5);
    ASSERT_EQ(14, server.tree.Count()) << server.Roots();
    for (int i = 0; i < 2; ++i) {
        PostMessageA(server.main, WM_COMMAND, IdAppExit, 0);
        PostMessageA(server.main, WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(0, server.process.WaitForEnd(30000));
    // The removal ran to its end, then the shutdown saved the rest, once.
    EXPECT_EQ("1", server.Setting("Count"));
    EXPECT_EQ("Alpha", server.Setting("Name0"));
    EXPECT_EQ("<missing>", server.Setting("Name1"));
}
