// Client of the controller simulator's control channel (tests/sim/README.md),
// for test programs run by with-sim.sh. Header-only; link ws2_32. Include it
// before <windows.h>.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace halvex_sim {

// COM numbers of the virtual ports, in port-index order.
inline std::vector<int> Ports()
{
    std::vector<int> ports;
    const char* text = std::getenv("HALVEX_SIM_PORTS");
    if (!text)
        return ports;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ','))
        if (!item.empty())
            ports.push_back(std::atoi(item.c_str()));
    return ports;
}

class Control {
public:
    // Connects to the control channel named by the variable ("127.0.0.1:port";
    // the simulator's by default, any stand-in's of the same line protocol
    // otherwise); throws on failure.
    explicit Control(const char* variable = "HALVEX_SIM_CONTROL")
    {
        WSADATA wsa;
        if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
            throw std::runtime_error("WSAStartup failed");
        started_ = true;
        const char* where = std::getenv(variable);
        if (!where)
            throw std::runtime_error(std::string(variable) + " is not set");
        std::string text(where);
        size_t colon = text.rfind(':');
        if (colon == std::string::npos)
            throw std::runtime_error(std::string(variable) + " is not host:port");
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<u_short>(std::atoi(text.c_str() + colon + 1)));
        addr.sin_addr.s_addr = inet_addr(text.substr(0, colon).c_str());
        sock_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (sock_ == INVALID_SOCKET ||
            connect(sock_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            throw std::runtime_error("cannot connect to the simulator at " + text);
    }
    ~Control()
    {
        if (sock_ != INVALID_SOCKET)
            closesocket(sock_);
        if (started_)
            WSACleanup();
    }
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Sends one request line and returns the whole answer line ("OK ..." or
    // "ERR ...") without its line end.
    std::string Request(const std::string& line)
    {
        std::string out = line + "\n";
        const char* p = out.data();
        int left = static_cast<int>(out.size());
        while (left > 0) {
            int n = send(sock_, p, left, 0);
            if (n <= 0)
                throw std::runtime_error("simulator connection lost");
            p += n;
            left -= n;
        }
        for (;;) {
            size_t eol = pending_.find('\n');
            if (eol != std::string::npos) {
                std::string answer = pending_.substr(0, eol);
                pending_.erase(0, eol + 1);
                return answer;
            }
            char buf[4096];
            int n = recv(sock_, buf, sizeof buf, 0);
            if (n <= 0)
                throw std::runtime_error("simulator connection lost");
            pending_.append(buf, n);
        }
    }

    // Sends a request that must succeed; returns what follows "OK".
    std::string Ok(const std::string& line)
    {
        std::string answer = Request(line);
        if (answer.compare(0, 2, "OK") != 0)
            throw std::runtime_error(line + ": " + answer);
        return answer.size() > 3 ? answer.substr(3) : std::string();
    }

    void Add(int com, int addr) { Ok(Line("ADD", com, addr)); }
    void Remove(int com, int addr) { Ok(Line("DEL", com, addr)); }
    void Reg(int com, int addr, const std::string& data) { Ok(Line("REG", com, addr) + " " + data); }
    void Knob(int com, int addr, const std::string& name, int count, const std::string& arg = "")
    {
        std::string line = Line("KNOB", com, addr) + " " + name + " " + std::to_string(count);
        if (!arg.empty())
            line += " " + arg;
        Ok(line);
    }
    // Returns once every answer the port's controllers gave (late ones too)
    // is on the line.
    void Settle(int com, int timeoutMs = 30000) { Ok("SETTLE " + std::to_string(com) + " " + std::to_string(timeoutMs)); }
    // True once counter key reaches value, false after the time-out.
    bool Wait(int com, int addr, const std::string& key, int value, int timeoutMs = 30000)
    {
        return Request(Line("WAIT", com, addr) + " " + key + " " + std::to_string(value) + " " +
                       std::to_string(timeoutMs)).compare(0, 2, "OK") == 0;
    }
    std::map<std::string, int> State(int com, int addr)
    {
        std::map<std::string, int> counters;
        std::stringstream in(Ok(Line("STATE", com, addr)));
        std::string item;
        while (in >> item) {
            size_t eq = item.find('=');
            if (eq != std::string::npos)
                counters[item.substr(0, eq)] = std::atoi(item.c_str() + eq + 1);
        }
        return counters;
    }
    std::vector<std::string> Fifo(int com, int addr) { return Split(Ok(Line("FIFO", com, addr)), ' '); }
    // Every byte received on the port: "m05" (mark parity), "s04" (space).
    std::vector<std::string> Transcript(int com) { return Split(Ok("TRANSCRIPT " + std::to_string(com)), ' '); }
    std::vector<std::string> Events(int com) { return Split(Ok("EVENTS " + std::to_string(com)), ';'); }
    void Clear(int com) { Ok("CLEAR " + std::to_string(com)); }
    // The port goes away as an unplugged adapter would, and comes back.
    void Unplug(int com) { Ok("UNPLUG " + std::to_string(com)); }
    void Plug(int com) { Ok("PLUG " + std::to_string(com)); }

private:
    static std::string Line(const char* cmd, int com, int addr)
    {
        return std::string(cmd) + " " + std::to_string(com) + " " + std::to_string(addr);
    }
    static std::vector<std::string> Split(const std::string& text, char sep)
    {
        std::vector<std::string> items;
        std::stringstream in(text);
        std::string item;
        while (std::getline(in, item, sep))
            if (!item.empty())
                items.push_back(item);
        return items;
    }

    SOCKET sock_ = INVALID_SOCKET;
    bool started_ = false;
    std::string pending_;
};

}  // namespace halvex_sim
