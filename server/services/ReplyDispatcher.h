// The answers the server sends to TCP clients, each on a new outbound
// connection to the requester's address and reply port. The dispatcher
// thread calls these handlers one at a time.
#pragma once
#include "server/services/CommandProtocol.h"
#include "server/services/PendingRequests.h"
#include <string>

// Where the answers' data come from: the bus layer's stored results and the
// registration ring.
class IAnswerSource
{
public:
    virtual ~IAnswerSource() {}
    // The stored status texts of a controller, for a reply without snapshot.
    virtual StatusSnapshot CurrentStatus(int id) = 0;
    // Removes and returns the stored word; 0xFFFF when none is stored.
    virtual unsigned TakeEEPROMWord(int id, int location) = 0;
    virtual bool Registration(int slot, CommandProtocol::Reg2Fields& fields) = 0;
};

// Writes one line to "host:port" and closes; false when it could not be
// resolved, reached or written within 10 seconds.
bool SendAnswerLine(const std::string& requester, const std::string& line);

class CReplyDispatcherCore
{
public:
    explicit CReplyDispatcherCore(IAnswerSource& source) : m_source(source) {}

    void OnReg2(int port, int slot);
    void OnStatusReply(int port, int id);
    void OnReadReply(int id, int location);
    void OnWriteReply(int id, int location);
    void OnErrorReply(int port, int id);

private:
    IAnswerSource& m_source;
};
