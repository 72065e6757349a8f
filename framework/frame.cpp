#include "framework/frame.h"
#include "framework/app.h"
#include "framework/bars.h"
#include "framework/cmdui.h"
#include "framework/docview.h"
#include "framework/menu.h"
#include <dde.h>

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

namespace {
// Text of a string resource up to the first "\n" (part 0) or after it (part 1).
CString StringPart(UINT id, int part) {
    CString s;
    if (!s.LoadString(id)) return CString();
    int nl = s.Find('\n');
    if (part == 0) return nl < 0 ? s : s.Left(nl);
    return nl < 0 ? CString() : s.Mid(nl + 1);
}
}  // namespace

CFrameWnd::CFrameWnd() = default;
CFrameWnd::~CFrameWnd() {
    if (m_hAccelTable) ::DestroyAcceleratorTable(m_hAccelTable);
}

// ---- creation ------------------------------------------------------------

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass) {
        RegisterDefaultClass();
        cs.lpszClass = "AfxFrameOrView";
    }
    // The frame's own area is covered by bars and view: no border of its own.
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD style, CWnd* parent, CCreateContext* context) {
    HINSTANCE res = AfxGetResourceHandle();
    m_nIDHelp = nIDResource;
    m_strTitle = StringPart(nIDResource, 0);
    if (!Create(nullptr, m_strTitle, style, rectDefault, parent, MAKEINTRESOURCEA(nIDResource), 0, context))
        return FALSE;
    if (HICON big = (HICON)::LoadImageA(res, MAKEINTRESOURCEA(nIDResource), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)) {
        SetIcon(big, TRUE);
        HICON small = (HICON)::LoadImageA(res, MAKEINTRESOURCEA(nIDResource), IMAGE_ICON,
                                          ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
        if (small) SetIcon(small, FALSE);
    }
    if (!m_hAccelTable) m_hAccelTable = ::LoadAcceleratorsA(res, MAKEINTRESOURCEA(nIDResource));
    if (!context) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    return TRUE;
}

BOOL CFrameWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                       LPCSTR menuName, DWORD exStyle, CCreateContext* context) {
    HMENU menu = nullptr;
    if (menuName) {
        menu = ::LoadMenuA(AfxGetResourceHandle(), menuName);
        if (!menu) {
            PostNcDestroy();
            return FALSE;
        }
    }
    m_strTitle = windowName ? windowName : "";
    m_hMenuDefault = menu;
    if (!CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr, menu, context)) {
        if (menu) ::DestroyMenu(menu);
        return FALSE;
    }
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTA cs) {
    if (Default() == -1) return -1;
    CCreateContext* context = (CCreateContext*)cs->lpCreateParams;
    if (!OnCreateClient(cs, context)) return -1;
    PostMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTA, CCreateContext* context) {
    if (context && context->m_pNewViewClass) return CreateView(context, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id) {
    CObject* obj = context->m_pNewViewClass->CreateObject();
    CWnd* view = obj && obj->IsKindOf(RUNTIME_CLASS(CWnd)) ? static_cast<CWnd*>(obj) : nullptr;
    if (!view) {
        delete obj;
        return nullptr;
    }
    // A view that fails deletes itself in PostNcDestroy.
    if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 0, 0), this, id, context)) return nullptr;
    return view;
}

void CFrameWnd::PostNcDestroy() {
    CWinThread* thread = AfxGetThread();
    if (thread && thread->m_pMainWnd == this) {
        thread->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    delete this;
}

void CFrameWnd::OnDestroy() {
    if (m_hMenuDefault && ::GetMenu(m_hWnd) != m_hMenuDefault) ::DestroyMenu(m_hMenuDefault);
    m_hMenuDefault = nullptr;  // a menu still set on the window dies with it
    Default();
}

// ---- views and documents --------------------------------------------------

void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
    CView* old = m_pViewActive;
    if (old == view) return;
    m_pViewActive = view;
    if (notify) {
        if (old) old->OnActivateView(FALSE, view, old);
        if (view) view->OnActivateView(TRUE, view, old);
    }
}

