// A client program of the server's TCP port, as the protocol has them: it
// sends each request on a connection of its own and takes the answers on its
// reply port, where the server connects back.
#pragma once
#include <winsock2.h>
#include <string>

class CommandClient {
public:
    // Listens on `replyPort` (the port of the client tag the frames carry).
    explicit CommandClient(int replyPort = 65003);
    ~CommandClient();
    CommandClient(const CommandClient&) = delete;
    CommandClient& operator=(const CommandClient&) = delete;
    bool Listening() const { return m_listening; }

    // Sends the request and returns the first answer ("" when none came
    // within the time-out; "<not sent>" when the server could not be reached).
    std::string Ask(int serverPort, const std::string& request, int timeoutMs = 20000);
    // The next answer: the whole content of the next connection the server
    // makes to the reply port; "" when none comes within the time-out.
    std::string Next(int timeoutMs);

    // Sends one request to the server, which listens on the address of the
    // machine's name; retried while the listener is still starting.
    static bool Send(int serverPort, const std::string& request);

private:
    SOCKET m_listener = INVALID_SOCKET;
    bool m_listening = false;
};

// "VeTr 1 0000000 TAG com id CMD a b VTEnd".
std::string CommandFrame(const char* tag, int com, int id, const char* command, int a = 0, int b = 0);
