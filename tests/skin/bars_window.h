// A frame with a skinned toolbar and status bar as both programs make them,
// and the helpers the bar tests share.
#pragma once
#include "skin/skinstatusbar.h"
#include "skin/skintoolbar.h"
#include "skin/skinlib.h"

class CBarsFrame : public CFrameWnd {
public:
    CSkinToolBar m_toolbar;
    CSkinStatusBar m_status;
};

// A visible frame with both bars (toolbar 128 over bitmap 146, one message
// pane), laid out; null on failure. The frame deletes itself when destroyed.
CBarsFrame* NewBarsFrame(DWORD toolbarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP);
// Dispatches what is queued for this thread.
void PumpPending();
// Paints the window now (and its children).
void PaintNow(HWND wnd);

// Destroys the frame (and its bars) at the end of a test.
struct FrameScope {
    CBarsFrame* frame;
    explicit FrameScope(CBarsFrame* f) : frame(f) {}
    ~FrameScope()
    {
        if (frame && IsWindow(frame->m_hWnd)) frame->DestroyWindow();
        PumpPending();
    }
};

// A draw mode for the time of one test.
struct DrawModeScope {
    int previous;
    explicit DrawModeScope(int mode) : previous(SetMenuDrawMode(mode)) {}
    ~DrawModeScope() { SetMenuDrawMode(previous); }
};
