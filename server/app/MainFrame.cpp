#include "server/app/HalvexApp.h"
#include "server/app/MainFrame.h"
#include "server/app/HalvexView.h"
#include "server/app/resource.h"

IMPLEMENT_DYNCREATE(C_MainFrame, CSkinFrameWnd)

BEGIN_MESSAGE_MAP(C_MainFrame, C_MainFrameBase)
    ON_WM_CREATE()
    ON_WM_SYSCOMMAND()
    ON_WM_CLOSE()
    ON_WM_ENDSESSION()
    ON_COMMAND(ID_RESTORE, OnRestore)
END_MESSAGE_MAP()

namespace {
const UINT StatusIndicators[] = { ID_SEPARATOR };
const COLORREF ToolbarTransparent = RGB(255, 0, 255);
}

C_MainFrame::C_MainFrame()
{
}

C_MainFrame::~C_MainFrame()
{
}

BOOL C_MainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!C_MainFrameBase::PreCreateWindow(cs))
        return FALSE;
    cs.style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    return TRUE;
}

int C_MainFrame::OnCreate(LPCREATESTRUCTA cs)
{
    if (C_MainFrameBase::OnCreate(cs) == -1)
        return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC,
                               CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    // The menu items show the images of their toolbar buttons.
    if (!m_DefaultMenu.LoadToolBar(IDR_MAINFRAME, IDB_TOOLBAR, ToolbarTransparent))
        return -1;
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(StatusIndicators, 1))
        return -1;
    return 0;
}

void C_MainFrame::HideToBackground()
{
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
}

void C_MainFrame::OnSysCommand(UINT id, LPARAM lParam)
{
    switch (id & 0xFFF0) {
    case SC_MINIMIZE:
    case SC_CLOSE: // the server goes on running
        HideToBackground();
        return;
    default:
        C_MainFrameBase::OnSysCommand(id, lParam);
    }
}

// During a removal the GUI thread serves messages while it waits for the
// bus; a shutdown run from inside that wait would free what the removal
// still uses. The view carries the close out when its removals are done.
bool C_MainFrame::DeferredForRemoval()
{
    C_HalvexView* view = HalvexApp().m_pView;
    if (view == nullptr || !view->RemovalRunning())
        return false;
    view->DeferClose();
    return true;
}

void C_MainFrame::OnClose()
{
    // WM_CLOSE is the Exit path; once the shutdown runs, further requests
    // (a second Exit during its pumped waits) are dropped.
    if (HalvexApp().IsClosing() || DeferredForRemoval())
        return;
    C_MainFrameBase::OnClose();
}

void C_MainFrame::OnEndSession(BOOL ending)
{
    // A shutdown under way finishes on its own; one asked during a removal
    // runs after it.
    if (ending && (HalvexApp().IsClosing() || DeferredForRemoval()))
        return;
    C_MainFrameBase::OnEndSession(ending);
}

void C_MainFrame::OnRestore()
{
    CWnd* popup = CWnd::FromHandle(::GetLastActivePopup(m_hWnd));
    if (IsIconic())
        ShowWindow(SW_RESTORE);
    else if (!IsWindowVisible())
        ShowWindow(SW_SHOW);
    popup->SetForegroundWindow();
    popup->BringWindowToTop();
}
