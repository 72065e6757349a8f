// The main window of the configuration tool: the menu bar, the toolbar, the bar of the
// controller and its status, the status bar, and the page tree beside the
// page in a splitter. It starts the reply listener, takes
// the answers it posts and stops it when the window goes.
#pragma once
#include "framework/framework.h"
#include "skin/menubar.h"
#include "skin/skinframewnd.h"
#include "skin/skinstatusbar.h"
#include "skin/skintoolbar.h"
#include "configtool/D_BarStatus.h"
#include "configtool/ProgressDlg.h"

class CV_Common;
class C_OrimbelDoc;

class C_MainFrame : public CSkinFrameWnd {
    DECLARE_DYNCREATE(C_MainFrame)
public:
    C_MainFrame();
    ~C_MainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* context) override;
    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // The page in the right-hand pane; null for the welcome page.
    CV_Common* CurrentPage() const;
    // Replaces the right-hand pane with a new page of that class, which loads
    // itself from the document.
    void ShowPage(CRuntimeClass* pageClass);

    CSplitterWnd m_wndSplitter;
    CSkinMenuBar m_wndMenuBar;
    CSkinToolBar m_wndToolBar;
    CSkinStatusBar m_wndStatusBar;
    CD_BarStatus m_wndBarStatus;
    CProgressDlg m_dlgProgress;
    int m_nListeningPort;

    static const int DefaultTreeWidth = 180;
    // How long closing waits for the listener to end.
    static const DWORD ListenerStopMs = 5000;

protected:
    int OnCreate(LPCREATESTRUCTA cs);
    void OnShowWindow(BOOL show, UINT status);
    LRESULT OnStatusReceived(WPARAM, LPARAM texts);
    LRESULT OnEepromValueRead(WPARAM location, LPARAM value);
    LRESULT OnEepromValueWritten(WPARAM location, LPARAM value);
    LRESULT OnControllerError(WPARAM, LPARAM);

private:
    // The placement of the last session, at the first showing only.
    void RestorePlacement();
    void SaveLayout();
    void StartListener();
    void StopListener();
    // The status line and the bar of the progress window for one answer.
    void ShowAnswerProgress(UINT formatId, int location);
    // After an answer: the page in view shows the document's words again.
    void ReloadPage();
    bool m_bShownOnce = false;
    CThreadLink m_listener;  // the reply listener, which deletes itself when it ends
    DECLARE_MESSAGE_MAP()
};
