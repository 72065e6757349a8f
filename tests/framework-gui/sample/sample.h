// A small SDI program on the framework: a frame with menu, accelerators,
// toolbar and status bar; a form view with a tree and a list; a document
// saved through CArchive; a settings dialog and an options sheet.
#pragma once
#include "framework/framework.h"
#include "sample_res.h"
#include <vector>

class CSampleDoc : public CDocument {
    DECLARE_DYNCREATE(CSampleDoc)
public:
    std::vector<CString> m_items;
    int m_count = 7;
    CString m_name = "North";
    BOOL m_enabled = TRUE;
    int m_port = 3;
    BOOL m_grid = FALSE;

    void AddItem(LPCSTR text);
    void Serialize(CArchive& ar) override;
    void DeleteContents() override;
    BOOL OnNewDocument() override;

    BOOL OnRouteChain(UINT id);
    void OnItemRemove();
    void OnUpdateItemRemove(CCmdUI* ui);
    void OnEditSettings();
    void OnEditOptions();
    DECLARE_MESSAGE_MAP()
};

class CSampleView : public CFormView {
    DECLARE_DYNCREATE(CSampleView)
public:
    CTreeCtrl m_tree;
    CListCtrl m_list;

    CSampleView();
    CSampleDoc* GetDocument() const { return static_cast<CSampleDoc*>(m_pDocument); }
    void DoDataExchange(CDataExchange* dx) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;

    void OnSize(UINT type, int cx, int cy);
    BOOL OnRouteChain(UINT id);
    void OnItemAdd();
    DECLARE_MESSAGE_MAP()
};

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
    int m_idleUpdates = 0;  // WM_IDLEUPDATECMDUI seen

    int OnCreate(LPCREATESTRUCTA cs);
    LRESULT OnIdleUpdate(WPARAM wp, LPARAM lp);
    BOOL OnRouteChain(UINT id);
    void OnUpdateItems(CCmdUI* ui);
    DECLARE_MESSAGE_MAP()
};

class CSettingsDialog : public CDialog {
public:
    int m_count = 0;
    CString m_name;
    BOOL m_enabled = FALSE;
    CSettingsDialog(CWnd* parent) : CDialog(IDD_SETTINGS, parent) {}
    void DoDataExchange(CDataExchange* dx) override;
};

class CPortPage : public CPropertyPage {
public:
    int m_port = 0;
    CPortPage() : CPropertyPage(IDD_PAGE_PORT) {}
    void DoDataExchange(CDataExchange* dx) override;
};

class CDisplayPage : public CPropertyPage {
public:
    BOOL m_grid = FALSE;
    CDisplayPage() : CPropertyPage(IDD_PAGE_DISPLAY) {}
    void DoDataExchange(CDataExchange* dx) override;
};

// The command line: a file name opens it; "/drive folder" runs the scripted
// test driver, which writes its report and files into the folder.
class CSampleCommandLine : public CCommandLineInfo {
public:
    CString m_driveFolder;
    void ParseParam(const char* param, BOOL flag, BOOL last) override;

private:
    bool m_nextIsFolder = false;
};

class CSampleApp : public CWinApp {
public:
    CString m_route;       // targets a routed command passed, in order
    BOOL m_locked = TRUE;  // ID_LOCKED_CMD is disabled while locked
    int m_lockedRuns = 0;
    BOOL InitInstance() override;
    int ExitInstance() override;

    BOOL OnRouteChain(UINT id);
    void OnLockedCmd();
    void OnUpdateLockedCmd(CCmdUI* ui);
    void OnViewGrid();
    void OnUpdateViewGrid(CCmdUI* ui);
    DECLARE_MESSAGE_MAP()
};

CSampleApp* SampleApp();
CSampleDoc* ActiveSampleDoc();
// Starts the scripted driver on a timer of the GUI thread.
void StartSampleDriver(const CString& folder);
