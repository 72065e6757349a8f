// The reply dispatcher thread: sends every answer line and registration push
// to TCP clients, each on a new outbound connection to the requester's address
// and reply port. Work arrives as thread messages (see ServiceMessages.h).
#pragma once
#include "framework/framework.h"
#include <string>

// Writes one line to "host:port" and closes; false when it could not be
// resolved, reached or written within 10 seconds.
bool SendAnswerLine(const std::string& requester, const std::string& line);

class CTH_TCPDispatcher : public CWinThread
{
    DECLARE_DYNCREATE(CTH_TCPDispatcher)
public:
    CTH_TCPDispatcher();
    ~CTH_TCPDispatcher() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    // A worker without windows has no idle work; the GUI threads' idle
    // clean-up would create this thread's own handle maps, whose per-thread
    // destructors at thread exit leave the process heap locked under 64-bit
    // Wine.
    BOOL OnIdle(LONG) override { return FALSE; }

    // Handlers; each takes the pending-request lock for its whole run.
    void OnReg2(WPARAM port, LPARAM slot);
    void OnStatusReply(WPARAM port, LPARAM id);
    void OnReadReply(WPARAM id, LPARAM location);
    void OnWriteReply(WPARAM id, LPARAM location);
    void OnErrorReply(WPARAM port, LPARAM id);
    void OnStop(WPARAM, LPARAM);

private:
    HRESULT m_hrCom;
    DECLARE_MESSAGE_MAP()
};
