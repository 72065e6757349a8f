// CFrameWnd: a top-level window with menu, accelerators, control bars and a
// view; routes commands to the active view, its document and the application.
#pragma once
#include "framework/wnd.h"
#include "framework/string.h"
#include "framework/ids.h"

class CView;
class CDocument;
class CDocTemplate;
class CControlBar;

// Frame style bit: the document's title is shown before the program's.
#define FWS_ADDTOTITLE 0x00008000L
// Default style of a view created by CFrameWnd::CreateView.
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)
#define WM_SETMESSAGESTRING 0x0362

// What a frame needs to build its view (handed through WM_CREATE's parameter).
struct CCreateContext {
    CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    class CFrameWnd* m_pCurrentFrame = nullptr;
};

// Layout block of WM_SIZEPARENT: each bar takes its part off rect.
struct AFX_SIZEPARENTPARAMS {
    HDWP hDWP;
    RECT rect;
    SIZE sizeTotal;
    BOOL bStretch;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    static const CRect rectDefault;
    HACCEL m_hAccelTable = nullptr;  // loaded from the frame's resource id
    HMENU m_hMenuDefault = nullptr;
    CString m_strTitle;
    UINT m_nIDHelp = 0;
    BOOL m_bAutoMenuEnable = TRUE;  // menu items without a handler are disabled

    CFrameWnd();
    ~CFrameWnd() override;

    // Menu, accelerators, icon and title from one resource id, then Create.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* parent = nullptr, CCreateContext* context = nullptr);
    virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style = WS_OVERLAPPEDWINDOW,
                        const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCSTR menuName = nullptr,
                        DWORD exStyle = 0, CCreateContext* context = nullptr);
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) override;
    void PostNcDestroy() override;

    virtual BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* context);
    CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);
    virtual void RecalcLayout(BOOL notify = TRUE);
    virtual void ActivateFrame(int cmdShow = -1);
    void InitialUpdateFrame(CDocument* doc, BOOL makeVisible);
    virtual void OnUpdateFrameTitle(BOOL addToTitle);
    void SetTitle(LPCSTR title) { m_strTitle = title; }
    CString GetTitle() const { return m_strTitle; }

    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* view, BOOL notify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame() { return this; }

    // Status-bar prompts: the string of the id up to "\n"; 0 gives the idle prompt.
    virtual void GetMessageString(UINT nID, CString& message) const;
    void SetMessageText(LPCSTR text);
    void SetMessageText(UINT nID);
    CWnd* GetMessageBar() { return GetDescendantWindow(AFX_IDW_STATUS_BAR); }
    CWnd* GetDescendantWindow(UINT id) const;
    CControlBar* GetControlBar(UINT id);
    void ShowControlBar(CControlBar* bar, BOOL show, BOOL delay);
    // Which bars are shown, kept in the profile under "<name>-Bar<id>" (no
    // docking positions: the bars never move).
    void SaveBarState(LPCSTR profileName) const;
    void LoadBarState(LPCSTR profileName);

    // Handlers (also reached from derived maps).
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    void OnClose();
    BOOL OnQueryEndSession();
    void OnEndSession(BOOL ending);
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu);
    void OnMenuSelect(UINT id, UINT flags, HMENU menu);
    void OnActivate(UINT state, CWnd* other, BOOL minimized);
    void OnSetFocus(CWnd* old);
    void OnSysCommand(UINT id, LPARAM lp) { Default(); }
    BOOL OnEraseBkgnd(CDC* dc);
    LRESULT OnSetMessageString(WPARAM wp, LPARAM lp);
    LRESULT OnIdleUpdateCmdUI(WPARAM wp, LPARAM lp);
    BOOL OnBarCheck(UINT id);
    // Files dropped from the shell are opened, one after the other.
    void OnDropFiles(HDROP drop);
    // The shell's DDE conversation (CWinApp::EnableShellOpen), main frame only.
    LRESULT OnDDEInitiate(WPARAM wp, LPARAM lp);
    LRESULT OnDDEExecute(WPARAM wp, LPARAM lp);
    LRESULT OnDDETerminate(WPARAM wp, LPARAM lp);
    void OnUpdateControlBarMenu(CCmdUI* ui);

    DECLARE_MESSAGE_MAP()

protected:
    CView* m_pViewActive = nullptr;
    UINT m_nIDTracking = 0;      // id whose prompt the status bar shows
    BOOL m_bLayoutPending = FALSE;
    friend class CView;
};
