#include "configtool/ConsumerThread.h"
#include "configtool/ToolMessages.h"
#include <memory>

IMPLEMENT_DYNCREATE(CConsumerThread, CWorkerThread)

BEGIN_MESSAGE_MAP(CConsumerThread, CWorkerThread)
    ON_THREAD_MESSAGE(WM_TOOL_START_RECEIVING, OnStartReceiving)
END_MESSAGE_MAP()

CConsumerThread::CConsumerThread()
    : m_hFrame(nullptr), m_nListeningPort(ServerProtocol::DefaultReplyPort),
      m_listener([] {
          MSG quit;
          return ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
      }) {}

CConsumerThread::~CConsumerThread() {}

void CConsumerThread::OnStartReceiving(WPARAM, LPARAM) {
    // Without a listening port the tool runs on and hears no answers.
    if (!m_listener.Open(m_nListeningPort)) return;
    for (;;) {
        CString text;
        CReplyListener::Result result = m_listener.ReceiveNext(text);
        if (result == CReplyListener::Stopped) return;
        if (result == CReplyListener::Answer) ParseServerReply(text);
    }
}

bool CConsumerThread::PostToFrame(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::IsWindow(m_hFrame) && ::PostMessageA(m_hFrame, message, wParam, lParam);
}

void CConsumerThread::ParseServerReply(const CString& text) {
    using ServerProtocol::ServerReply;
    ServerReply reply = ServerProtocol::ParseReply(text);
    switch (reply.kind) {
    case ServerReply::Status: {
        // The frame takes the copy over; one that cannot be posted stays here.
        std::unique_ptr<ServerProtocol::CStatusTexts> texts(new ServerProtocol::CStatusTexts(reply.status));
        if (PostToFrame(WM_TOOL_STATUS, 0, (LPARAM)texts.get())) texts.release();
        break;
    }
    case ServerReply::Error: PostToFrame(WM_TOOL_CONTROLLER_ERROR, 0, 0); break;
    case ServerReply::Read: PostToFrame(WM_TOOL_EEPROM_READ, (WPARAM)reply.location, (LPARAM)reply.value); break;
    case ServerReply::Written:
        PostToFrame(WM_TOOL_EEPROM_WRITTEN, (WPARAM)reply.location, (LPARAM)reply.value);
        break;
    case ServerReply::Ignored: break;
    }
}