CDocument* CFrameWnd::GetActiveDocument() { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

void CFrameWnd::InitialUpdateFrame(CDocument* doc, BOOL makeVisible) {
    if (!m_pViewActive) {
        CWnd* pane = GetDescendantWindow(AFX_IDW_PANE_FIRST);
        if (pane && pane->IsKindOf(RUNTIME_CLASS(CView))) SetActiveView(static_cast<CView*>(pane), FALSE);
    }
    SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    RecalcLayout();
    if (makeVisible) {
        CWinThread* thread = AfxGetThread();
        int show = -1;
        if (thread && !thread->m_pMainWnd) {
            thread->m_pMainWnd = this;
            if (CWinApp* app = AfxGetApp()) show = app->m_nCmdShow;
        }
        ActivateFrame(show);
        if (m_pViewActive) m_pViewActive->OnActivateView(TRUE, m_pViewActive, m_pViewActive);
    }
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int cmdShow) {
    if (cmdShow == -1) cmdShow = IsWindowVisible() ? SW_SHOWNORMAL : SW_SHOW;
    ShowWindow(cmdShow);
    if (IsWindowVisible()) BringWindowToTop();
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle) {
    CString title = m_strTitle;
    CDocument* doc = GetActiveDocument();
    if (addToTitle && (GetStyle() & FWS_ADDTOTITLE) && doc) {
        CString docTitle = doc->GetTitle();
        title = docTitle.IsEmpty() ? m_strTitle : docTitle + " - " + m_strTitle;
    }
    char current[512];
    GetWindowText(current, sizeof current);
    if (title != current) SetWindowText(title);
}

// ---- commands -------------------------------------------------------------

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // The active view first (it passes on to its document), then the frame,
    // then the application.
    if (CView* view = m_pViewActive)
        if (view->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    if (CWinApp* app = AfxGetApp())
        if (app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return FALSE;
}

BOOL CFrameWnd::OnCommand(WPARAM wp, LPARAM lp) {
    HWND ctl = (HWND)lp;
    if (ctl && dynamic_cast<CControlBar*>(FromHandlePermanent(ctl))) {
        // A bar's button (toolbar, menu bar) obeys the update handlers as menus
        // and accelerators do, also when its WM_COMMAND comes while the
        // command is disabled.
        UINT id = LOWORD(wp);
        CTestCmdUI state;
        state.m_nID = id;
        OnCmdMsg(id, (int)CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!state.m_bEnabled) return TRUE;
        return OnCmdMsg(id, CN_COMMAND, nullptr, nullptr);
    }
    return CWnd::OnCommand(wp, lp);
}

BOOL CFrameWnd::OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) {
    NMHDR* hdr = (NMHDR*)lp;
    if (hdr->code == TTN_GETDISPINFOA || hdr->code == TTN_GETDISPINFOW) {
        // Tooltips of toolbar buttons: the command's string after "\n".
        UINT id = (UINT)hdr->idFrom;
        CString tip = StringPart(id, 1);
        if (hdr->code == TTN_GETDISPINFOA) {
            NMTTDISPINFOA* info = (NMTTDISPINFOA*)lp;
            lstrcpynA(info->szText, tip, sizeof info->szText);
            info->lpszText = info->szText;
        } else {
            NMTTDISPINFOW* info = (NMTTDISPINFOW*)lp;
            ::MultiByteToWideChar(CP_ACP, 0, tip, -1, info->szText, (int)(sizeof info->szText / sizeof(WCHAR)));
            info->lpszText = info->szText;
        }
        if (result) *result = 0;
        return TRUE;
    }
    if (hdr->code == TBN_HOTITEMCHANGE) {
        // Fly-by prompts of a toolbar with CBRS_FLYBY.
        CControlBar* bar = dynamic_cast<CControlBar*>(CWnd::FromHandlePermanent(hdr->hwndFrom));
        if (bar && (bar->GetBarStyle() & CBRS_FLYBY)) {
            NMTBHOTITEM* hot = (NMTBHOTITEM*)lp;
            SetMessageText((hot->dwFlags & HICF_LEAVING) ? (UINT)AFX_IDS_IDLEMESSAGE : (UINT)hot->idNew);
        }
    }
    return CWnd::OnNotify(wp, lp, result);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hAccelTable)
        return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, msg);
    return FALSE;
}

