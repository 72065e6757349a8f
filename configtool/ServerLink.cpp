#include "configtool/ServerLink.h"
#include "configtool/ServerProtocol.h"
#include <vector>

namespace {
// How often a waiting listener looks whether it is asked to stop.
const DWORD StopCheckMs = 100;

void Forget(CTcpSocketException* e) { e->Delete(); }
}  // namespace

bool ServerLink::OwnHostAddress(USHORT port, CSocketAddress& address) {
    char host[1024] = "";
    if (gethostname(host, sizeof host) != 0) return false;
    try {
        address = CTcpSocket::GetHostByName(host, port);
        return true;
    } catch (CTcpSocketException* e) {
        Forget(e);
        return false;
    }
}

bool ServerLink::SendFrame(const CString& frame) {
    CSocketAddress server;
    if (!OwnHostAddress(ServerProtocol::CommandPort, server)) return false;
    CTcpSocket socket;
    bool sent = false;
    try {
        socket.Create();
        socket.Connect(server);
        socket.Write(frame, frame.GetLength(), ServerProtocol::SendTimeoutSeconds);
        sent = true;
    } catch (CTcpSocketException* e) {
        Forget(e);
    }
    return sent;
}

bool CReplyListener::Open(USHORT port) {
    CSocketAddress address;
    if (!ServerLink::OwnHostAddress(port, address)) return false;
    try {
        m_listening.Create();
        m_listening.Bind(address);
        m_listening.Listen();
        m_bOpen = true;
    } catch (CTcpSocketException* e) {
        Forget(e);
        m_listening.Cleanup();
    }
    return m_bOpen;
}

bool CReplyListener::StopRequested() {
    if (!m_bStopped) m_bStopped = m_stopRequested();
    return m_bStopped;
}

bool CReplyListener::WaitReadable(SOCKET socket, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!StopRequested()) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket, &set);
        timeval slice = {0, (long)StopCheckMs * 1000};
        int ready = select(0, &set, nullptr, nullptr, &slice);
        if (ready > 0) return true;
        if (ready < 0) return false;
        if (timeoutMs != INFINITE && ::GetTickCount() - start >= timeoutMs) return false;
    }
    return false;
}

CReplyListener::Result CReplyListener::ReceiveNext(CString& text) {
    // A listening socket that cannot be waited on ends the listener.
    if (!m_bOpen || !WaitReadable(m_listening.Handle(), INFINITE)) return Stopped;
    CTcpSocket connection;
    CSocketAddress peer;
    try {
        if (!m_listening.Accept(connection, peer)) return Stopped;
    } catch (CTcpSocketException* e) {
        Forget(e);
        return NoAnswer;
    }
    // One byte stays free for the terminator.
    std::vector<char> buffer(ServerProtocol::ReplyBufferSize, 0);
    int used = 0, room = ServerProtocol::ReplyBufferSize - 1;
    bool complete = false;
    try {
        while (used < room) {
            if (!WaitReadable(connection.Handle(), ServerProtocol::ReceiveTimeoutSeconds * 1000)) break;
            int received = connection.Receive(buffer.data() + used, room - used, ServerProtocol::ReceiveTimeoutSeconds);
            if (received == 0) {
                complete = true;
                break;
            }
            used += received;
        }
        if (used == room) complete = true;
    } catch (CTcpSocketException* e) {
        Forget(e);
        complete = false;
    }
    if (!complete || used == 0) return m_bStopped ? Stopped : NoAnswer;
    text = buffer.data();
    return Answer;
}
