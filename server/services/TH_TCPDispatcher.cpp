#include "common/TcpSocket.h" // first: winsock2.h before windows.h
#include "server/services/TH_TCPDispatcher.h"
#include "server/services/CommandProtocol.h"
#include "server/services/PendingRequests.h"
#include "server/services/ServiceBus.h"
#include "server/services/ServiceMessages.h"
#include <vector>

bool SendAnswerLine(const std::string& requester, const std::string& line)
{
    std::string host;
    int port = 0;
    if (!CommandProtocol::SplitRequester(requester, host, port))
        return false;
    try {
        CSocketAddress address = CTcpSocket::GetHostByName(host.c_str(), (USHORT)port);
        CTcpSocket socket;
        socket.Create();
        socket.Connect(address, AnswerTimeoutSeconds);
        socket.Write(line.data(), (int)line.size(), AnswerTimeoutSeconds);
        socket.Close();
        return true;
    } catch (CTcpSocketException* e) {
        e->Delete(); // the requester loses its answer; nothing is retried
        return false;
    }
}

IMPLEMENT_DYNCREATE(CTH_TCPDispatcher, CWorkerThread)

BEGIN_MESSAGE_MAP(CTH_TCPDispatcher, CWorkerThread)
    ON_THREAD_MESSAGE(WM_TCP_REG2, OnReg2)
    ON_THREAD_MESSAGE(WM_TCP_STATUS_REPLY, OnStatusReply)
    ON_THREAD_MESSAGE(WM_TCP_READ_REPLY, OnReadReply)
    ON_THREAD_MESSAGE(WM_TCP_WRITE_REPLY, OnWriteReply)
    ON_THREAD_MESSAGE(WM_THREAD_STOP, OnStop)
    ON_THREAD_MESSAGE(WM_TCP_ERROR_REPLY, OnErrorReply)
    ON_THREAD_MESSAGE(WM_TCP_FAILED_REPLY, OnFailedReply)
END_MESSAGE_MAP()

// The record of waiting requesters exists from static construction on, so
// the listener may insert before this thread has run.
CTH_TCPDispatcher::CTH_TCPDispatcher() : m_pBus(nullptr), m_answers(SendAnswerLine) {}

CTH_TCPDispatcher::~CTH_TCPDispatcher() {}

int CTH_TCPDispatcher::ExitInstance()
{
    PendingRequests().Clear(); // nothing is sent for requests still waiting
    m_answers.Stop();
    return CWorkerThread::ExitInstance();
}

void CTH_TCPDispatcher::OnStatusReply(WPARAM, LPARAM lParam)
{
    const int id = (int)lParam;
    StatusSnapshot status;
    bool haveSnapshot;
    std::string requester;
    if (!PendingRequests().TakeStatusAnswer(id, requester, status, haveSnapshot))
        return;
    if (!haveSnapshot && m_pBus)
        status = m_pBus->CurrentStatus(id);
    m_answers.Send(requester, CommandProtocol::StatusLine(status.dateTime, status.head, status.firmware));
}

namespace {

unsigned TakeWord(IServiceBus* bus, int id, int location)
{
    return bus ? (bus->TakeEEPROMWord(id, location) & 0xFFFF) : 0xFFFF;
}

// The first requester of `kind` awaiting `awaited`, taken off the record.
bool TakeRequester(PendingKind kind, const std::string& awaited, std::string& requester)
{
    return PendingRequests().TakeFirstMatching(kind, awaited, requester);
}

} // namespace

void CTH_TCPDispatcher::OnReadReply(WPARAM wParam, LPARAM lParam)
{
    const int id = (int)wParam, location = (int)lParam;
    // Taken on every answer: a word nobody receives must not answer a later read.
    unsigned word = TakeWord(m_pBus, id, location);
    std::string requester;
    if (TakeRequester(PendingKind::Read, CommandProtocol::AwaitedValue(id, location), requester))
        m_answers.Send(requester, CommandProtocol::ReadLine(id, location, word));
}

void CTH_TCPDispatcher::OnWriteReply(WPARAM wParam, LPARAM lParam)
{
    const int id = (int)wParam, location = (int)lParam;
    unsigned word = TakeWord(m_pBus, id, location);
    std::string requester;
    if (TakeRequester(PendingKind::Write, CommandProtocol::AwaitedValue(id, location), requester))
        m_answers.Send(requester, CommandProtocol::WriteLine(id, location, word));
}

void CTH_TCPDispatcher::OnErrorReply(WPARAM wParam, LPARAM lParam)
{
    const int port = (int)wParam, id = (int)lParam;
    // The requester of the failing frame, not whichever client waits for a
    // status of the same id.
    PendingError error;
    if (PendingRequests().TakeError(port, id, error))
        m_answers.Send(error.requester, CommandProtocol::ErrorLine(port, id));
}

void CTH_TCPDispatcher::OnFailedReply(WPARAM wParam, LPARAM lParam)
{
    // The entry the answer would have taken gets "ERR" instead, so that it
    // neither waits for ever nor takes an answer meant for a later request.
    const int port = (int)wParam;
    const FailedCommand failed = UnpackFailedCommand(lParam);
    PendingKind kind;
    if (failed.code == "ST")
        kind = PendingKind::Status;
    else if (failed.code == "RE")
        kind = PendingKind::Read;
    else if (failed.code == "WE")
        kind = PendingKind::Write;
    else
        return;
    const int second = failed.code == "ST" ? 0 : failed.location;
    std::string requester;
    if (TakeRequester(kind, CommandProtocol::AwaitedValue(failed.deviceId, second), requester))
        m_answers.Send(requester, CommandProtocol::ErrorLine(port, failed.deviceId));
}

void CTH_TCPDispatcher::OnReg2(WPARAM, LPARAM lParam)
{
    std::vector<std::string> subscribers = PendingRequests().Subscribers();
    if (subscribers.empty() || !m_pBus)
        return;
    CommandProtocol::Reg2Fields fields;
    if (!m_pBus->ReadReg2Fields((int)lParam, fields))
        return;
    std::string frame = CommandProtocol::Reg2Frame(fields);
    // Served subscribers stay; one that cannot be reached is dropped.
    for (const std::string& subscriber : subscribers)
        m_answers.Send(subscriber, frame, [subscriber] { PendingRequests().RemoveSubscriber(subscriber); });
}

void CTH_TCPDispatcher::OnStop(WPARAM, LPARAM)
{
    PendingRequests().WhileHeld([this] { PostThreadMessage(WM_QUIT, 0, 0); });
}
