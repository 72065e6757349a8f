// The blocking socket over loopback: closes, time-outs, long writes, and the
// listener close that ends the server's accept loop.
#include "common/TcpSocket.h"
#include "held_port.h"
#include "loopback_listen.h"
#include "winsock_environment.h"
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string MessageOf(const CTcpSocketException* e, UINT size = 256)
{
    std::vector<char> text(size, 'x');
    EXPECT_TRUE(e->GetErrorMessage(text.data(), size));
    return text.data();
}

// A listening socket on 127.0.0.1 with a system-chosen port.
struct Listener {
    CTcpSocket socket;
    USHORT port = 0;
    Listener() { port = ListenOnLoopback(socket); }
};

// A connected pair of sockets over loopback.
struct Pair {
    Listener listener;
    CTcpSocket client, server;
    Pair()
    {
        client.Create();
        client.Connect(CSocketAddress(INADDR_LOOPBACK, listener.port));
        CSocketAddress peer;
        EXPECT_TRUE(listener.socket.Accept(server, peer));
        EXPECT_STREQ("127.0.0.1", peer.DottedDecimal());
    }
};

TEST(TcpSocket, ReceiveReturnsZeroWhenPeerClosed)
{
    Pair pair;
    pair.client.Write("abc", 3, 10);
    pair.client.Close();
    EXPECT_EQ(INVALID_SOCKET, pair.client.Handle());
    char buffer[16];
    int total = 0, got;
    while ((got = pair.server.Receive(buffer + total, sizeof(buffer) - total, 10)) > 0)
        total += got;
    EXPECT_EQ(0, got);
    EXPECT_EQ(std::string("abc"), std::string(buffer, total));
}

TEST(TcpSocket, ReceiveTimesOutWithLabelAndNoCode)
{
    Pair pair;
    WSASetLastError(0);
    char buffer[16];
    try {
        pair.server.Receive(buffer, sizeof(buffer), 1);
        FAIL() << "no time-out";
    } catch (CTcpSocketException* e) {
        EXPECT_STREQ("Receive timeout", e->Label());
        EXPECT_EQ("Receive timeout error", MessageOf(e));
        e->Delete();
    }
}

