#include "server/services/HalvexViewLog.h"
#include "framework/framework.h"
#include <stdio.h>
#include <time.h>

const UINT CHalvexViewLog::WM_ADD_LOG_LINE = RegisterWindowMessageA("Halvex.AddLogLine");

namespace {

std::string LocalStamp()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[32];
    snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
    return text;
}

} // namespace

CHalvexViewLog::CHalvexViewLog() : m_lines(MaxLines, &CHalvexViewLog::Insert), m_dwGuiThreadId(0) {}

void CHalvexViewLog::Attach(CListCtrl* list, HWND owner)
{
    m_lines.Attach(list, owner, WM_ADD_LOG_LINE);
    m_dwGuiThreadId = GetCurrentThreadId();
}

void CHalvexViewLog::AddLogMessage(const std::string& text, int image)
{
    const DWORD guiThread = m_dwGuiThreadId;
    if (guiThread == 0)
        return;
    // Queued in order; other threads' lines are shown on the next wake-up,
    // the GUI thread's own at once, behind what other threads queued.
    m_lines.Queue(Line{ LocalStamp(), text, image });
    if (GetCurrentThreadId() == guiThread)
        m_lines.InsertQueued();
}

LRESULT CHalvexViewLog::OnAddLogLine(WPARAM, LPARAM)
{
    m_lines.OnWake();
    return 0;
}

void CHalvexViewLog::Insert(CListCtrl& list, const Line& line)
{
    const int row = list.InsertItem(list.GetItemCount(), line.stamp.c_str(), line.image);
    if (row >= 0)
        list.SetItemText(row, 1, line.text.c_str());
}

LRESULT CHalvexViewLog::OnLogString(WPARAM image, LPARAM stringId)
{
    char text[1024] = {};
    LoadStringA(AfxGetResourceHandle(), (UINT)stringId, text, sizeof(text));
    AddLogMessage(text, (int)image);
    return 0;
}

LRESULT CHalvexViewLog::OnBufferCount(WPARAM, LPARAM count)
{
    char text[64];
    snprintf(text, sizeof(text), "Buffer database: %d records", (int)count);
    AddLogMessage(text, 1);
    return 0;
}

void CHalvexViewLog::AddDiagnosticsLine(int id, int port, const std::string& ct, const std::string& rd,
                                        const std::string& wr)
{
    char text[256];
    snprintf(text, sizeof(text), "CP:%d ID:%d CT:%s RD:%s WR:%s", port, id, ct.c_str(), rd.c_str(), wr.c_str());
    AddLogMessage(text, 1);
}
