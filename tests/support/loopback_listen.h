// A socket listening on 127.0.0.1 at a port the system chooses, for tests
// that stand in for a peer of the programs.
#pragma once
#include "common/TcpSocket.h"

// Creates, binds and listens; returns the chosen port. Throws as the socket does.
inline USHORT ListenOnLoopback(CTcpSocket& socket)
{
    socket.Create();
    socket.Bind(CSocketAddress(INADDR_LOOPBACK, 0));
    socket.Listen();
    sockaddr_in bound = {};
    int length = sizeof(bound);
    getsockname(socket.Handle(), reinterpret_cast<sockaddr*>(&bound), &length);
    return ntohs(bound.sin_port);
}
