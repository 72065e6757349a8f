#include "skin/drawing.h"
#include <set>
#include <utility>

namespace {
// SetTimer succeeds on an id the window already uses (and replaces that timer),
// so the ids handed out are remembered until they are released.
std::set<std::pair<HWND, UINT>> g_timers;
} // namespace

UINT FindFreeTimerId(HWND wnd, UINT elapse)
{
    if (!wnd || !IsWindow(wnd)) return 0;
    for (auto it = g_timers.begin(); it != g_timers.end();)
        it = IsWindow(it->first) ? std::next(it) : g_timers.erase(it);
    for (UINT id = 31; id <= 99; ++id) {
        if (g_timers.count({wnd, id})) continue;
        if (SetTimer(wnd, id, elapse, nullptr)) {
            g_timers.insert({wnd, id});
            return id;
        }
    }
    return 0;
}

void ReleaseTimerId(HWND wnd, UINT id)
{
    if (!id) return;
    if (wnd && IsWindow(wnd)) KillTimer(wnd, id);
    g_timers.erase({wnd, id});
}

void GetMonitorWorkArea(RECT* rect)
{
    HMONITOR monitor = MonitorFromRect(rect, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi;
    ZeroMemory(&mi, sizeof mi);
    mi.cbSize = sizeof mi;
    if (monitor && GetMonitorInfoA(monitor, &mi)) {
        *rect = mi.rcWork;
        return;
    }
    SetRect(rect, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}