void CFrameWnd::OnInitMenuPopup(CMenu* popup, UINT, BOOL sysMenu) {
    Default();
    if (sysMenu) return;
    AfxUpdateMenuPopupItems(this, popup, AfxFindParentMenu(m_hWnd, popup->m_hMenu), m_bAutoMenuEnable);
}

void CFrameWnd::OnMenuSelect(UINT id, UINT flags, HMENU menu) {
    if (flags == 0xFFFF && !menu) {
        m_nIDTracking = AFX_IDS_IDLEMESSAGE;  // menu closed
    } else if (flags & (MF_POPUP | MF_SEPARATOR)) {
        m_nIDTracking = 0;
    } else if (id < 0xF000) {
        m_nIDTracking = id;
    } else {
        m_nIDTracking = 0;
    }
    SetMessageText(m_nIDTracking ? m_nIDTracking : (UINT)AFX_IDS_IDLEMESSAGE);
    Default();
}

void CFrameWnd::GetMessageString(UINT nID, CString& message) const {
    message = StringPart(nID ? nID : (UINT)AFX_IDS_IDLEMESSAGE, 0);
    if (message.IsEmpty() && (nID == 0 || nID == AFX_IDS_IDLEMESSAGE)) message = "Ready";
}

void CFrameWnd::SetMessageText(LPCSTR text) {
    if (CWnd* bar = GetMessageBar()) {
        if (CStatusBar* sb = dynamic_cast<CStatusBar*>(bar)) sb->SetPaneText(0, text);
        else bar->SetWindowText(text);
    }
}

void CFrameWnd::SetMessageText(UINT nID) {
    CString s;
    GetMessageString(nID, s);
    SetMessageText(s);
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wp, LPARAM lp) {
    if (lp) SetMessageText((LPCSTR)lp);
    else SetMessageText((UINT)wp);
    return 0;
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
    if (m_bLayoutPending) {
        m_bLayoutPending = FALSE;
        RecalcLayout();
    }
    OnUpdateFrameTitle(TRUE);
    return 0;
}

// ---- bars and layout ------------------------------------------------------

CWnd* CFrameWnd::GetDescendantWindow(UINT id) const {
    HWND found = nullptr;
    struct Finder {
        static HWND Find(HWND parent, UINT id) {
            for (HWND c = ::GetTopWindow(parent); c; c = ::GetWindow(c, GW_HWNDNEXT))
                if ((UINT)::GetDlgCtrlID(c) == id) {
                    // A child with its parent's id wins: the first pane of a
                    // splitter that has the pane id itself.
                    if (HWND inner = ::GetTopWindow(c) ? Find(c, id) : nullptr) return inner;
                    return c;
                }
            for (HWND c = ::GetTopWindow(parent); c; c = ::GetWindow(c, GW_HWNDNEXT))
                if (HWND d = Find(c, id)) return d;
            return nullptr;
        }
    };
    found = Finder::Find(m_hWnd, id);
    if (!found) return nullptr;
    if (CWnd* w = FromHandlePermanent(found)) return w;
    return FromHandle(found);
}

CControlBar* CFrameWnd::GetControlBar(UINT id) {
    HWND h = ::GetDlgItem(m_hWnd, (int)id);
    return dynamic_cast<CControlBar*>(FromHandlePermanent(h));
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL delay) {
    bar->ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (delay) m_bLayoutPending = TRUE;
    else RecalcLayout();
}

void CFrameWnd::SaveBarState(LPCSTR profileName) const {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (HWND c = ::GetTopWindow(m_hWnd); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        CControlBar* bar = dynamic_cast<CControlBar*>(FromHandlePermanent(c));
        if (!bar) continue;
        CString section;
        section.Format("%s-Bar%u", profileName, (UINT)::GetDlgCtrlID(c));
        app->WriteProfileInt(section, "Visible", bar->IsWindowVisible() ? 1 : 0);
    }
}

