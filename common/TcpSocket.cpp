#include "common/TcpSocket.h"
#include <stdio.h>
#include <string.h>

CSocketAddress::CSocketAddress()
{
    memset(static_cast<sockaddr_in*>(this), 0, sizeof(sockaddr_in));
    sin_family = AF_INET;
}

CSocketAddress::CSocketAddress(ULONG addressHostOrder, USHORT portHostOrder)
    : CSocketAddress()
{
    sin_addr.s_addr = htonl(addressHostOrder);
    sin_port = htons(portHostOrder);
}

const char* CSocketAddress::DottedDecimal() const
{
    return inet_ntoa(sin_addr);
}

CTcpSocketException::CTcpSocketException(const char* label)
    : CTcpSocketException(label, WSAGetLastError())
{
}

CTcpSocketException::CTcpSocketException(const char* label, int code) : m_strOperation(label), m_nError(code) {}

IMPLEMENT_DYNAMIC(CTcpSocketException, CException)
IMPLEMENT_DYNAMIC(CTcpSocket, CObject)

BOOL CTcpSocketException::GetErrorMessage(LPSTR text, UINT size, PUINT) const
{
    if (text == nullptr || size == 0)
        return TRUE;
    char scratch[200];
    if (m_nError != 0)
        snprintf(scratch, sizeof(scratch), "%s error #%d", (LPCSTR)m_strOperation, m_nError);
    else
        snprintf(scratch, sizeof(scratch), "%s error", (LPCSTR)m_strOperation);
    lstrcpynA(text, scratch, (int)size);
    return TRUE;
}

CTcpSocket& CTcpSocket::operator=(CTcpSocket&& other)
{
    if (this != &other) {
        Cleanup();
        m_hSocket = other.m_hSocket;
        other.m_hSocket = INVALID_SOCKET;
    }
    return *this;
}

void CTcpSocket::Create(int type)
{
    SOCKET s = socket(AF_INET, type, 0);
    if (s == INVALID_SOCKET)
        throw new CTcpSocketException("Create");
    Cleanup();
    m_hSocket = s;
}

void CTcpSocket::Bind(const CSocketAddress& address)
{
    if (bind(m_hSocket, reinterpret_cast<const sockaddr*>(&address), sizeof(sockaddr_in)) == SOCKET_ERROR)
        throw new CTcpSocketException("Bind");
}

void CTcpSocket::Listen(int backlog)
{
    if (listen(m_hSocket, backlog) == SOCKET_ERROR)
        throw new CTcpSocketException("Listen");
}

BOOL CTcpSocket::Accept(CTcpSocket& connected, CSocketAddress& peer)
{
    int length = sizeof(sockaddr_in);
    SOCKET s = accept(m_hSocket, reinterpret_cast<sockaddr*>(&peer), &length);
    if (s == INVALID_SOCKET) {
        int code = WSAGetLastError();
        // Windows reports the close of the listening socket as WSAEINTR, Wine
        // as an aborted operation; a handle closed before the call started
        // gives WSAENOTSOCK. All of them mean: stop listening.
        if (code == WSAEINTR || code == WSA_OPERATION_ABORTED || code == WSAENOTSOCK)
            return FALSE;
        throw new CTcpSocketException("Accept", code);
    }
    connected.Cleanup();
    connected.m_hSocket = s;
    return TRUE;
}

void CTcpSocket::Close()
{
    if (closesocket(m_hSocket) == SOCKET_ERROR)
        throw new CTcpSocketException("Close");
    m_hSocket = INVALID_SOCKET;
}

void CTcpSocket::Connect(const CSocketAddress& address)
{
    if (connect(m_hSocket, reinterpret_cast<const sockaddr*>(&address), sizeof(sockaddr_in)) == SOCKET_ERROR)
        throw new CTcpSocketException("Connect");
}

void CTcpSocket::Connect(const CSocketAddress& address, int timeoutSeconds)
{
    u_long nonBlocking = 1;
    if (ioctlsocket(m_hSocket, FIONBIO, &nonBlocking) == SOCKET_ERROR)
        throw new CTcpSocketException("Connect");
    if (connect(m_hSocket, reinterpret_cast<const sockaddr*>(&address), sizeof(sockaddr_in)) == SOCKET_ERROR) {
        const int code = WSAGetLastError();
        if (code != WSAEWOULDBLOCK)
            throw new CTcpSocketException("Connect", code);
        // Writable once connected; a failed attempt shows in the except set
        // on Windows and as writable with an error pending elsewhere.
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(m_hSocket, &writable);
        FD_SET(m_hSocket, &failed);
        timeval timeout = { timeoutSeconds, 0 };
        const int ready = select(0, nullptr, &writable, &failed, &timeout);
        if (ready == 0)
            throw new CTcpSocketException("Connect timeout", 0);
        if (ready == SOCKET_ERROR)
            throw new CTcpSocketException("Connect");
        int error = 0;
        int length = sizeof(error);
        if (getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == SOCKET_ERROR)
            throw new CTcpSocketException("Connect");
        if (error != 0 || FD_ISSET(m_hSocket, &failed))
            throw new CTcpSocketException("Connect", error != 0 ? error : WSAECONNREFUSED);
    }
    u_long blocking = 0;
    if (ioctlsocket(m_hSocket, FIONBIO, &blocking) == SOCKET_ERROR)
        throw new CTcpSocketException("Connect");
}

int CTcpSocket::Send(const char* data, int length, int timeoutSeconds)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(m_hSocket, &set);
    timeval timeout = { timeoutSeconds, 0 };
    if (select(0, nullptr, &set, nullptr, &timeout) == 0)
        throw new CTcpSocketException("Send timeout");
    int sent = send(m_hSocket, data, length, 0);
    if (sent == SOCKET_ERROR)
        throw new CTcpSocketException("Send");
    return sent;
}

int CTcpSocket::Receive(char* buffer, int size, int timeoutSeconds)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(m_hSocket, &set);
    timeval timeout = { timeoutSeconds, 0 };
    if (select(0, &set, nullptr, nullptr, &timeout) == 0)
        throw new CTcpSocketException("Receive timeout");
    int received = recv(m_hSocket, buffer, size, 0);
    if (received == SOCKET_ERROR)
        throw new CTcpSocketException("Receive");
    return received;
}

int CTcpSocket::Write(const char* data, int length, int timeoutSeconds)
{
    int done = 0;
    while (done < length)
        done += Send(data + done, length - done, timeoutSeconds);
    return length;
}

int CTcpSocket::Cleanup()
{
    if (m_hSocket == INVALID_SOCKET)
        return 0;
    int result = closesocket(m_hSocket);
    m_hSocket = INVALID_SOCKET;
    return result;
}

CSocketAddress CTcpSocket::GetHostByName(const char* host, USHORT port)
{
    CSocketAddress address;
    address.sin_port = htons(port);
    // A dotted text needs no name look-up.
    unsigned long dotted = inet_addr(host);
    if (dotted != INADDR_NONE || strcmp(host, "255.255.255.255") == 0) {
        address.sin_addr.s_addr = dotted;
        return address;
    }
    hostent* entry = gethostbyname(host);
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list[0] == nullptr)
        throw new CTcpSocketException("GetHostByName");
    memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof(address.sin_addr));
    return address;
}
