// The answers on the wire: each goes to the right requester on its own
// connection, with exactly the protocol's text.
#include "common/TcpSocket.h"
#include "server/services/ServiceMessages.h"
#include "server/services/TH_TCPDispatcher.h"
#include "fake_bus.h"
#include "held_port.h"
#include "loopback_listen.h"
#include "winsock_environment.h"
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A client's reply listener on loopback: keeps the content of every connection.
class ReplyListener
{
public:
    ReplyListener()
    {
        m_port = ListenOnLoopback(m_socket);
        m_thread = std::thread([this] { Serve(); });
    }
    ~ReplyListener()
    {
        m_socket.Close();
        m_thread.join();
    }
    std::string Requester() const { return "127.0.0.1:" + std::to_string(m_port); }
    // The lines received once `expected` have come (or after ten seconds).
    std::vector<std::string> Lines(size_t expected)
    {
        for (int i = 0; i < 1000; ++i) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_lines.size() >= expected)
                    return m_lines;
            }
            Sleep(10);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

private:
    void Serve()
    {
        try {
            for (;;) {
                CTcpSocket connection;
                CSocketAddress peer;
                if (!m_socket.Accept(connection, peer))
                    return;
                std::string text;
                char buffer[512];
                int got;
                while ((got = connection.Receive(buffer, sizeof(buffer), 30)) > 0)
                    text.append(buffer, got);
                std::lock_guard<std::mutex> lock(m_mutex);
                m_lines.push_back(text);
            }
        } catch (CTcpSocketException* e) {
            e->Delete();
        }
    }
    CTcpSocket m_socket;
    USHORT m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

std::string DeadRequester()
{
    CTcpSocket s;
    s.Create();
    s.Bind(CSocketAddress(INADDR_LOOPBACK, 0));
    sockaddr_in bound = {};
    int length = sizeof(bound);
    getsockname(s.Handle(), reinterpret_cast<sockaddr*>(&bound), &length);
    s.Close();
    return "127.0.0.1:" + std::to_string(ntohs(bound.sin_port));
}

void Insert(PendingKind kind, const std::string& key, const std::string& value)
{
    PendingRequests().Add(kind, key, value);
}

size_t Waiting(PendingKind kind)
{
    return PendingRequests().Entries(kind).size();
}

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        PendingRequests().Clear();
        core.m_pBus = &source;
    }
    FakeBus source;
    // The handlers, called directly on this thread.
    CTH_TCPDispatcher core;
};

TEST_F(Dispatcher, ErrorGoesToTheFailingRequesterNotAnotherStatusWaiter)
{
    ReplyListener waiter, failing;
    Insert(PendingKind::Status, waiter.Requester(), "99:0"); // waits for controller 99 on another port
    PendingRequests().AddError(failing.Requester(), 1, 99);
    core.OnErrorReply(1, 99);
    core.WaitForAnswers();
    EXPECT_EQ(std::vector<std::string>{ "ERR 1 99 " }, failing.Lines(1));
    EXPECT_TRUE(waiter.Lines(0).empty());
    EXPECT_EQ(1u, Waiting(PendingKind::Status));
}

TEST_F(Dispatcher, StatusAnswerUsesTheSnapshotOfItsReply)
{
    ReplyListener first, second;
    Insert(PendingKind::Status, second.Requester(), "5:0");
    Insert(PendingKind::Status, first.Requester(), "5:0");
    // The view has already dropped the stored status: only the snapshot holds it.
    PendingRequests().PushStatusSnapshot(5, { "2024-03-05 14:07:00", "AB", "101" });
    core.OnStatusReply(1, 5);
    core.WaitForAnswers();
    std::string sortsFirst = first.Requester() < second.Requester() ? "first" : "second";
    ReplyListener& answered = sortsFirst == "first" ? first : second;
    ReplyListener& waiting = sortsFirst == "first" ? second : first;
    EXPECT_EQ(std::vector<std::string>{ "ST 2024-03-05 14:07:00 AB 101" }, answered.Lines(1));
    EXPECT_TRUE(waiting.Lines(0).empty());
    EXPECT_EQ(1u, Waiting(PendingKind::Status));
}

TEST_F(Dispatcher, StatusNobodyWaitsForSendsNothingAndLeavesNoSnapshot)
{
    PendingRequests().PushStatusSnapshot(5, { "old", "AA", "000" });
    core.OnStatusReply(1, 5);
    StatusSnapshot s;
    EXPECT_FALSE(PendingRequests().TakeStatusSnapshot(5, s));
}

TEST_F(Dispatcher, ReadAndWriteAnswersConsumeOneEntryEach)
{
    ReplyListener client;
    Insert(PendingKind::Read, client.Requester(), "5:496");
    Insert(PendingKind::Read, client.Requester(), "5:496");
    Insert(PendingKind::Write, client.Requester(), "5:500");
    source.words[{ 5, 496 }] = 0x1234;
    core.OnReadReply(5, 496);
    core.OnReadReply(5, 496); // no word stored any more
    source.words[{ 5, 500 }] = 77;
    core.OnWriteReply(5, 500);
    EXPECT_EQ((std::vector<std::string>{ "RE 5 496 4660", "RE 5 496 65535", "WE 5 500 77" }), client.Lines(3));
    EXPECT_EQ(0u, Waiting(PendingKind::Read));
    EXPECT_EQ(0u, Waiting(PendingKind::Write));
}

