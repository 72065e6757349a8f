// Blocking IPv4 TCP socket with per-call send and receive time-outs.
// Every failing operation throws a CTcpSocketException by pointer; the
// catcher owns it and calls Delete().
#pragma once
#include <winsock2.h>
#include <windows.h>
#include "framework/framework.h"

// An IPv4 socket address: family, port (network order), address, zero padding.
class CSocketAddress : public sockaddr_in
{
public:
    CSocketAddress();
    CSocketAddress(ULONG addressHostOrder, USHORT portHostOrder);
    // Dotted-decimal text of the address.
    const char* DottedDecimal() const;
    USHORT Port() const { return ntohs(sin_port); }
};

class CTcpSocketException : public CException
{
    DECLARE_DYNAMIC(CTcpSocketException)
public:
    // Takes the thread's last Windows Sockets error at construction.
    explicit CTcpSocketException(const char* label);
    CTcpSocketException(const char* label, int code);
    ~CTcpSocketException() override {}
    BOOL GetErrorMessage(LPSTR text, UINT size, PUINT helpContext = nullptr) const override;

    const char* Label() const { return m_strOperation; }
    int Code() const { return m_nError; }

private:
    CString m_strOperation; // "Create", "Bind", ..., "Receive timeout", "GetHostByName"
    int m_nError;           // the Windows Sockets error code, 0 for none
};

// Owns its socket handle (INVALID_SOCKET for none) and closes it when it is
// destroyed; it can be moved, not copied, so every handle has one owner.
class CTcpSocket : public CObject
{
    DECLARE_DYNAMIC(CTcpSocket)
public:
    CTcpSocket() : m_hSocket(INVALID_SOCKET) {}
    CTcpSocket(CTcpSocket&& other) : CObject(), m_hSocket(other.m_hSocket) { other.m_hSocket = INVALID_SOCKET; }
    CTcpSocket& operator=(CTcpSocket&& other);
    CTcpSocket(const CTcpSocket&) = delete;
    CTcpSocket& operator=(const CTcpSocket&) = delete;
    ~CTcpSocket() override { Cleanup(); }

    void Create(int type = SOCK_STREAM);
    void Bind(const CSocketAddress& address);
    void Listen(int backlog = 5);
    // FALSE when the listening socket was closed by another thread. The
    // connection goes into `connected`, which first closes what it held.
    BOOL Accept(CTcpSocket& connected, CSocketAddress& peer);
    void Close();
    void Connect(const CSocketAddress& address);
    // Connects within the time-out instead of the system's own (tens of
    // seconds for a host that does not answer): "Connect timeout" when it
    // passes, "Connect" when the connection is refused or fails.
    void Connect(const CSocketAddress& address, int timeoutSeconds);
    int Send(const char* data, int length, int timeoutSeconds);
    int Receive(char* buffer, int size, int timeoutSeconds);
    int Write(const char* data, int length, int timeoutSeconds);
    // Closes the handle, if any, without throwing: closesocket's result, 0
    // when there was none. Another thread may call it on a listening socket
    // to end a blocked Accept.
    int Cleanup();
    static CSocketAddress GetHostByName(const char* host, USHORT port);

    SOCKET Handle() const { return m_hSocket; }

private:
    SOCKET m_hSocket;
};
