#include "command_client.h"
#include <cstring>

CommandClient::CommandClient(int replyPort)
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL yes = TRUE;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, (const char*)&yes, sizeof yes);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons((u_short)replyPort);
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    m_listening = bind(m_listener, (sockaddr*)&a, sizeof a) == 0 && listen(m_listener, 5) == 0;
}

CommandClient::~CommandClient()
{
    closesocket(m_listener);
    WSACleanup();
}

std::string CommandClient::Ask(int serverPort, const std::string& request, int timeoutMs)
{
    if (!Send(serverPort, request))
        return "<not sent>";
    return Next(timeoutMs);
}

std::string CommandClient::Next(int timeoutMs)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(m_listener, &set);
    timeval wait = { timeoutMs / 1000, (timeoutMs % 1000) * 1000 };
    if (select(0, &set, nullptr, nullptr, &wait) != 1)
        return "";
    SOCKET answer = accept(m_listener, nullptr, nullptr);
    std::string text;
    char buf[512];
    int n;
    while ((n = recv(answer, buf, sizeof buf, 0)) > 0)
        text.append(buf, n);
    closesocket(answer);
    return text;
}

bool CommandClient::Send(int serverPort, const std::string& request)
{
    char host[256] = "";
    gethostname(host, sizeof host);
    hostent* h = gethostbyname(host);
    if (!h || !h->h_addr_list[0])
        return false;
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons((u_short)serverPort);
    memcpy(&a.sin_addr, h->h_addr_list[0], sizeof a.sin_addr);
    for (int attempt = 0; attempt < 100; ++attempt) { // the listener may still be starting
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (connect(s, (sockaddr*)&a, sizeof a) == 0) {
            bool sent = send(s, request.data(), (int)request.size(), 0) == (int)request.size();
            shutdown(s, SD_SEND);
            closesocket(s);
            return sent;
        }
        closesocket(s);
        Sleep(100);
    }
    return false;
}

std::string CommandFrame(const char* tag, int com, int id, const char* command, int a, int b)
{
    return std::string("VeTr 1 0000000 ") + tag + " " + std::to_string(com) + " " + std::to_string(id) + " " +
           command + " " + std::to_string(a) + " " + std::to_string(b) + " VTEnd";
}
