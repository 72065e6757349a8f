// The view's message list as the services fill it: one time-stamped line per
// event, at most 300 lines. C_HalvexView owns one and routes its messages
// here. Lines may come from any thread; only the GUI thread touches the list
// control: other threads queue their line and post a wake-up to the owner
// window, and never wait for the GUI thread.
#pragma once
#include <windows.h>
#include <deque>
#include <string>

class CHalvexViewLog
{
public:
    CHalvexViewLog();
    ~CHalvexViewLog();

    // GUI thread: the report-style list (column 0 time stamp, column 1 text)
    // and the window that receives WM_ADD_LOG_LINE and calls OnAddLogLine.
    void Attach(HWND list, HWND owner);

    // Any thread. Image 0 failure, 1 information, 2 buffering.
    void AddLogMessage(const std::string& text, int image);
    // WM_LOG_STRING: the string resource lParam as a line with image wParam;
    // an id without a string gives an empty line.
    LRESULT OnLogString(WPARAM image, LPARAM stringId);
    // WM_BUFFER_COUNT: "Buffer database: %d records", image 1.
    LRESULT OnBufferCount(WPARAM, LPARAM count);
    // The diagnostics line of controller `id` on `port` from its three texts.
    void AddDiagnosticsLine(int id, int port, const std::string& ct, const std::string& rd, const std::string& wr);
    // WM_ADD_LOG_LINE on the owner window: inserts every queued line.
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
    void Insert(const Line& line);
    // Redrawing the list and scrolling it to its end costs tens of
    // milliseconds: lines go in at once with the drawing off, and the list
    // is shown at most once in RefreshIntervalMs, by a timer of the owner
    // window (GUI thread).
    void ScheduleRefresh();
    void Refresh();
    static void CALLBACK OnRefreshTimer(HWND, UINT, UINT_PTR self, DWORD);

    static const DWORD RefreshIntervalMs = 250;

    CRITICAL_SECTION m_lock; // guards m_pending and the handles
    std::deque<Line> m_pending;
    HWND m_list;
    HWND m_owner;
    DWORD m_guiThreadId;
    // GUI thread only.
    bool m_refreshDue;      // drawing is off and the timer runs
    DWORD m_lastRefresh;    // tick count
};
