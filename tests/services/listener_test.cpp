// The command listener over loopback: requests are read to the client's
// close, one client at a time, and a close from another thread ends it.
#include "common/TcpSocket.h"
#include "server/services/CommandListener.h"
#include "server/services/CommandProtocol.h"
#include "server/services/PendingRequests.h"
#include "loopback_listen.h"
#include "wait_until.h"
#include "winsock_environment.h"
#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Controller 5 on COM1 exists; every call is recorded.
struct Target : ICommandTarget {
    std::mutex mutex;
    std::vector<std::string> calls;
    void Log(const std::string& s) { std::lock_guard<std::mutex> l(mutex); calls.push_back(s); }
    std::vector<std::string> Wait(size_t n)
    {
        for (int i = 0; i < 3000; ++i) {
            {
                std::lock_guard<std::mutex> l(mutex);
                if (calls.size() >= n)
                    return calls;
            }
            Sleep(10);
        }
        std::lock_guard<std::mutex> l(mutex);
        return calls;
    }
    bool ControllerExists(int port, int id) override { return port == 1 && id == 5; }
    void AddController(int, int, const std::string&) override { Log("add"); }
    void QueueStatus(int, int id) override { Log("status " + std::to_string(id)); }
    void QueueSetTime(int, int) override { Log("settime"); }
    void EraseStatus(int) override { Log("erase"); }
    void QueueReadEEPROM(int, int, int location) override { Log("read " + std::to_string(location)); }
    void QueueWriteEEPROM(int, int, int location, int value) override
    {
        Log("write " + std::to_string(location) + " " + std::to_string(value));
    }
    void RemoveController(int, int) override { Log("remove"); }
    void PostErrorReply(int port, int id) override { Log("err " + std::to_string(port) + " " + std::to_string(id)); }
};

struct Server {
    Target target;
    CCommandListener listener;
    std::atomic<int> result{-1};
    std::atomic<bool> ended{false};
    std::thread thread;
    Server()
    {
        thread = std::thread([this] {
            result = listener.Run(0, target);
            ended = true;
        });
        HANDLE both[1] = { listener.ListeningEvent() };
        EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(1, both, FALSE, 60000));
    }
    ~Server()
    {
        listener.Close();
        thread.join();
    }
    // Where the listener listens: the host's own name, as clients reach it.
    CSocketAddress Address() const
    {
        char host[1025] = {};
        gethostname(host, 1024);
        return CTcpSocket::GetHostByName(host, listener.BoundPort());
    }
    void Send(const std::string& request)
    {
        CTcpSocket client;
        client.Create();
        client.Connect(Address());
        if (!request.empty())
            client.Write(request.data(), (int)request.size(), 30);
        client.Close();
    }
};

TEST(Listener, RequestsAreParsedInOrderAndEmptyOnesIgnored)
{
    PendingRequests().Clear();
    Server server;
    server.Send("");
    server.Send("VeTr 1 0000000 Ob21 1 5 RE 496 0 VTEnd VeTr 1 0000000 Ob21 1 5 ST 0 0 VTEnd");
    server.Send("VeTr 1 0000000 Ob21 1 99 ST 0 0 VTEnd");
    EXPECT_EQ((std::vector<std::string>{ "read 496", "status 5", "err 1 99" }), server.target.Wait(3));
    const PendingMap reads = PendingRequests().Entries(PendingKind::Read);
    ASSERT_EQ(1u, reads.size());
    // The requester is the peer's address and the tag's reply port.
    EXPECT_EQ("127.0.0.1:65002", reads.begin()->first);
    const std::vector<PendingError> errors = PendingRequests().Errors();
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ("127.0.0.1:65002", errors.front().requester);
}

TEST(Listener, OnlyTheFirstFullBufferIsParsed)
{
    PendingRequests().Clear();
    Server server;
    std::string request = "VeTr 1 0 Ob21 1 5 WE 500 1 VTEnd";
    request.resize(CommandProtocol::MaxRequestBytes - 10, ' ');
    request += "VeTr 1 0 Ob21 1 5 WE 501 2 VTEnd"; // crosses the limit
    request += std::string(5000, 'x');
    std::thread sender([&] {
        try {
            server.Send(request);
        } catch (CTcpSocketException* e) {
            e->Delete(); // the server may close before reading the rest
        }
    });
    sender.join();
    server.Send("VeTr 1 0 Ob21 1 5 ST 0 0 VTEnd");
    EXPECT_EQ((std::vector<std::string>{ "write 500 1", "status 5" }), server.target.Wait(2));
}

