#include "bars_window.h"
#include "bars_ids.h"

CBarsFrame* NewBarsFrame(DWORD toolbarStyle)
{
    CBarsFrame* frame = new CBarsFrame;
    if (!frame->Create(nullptr, "Bars", WS_OVERLAPPEDWINDOW, CRect(60, 60, 520, 340))) return nullptr;
    static const UINT indicators[] = {ID_SEPARATOR};
    if (!frame->m_toolbar.CreateEx(frame, TBSTYLE_FLAT, toolbarStyle, CRect(0, 0, 0, 0), 0xE800) ||
        !frame->m_toolbar.LoadToolBar(IDR_BARS_TOOLBAR) ||
        !frame->m_toolbar.LoadToolBarBitmap(IDB_BARS_IMAGES, 0xFF00FF) ||
        !frame->m_status.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, 0xE801) ||
        !frame->m_status.SetIndicators(indicators, 1)) {
        frame->DestroyWindow();
        return nullptr;
    }
    frame->ShowWindow(SW_SHOWNORMAL);
    frame->RecalcLayout();
    frame->SetForegroundWindow();
    PumpPending();
    return frame;
}

void PumpPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void PaintNow(HWND wnd)
{
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
