// The server's main window: fixed size, menu, toolbar, one-pane status bar
// and the view. It does not close: the close box and minimising hide it, and
// only Exit ends the server.
#pragma once
#include "framework/framework.h"
#include "skin/skinframewnd.h"

typedef CSkinFrameWnd C_MainFrameBase;

class C_MainFrame : public C_MainFrameBase
{
    DECLARE_DYNCREATE(C_MainFrame)
public:
    C_MainFrame();
    ~C_MainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;

protected:
    int OnCreate(LPCREATESTRUCTA cs);
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnClose();
    void OnEndSession(BOOL ending);
    void OnRestore();
    // True when a removal runs: the close is then left to the view.
    bool DeferredForRemoval();
    // Minimises, then hides: the window leaves the taskbar.
    void HideToBackground();
    DECLARE_MESSAGE_MAP()
};
