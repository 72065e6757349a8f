#include "TdsControl.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>

namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string Unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char c = s[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

TdsControl::TdsControl()
{
    WSADATA data;
    m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

TdsControl::~TdsControl()
{
    if (m_started)
        WSACleanup();
}

std::string TdsControl::Dsn()
{
    return Env("HALVEX_TDS_DSN");
}

std::string TdsControl::ConnectionString()
{
    return "Provider=MSDASQL;Data Source=" + Dsn();
}

std::string TdsControl::Exchange(const std::string& line, bool untilEnd)
{
    std::string address = Env("HALVEX_TDS_CONTROL");
    size_t colon = address.rfind(':');
    if (colon == std::string::npos)
        return "";
    sockaddr_in sa = {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<u_short>(std::atoi(address.c_str() + colon + 1)));
    sa.sin_addr.s_addr = inet_addr(address.substr(0, colon).c_str());
    // The channel lives on loopback only.
    if (sa.sin_addr.s_addr != htonl(INADDR_LOOPBACK))
        return "";

    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return "";
    std::string reply;
    if (connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
        std::string out = line + "\n";
        send(s, out.data(), static_cast<int>(out.size()), 0);
        shutdown(s, SD_SEND);
        char buf[4096];
        for (;;) {
            int n = recv(s, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            reply.append(buf, n);
            if (!untilEnd && reply.find('\n') != std::string::npos)
                break;
            if (untilEnd && (reply == "END\n" || (reply.size() >= 5 && reply.compare(reply.size() - 5, 5, "\nEND\n") == 0)))
                break;
        }
    }
    closesocket(s);
    if (!untilEnd) {
        size_t nl = reply.find('\n');
        if (nl != std::string::npos)
            reply.resize(nl);
    }
    return reply;
}

std::string TdsControl::Command(const std::string& line)
{
    return Exchange(line, false);
}

std::string TdsControl::Reset()
{
    for (const char* line : { "refuse off", "fail none", "clear" }) {
        const std::string reply = Command(line);
        if (reply != "OK")
            return std::string(line) + ": " + reply;
    }
    return "OK";
}

std::vector<std::string> TdsControl::Batches()
{
    std::string reply = Exchange("batches", true);
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < reply.size()) {
        size_t nl = reply.find('\n', pos);
        if (nl == std::string::npos)
            nl = reply.size();
        std::string line = reply.substr(pos, nl - pos);
        if (line.compare(0, 2, "B ") == 0)
            out.push_back(Unescape(line.substr(2)));
        pos = nl + 1;
    }
    return out;
}

int TdsControl::Logins()
{
    return std::atoi(Command("logins").c_str());
}
