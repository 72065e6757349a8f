// The reply listener: a thread that accepts the server's answers on the
// tool's reply port, one connection per answer, parses each and posts it to
// the main frame's window. It touches no window itself. Its starter ends it
// with WM_QUIT, which the accept loop looks for between its short waits.
#pragma once
#include "configtool/ServerLink.h" // first: winsock2.h before windows.h
#include "framework/framework.h"
#include "configtool/ServerProtocol.h"

class CConsumerThread : public CWorkerThread {
    DECLARE_DYNCREATE(CConsumerThread)
public:
    CConsumerThread();
    ~CConsumerThread() override;

    // Set by the frame before the thread runs.
    HWND m_hFrame;
    USHORT m_nListeningPort;

    // The accept loop (WM_TOOL_START_RECEIVING); it returns once WM_QUIT
    // waits in the thread's queue, or at once when the port cannot be opened.
    void OnStartReceiving(WPARAM, LPARAM);
    // One answer: posted to the frame's window while that window exists.
    void ParseServerReply(const CString& text);

private:
    bool PostToFrame(UINT message, WPARAM wParam, LPARAM lParam) const;
    CReplyListener m_listener;
    DECLARE_MESSAGE_MAP()
};