// Clients that reset their connection before the listener takes it: the
// accept of such a connection fails, and the next client must still be heard.
TEST(Listener, ResetClientsDoNotEndIt)
{
    PendingRequests().Clear();
    Server server;
    const CSocketAddress address = server.Address();
    int refused = 0;
    for (int i = 0; i < 20; ++i) {
        CTcpSocket client;
        client.Create();
        try {
            // Bounded: with nobody accepting, the backlog fills and connects hang.
            client.Connect(address, 5);
        } catch (CTcpSocketException* e) {
            e->Delete();
            ++refused;
            continue;
        }
        linger reset = { 1, 0 };
        setsockopt(client.Handle(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof(reset));
        client.Close();
    }
    ASSERT_EQ(0, refused) << "clients left unheard after the resets";
    server.Send("VeTr 1 0 Ob21 1 5 ST 0 0 VTEnd");
    EXPECT_EQ(std::vector<std::string>{ "status 5" }, server.target.Wait(1));
    EXPECT_FALSE(server.ended.load()) << "the listener ended with result " << server.result.load();
}

// Clients that all come at once while the listener serves one at a time:
// each of them is heard. A short backlog drops some of them on loopback
// after their connect, write and close have all succeeded.
TEST(Listener, ABurstOfClientsIsHeardInFull)
{
    PendingRequests().Clear();
    Server server;
    const CSocketAddress address = server.Address();
    const int clients = 50;
    std::atomic<int> failed{0};
    std::vector<std::thread> burst;
    for (int i = 0; i < clients; ++i) {
        burst.emplace_back([&] {
            const std::string request = "VeTr 1 0 Ob21 1 5 ST 0 0 VTEnd";
            CTcpSocket client;
            try {
                client.Create();
                client.Connect(address, 30);
                client.Write(request.data(), (int)request.size(), 30);
                client.Close();
            } catch (CTcpSocketException* e) {
                e->Delete();
                client.Cleanup();
                ++failed;
            }
        });
    }
    for (std::thread& t : burst)
        t.join();
    ASSERT_EQ(0, failed.load()) << "clients told of a failure";
    EXPECT_EQ(clients, (int)server.target.Wait(clients).size()) << "requests lost after the clients had sent them";
}

// A client that never closes and sends a byte now and then, each within the
// receive bound: its request still ends at the bound, so that it cannot keep
// the clients behind it waiting for as long as it goes on.
TEST(Listener, ATricklingClientIsCutOffAtTheBound)
{
    CTcpSocket listening;
    const USHORT port = ListenOnLoopback(listening);

    std::atomic<bool> stop{false}, finished{false};
    std::thread trickler([&] {
        CTcpSocket client;
        try {
            client.Create();
            client.Connect(CSocketAddress(INADDR_LOOPBACK, port));
            for (int i = 0; i < 100 && !stop; ++i) { // 30 s at most
                client.Write(" ", 1, 5);
                Sleep(300);
            }
        } catch (CTcpSocketException* e) {
            e->Delete(); // the server has closed its side
        }
        finished = true;
    });
    CTcpSocket connection;
    CSocketAddress peer;
    ASSERT_TRUE(listening.Accept(connection, peer));
    std::vector<char> buffer(CommandProtocol::MaxRequestBytes + 1);
    bool cutOff = false;
    try {
        ReceiveRequest(connection, buffer.data(), 2);
    } catch (CTcpSocketException* e) {
        e->Delete();
        cutOff = true;
    }
    const bool clientStillSending = !finished;
    stop = true;
    connection.Cleanup();
    trickler.join();
    EXPECT_TRUE(cutOff && clientStillSending) << "the request was read until the client stopped by itself";
}

TEST(Listener, CloseBeforeRunStartsStillEndsIt)
{
    Target target;
    CCommandListener listener;
    listener.Close();
    EXPECT_EQ(0, listener.Run(0, target));
}

TEST(Listener, CloseFromAnotherThreadEndsRun)
{
    auto server = std::make_unique<Server>();
    server->Send("VeTr 1 0 Ob21 1 5 ST 0 0 VTEnd");
    ASSERT_EQ(std::vector<std::string>{"status 5"}, server->target.Wait(1)) << "served before the close";
    // Run is back in its accept now; the close comes from this thread.
    server->listener.Close();
    const bool ended = WaitUntil([&] { return server->ended.load(); }, 10000);
    EXPECT_TRUE(ended) << "Run still waits for a client after Close";
    EXPECT_EQ(0, server->result.load()) << "a close is an ordinary end, not a failure";
    if (!ended) {
        // Left running so that the rest of the program can go on: joining
        // would wait forever for the accept.
        server->thread.detach();
        server.release();
    }
}

} // namespace
