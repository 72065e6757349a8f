#include "server/services/CommandListener.h"
#include "server/services/CommandProtocol.h"
#include <string.h>
#include <vector>

CCommandListener g_CommandListener;

CCommandListener::CCommandListener()
    : m_closed(false), m_listening(CreateEventA(NULL, TRUE, FALSE, NULL)), m_boundPort(0)
{
    InitializeCriticalSection(&m_lock);
}

CCommandListener::~CCommandListener()
{
    DeleteCriticalSection(&m_lock);
    CloseHandle(m_listening);
}

int ReceiveRequest(CTcpSocket& connection, char* buffer)
{
    const int size = CommandProtocol::MaxRequestBytes;
    memset(buffer, 0, size + 1);
    int total = 0;
    while (total < size) {
        int got = connection.Receive(buffer + total, size - total, 60);
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

int CCommandListener::Run(USHORT port, ICommandTarget& target)
{
    HRESULT com = CoInitialize(NULL);
    int result = 0;
    std::vector<char> buffer(CommandProtocol::MaxRequestBytes + 1);
    try {
        char host[1025] = {};
        if (gethostname(host, 1024) != 0)
            throw new CTcpSocketException("GetHostByName");
        CSocketAddress address = CTcpSocket::GetHostByName(host, port);
        EnterCriticalSection(&m_lock);
        bool closed = m_closed;
        if (!closed) {
            try {
                m_socket.Create();
                m_socket.Bind(address);
                m_socket.Listen();
            } catch (CTcpSocketException*) {
                m_socket.Cleanup();
                LeaveCriticalSection(&m_lock);
                throw;
            }
            sockaddr_in bound = {};
            int length = sizeof(bound);
            getsockname(m_socket.Handle(), reinterpret_cast<sockaddr*>(&bound), &length);
            m_boundPort = ntohs(bound.sin_port);
        }
        LeaveCriticalSection(&m_lock);
        if (!closed) {
            SetEvent(m_listening);
            CTcpSocket connection;
            CSocketAddress peer;
            while (m_socket.Accept(connection, peer)) {
                try {
                    int length = ReceiveRequest(connection, buffer.data());
                    if (length > 0)
                        ParseCommandFrames(buffer.data(), length, peer.DottedDecimal(), target);
                } catch (CTcpSocketException* e) {
                    e->Delete(); // a silent or broken client: drop it, serve the next
                }
                connection.Cleanup();
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

void CCommandListener::Close()
{
    EnterCriticalSection(&m_lock);
    m_closed = true;
    m_socket.Cleanup();
    LeaveCriticalSection(&m_lock);
}