// A command that ended without its answer: the entry its answer would have
// taken hears "ERR" instead, once; other entries wait on.
TEST_F(Dispatcher, AFailedCommandAnswersItsOwnRequesterWithErrOnce)
{
    ReplyListener client, other;
    Insert(PendingKind::Status, client.Requester(), "5:0");
    Insert(PendingKind::Read, client.Requester(), "5:496");
    Insert(PendingKind::Write, client.Requester(), "5:500");
    Insert(PendingKind::Read, other.Requester(), "6:496");
    core.OnFailedReply(2, PackFailedCommand(5, "ST", 0));
    core.OnFailedReply(2, PackFailedCommand(5, "RE", 496));
    core.OnFailedReply(2, PackFailedCommand(5, "WE", 500));
    core.OnFailedReply(2, PackFailedCommand(5, "RE", 496)); // its entry is gone: nothing more
    core.WaitForAnswers();
    EXPECT_EQ((std::vector<std::string>{ "ERR 2 5 ", "ERR 2 5 ", "ERR 2 5 " }), client.Lines(3));
    EXPECT_TRUE(other.Lines(0).empty());
    EXPECT_EQ(0u, Waiting(PendingKind::Status));
    EXPECT_EQ(0u, Waiting(PendingKind::Write));
    ASSERT_EQ(1u, Waiting(PendingKind::Read));
    EXPECT_EQ(other.Requester(), PendingRequests().Entries(PendingKind::Read).begin()->first);
}

TEST_F(Dispatcher, UndeliveredWordIsNotKeptForALaterRead)
{
    ReplyListener client;
    source.words[{ 5, 496 }] = 0x1111;
    core.OnReadReply(5, 496); // nobody waits
    Insert(PendingKind::Read, client.Requester(), "5:496");
    core.OnReadReply(5, 496);
    EXPECT_EQ(std::vector<std::string>{ "RE 5 496 65535" }, client.Lines(1));
}

TEST_F(Dispatcher, UnreachableRequesterLosesItsEntry)
{
    Insert(PendingKind::Status, DeadRequester(), "5:0");
    core.OnStatusReply(1, 5);
    EXPECT_EQ(0u, Waiting(PendingKind::Status));
}

TEST_F(Dispatcher, AnUnreachableRequesterHoldsUpNeitherTheParserNorAnotherClientsAnswer)
{
    HeldPort held; // a switched-off PC: its connect goes unanswered
    ASSERT_TRUE(held.held);
    Insert(PendingKind::Status, "127.0.0.1:" + std::to_string(held.port), "5:0");
    core.OnStatusReply(1, 5);
    // Meanwhile the parser records another client's request, which is
    // answered while the first requester's connect still waits.
    ReplyListener client;
    Insert(PendingKind::Read, client.Requester(), "6:496");
    source.words[{ 6, 496 }] = 7;
    core.OnReadReply(6, 496);
    EXPECT_EQ(std::vector<std::string>{ "RE 6 496 7" }, client.Lines(1));
    EXPECT_EQ(1u, core.AnswersInFlight()) << "the unreachable requester's connect has not given up yet";
    core.WaitForAnswers(); // its own time-out ends it
    EXPECT_EQ(0u, core.AnswersInFlight());
    EXPECT_EQ(0u, Waiting(PendingKind::Status));
}

TEST_F(Dispatcher, RegistrationPushReachesSubscribersAndDropsFailingOnes)
{
    ReplyListener subscriber;
    core.OnReg2(3, 42); // nobody subscribed: nothing happens
    Insert(PendingKind::Reg2, subscriber.Requester(), "");
    Insert(PendingKind::Reg2, DeadRequester(), "");
    core.OnReg2(3, 42);
    core.WaitForAnswers();
    EXPECT_EQ(std::vector<std::string>{ "VeTr 1 0000033 Hlvx 3 REG2 12345678,05.03.24,14:07:00,0A,05." },
              subscriber.Lines(1));
    ASSERT_EQ(1u, Waiting(PendingKind::Reg2));
    EXPECT_EQ(subscriber.Requester(), PendingRequests().Entries(PendingKind::Reg2).begin()->first);
}

TEST_F(Dispatcher, ThreadAnswersPostedRepliesAndEndsOnStop)
{
    ReplyListener client;
    Insert(PendingKind::Read, client.Requester(), "7:12");
    source.words[{ 7, 12 }] = 513;
    CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(CTH_TCPDispatcher), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    ASSERT_TRUE(thread->IsKindOf(RUNTIME_CLASS(CTH_TCPDispatcher)));
    thread->m_bAutoDelete = TRUE;
    static_cast<CTH_TCPDispatcher*>(thread)->m_pBus = &source;
    // The object deletes itself when the thread ends: wait on a handle of our own.
    HANDLE handle = NULL;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &handle, SYNCHRONIZE, FALSE, 0));
    DWORD threadId = thread->m_nThreadID;
    thread->ResumeThread();
    PostThreadMessageA(threadId, WM_TCP_READ_REPLY, 7, 12);
    EXPECT_EQ(std::vector<std::string>{ "RE 7 12 513" }, client.Lines(1));
    Insert(PendingKind::Status, client.Requester(), "8:0"); // still waiting at the stop: dropped
    PostThreadMessageA(threadId, WM_THREAD_STOP, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(handle, 10000));
    CloseHandle(handle);
    EXPECT_EQ(0u, Waiting(PendingKind::Status));
}

} // namespace
