#include "server/services/CommandListener.h"
#include "server/services/CommandProtocol.h"
#include <string.h>
#include <vector>

CCommandListener::CCommandListener()
    : m_bClosed(false), m_hListening(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_nBoundPort(0)
{
}

int ReceiveRequest(CTcpSocket& connection, char* buffer, int boundSeconds)
{
    const int size = CommandProtocol::MaxRequestBytes;
    memset(buffer, 0, size + 1);
    // The bound holds for the whole request, not for each receive: a client
    // that sends a byte now and then would otherwise keep every other
    // client waiting for as long as it likes.
    const DWORD start = GetTickCount();
    const DWORD bound = (DWORD)boundSeconds * 1000;
    int total = 0;
    while (total < size) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= bound)
            throw new CTcpSocketException("Receive timeout", 0);
        const int left = (int)((bound - elapsed + 999) / 1000);
        int got = connection.Receive(buffer + total, size - total, left);
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

int CCommandListener::Run(USHORT port, ICommandTarget& target)
{
    HRESULT com = CoInitialize(nullptr);
    int result = 0;
    std::vector<char> buffer(CommandProtocol::MaxRequestBytes + 1);
    try {
        char host[1025] = {};
        if (gethostname(host, 1024) != 0)
            throw new CTcpSocketException("GetHostByName");
        CSocketAddress address = CTcpSocket::GetHostByName(host, port);
        bool closed;
        {
            // A Close that came first leaves nothing to set up; one that
            // comes later finds the socket listening and ends the accept.
            CSingleLock lock(&m_lock, TRUE);
            closed = m_bClosed;
            if (!closed) {
                m_socket.Create();
                m_socket.Bind(address);
                // Clients wait here while one is served: on loopback a
                // short queue loses those beyond it after their connect
                // and write have succeeded, so none of them hears why.
                m_socket.Listen(SOMAXCONN);
                sockaddr_in bound = {};
                int length = sizeof(bound);
                getsockname(m_socket.Handle(), reinterpret_cast<sockaddr*>(&bound), &length);
                m_nBoundPort = ntohs(bound.sin_port);
            }
        }
        if (!closed) {
            SetEvent(m_hListening);
            for (;;) {
                CTcpSocket connection; // closed when this client is done
                CSocketAddress peer;
                if (!AcceptNext(connection, peer))
                    break;
                try {
                    int length = ReceiveRequest(connection, buffer.data());
                    if (length > 0)
                        ParseCommandFrames(buffer.data(), length, peer.DottedDecimal(), target);
                } catch (CTcpSocketException* e) {
                    e->Delete(); // a silent or broken client: drop it, serve the next
                }
            }
        }
    } catch (CTcpSocketException* e) {
        // Without the listener the rest of the server goes on working.
        e->Delete();
        result = 1;
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return result;
}

bool CCommandListener::AcceptNext(CTcpSocket& connection, CSocketAddress& peer)
{
    for (;;) {
        try {
            return m_socket.Accept(connection, peer) != FALSE;
        } catch (CTcpSocketException* e) {
            // One client's failure (it reset before it was taken, or the
            // process is short of sockets for a moment) must not end the
            // listening for everybody else; a pause keeps a lasting error
            // from spinning.
            e->Delete();
        }
        {
            CSingleLock lock(&m_lock, TRUE);
            if (m_bClosed)
                return false;
        }
        Sleep(AcceptRetryPauseMs);
    }
}

void CCommandListener::Close()
{
    CSingleLock lock(&m_lock, TRUE);
    m_bClosed = true;
    // From another thread: ends the accept that Run is blocked in.
    m_socket.Cleanup();
}
