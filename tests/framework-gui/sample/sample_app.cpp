// The application object and the main frame of the sample program.
#include "sample.h"

CSampleApp theApp;

CSampleApp* SampleApp() { return &theApp; }

CSampleDoc* ActiveSampleDoc() {
    CFrameWnd* frame = dynamic_cast<CFrameWnd*>(theApp.m_pMainWnd);
    return frame ? dynamic_cast<CSampleDoc*>(frame->GetActiveDocument()) : nullptr;
}

// ---- command line ----------------------------------------------------------

void CSampleCommandLine::ParseParam(const char* param, BOOL flag, BOOL last) {
    if (m_nextIsFolder) {
        m_driveFolder = param;
        m_nextIsFolder = false;
        return;
    }
    if (flag && lstrcmpiA(param, "drive") == 0) {
        m_nextIsFolder = true;
        return;
    }
    CCommandLineInfo::ParseParam(param, flag, last);
}

// ---- application -------------------------------------------------------------

BEGIN_MESSAGE_MAP(CSampleApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
    ON_COMMAND_EX(ID_ROUTE_CHAIN, OnRouteChain)
    ON_COMMAND(ID_LOCKED_CMD, OnLockedCmd)
    ON_UPDATE_COMMAND_UI(ID_LOCKED_CMD, OnUpdateLockedCmd)
    ON_COMMAND(ID_VIEW_GRID, OnViewGrid)
    ON_UPDATE_COMMAND_UI(ID_VIEW_GRID, OnUpdateViewGrid)
END_MESSAGE_MAP()

BOOL CSampleApp::InitInstance() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CSampleDoc), RUNTIME_CLASS(CMainFrame),
                                          RUNTIME_CLASS(CSampleView)));
    CSampleCommandLine cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo)) return FALSE;
    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    if (!cmdInfo.m_driveFolder.IsEmpty()) StartSampleDriver(cmdInfo.m_driveFolder);
    return TRUE;
}

int CSampleApp::ExitInstance() { return CWinApp::ExitInstance(); }

BOOL CSampleApp::OnRouteChain(UINT) {
    m_route += "app";
    return TRUE;
}

void CSampleApp::OnLockedCmd() { ++m_lockedRuns; }
void CSampleApp::OnUpdateLockedCmd(CCmdUI* ui) { ui->Enable(!m_locked); }

void CSampleApp::OnViewGrid() {
    if (CSampleDoc* doc = ActiveSampleDoc()) doc->m_grid = !doc->m_grid;
}

void CSampleApp::OnUpdateViewGrid(CCmdUI* ui) {
    CSampleDoc* doc = ActiveSampleDoc();
    ui->Enable(doc != nullptr);
    ui->SetCheck(doc && doc->m_grid ? 1 : 0);
}

// ---- main frame ----------------------------------------------------------------

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdate)
    ON_COMMAND_EX(ID_ROUTE_CHAIN, OnRouteChain)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_ITEMS, OnUpdateItems)
END_MESSAGE_MAP()

static const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_ITEMS};

int CMainFrame::OnCreate(LPCREATESTRUCTA cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(kIndicators, 2)) return -1;
    return 0;
}

LRESULT CMainFrame::OnIdleUpdate(WPARAM wp, LPARAM lp) {
    ++m_idleUpdates;
    return CFrameWnd::OnIdleUpdateCmdUI(wp, lp);
}

BOOL CMainFrame::OnRouteChain(UINT) {
    SampleApp()->m_route += "frame,";
    return FALSE;
}

void CMainFrame::OnUpdateItems(CCmdUI* ui) {
    CSampleDoc* doc = dynamic_cast<CSampleDoc*>(GetActiveDocument());
    CString text;
    text.Format("Items: %d", doc ? (int)doc->m_items.size() : 0);
    ui->SetText(text);
    ui->Enable(TRUE);
}
