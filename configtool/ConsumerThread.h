// The reply listener: a thread that accepts the server's answers on the
// tool's reply port, one connection per answer, parses each and posts it to
// the main frame's window. It touches no window itself.
#pragma once
#include "framework/framework.h"
#include "configtool/ServerLink.h"
#include "configtool/ServerProtocol.h"
#include <atomic>

class CConsumerThread : public CWinThread {
    DECLARE_DYNCREATE(CConsumerThread)
public:
    CConsumerThread();
    ~CConsumerThread() override;

    BOOL InitInstance() override { return TRUE; }
    // No windows, no idle work: the idle clean-up of the GUI threads would
    // make handle maps for this thread too.
    BOOL OnIdle(LONG) override { return FALSE; }

    // Set by the frame before the thread is resumed.
    HWND m_hFrame;
    USHORT m_nListeningPort;

    // The accept loop (WM_TOOL_START_RECEIVING); it returns once asked to stop
    // or when the port cannot be opened.
    void OnStartReceiving(WPARAM, LPARAM);
    // From the frame's thread: the loop ends, the sockets close and the
    // thread's message loop quits.
    void Stop();
    // One answer: posted to the frame's window while that window exists.
    void ParseServerReply(const CString& text);

    std::atomic<bool> m_bRunning;

private:
    bool PostToFrame(UINT message, WPARAM wParam, LPARAM lParam) const;
    CReplyListener m_listener;
    DECLARE_MESSAGE_MAP()
};