void CFrameWnd::LoadBarState(LPCSTR profileName) {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (HWND c = ::GetTopWindow(m_hWnd); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        CControlBar* bar = dynamic_cast<CControlBar*>(FromHandlePermanent(c));
        if (!bar) continue;
        CString section;
        section.Format("%s-Bar%u", profileName, (UINT)::GetDlgCtrlID(c));
        BOOL visible = bar->IsWindowVisible();
        BOOL want = app->GetProfileInt(section, "Visible", visible ? 1 : 0) != 0;
        if (want != visible) bar->ShowWindow(want ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
    RecalcLayout();
}

BOOL CFrameWnd::OnBarCheck(UINT id) {
    CControlBar* bar = GetControlBar(id);
    if (!bar) return FALSE;
    ShowControlBar(bar, !bar->IsWindowVisible(), FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* ui) {
    CControlBar* bar = GetControlBar(ui->m_nID);
    if (!bar) {
        ui->ContinueRouting();
        return;
    }
    ui->SetCheck(bar->IsWindowVisible() ? 1 : 0);
}

void CFrameWnd::RecalcLayout(BOOL) {
    if (!m_hWnd) return;
    RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST);
}

void CFrameWnd::OnSize(UINT type, int, int) {
    Default();
    if (type != SIZE_MINIMIZED) RecalcLayout();
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* dc) {
    // The view covers the client area; erasing under it only flickers.
    if (m_pViewActive) return TRUE;
    return (BOOL)Default();
}

void CFrameWnd::OnActivate(UINT state, CWnd* other, BOOL minimized) {
    Default();
    if (state != WA_INACTIVE && !minimized && m_pViewActive) m_pViewActive->SetFocus();
}

void CFrameWnd::OnSetFocus(CWnd* old) {
    if (m_pViewActive) m_pViewActive->SetFocus();
    else Default();
}

// ---- closing --------------------------------------------------------------

void CFrameWnd::OnClose() {
    CDocument* doc = GetActiveDocument();
    if (doc && !doc->CanCloseFrame(this)) return;
    HWND self = m_hWnd;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        if (!doc && !app->SaveAllModified()) return;
        // Closing the documents destroys their frames, this one included.
        app->CloseAllDocuments(FALSE);
        if (!::IsWindow(self)) return;
    } else if (doc) {
        doc->PreCloseFrame(this);
    }
    DestroyWindow();
}

BOOL CFrameWnd::OnQueryEndSession() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) return app->SaveAllModified();
    return TRUE;
}

void CFrameWnd::OnEndSession(BOOL ending) {
    if (!ending) return;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->CloseAllDocuments(TRUE);
        app->ExitInstance();
    }
}

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_QUERYENDSESSION()
    ON_WM_ENDSESSION()
    ON_WM_INITMENUPOPUP()
    ON_WM_MENUSELECT()
    ON_WM_ACTIVATE()
    ON_WM_SETFOCUS()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_WM_DROPFILES()
    ON_MESSAGE(WM_DDE_INITIATE, OnDDEInitiate)
    ON_MESSAGE(WM_DDE_EXECUTE, OnDDEExecute)
    ON_MESSAGE(WM_DDE_TERMINATE, OnDDETerminate)
END_MESSAGE_MAP()

// ---- the shell: dropped files and DDE -------------------------------------

void CFrameWnd::OnDropFiles(HDROP drop) {
    SetActiveWindow();
    UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<CString> names;
    for (UINT i = 0; i < count; ++i) {
        char name[MAX_PATH];
        if (::DragQueryFileA(drop, i, name, MAX_PATH)) names.push_back(name);
    }
    ::DragFinish(drop);
    CWinApp* app = AfxGetApp();
    for (const CString& name : names)
        if (app) app->OpenDocumentFile(name);
}

