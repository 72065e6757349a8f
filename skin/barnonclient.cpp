#include "skin/barnonclient.h"

void PaintBarNonClient(CControlBar& bar)
{
    CWindowDC dc(&bar);
    HDC h = dc.GetSafeHdc();
    if (!h) return;
    CRect client, window;
    bar.GetClientRect(&client);
    bar.ClientToScreen(&client);
    bar.GetWindowRect(&window);
    client.OffsetRect(-window.left, -window.top);
    window.OffsetRect(-window.left, -window.top);
    const CRect whole = window;

    CSavedDC saved(h);
    ::ExcludeClipRect(h, client.left, client.top, client.right, client.bottom);
    bar.DrawBorders(&dc, window);   // leaves the area inside the borders in window
    ::IntersectClipRect(h, window.left, window.top, window.right, window.bottom);
    {
        // WM_ERASEBKGND paints in client coordinates: line them up with the
        // window DC so a brush pattern runs on from the client area.
        POINT oldOrigin = {0, 0};
        BOOL moved = !bar.IsFloating() && ::SetWindowOrgEx(h, -client.left, -client.top, &oldOrigin);
        bar.SendMessage(WM_ERASEBKGND, (WPARAM)h);
        if (moved) ::SetWindowOrgEx(h, oldOrigin.x, oldOrigin.y, nullptr);
    }
    bar.DrawGripper(&dc, whole);
}
