// The view's message list as the services fill it: one time-stamped line per
// event, at most 300 lines. C_HalvexView owns one and routes its messages
// here. Lines may come from any thread; only the GUI thread touches the list
// control: other threads queue their line and the owner window is woken, and
// they never wait for the GUI thread.
#pragma once
#include "framework/listrows.h"
#include <windows.h>
#include <atomic>
#include <string>

class CHalvexViewLog
{
public:
    CHalvexViewLog();

    // GUI thread: the report-style list (column 0 time stamp, column 1 text)
    // and the window that receives WM_ADD_LOG_LINE and calls OnAddLogLine.
    // Lines added before are dropped.
    void Attach(CListCtrl* list, HWND owner);

    // Any thread. Image 0 failure, 1 information, 2 buffering. On the GUI
    // thread the line is in the list when this returns (drawn a moment later).
    void AddLogMessage(const std::string& text, int image);
    // WM_LOG_STRING: the string resource lParam as a line with image wParam;
    // an id without a string gives an empty line.
    LRESULT OnLogString(WPARAM image, LPARAM stringId);
    // WM_BUFFER_COUNT: "Buffer database: %d records", image 1.
    LRESULT OnBufferCount(WPARAM, LPARAM count);
    // The diagnostics line of controller `id` on `port` from its three texts.
    void AddDiagnosticsLine(int id, int port, const std::string& ct, const std::string& rd, const std::string& wr);
    // WM_ADD_LOG_LINE on the owner window: shows the queued lines.
    LRESULT OnAddLogLine(WPARAM, LPARAM);

    static const UINT WM_ADD_LOG_LINE; // registered: no clash with the view's own messages
    static const int MaxLines = 300;

private:
    CHalvexViewLog(const CHalvexViewLog&) = delete;
    CHalvexViewLog& operator=(const CHalvexViewLog&) = delete;

    struct Line {
        std::string stamp, text;
        int image;
    };
    static void Insert(CListCtrl& list, const Line& line);

    CListRowBatch<Line> m_lines;
    std::atomic<DWORD> m_dwGuiThreadId; // 0 until attached
};