TEST(TcpSocket, SendTimesOutWhenThePeerReadsNothing)
{
    Pair pair;
    int small = 4096;
    setsockopt(pair.client.Handle(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&small), sizeof(small));
    setsockopt(pair.server.Handle(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof(small));
    // Small sends: a writable socket takes one whole, so no send blocks.
    std::string chunk(512, 'x');
    bool timedOut = false;
    // The buffers fill within some thousand sends; the bound only keeps a
    // broken select from looping for ever.
    for (int i = 0; i < 100000 && !timedOut; ++i) {
        try {
            EXPECT_GT(pair.client.Send(chunk.data(), (int)chunk.size(), 1), 0);
        } catch (CTcpSocketException* e) {
            timedOut = true;
            EXPECT_STREQ("Send timeout", e->Label());
            e->Delete();
        }
    }
    EXPECT_TRUE(timedOut);
}

TEST(TcpSocket, WriteOfLongTextToSlowReaderDeliversEverything)
{
    Pair pair;
    int small = 4096;
    setsockopt(pair.client.Handle(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&small), sizeof(small));
    std::string text(3 * 1024 * 1024, '\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = char('A' + i % 23);
    std::string received;
    std::thread reader([&] {
        char chunk[1024];
        int got;
        int calls = 0;
        while ((got = pair.server.Receive(chunk, sizeof(chunk), 60)) > 0) {
            received.append(chunk, got);
            if (++calls % 256 == 0)
                Sleep(1); // a slow reader keeps the sender's buffer full
        }
    });
    EXPECT_EQ((int)text.size(), pair.client.Write(text.data(), (int)text.size(), 60));
    pair.client.Close();
    reader.join();
    EXPECT_TRUE(received == text) << "received " << received.size() << " bytes";
}

TEST(TcpSocket, AcceptReturnsFalseWhenListenerClosedByAnotherThread)
{
    Listener listener;
    HANDLE entered = CreateEventA(NULL, TRUE, FALSE, NULL);
    BOOL result = TRUE;
    bool threw = false;
    std::thread acceptor([&] {
        CTcpSocket connected;
        CSocketAddress peer;
        SetEvent(entered);
        try {
            result = listener.socket.Accept(connected, peer);
        } catch (CTcpSocketException* e) {
            threw = true;
            ADD_FAILURE() << MessageOf(e);
            e->Delete();
        }
    });
    WaitForSingleObject(entered, INFINITE);
    Sleep(200); // let the thread block in accept; a close before that counts the same
    listener.socket.Close();
    acceptor.join();
    CloseHandle(entered);
    EXPECT_FALSE(threw);
    EXPECT_FALSE(result);
}

TEST(TcpSocket, ConnectRefusedCarriesCode)
{
    USHORT port;
    {
        Listener unused;
        port = unused.port;
    }
    CTcpSocket socket;
    socket.Create();
    try {
        socket.Connect(CSocketAddress(INADDR_LOOPBACK, port));
        FAIL() << "connected to a closed port";
    } catch (CTcpSocketException* e) {
        EXPECT_STREQ("Connect", e->Label());
        EXPECT_EQ(WSAECONNREFUSED, e->Code());
        EXPECT_EQ("Connect error #10061", MessageOf(e));
        EXPECT_EQ("Connect e", MessageOf(e, 10));
        e->Delete();
    }
    EXPECT_EQ(0, socket.Cleanup());
}

TEST(TcpSocket, CleanupWithoutHandleDoesNothing)
{
    CTcpSocket socket;
    EXPECT_EQ(0, socket.Cleanup());
    EXPECT_EQ(INVALID_SOCKET, socket.Handle());
}

TEST(TcpSocket, OwnsItsHandleClosesItWhenDestroyedAndHandsItOnWhenMoved)
{
    Listener listener;
    CTcpSocket server;
    {
        CTcpSocket client;
        client.Create();
        client.Connect(CSocketAddress(INADDR_LOOPBACK, listener.port));
        CSocketAddress peer;
        ASSERT_TRUE(listener.socket.Accept(server, peer));
        CTcpSocket moved(std::move(client));
        EXPECT_EQ(INVALID_SOCKET, client.Handle());
        CTcpSocket assigned;
        assigned = std::move(moved);
        EXPECT_EQ(INVALID_SOCKET, moved.Handle());
        assigned.Write("x", 1, 10);
    } // the one owner closes the connection here
    char buffer[4];
    EXPECT_EQ(1, server.Receive(buffer, sizeof buffer, 10));
    EXPECT_EQ(0, server.Receive(buffer, sizeof buffer, 10)) << "the peer closed";
}

TEST(TcpSocket, ConnectWithATimeOutGivesUpRefusesAndConnects)
{
    // A peer that never answers: the socket's own time-out ends the attempt.
    HeldPort held;
    ASSERT_TRUE(held.held);
    CTcpSocket socket;
    socket.Create();
    try {
        socket.Connect(CSocketAddress(INADDR_LOOPBACK, held.port), 1);
        ADD_FAILURE() << "connected to a port that never answers";
    } catch (CTcpSocketException* e) {
        EXPECT_STREQ("Connect timeout", e->Label());
        EXPECT_EQ("Connect timeout error", MessageOf(e));
        e->Delete();
    }

    // A port nobody listens on refuses, with the system's code.
    USHORT closed;
    {
        Listener unused;
        closed = unused.port;
    }
    socket.Create();
    try {
        socket.Connect(CSocketAddress(INADDR_LOOPBACK, closed), 10);
        ADD_FAILURE() << "connected to a closed port";
    } catch (CTcpSocketException* e) {
        EXPECT_STREQ("Connect", e->Label());
        EXPECT_EQ(WSAECONNREFUSED, e->Code());
        e->Delete();
    }

    // A listener: connected, and the socket blocks again for its writes.
    Listener listener;
    socket.Create();
    socket.Connect(CSocketAddress(INADDR_LOOPBACK, listener.port), 10);
    CTcpSocket server;
    CSocketAddress peer;
    ASSERT_TRUE(listener.socket.Accept(server, peer));
    const std::string text(200000, 'h');
    std::thread reader([&] {
        std::string received;
        char buffer[4096];
        int got;
        while ((got = server.Receive(buffer, sizeof buffer, 30)) > 0)
            received.append(buffer, got);
        EXPECT_EQ(text.size(), received.size());
    });
    EXPECT_EQ((int)text.size(), socket.Write(text.data(), (int)text.size(), 30));
    socket.Close();
    reader.join();
}

TEST(TcpSocket, GetHostByNameOfDottedTextNeedsNoLookUp)
{
    CSocketAddress address = CTcpSocket::GetHostByName("10.0.0.7", 65002);
    EXPECT_STREQ("10.0.0.7", address.DottedDecimal());
    EXPECT_EQ(65002, address.Port());
    EXPECT_EQ(AF_INET, address.sin_family);
}

TEST(TcpSocket, GetHostByNameOfOwnHostGivesAnIPv4Address)
{
    char name[1025] = {};
    ASSERT_EQ(0, gethostname(name, 1024));
    CSocketAddress address = CTcpSocket::GetHostByName(name, 65000);
    EXPECT_NE(0u, address.sin_addr.s_addr);
}

TEST(TcpSocket, ClassesCarryRunTimeNamesAndExceptionIsAFrameworkException)
{
    CTcpSocket socket;
    EXPECT_STREQ("CTcpSocket", socket.GetRuntimeClass()->m_lpszClassName);
    CException* e = new CTcpSocketException("Connect", 10061);
    EXPECT_STREQ("CTcpSocketException", e->GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
    char text[64];
    e->GetErrorMessage(text, sizeof(text));
    EXPECT_STREQ("Connect error #10061", text);
    char ten[10];
    e->GetErrorMessage(ten, sizeof(ten));
    EXPECT_STREQ("Connect e", ten);
    e->Delete();
}

} // namespace
