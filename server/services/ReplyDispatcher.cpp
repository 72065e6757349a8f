#include "server/services/ReplyDispatcher.h"
#include "common/TcpSocket.h"
#include <vector>

bool SendAnswerLine(const std::string& requester, const std::string& line)
{
    std::string host;
    int port = 0;
    if (!CommandProtocol::SplitRequester(requester, host, port))
        return false;
    CTcpSocket socket;
    try {
        CSocketAddress address = CTcpSocket::GetHostByName(host.c_str(), (USHORT)port);
        socket.Create();
        socket.Connect(address);
        socket.Write(line.data(), (int)line.size(), 10);
        socket.Close();
        return true;
    } catch (CTcpSocketException* e) {
        char text[1024];
        e->GetErrorMessage(text, sizeof(text));
        e->Delete();
        socket.Cleanup();
        return false;
    }
}

void CReplyDispatcherCore::OnStatusReply(int, int id)
{
    PendingLock lock;
    // The texts of the reply that caused this message, whether anybody waits
    // for them or not, so that no snapshot is left for a later reply.
    StatusSnapshot status;
    bool haveSnapshot = TakeStatusSnapshot(id, status);
    std::string requester;
    if (!TakeFirstMatching(g_PendingStatus, CommandProtocol::AwaitedValue(id, 0), requester))
        return;
    if (!haveSnapshot)
        status = m_source.CurrentStatus(id);
    SendAnswerLine(requester, CommandProtocol::StatusLine(status.dateTime, status.head, status.firmware));
}

void CReplyDispatcherCore::OnReadReply(int id, int location)
{
    PendingLock lock;
    // Taken on every answer: a word nobody receives must not answer a later read.
    unsigned word = m_source.TakeEEPROMWord(id, location);
    std::string requester;
    if (TakeFirstMatching(g_PendingRead, CommandProtocol::AwaitedValue(id, location), requester))
        SendAnswerLine(requester, CommandProtocol::ReadLine(id, location, word));
}

void CReplyDispatcherCore::OnWriteReply(int id, int location)
{
    PendingLock lock;
    unsigned word = m_source.TakeEEPROMWord(id, location);
    std::string requester;
    if (TakeFirstMatching(g_PendingWrite, CommandProtocol::AwaitedValue(id, location), requester))
        SendAnswerLine(requester, CommandProtocol::WriteLine(id, location, word));
}

void CReplyDispatcherCore::OnErrorReply(int port, int id)
{
    PendingLock lock;
    PendingError error;
    if (TakePendingError(port, id, error))
        SendAnswerLine(error.requester, CommandProtocol::ErrorLine(port, id));
}

void CReplyDispatcherCore::OnReg2(int, int slot)
{
    PendingLock lock;
    if (g_PendingReg2.empty())
        return;
    CommandProtocol::Reg2Fields fields;
    if (!m_source.Registration(slot, fields))
        return;
    std::string frame = CommandProtocol::Reg2Frame(fields);
    for (auto it = g_PendingReg2.begin(); it != g_PendingReg2.end();) {
        if (SendAnswerLine(it->first, frame))
            ++it;
        else
            it = g_PendingReg2.erase(it);
    }
}
