// The tool's two ends on the network: one command frame sent to the server's
// port on this machine, and the listener the server's answers connect to.
// All socket work of the tool is here.
#pragma once
#include <winsock2.h>
#include "framework/framework.h"
#include "common/TcpSocket.h"
#include <functional>

namespace ServerLink {
// This machine's host name and its first IPv4 address, with the port; false
// when the name or the address cannot be had.
bool OwnHostAddress(USHORT port, CSocketAddress& address);
// Sends the frame on a connection of its own and closes it; false when the
// server cannot be reached or the send fails or times out.
bool SendFrame(const CString& frame);
}  // namespace ServerLink

// The listening socket of the reply port. One thread accepts and reads, and
// asks `stopRequested` between short waits: once it says so, the waits end
// within a fraction of a second and the listener closes its sockets itself.
class CReplyListener {
public:
    enum Result { Answer, NoAnswer, Stopped };

    explicit CReplyListener(std::function<bool()> stopRequested) : m_stopRequested(std::move(stopRequested)) {}
    CReplyListener(const CReplyListener&) = delete;
    CReplyListener& operator=(const CReplyListener&) = delete;

    // Binds to this machine's address and the port and listens.
    bool Open(USHORT port);
    // Waits for the next connection and reads it until the peer closes it or
    // the buffer is full (the text then holds the first bytes only). NoAnswer:
    // nothing arrived, a receive failed or timed out; the connection is closed
    // in every case. Stopped: asked to stop, or the listening socket failed.
    Result ReceiveNext(CString& text);

private:
    // Once asked, stopped for good.
    bool StopRequested();
    // Waits until the socket can be read; false on stop, failure or time-out.
    bool WaitReadable(SOCKET socket, DWORD timeoutMs);
    std::function<bool()> m_stopRequested;
    CTcpSocket m_listening;
    bool m_bOpen = false;
    bool m_bStopped = false;
};
