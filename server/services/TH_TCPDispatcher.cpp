#include "server/services/TH_TCPDispatcher.h"
#include "common/TcpSocket.h"
#include "server/services/CommandProtocol.h"
#include "server/services/PendingRequests.h"
#include "server/services/ServiceBus.h"
#include "server/services/ServiceMessages.h"
#include <objbase.h>

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

IMPLEMENT_DYNCREATE(CTH_TCPDispatcher, CWinThread)

BEGIN_MESSAGE_MAP(CTH_TCPDispatcher, CWinThread)
    ON_THREAD_MESSAGE(WM_TCP_REG2, OnReg2)
    ON_THREAD_MESSAGE(WM_TCP_STATUS_REPLY, OnStatusReply)
    ON_THREAD_MESSAGE(WM_TCP_READ_REPLY, OnReadReply)
    ON_THREAD_MESSAGE(WM_TCP_WRITE_REPLY, OnWriteReply)
    ON_THREAD_MESSAGE(WM_THREAD_STOP, OnStop)
    ON_THREAD_MESSAGE(WM_TCP_ERROR_REPLY, OnErrorReply)
END_MESSAGE_MAP()

// The lock of the pending-request maps (PendingLock) exists from static
// construction on, so the listener may insert before this thread has run.
CTH_TCPDispatcher::CTH_TCPDispatcher() : m_hrCom(E_FAIL) {}

CTH_TCPDispatcher::~CTH_TCPDispatcher() {}

BOOL CTH_TCPDispatcher::InitInstance()
{
    m_hrCom = CoInitialize(NULL);
    return TRUE;
}

int CTH_TCPDispatcher::ExitInstance()
{
    ClearPendingRequests(); // nothing is sent for requests still waiting
    if (SUCCEEDED(m_hrCom))
        CoUninitialize();
    return CWinThread::ExitInstance();
}

void CTH_TCPDispatcher::OnStatusReply(WPARAM, LPARAM lParam)
{
    const int id = (int)lParam;
    PendingLock lock;
    // The texts of the reply that caused this message, whether anybody waits
    // for them or not, so that no snapshot is left for a later reply.
    StatusSnapshot status;
    bool haveSnapshot = TakeStatusSnapshot(id, status);
    std::string requester;
    if (!TakeFirstMatching(g_PendingStatus, CommandProtocol::AwaitedValue(id, 0), requester))
        return;
    if (!haveSnapshot && g_pServiceBus)
        status = g_pServiceBus->CurrentStatus(id);
    SendAnswerLine(requester, CommandProtocol::StatusLine(status.dateTime, status.head, status.firmware));
}

namespace {

unsigned TakeWord(int id, int location)
{
    return g_pServiceBus ? (g_pServiceBus->TakeEEPROMWord(id, location) & 0xFFFF) : 0xFFFF;
}

} // namespace

void CTH_TCPDispatcher::OnReadReply(WPARAM wParam, LPARAM lParam)
{
    const int id = (int)wParam, location = (int)lParam;
    PendingLock lock;
    // Taken on every answer: a word nobody receives must not answer a later read.
    unsigned word = TakeWord(id, location);
    std::string requester;
    if (TakeFirstMatching(g_PendingRead, CommandProtocol::AwaitedValue(id, location), requester))
        SendAnswerLine(requester, CommandProtocol::ReadLine(id, location, word));
}

void CTH_TCPDispatcher::OnWriteReply(WPARAM wParam, LPARAM lParam)
{
    const int id = (int)wParam, location = (int)lParam;
    PendingLock lock;
    unsigned word = TakeWord(id, location);
    std::string requester;
    if (TakeFirstMatching(g_PendingWrite, CommandProtocol::AwaitedValue(id, location), requester))
        SendAnswerLine(requester, CommandProtocol::WriteLine(id, location, word));
}

void CTH_TCPDispatcher::OnErrorReply(WPARAM wParam, LPARAM lParam)
{
    const int port = (int)wParam, id = (int)lParam;
    PendingLock lock;
    // The requester of the failing frame, not whichever client waits for a
    // status of the same id.
    PendingError error;
    if (TakePendingError(port, id, error))
        SendAnswerLine(error.requester, CommandProtocol::ErrorLine(port, id));
}

void CTH_TCPDispatcher::OnReg2(WPARAM, LPARAM lParam)
{
    PendingLock lock;
    if (g_PendingReg2.empty() || !g_pServiceBus)
        return;
    CommandProtocol::Reg2Fields fields;
    if (!g_pServiceBus->ReadReg2Fields((int)lParam, fields))
        return;
    std::string frame = CommandProtocol::Reg2Frame(fields);
    // Served subscribers stay; one that cannot be reached is dropped.
    for (auto it = g_PendingReg2.begin(); it != g_PendingReg2.end();) {
        if (SendAnswerLine(it->first, frame))
            ++it;
        else
            it = g_PendingReg2.erase(it);
    }
}

void CTH_TCPDispatcher::OnStop(WPARAM, LPARAM)
{
    PendingLock lock;
    PostThreadMessage(WM_QUIT, 0, 0);
}
