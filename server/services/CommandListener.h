// The TCP command listener: accepts one client at a time, reads its request
// until the client closes its side, and hands it to the frame parser.
#pragma once
#include "common/TcpSocket.h"
#include "server/services/CommandParser.h"
#include <atomic>

class CCommandListener
{
public:
    CCommandListener();

    // Binds the address of the host's own name and serves until Close. Port 0
    // takes any free port (BoundPort tells which). Returns 0 after Close, 1
    // when the socket could not be set up. A failed accept is not an end.
    int Run(USHORT port, ICommandTarget& target);
    // From another thread: ends Run, also when Run has not bound yet.
    void Close();
    // Set once Run listens; with BoundPort valid from then on.
    HANDLE ListeningEvent() const { return m_hListening; }
    USHORT BoundPort() const { return m_nBoundPort; }

private:
    static const DWORD AcceptRetryPauseMs = 100;
    // The next client; false once the listening socket is closed.
    bool AcceptNext(CTcpSocket& connection, CSocketAddress& peer);

    CCommandListener(const CCommandListener&) = delete;
    CCommandListener& operator=(const CCommandListener&) = delete;

    CCriticalSection m_lock; // orders Close against the set-up in Run
    CTcpSocket m_socket;
    bool m_bClosed;
    COwnedHandle m_hListening;
    std::atomic<USHORT> m_nBoundPort;
};

// How long one client may take to send its request.
const int RequestBoundSeconds = 60;

// Reads one request until the peer closes or MaxRequestBytes have come,
// within `boundSeconds` in all. `buffer` holds MaxRequestBytes + 1 bytes and
// always ends with a NUL. Returns the byte count; throws on a failed receive
// and when the bound has passed.
int ReceiveRequest(CTcpSocket& connection, char* buffer, int boundSeconds = RequestBoundSeconds);