LRESULT CFrameWnd::OnDDEInitiate(WPARAM wp, LPARAM lp) {
    CWinApp* app = AfxGetApp();
    if (!app || app->m_pMainWnd != this || !app->IsShellOpenEnabled()) return 0;
    ATOM application = LOWORD(lp), topic = HIWORD(lp);
    if ((application && application != app->m_atomApp) || (topic && topic != app->m_atomSystemTopic)) return 0;
    // The answer carries atoms of its own, which the client deletes.
    char appName[256] = "", topicName[64] = "";
    ::GlobalGetAtomNameA(app->m_atomApp, appName, sizeof appName);
    ::GlobalGetAtomNameA(app->m_atomSystemTopic, topicName, sizeof topicName);
    ::SendMessageA((HWND)wp, WM_DDE_ACK, (WPARAM)m_hWnd,
                   MAKELPARAM(::GlobalAddAtomA(appName), ::GlobalAddAtomA(topicName)));
    return 0;
}

LRESULT CFrameWnd::OnDDEExecute(WPARAM wp, LPARAM lp) {
    UINT_PTR unused = 0, data = 0;
    ::UnpackDDElParam(WM_DDE_EXECUTE, lp, &unused, &data);
    HGLOBAL commands = (HGLOBAL)data;
    CString text;
    if (LPCSTR p = commands ? (LPCSTR)::GlobalLock(commands) : nullptr) {
        text = p;
        ::GlobalUnlock(commands);
    }
    // Acknowledged before the command runs: opening a file may ask the user first.
    ::PostMessageA((HWND)wp, WM_DDE_ACK, (WPARAM)m_hWnd,
                   ::ReuseDDElParam(lp, WM_DDE_EXECUTE, WM_DDE_ACK, 0x8000, data));
    if (CWinApp* app = AfxGetApp()) app->OnDDECommand(text.GetBuffer());
    return 0;
}

LRESULT CFrameWnd::OnDDETerminate(WPARAM wp, LPARAM lp) {
    ::PostMessageA((HWND)wp, WM_DDE_TERMINATE, (WPARAM)m_hWnd, 0);
    ::FreeDDElParam(WM_DDE_TERMINATE, lp);
    return 0;
}

// ---- CWnd members that need frames ------------------------------------------

CFrameWnd* CWnd::GetParentFrame() const {
    if (!m_hWnd) return nullptr;
    for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h))
        if (CFrameWnd* f = dynamic_cast<CFrameWnd*>(FromHandlePermanent(h))) return f;
    return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const {
    if (!m_hWnd) return nullptr;
    CFrameWnd* frame = dynamic_cast<CFrameWnd*>(FromHandlePermanent(m_hWnd));
    if (!frame) frame = GetParentFrame();
    while (frame) {
        CFrameWnd* up = frame->GetParentFrame();
        if (!up) break;
        frame = up;
    }
    return frame;
}

void CWnd::RepositionBars(UINT first, UINT last, UINT idLeftOver, UINT query, LPRECT rectParam,
                          LPCRECT clientRect, BOOL stretch) {
    AFX_SIZEPARENTPARAMS layout = {};
    layout.bStretch = stretch;
    if (clientRect) layout.rect = *clientRect;
    else ::GetClientRect(m_hWnd, &layout.rect);
    layout.hDWP = query == 1 ? nullptr : ::BeginDeferWindowPos(8);
    HWND leftOver = nullptr;
    for (HWND c = ::GetTopWindow(m_hWnd); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        UINT id = (UINT)::GetDlgCtrlID(c);
        if (id == idLeftOver) leftOver = c;
        else if (id >= first && id <= last && FromHandlePermanent(c))
            ::SendMessageA(c, WM_SIZEPARENT, 0, (LPARAM)&layout);
    }
    if (query == 1) {  // only asked how much room is left
        if (rectParam) *rectParam = layout.rect;
        return;
    }
    if (leftOver) {
        RECT r = layout.rect;
        if (query == 2 && rectParam) {  // extra borders around the leftover window
            r.left += rectParam->left;
            r.top += rectParam->top;
            r.right -= rectParam->right;
            r.bottom -= rectParam->bottom;
        }
        if (r.right < r.left) r.right = r.left;
        if (r.bottom < r.top) r.bottom = r.top;
        if (layout.hDWP)
            layout.hDWP = ::DeferWindowPos(layout.hDWP, leftOver, nullptr, r.left, r.top, r.right - r.left,
                                           r.bottom - r.top, SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (layout.hDWP) ::EndDeferWindowPos(layout.hDWP);
}
