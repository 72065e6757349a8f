// A loopback port that never answers a connect: its listener accepts nobody
// and its backlog is full, so the system drops the connect's SYN and the
// client waits, as for a switched-off PC, until its own time-out. Winsock
// must be started.
#pragma once
#include <winsock2.h>
#include <vector>

class HeldPort {
public:
    // `wanted` 0: any free port.
    explicit HeldPort(USHORT wanted = 0)
    {
        m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        BOOL yes = TRUE;
        setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, (const char*)&yes, sizeof yes);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(wanted);
        if (bind(m_listener, (sockaddr*)&address, sizeof address) != 0 || listen(m_listener, 1) != 0)
            return;
        int length = sizeof address;
        getsockname(m_listener, (sockaddr*)&address, &length);
        port = ntohs(address.sin_port);
        // Connections complete until the backlog is full; the first that
        // does not shows that it is.
        for (int i = 0; i < 16 && !held; ++i) {
            SOCKET filler = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            u_long nonBlocking = 1;
            ioctlsocket(filler, FIONBIO, &nonBlocking);
            connect(filler, (sockaddr*)&address, sizeof address);
            m_fillers.push_back(filler);
            fd_set writable;
            FD_ZERO(&writable);
            FD_SET(filler, &writable);
            timeval wait = { 0, 300000 };
            held = select(0, nullptr, &writable, nullptr, &wait) == 0;
        }
    }
    ~HeldPort()
    {
        for (SOCKET filler : m_fillers)
            closesocket(filler);
        closesocket(m_listener);
    }
    HeldPort(const HeldPort&) = delete;
    HeldPort& operator=(const HeldPort&) = delete;

    USHORT port = 0;
    bool held = false; // a connect to `port` now goes unanswered

private:
    SOCKET m_listener = INVALID_SOCKET;
    std::vector<SOCKET> m_fillers;
};
