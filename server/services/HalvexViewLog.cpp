#include "server/services/HalvexViewLog.h"
#include "framework/framework.h"
#include <commctrl.h>
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

struct Locked {
    CRITICAL_SECTION& cs;
    explicit Locked(CRITICAL_SECTION& c) : cs(c) { EnterCriticalSection(&cs); }
    ~Locked() { LeaveCriticalSection(&cs); }
};

} // namespace

CHalvexViewLog::CHalvexViewLog()
    : m_list(NULL), m_owner(NULL), m_guiThreadId(0), m_refreshDue(false), m_lastRefresh(0)
{
    InitializeCriticalSection(&m_lock);
}

CHalvexViewLog::~CHalvexViewLog()
{
    if (m_refreshDue && IsWindow(m_owner))
        KillTimer(m_owner, reinterpret_cast<UINT_PTR>(this));
    DeleteCriticalSection(&m_lock);
}

void CHalvexViewLog::Attach(HWND list, HWND owner)
{
    Locked lock(m_lock);
    m_list = list;
    m_owner = owner;
    m_guiThreadId = GetCurrentThreadId();
}

void CHalvexViewLog::AddLogMessage(const std::string& text, int image)
{
    Line line{ LocalStamp(), text, image };
    HWND owner;
    {
        Locked lock(m_lock);
        if (m_list == NULL)
            return;
        if (GetCurrentThreadId() != m_guiThreadId) {
            // Queued in order; the GUI thread inserts on its next wake-up.
            m_pending.push_back(line);
            // Only the newest lines can be shown: a GUI thread that is
            // behind gets no more than the list holds.
            while ((int)m_pending.size() > MaxLines)
                m_pending.pop_front();
            owner = m_owner;
            if (m_pending.size() > 1)
                return; // a wake-up is already on its way
        } else {
            owner = NULL;
        }
    }
    if (owner != NULL) {
        PostMessageA(owner, WM_ADD_LOG_LINE, 0, 0);
        return;
    }
    OnAddLogLine(0, 0); // lines queued by other threads first, then this one
    Insert(line);
}

LRESULT CHalvexViewLog::OnAddLogLine(WPARAM, LPARAM)
{
    std::deque<Line> lines;
    {
        Locked lock(m_lock);
        lines.swap(m_pending);
    }
    for (const Line& line : lines)
        Insert(line);
    return 0;
}

void CHalvexViewLog::Insert(const Line& line)
{
    ScheduleRefresh();
    while (ListView_GetItemCount(m_list) >= MaxLines)
        ListView_DeleteItem(m_list, 0);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = ListView_GetItemCount(m_list);
    item.pszText = const_cast<char*>(line.stamp.c_str());
    item.iImage = line.image;
    int index = (int)SendMessageA(m_list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    if (index < 0)
        return;
    LVITEMA sub = {};
    sub.iSubItem = 1;
    sub.pszText = const_cast<char*>(line.text.c_str());
    SendMessageA(m_list, LVM_SETITEMTEXTA, (WPARAM)index, (LPARAM)&sub);
    if (!m_refreshDue)
        ListView_EnsureVisible(m_list, index, FALSE);
}

void CHalvexViewLog::ScheduleRefresh()
{
    if (m_refreshDue)
        return;
    const DWORD since = GetTickCount() - m_lastRefresh;
    const DWORD wait = since < RefreshIntervalMs ? RefreshIntervalMs - since : 0;
    if (m_owner == NULL || !SetTimer(m_owner, reinterpret_cast<UINT_PTR>(this), wait, OnRefreshTimer))
        return; // no timer: the list draws itself line by line
    SendMessageA(m_list, WM_SETREDRAW, FALSE, 0);
    m_refreshDue = true;
}

void CHalvexViewLog::Refresh()
{
    KillTimer(m_owner, reinterpret_cast<UINT_PTR>(this));
    m_refreshDue = false;
    m_lastRefresh = GetTickCount();
    SendMessageA(m_list, WM_SETREDRAW, TRUE, 0);
    const int count = ListView_GetItemCount(m_list);
    if (count > 0)
        ListView_EnsureVisible(m_list, count - 1, FALSE);
    InvalidateRect(m_list, NULL, TRUE);
}

void CALLBACK CHalvexViewLog::OnRefreshTimer(HWND, UINT, UINT_PTR self, DWORD)
{
    reinterpret_cast<CHalvexViewLog*>(self)->Refresh();
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
