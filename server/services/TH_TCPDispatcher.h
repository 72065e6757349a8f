// The reply dispatcher thread: sends every answer line and registration push
// to TCP clients, each on a new outbound connection to the requester's address
// and reply port. Work arrives as thread messages (see ServiceMessages.h).
#pragma once
#include "framework/framework.h"
#include "server/services/AnswerSender.h"
#include "server/services/ServiceBus.h"
#include <string>

// How long connecting to a requester and each write to it may take.
const int AnswerTimeoutSeconds = 10;

// Writes one line to "host:port" and closes; false when it could not be
// resolved, reached or written within AnswerTimeoutSeconds.
bool SendAnswerLine(const std::string& requester, const std::string& line);

class CTH_TCPDispatcher : public CWorkerThread
{
    DECLARE_DYNCREATE(CTH_TCPDispatcher)
public:
    CTH_TCPDispatcher();
    ~CTH_TCPDispatcher() override;

    int ExitInstance() override;

    // Handlers. Each takes its entry under the pending-request lock and
    // hands the line to the senders after letting go of it, so neither the
    // frame parser nor another requester waits for a slow one.
    void OnReg2(WPARAM port, LPARAM slot);
    void OnStatusReply(WPARAM port, LPARAM id);
    void OnReadReply(WPARAM id, LPARAM location);
    void OnWriteReply(WPARAM id, LPARAM location);
    void OnErrorReply(WPARAM port, LPARAM id);
    void OnFailedReply(WPARAM port, LPARAM failed);
    void OnStop(WPARAM, LPARAM);

    // Waits until every line handed on so far was sent or given up.
    void WaitForAnswers() { m_answers.WaitUntilIdle(); }
    // Requesters whose line is being sent now.
    size_t AnswersInFlight() { return m_answers.Busy(); }

    // Where the stored status texts and EEPROM words are read; set before the
    // thread runs. Without it a status answer has only its snapshot and a
    // word answer reads FFFF.
    IServiceBus* m_pBus;

private:
    CAnswerSender m_answers;
    DECLARE_MESSAGE_MAP()
};
