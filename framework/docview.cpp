#include "framework/docview.h"
#include "framework/app.h"
#include "framework/archive.h"
#include "framework/file.h"
#include "framework/dialog.h"
#include "framework/dialogtexts.h"
#include "framework/cmdui.h"
#include <commdlg.h>
#include <algorithm>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)
IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNAMIC(CScrollView, CView)
IMPLEMENT_DYNAMIC(CFormView, CScrollView)
IMPLEMENT_DYNAMIC(CTreeView, CView)
IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

namespace {
POSITION ToPos(size_t i) { return reinterpret_cast<POSITION>(i + 1); }
size_t FromPos(POSITION p) { return reinterpret_cast<size_t>(p) - 1; }

// Dialog template as a child window: no caption or frame, visible as asked.
std::vector<BYTE> ChildTemplate(LPCSTR name, DWORD visible, DWORD* exStyleOut) {
    HINSTANCE res = AfxGetResourceHandle();
    HRSRC found = ::FindResourceA(res, name, (LPCSTR)RT_DIALOG);
    HGLOBAL loaded = found ? ::LoadResource(res, found) : nullptr;
    const BYTE* data = loaded ? (const BYTE*)::LockResource(loaded) : nullptr;
    DWORD bytes = found ? ::SizeofResource(res, found) : 0;
    if (!data || bytes < 18) return {};
    std::vector<BYTE> copy(data, data + bytes);
    bool extended = ((const WORD*)data)[1] == 0xFFFF;
    DWORD* style = (DWORD*)(copy.data() + (extended ? 12 : 0));
    DWORD* exStyle = (DWORD*)(copy.data() + (extended ? 8 : 4));
    if (*style & WS_BORDER) *exStyle |= WS_EX_CLIENTEDGE;
    *style = (*style & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE |
                         WS_BORDER | WS_DLGFRAME)) |
             WS_CHILD | visible;
    if (exStyleOut) *exStyleOut = *exStyle;
    return copy;
}

INT_PTR CALLBACK FormProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }
}  // namespace

// ---- CDocument ----------------------------------------------------------------

CDocument::CDocument() = default;

CDocument::~CDocument() {
    for (CView* v : m_viewList) v->m_pDocument = nullptr;
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCSTR title) {
    m_strTitle = title ? title : "";
    for (CView* v : m_viewList)
        if (CFrameWnd* f = v->GetParentFrame()) f->OnUpdateFrameTitle(TRUE);
}

void CDocument::SetPathName(LPCSTR path, BOOL addToMRU) {
    char full[MAX_PATH];
    LPSTR namePart = nullptr;
    if (!::GetFullPathNameA(path, MAX_PATH, full, &namePart)) lstrcpynA(full, path, MAX_PATH);
    m_strPathName = full;
    char title[MAX_PATH];
    if (::GetFileTitleA(full, title, MAX_PATH) != 0) lstrcpynA(title, namePart ? namePart : full, MAX_PATH);
    SetTitle(title);
    if (addToMRU)
        if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(m_strPathName);
}

void CDocument::AddView(CView* view) {
    if (std::find(m_viewList.begin(), m_viewList.end(), view) != m_viewList.end()) return;
    m_viewList.push_back(view);
    view->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* view) {
    auto it = std::find(m_viewList.begin(), m_viewList.end(), view);
    if (it == m_viewList.end()) return;
    m_viewList.erase(it);
    view->m_pDocument = nullptr;
    OnChangedViewList();
}

void CDocument::OnChangedViewList() {
    // A document whose last view went away closes itself.
    if (m_viewList.empty() && m_bAutoDelete) OnCloseDocument();
}

POSITION CDocument::GetFirstViewPosition() const { return m_viewList.empty() ? nullptr : ToPos(0); }

CView* CDocument::GetNextView(POSITION& pos) const {
    size_t i = FromPos(pos);
    if (!pos || i >= m_viewList.size()) {
        pos = nullptr;
        return nullptr;
    }
    pos = i + 1 < m_viewList.size() ? ToPos(i + 1) : nullptr;
    return m_viewList[i];
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject) {
    std::vector<CView*> views = m_viewList;
    for (CView* v : views)
        if (v != sender) v->OnUpdate(sender, hint, hintObject);
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCSTR path) {
    CFile file;
    CFileException* fe = new CFileException;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite, fe)) {
        ReportSaveLoadException(path, fe, FALSE, 0);
        fe->Delete();
        return FALSE;
    }
    fe->Delete();
    DeleteContents();
    SetModifiedFlag(TRUE);  // dirty while half loaded
    try {
        CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete);
        ar.m_pDocument = this;
        // An empty file holds nothing to load: it opens as it stands.
        if (file.GetLength() != 0) Serialize(ar);
        ar.Close();
    } catch (CException* e) {
        file.Abort();
        DeleteContents();
        ReportSaveLoadException(path, e, FALSE, 0);
        e->Delete();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

// Written to a temporary file beside the target, which replaces the target
// only when everything was written: a failed save leaves the old file intact.
BOOL CDocument::OnSaveDocument(LPCSTR path) {
    char full[MAX_PATH], folder[MAX_PATH], temp[MAX_PATH];
    LPSTR namePart = nullptr;
    if (!::GetFullPathNameA(path, MAX_PATH, full, &namePart) || !namePart) lstrcpynA(full, path, MAX_PATH);
    lstrcpynA(folder, full, MAX_PATH);
    if (LPSTR slash = strrchr(folder, '\\')) slash[1] = 0;
    else lstrcpyA(folder, ".");
    if (!::GetTempFileNameA(folder, "sav", 0, temp)) {
        ReportSaveLoadException(path, nullptr, TRUE, 0);
        return FALSE;
    }
    try {
        CFile file(temp, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
        {
            CArchive ar(&file, CArchive::store | CArchive::bNoFlushOnDelete);
            ar.m_pDocument = this;
            Serialize(ar);
            ar.Close();
        }
        file.Close();
    } catch (CException* e) {
        ::DeleteFileA(temp);
        ReportSaveLoadException(path, e, TRUE, 0);
        e->Delete();
        return FALSE;
    }
    if (!::MoveFileExA(temp, full, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temp);
        ReportSaveLoadException(path, nullptr, TRUE, 0);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::ReportSaveLoadException(LPCSTR path, CException* e, BOOL saving, UINT) {
    // A file whose contents do not read as this document's.
    if (!saving && e && e->IsKindOf(RUNTIME_CLASS(CArchiveException))) {
        AfxMessageBox(AfxLoadFrameworkString(AFX_IDP_FAILED_INVALID_FORMAT), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    char cause[256] = "";
    if (e) e->GetErrorMessage(cause, sizeof cause);
    CString text;
    text.Format(saving ? "Failed to save document %s.\n%s" : "Failed to open document %s.\n%s", path ? path : "",
                cause);
    CWinApp* app = AfxGetApp();
    HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    ::MessageBoxA(owner, text, app && app->m_pszAppName ? app->m_pszAppName : "", MB_OK | MB_ICONEXCLAMATION);
}

BOOL CDocument::SaveModified() {
    if (!IsModified()) return TRUE;
    CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
    if (name.IsEmpty()) name = "Untitled";
    CString text;
    text.Format("Save changes to %s?", name.GetString());
    CWinApp* app = AfxGetApp();
    HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    switch (::MessageBoxA(owner, text, app && app->m_pszAppName ? app->m_pszAppName : "",
                          MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL: return FALSE;
    case IDYES: return DoFileSave();
    default: return TRUE;
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* frame) {
    // Only the last frame showing this document asks to save it.
    for (CView* v : m_viewList) {
        CFrameWnd* f = v->GetParentFrame();
        if (f && f != frame) return TRUE;
    }
    return SaveModified();
}

BOOL CDocument::DoFileSave() {
    DWORD attr = m_strPathName.IsEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(m_strPathName);
    if (m_strPathName.IsEmpty() || (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY)))
        return DoSave(nullptr);
    return DoSave(m_strPathName);
}

BOOL CDocument::DoSave(LPCSTR path, BOOL replace) {
    CString name = path ? path : "";
    if (name.IsEmpty()) {
        CWinApp* app = AfxGetApp();
        name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
        if (!app || !app->DoPromptFileName(name, FALSE, m_pDocTemplate)) return FALSE;
    }
    if (!OnSaveDocument(name)) return FALSE;
    if (replace) SetPathName(name);
    return TRUE;
}

void CDocument::OnCloseDocument() {
    // Destroying the frames destroys the views, which leave the list; the
    // document must not delete itself half-way.
    BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    while (!m_viewList.empty()) {
        CView* view = m_viewList.front();
        if (CFrameWnd* frame = view->GetParentFrame()) {
            PreCloseFrame(frame);
            frame->DestroyWindow();
        } else {
            view->DestroyWindow();
        }
        if (!m_viewList.empty() && m_viewList.front() == view) RemoveView(view);
    }
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

void CDocument::OnFileClose() {
    if (!SaveModified()) return;
    OnCloseDocument();
}

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

// ---- CView --------------------------------------------------------------------

CView::CView() = default;

CView::~CView() {
    if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass) {
        RegisterDefaultClass();
        cs.lpszClass = "AfxFrameOrView";
    }
    if (cs.style & WS_BORDER) {
        cs.style &= ~WS_BORDER;
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
    }
    return TRUE;
}

BOOL CView::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                   CCreateContext* context) {
    return CWnd::Create(className, windowName, style, rect, parent, id, context);
}

int CView::OnCreate(LPCREATESTRUCTA cs) {
    if (Default() == -1) return -1;
    CCreateContext* context = (CCreateContext*)cs->lpCreateParams;
    if (context && context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::OnDestroy() {
    CFrameWnd* frame = GetParentFrame();
    if (frame && frame->GetActiveView() == this) frame->SetActiveView(nullptr, FALSE);
    Default();
}

void CView::PostNcDestroy() { delete this; }

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnActivateView(BOOL activate, CView* activeView, CView*) {
    if (activate && activeView == this) {
        CFrameWnd* frame = GetParentFrame();
        if (frame && ::GetActiveWindow() == frame->GetTopLevelParent()->m_hWnd) SetFocus();
    }
}

void CView::OnPaint() {
    CPaintDC dc(this);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

int CView::OnMouseActivate(CWnd* top, UINT hit, UINT msg) {
    int r = (int)Default();
    if (CFrameWnd* frame = GetParentFrame()) frame->SetActiveView(this);
    return r;
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
    OnInitialUpdate();
    return 0;
}

CSplitterWnd* CView::GetParentSplitter() const {
    return dynamic_cast<CSplitterWnd*>(FromHandlePermanent(::GetParent(m_hWnd)));
}

BOOL CView::OnNextPaneCmd(UINT id) {
    CSplitterWnd* splitter = GetParentSplitter();
    if (!splitter || !splitter->CanActivateNext(id == ID_PREV_PANE)) return FALSE;
    splitter->ActivateNext(id == ID_PREV_PANE);
    return TRUE;
}

void CView::OnUpdateNextPaneMenu(CCmdUI* ui) {
    CSplitterWnd* splitter = GetParentSplitter();
    ui->Enable(splitter && splitter->CanActivateNext(ui->m_nID == ID_PREV_PANE));
}

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_MOUSEACTIVATE()
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMessage)
    ON_COMMAND_EX(ID_NEXT_PANE, OnNextPaneCmd)
    ON_COMMAND_EX(ID_PREV_PANE, OnNextPaneCmd)
    ON_UPDATE_COMMAND_UI(ID_NEXT_PANE, OnUpdateNextPaneMenu)
    ON_UPDATE_COMMAND_UI(ID_PREV_PANE, OnUpdateNextPaneMenu)
END_MESSAGE_MAP()

// ---- CScrollView --------------------------------------------------------------

const SIZE CScrollView::sizeDefault = {0, 0};

CScrollView::CScrollView() = default;

void CScrollView::SetScrollSizes(int mapMode, SIZE total, const SIZE& page, const SIZE& line) {
    m_nMapMode = mapMode;
    m_totalDev = CSize(std::max<LONG>(total.cx, 0), std::max<LONG>(total.cy, 0));
    m_pageDev = page.cx || page.cy ? CSize(page) : CSize(m_totalDev.cx / 10, m_totalDev.cy / 10);
    m_lineDev = line.cx || line.cy ? CSize(line) : CSize(m_pageDev.cx / 10, m_pageDev.cy / 10);
    if (m_lineDev.cx < 1) m_lineDev.cx = 1;
    if (m_lineDev.cy < 1) m_lineDev.cy = 1;
    if (m_hWnd) UpdateBars();
}

CPoint CScrollView::GetScrollPosition() const {
    if (!m_hWnd) return CPoint(0, 0);
    DWORD style = GetStyle();
    return CPoint((style & WS_HSCROLL) ? ::GetScrollPos(m_hWnd, SB_HORZ) : 0,
                  (style & WS_VSCROLL) ? ::GetScrollPos(m_hWnd, SB_VERT) : 0);
}

void CScrollView::ScrollToPosition(POINT p) {
    if (!m_hWnd || !m_nMapMode) return;
    CPoint old = GetScrollPosition();
    RECT client;
    GetClientRect(&client);
    int maxX = std::max<int>(m_totalDev.cx - client.right, 0);
    int maxY = std::max<int>(m_totalDev.cy - client.bottom, 0);
    int x = (GetStyle() & WS_HSCROLL) ? std::min(std::max<int>(p.x, 0), maxX) : 0;
    int y = (GetStyle() & WS_VSCROLL) ? std::min(std::max<int>(p.y, 0), maxY) : 0;
    if (GetStyle() & WS_HSCROLL) ::SetScrollPos(m_hWnd, SB_HORZ, x, TRUE);
    if (GetStyle() & WS_VSCROLL) ::SetScrollPos(m_hWnd, SB_VERT, y, TRUE);
    // Moves the painted contents and the child windows alike.
    if (x != old.x || y != old.y) ::ScrollWindow(m_hWnd, old.x - x, old.y - y, nullptr, nullptr);
}

void CScrollView::OnPrepareDC(CDC* dc, void* info) {
    if (m_nMapMode) {
        CPoint p = GetScrollPosition();
        ::SetViewportOrgEx(dc->GetSafeHdc(), -p.x, -p.y, nullptr);
    }
    CView::OnPrepareDC(dc, info);
}

void CScrollView::UpdateBars() {
    if (!m_nMapMode || !m_hWnd || m_bInsideUpdate) return;
    m_bInsideUpdate = true;
    CPoint old = GetScrollPosition();
    // The room the window would have without bars.
    RECT client;
    GetClientRect(&client);
    DWORD style = GetStyle();
    int barW = ::GetSystemMetrics(SM_CXVSCROLL), barH = ::GetSystemMetrics(SM_CYHSCROLL);
    int cx = client.right + ((style & WS_VSCROLL) ? barW : 0);
    int cy = client.bottom + ((style & WS_HSCROLL) ? barH : 0);
    bool needH = m_totalDev.cx > cx, needV = m_totalDev.cy > cy;
    // A bar takes room from the other direction, which may need a bar then.
    if (needH && !needV) needV = m_totalDev.cy > cy - barH;
    if (needV && !needH) needH = m_totalDev.cx > cx - barW;
    if (needV) cx -= barW;
    if (needH) cy -= barH;
    // Back to the origin before a bar goes, so the contents are not left shifted.
    if (!needH && old.x) ::ScrollWindow(m_hWnd, old.x, 0, nullptr, nullptr);
    if (!needV && old.y) ::ScrollWindow(m_hWnd, 0, old.y, nullptr, nullptr);
    ::ShowScrollBar(m_hWnd, SB_HORZ, needH);
    ::ShowScrollBar(m_hWnd, SB_VERT, needV);
    auto set = [this](int bar, int total, int page, int pos) {
        SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, total - 1, (UINT)std::max(page, 0), pos};
        ::SetScrollInfo(m_hWnd, bar, &si, TRUE);
    };
    int x = needH ? std::min<int>(old.x, m_totalDev.cx - cx) : 0;
    int y = needV ? std::min<int>(old.y, m_totalDev.cy - cy) : 0;
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (needH) set(SB_HORZ, m_totalDev.cx, cx, x);
    if (needV) set(SB_VERT, m_totalDev.cy, cy, y);
    int dx = needH ? old.x - x : 0, dy = needV ? old.y - y : 0;
    if (dx || dy) ::ScrollWindow(m_hWnd, dx, dy, nullptr, nullptr);
    m_bInsideUpdate = false;
}

void CScrollView::OnSize(UINT type, int cx, int cy) {
    Default();
    if (type != SIZE_MINIMIZED) UpdateBars();
}

void CScrollView::OnScroll(int bar, UINT code) {
    SCROLLINFO si = {sizeof si, SIF_ALL};
    if (!::GetScrollInfo(m_hWnd, bar, &si)) return;
    int line = bar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy;
    int page = (int)si.nPage > 0 ? (int)si.nPage : (bar == SB_HORZ ? m_pageDev.cx : m_pageDev.cy);
    int pos = si.nPos;
    switch (code) {
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = si.nMax; break;
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    default: return;
    }
    CPoint now = GetScrollPosition();
    if (bar == SB_HORZ) now.x = pos;
    else now.y = pos;
    ScrollToPosition(now);
}

void CScrollView::OnHScroll(UINT code, UINT, CScrollBar* bar) {
    // Scroll-bar controls of a form are the form's business, not the view's.
    if (bar) {
        Default();
        return;
    }
    OnScroll(SB_HORZ, code);
}

void CScrollView::OnVScroll(UINT code, UINT, CScrollBar* bar) {
    if (bar) {
        Default();
        return;
    }
    OnScroll(SB_VERT, code);
}

BEGIN_MESSAGE_MAP(CScrollView, CView)
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

// ---- CFormView ----------------------------------------------------------------

CFormView::CFormView(UINT templateId) : m_lpszTemplateName(MAKEINTRESOURCEA(templateId)) {}
CFormView::CFormView(LPCSTR templateName) : m_lpszTemplateName(templateName) {}

BOOL CFormView::Create(LPCSTR, LPCSTR, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                       CCreateContext* context) {
    std::vector<BYTE> tmpl = ChildTemplate(m_lpszTemplateName, style & WS_VISIBLE, nullptr);
    if (tmpl.empty()) {
        PostNcDestroy();
        return FALSE;
    }
    AfxHookWindowCreate(this);
    HWND h = ::CreateDialogIndirectParamA(AfxGetInstanceHandle(), (LPCDLGTEMPLATEA)tmpl.data(),
                                          parent->GetSafeHwnd(), FormProc, 0);
    BOOL attached = AfxUnhookWindowCreate();
    if (!h) {
        // An attached form that failed has run PostNcDestroy at WM_NCDESTROY.
        if (!attached) PostNcDestroy();
        return FALSE;
    }
    if (m_hWnd != h) SubclassWindow(h);
    ExecuteDlgInit(m_lpszTemplateName);  // the template's combo and list contents
    RECT r;
    ::GetClientRect(h, &r);
    m_sizeForm = CSize(r.right, r.bottom);
    SetScrollSizes(MM_TEXT, m_sizeForm);
    SetDlgCtrlID((int)id);
    if (context && context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
    SetWindowPos(nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

BOOL CFormView::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
    // The frames' accelerators first: dialog navigation would eat them.
    for (CFrameWnd* f = GetParentFrame(); f; f = f->GetParentFrame())
        if (f->PreTranslateMessage(msg)) return TRUE;
    return ::IsDialogMessageA(m_hWnd, msg);
}

void CFormView::OnInitialUpdate() {
    UpdateData(FALSE);
    CView::OnInitialUpdate();
}

void CFormView::OnActivateView(BOOL activate, CView* activeView, CView* deactiveView) {
    if (!activate) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(m_hWnd, focus)) m_hWndFocus = focus;
    }
    CView::OnActivateView(activate, activeView, deactiveView);
}

void CFormView::OnSetFocus(CWnd* old) {
    HWND target = m_hWndFocus && ::IsChild(m_hWnd, m_hWndFocus) && ::IsWindowEnabled(m_hWndFocus) ? m_hWndFocus
                                                                                                   : nullptr;
    if (!target) target = ::GetNextDlgTabItem(m_hWnd, nullptr, FALSE);
    if (target && target != m_hWnd) ::SetFocus(target);
    else Default();
}

void CFormView::ResizeParentToFit(BOOL shrinkOnly) {
    CFrameWnd* frame = GetParentFrame();
    if (!frame) return;
    RECT want = {0, 0, m_sizeForm.cx, m_sizeForm.cy};
    ::AdjustWindowRectEx(&want, GetStyle(), FALSE, GetExStyle());
    RECT now;
    GetWindowRect(&now);
    int dx = (want.right - want.left) - (now.right - now.left);
    int dy = (want.bottom - want.top) - (now.bottom - now.top);
    if (shrinkOnly) {
        dx = std::min(dx, 0);
        dy = std::min(dy, 0);
    }
    RECT fr;
    frame->GetWindowRect(&fr);
    frame->SetWindowPos(nullptr, 0, 0, fr.right - fr.left + dx, fr.bottom - fr.top + dy,
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    frame->RecalcLayout();
}

BEGIN_MESSAGE_MAP(CFormView, CScrollView)
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

// ---- CTreeView ----------------------------------------------------------------

CTreeView::CTreeView() = default;

BOOL CTreeView::PreCreateWindow(CREATESTRUCTA& cs) {
    RegisterDefaultClass();
    cs.lpszClass = WC_TREEVIEWA;
    return CView::PreCreateWindow(cs);
}

BEGIN_MESSAGE_MAP(CTreeView, CView)
    ON_WM_PAINT()
END_MESSAGE_MAP()

// ---- templates ------------------------------------------------------------------

CDocTemplate::CDocTemplate(UINT id, CRuntimeClass* docClass, CRuntimeClass* frameClass, CRuntimeClass* viewClass)
    : m_nIDResource(id), m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass) {}

CDocTemplate::~CDocTemplate() = default;

BOOL CDocTemplate::GetDocString(CString& s, DocStringIndex index) const {
    CString all;
    all.LoadString(m_nIDResource);  // through the current resource module
    int start = 0;
    for (int i = 0; i < (int)index; ++i) {
        int nl = all.Find('\n', start);
        if (nl < 0) {
            s.Empty();
            return FALSE;
        }
        start = nl + 1;
    }
    int end = all.Find('\n', start);
    s = end < 0 ? all.Mid(start) : all.Mid(start, end - start);
    return !s.IsEmpty();
}

void CDocTemplate::AddDocument(CDocument* doc) { doc->m_pDocTemplate = this; }
void CDocTemplate::RemoveDocument(CDocument* doc) { doc->m_pDocTemplate = nullptr; }

CDocument* CDocTemplate::CreateNewDocument() {
    CObject* obj = m_pDocClass ? m_pDocClass->CreateObject() : nullptr;
    CDocument* doc = obj && obj->IsKindOf(RUNTIME_CLASS(CDocument)) ? static_cast<CDocument*>(obj) : nullptr;
    if (!doc) {
        delete obj;
        return nullptr;
    }
    AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* doc, CFrameWnd* other) {
    CCreateContext context;
    context.m_pCurrentFrame = other;
    context.m_pCurrentDoc = doc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    CObject* obj = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
    CFrameWnd* frame = obj && obj->IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? static_cast<CFrameWnd*>(obj) : nullptr;
    if (!frame) {
        delete obj;
        return nullptr;
    }
    // A frame that fails to load deletes itself.
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) return nullptr;
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible) {
    frame->InitialUpdateFrame(doc, makeVisible);
}

BOOL CDocTemplate::SaveAllModified() {
    for (POSITION p = GetFirstDocPosition(); p;)
        if (CDocument* d = GetNextDoc(p))
            if (!d->SaveModified()) return FALSE;
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL) {
    std::vector<CDocument*> docs;
    for (POSITION p = GetFirstDocPosition(); p;)
        if (CDocument* d = GetNextDoc(p)) docs.push_back(d);
    for (CDocument* d : docs) d->OnCloseDocument();
}

CSingleDocTemplate::CSingleDocTemplate(UINT id, CRuntimeClass* docClass, CRuntimeClass* frameClass,
                                       CRuntimeClass* viewClass)
    : CDocTemplate(id, docClass, frameClass, viewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    if (m_pOnlyDoc) CDocTemplate::RemoveDocument(m_pOnlyDoc);
    m_pOnlyDoc = nullptr;
}

void CSingleDocTemplate::AddDocument(CDocument* doc) {
    CDocTemplate::AddDocument(doc);
    m_pOnlyDoc = doc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* doc) {
    CDocTemplate::RemoveDocument(doc);
    if (m_pOnlyDoc == doc) m_pOnlyDoc = nullptr;
}

POSITION CSingleDocTemplate::GetFirstDocPosition() const { return m_pOnlyDoc ? ToPos(0) : nullptr; }

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& pos) const {
    CDocument* d = pos ? m_pOnlyDoc : nullptr;
    pos = nullptr;
    return d;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* doc) {
    CString title;
    if (!GetDocString(title, docName) || title.IsEmpty()) title = "Untitled";
    doc->SetTitle(title);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCSTR path, BOOL makeVisible) {
    CDocument* doc = m_pOnlyDoc;
    CFrameWnd* frame = nullptr;
    BOOL created = FALSE;
    if (doc) {
        if (!doc->SaveModified()) return nullptr;
        POSITION p = doc->GetFirstViewPosition();
        if (CView* v = doc->GetNextView(p)) frame = v->GetParentFrame();
    } else {
        doc = CreateNewDocument();
        if (!doc) return nullptr;
        created = TRUE;
        BOOL autoDelete = doc->m_bAutoDelete;
        doc->m_bAutoDelete = FALSE;  // a failed frame must not take the document with it
        frame = CreateNewFrame(doc, nullptr);
        doc->m_bAutoDelete = autoDelete;
        if (!frame) {
            delete doc;
            return nullptr;
        }
    }
    if (!path) {
        SetDefaultTitle(doc);
        if (!doc->OnNewDocument()) {
            if (created) frame->DestroyWindow();
            return nullptr;
        }
    } else {
        BOOL wasModified = doc->IsModified();
        doc->SetModifiedFlag(FALSE);
        if (!doc->OnOpenDocument(path)) {
            if (created) {
                frame->DestroyWindow();
            } else if (!doc->IsModified()) {
                doc->SetModifiedFlag(wasModified);  // the old contents are untouched
            } else {
                SetDefaultTitle(doc);
                doc->OnNewDocument();
            }
            return nullptr;
        }
        doc->SetPathName(path);
    }
    if (frame) InitialUpdateFrame(frame, doc, makeVisible);
    return doc;
}

// ---- CSplitterWnd ---------------------------------------------------------------

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

CSplitterWnd::CSplitterWnd() = default;

BOOL CSplitterWnd::CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id) {
    if (rows < 1 || cols < 1 || rows > 16 || cols > 16) return FALSE;
    m_nRows = rows;
    m_nCols = cols;
    m_rows.assign(rows, Info());
    m_cols.assign(cols, Info());
    RegisterDefaultClass();
    return CreateEx(0, "AfxFrameOrView", nullptr, style | WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0,
                    parent->GetSafeHwnd(), (HMENU)(UINT_PTR)id);
}

BOOL CSplitterWnd::CreateView(int row, int col, CRuntimeClass* viewClass, SIZE initialSize,
                              CCreateContext* context) {
    if (row < 0 || row >= m_nRows || col < 0 || col >= m_nCols || GetPane(row, col)) return FALSE;
    m_cols[col].ideal = initialSize.cx;
    m_rows[row].ideal = initialSize.cy;
    CObject* obj = viewClass ? viewClass->CreateObject() : nullptr;
    CWnd* view = obj && obj->IsKindOf(RUNTIME_CLASS(CWnd)) ? static_cast<CWnd*>(obj) : nullptr;
    if (!view) {
        delete obj;
        return FALSE;
    }
    CCreateContext local;
    // A pane added later shows the document of the frame's active view and
    // gets its initial update here; the frame's first panes get theirs from
    // the frame.
    bool initialUpdate = context == nullptr;
    if (!context) {
        if (CFrameWnd* frame = GetParentFrame()) local.m_pCurrentDoc = frame->GetActiveDocument();
        context = &local;
    }
    if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 0, 0), this, IdFromRowCol(row, col),
                      context))
        return FALSE;  // the view deleted itself
    RecalcLayout();
    if (initialUpdate) view->SendMessage(WM_INITIALUPDATE);
    return TRUE;
}

void CSplitterWnd::DeleteView(int row, int col) {
    CWnd* pane = GetPane(row, col);
    if (!pane) return;
    CFrameWnd* frame = GetParentFrame();
    if (frame && (CWnd*)frame->GetActiveView() == pane) frame->SetActiveView(nullptr, FALSE);
    pane->DestroyWindow();
}

CWnd* CSplitterWnd::GetPane(int row, int col) const {
    HWND h = ::GetDlgItem(m_hWnd, IdFromRowCol(row, col));
    if (!h) return nullptr;
    if (CWnd* w = FromHandlePermanent(h)) return w;
    return FromHandle(h);
}

CWnd* CSplitterWnd::GetActivePane(int* row, int* col) const {
    CWnd* pane = nullptr;
    if (CFrameWnd* frame = GetParentFrame()) pane = frame->GetActiveView();
    if (!pane || ::GetParent(pane->m_hWnd) != m_hWnd) {
        // No active view here: the pane that holds the focus.
        pane = nullptr;
        for (HWND h = ::GetFocus(); h; h = ::GetParent(h))
            if (::GetParent(h) == m_hWnd) {
                pane = FromHandle(h);
                break;
            }
    }
    if (pane) {
        int id = pane->GetDlgCtrlID() - AFX_IDW_PANE_FIRST;
        if (row) *row = id / 16;
        if (col) *col = id % 16;
    }
    return pane;
}

void CSplitterWnd::SetActivePane(int row, int col) {
    CWnd* pane = GetPane(row, col);
    if (!pane) return;
    CFrameWnd* frame = GetParentFrame();
    if (CView* view = dynamic_cast<CView*>(FromHandlePermanent(pane->m_hWnd)); view && frame)
        frame->SetActiveView(view);
    else
        pane->SetFocus();
}

BOOL CSplitterWnd::CanActivateNext(BOOL) const {
    int panes = 0;
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c)
            if (GetPane(r, c)) ++panes;
    return panes > 1;
}

void CSplitterWnd::ActivateNext(BOOL prev) {
    int row = 0, col = 0;
    int count = m_nRows * m_nCols;
    int at = GetActivePane(&row, &col) ? row * m_nCols + col : (prev ? 0 : -1);
    for (int step = 1; step <= count; ++step) {
        int i = ((at + (prev ? -step : step)) % count + count) % count;
        if (GetPane(i / m_nCols, i % m_nCols)) {
            SetActivePane(i / m_nCols, i % m_nCols);
            return;
        }
    }
}

void CSplitterWnd::GetColumnInfo(int col, int& current, int& minimum) const {
    current = col >= 0 && col < m_nCols ? m_cols[col].current : 0;
    minimum = col >= 0 && col < m_nCols ? m_cols[col].minimum : 0;
}

void CSplitterWnd::SetColumnInfo(int col, int ideal, int minimum) {
    if (col < 0 || col >= m_nCols) return;
    m_cols[col].ideal = ideal;
    m_cols[col].minimum = minimum;
}

void CSplitterWnd::GetRowInfo(int row, int& current, int& minimum) const {
    current = row >= 0 && row < m_nRows ? m_rows[row].current : 0;
    minimum = row >= 0 && row < m_nRows ? m_rows[row].minimum : 0;
}

void CSplitterWnd::SetRowInfo(int row, int ideal, int minimum) {
    if (row < 0 || row >= m_nRows) return;
    m_rows[row].ideal = ideal;
    m_rows[row].minimum = minimum;
}

void CSplitterWnd::RecalcLayout() {
    if (!m_hWnd) return;
    RECT client;
    GetClientRect(&client);
    // Every column but the last gets its ideal width while room is left; the
    // last takes what remains. Rows alike.
    auto spread = [this](std::vector<Info>& infos, int total) {
        int left = total;
        for (size_t i = 0; i < infos.size(); ++i) {
            bool last = i + 1 == infos.size();
            int w = last ? left : std::min(std::max(infos[i].ideal, 0), std::max(left - m_cxSplitter, 0));
            infos[i].current = std::max(w, 0);
            left -= w + (last ? 0 : m_cxSplitter);
        }
    };
    spread(m_cols, client.right);
    spread(m_rows, client.bottom);
    int y = 0;
    for (int r = 0; r < m_nRows; ++r) {
        int x = 0;
        for (int c = 0; c < m_nCols; ++c) {
            if (HWND h = ::GetDlgItem(m_hWnd, IdFromRowCol(r, c)))
                ::SetWindowPos(h, nullptr, x, y, m_cols[c].current, m_rows[r].current, SWP_NOZORDER | SWP_NOACTIVATE);
            x += m_cols[c].current + m_cxSplitter;
        }
        y += m_rows[r].current + m_cxSplitter;
    }
    Invalidate();
}

int CSplitterWnd::BarColumnAt(CPoint p) const {
    int x = 0;
    for (int c = 0; c + 1 < m_nCols; ++c) {
        x += m_cols[c].current;
        if (p.x >= x && p.x < x + m_cxSplitter) return c;
        x += m_cxSplitter;
    }
    return -1;
}

int CSplitterWnd::BarRowAt(CPoint p) const {
    int y = 0;
    for (int r = 0; r + 1 < m_nRows; ++r) {
        y += m_rows[r].current;
        if (p.y >= y && p.y < y + m_cxSplitter) return r;
        y += m_cxSplitter;
    }
    return -1;
}

BOOL CSplitterWnd::OnCommand(WPARAM wp, LPARAM lp) {
    if (CWnd::OnCommand(wp, lp)) return TRUE;
    // Commands of the panes' controls that the panes did not take go to the frame.
    CWnd* parent = GetParent();
    if (!parent) return FALSE;
    parent->SendMessage(WM_COMMAND, wp, lp);
    return TRUE;
}

BOOL CSplitterWnd::OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) {
    // The pane's own reflected handler first, then the frame.
    if (CWnd::OnNotify(wp, lp, result)) return TRUE;
    if (CWnd* parent = GetParent()) {
        LRESULT r = parent->SendMessage(WM_NOTIFY, wp, lp);
        if (result) *result = r;
        return TRUE;
    }
    return FALSE;
}

void CSplitterWnd::OnSize(UINT, int, int) {
    Default();
    RecalcLayout();
}

void CSplitterWnd::OnPaint() {
    CPaintDC dc(this);
    RECT client;
    GetClientRect(&client);
    HBRUSH face = ::GetSysColorBrush(COLOR_BTNFACE);
    int x = 0;
    for (int c = 0; c + 1 < m_nCols; ++c) {
        x += m_cols[c].current;
        RECT bar = {x, 0, x + m_cxSplitter, client.bottom};
        ::FillRect(dc.GetSafeHdc(), &bar, face);
        x += m_cxSplitter;
    }
    int y = 0;
    for (int r = 0; r + 1 < m_nRows; ++r) {
        y += m_rows[r].current;
        RECT bar = {0, y, client.right, y + m_cxSplitter};
        ::FillRect(dc.GetSafeHdc(), &bar, face);
        y += m_cxSplitter;
    }
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint p) {
    m_dragCol = BarColumnAt(p);
    m_dragRow = m_dragCol < 0 ? BarRowAt(p) : -1;
    if (m_dragCol >= 0 || m_dragRow >= 0) SetCapture();
}

void CSplitterWnd::OnMouseMove(UINT, CPoint p) {
    if (::GetCapture() != m_hWnd) return;
    if (m_dragCol >= 0) {
        int start = 0;
        for (int c = 0; c < m_dragCol; ++c) start += m_cols[c].current + m_cxSplitter;
        m_cols[m_dragCol].ideal = std::max((int)(p.x - start), m_cols[m_dragCol].minimum);
    } else if (m_dragRow >= 0) {
        int start = 0;
        for (int r = 0; r < m_dragRow; ++r) start += m_rows[r].current + m_cxSplitter;
        m_rows[m_dragRow].ideal = std::max((int)(p.y - start), m_rows[m_dragRow].minimum);
    }
    RecalcLayout();
}

void CSplitterWnd::OnLButtonUp(UINT, CPoint) {
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    m_dragCol = m_dragRow = -1;
}

BOOL CSplitterWnd::OnSetCursor(CWnd* wnd, UINT hit, UINT msg) {
    if (hit == HTCLIENT && wnd && wnd->m_hWnd == m_hWnd) {
        POINT p;
        ::GetCursorPos(&p);
        ::ScreenToClient(m_hWnd, &p);
        if (BarColumnAt(CPoint(p.x, p.y)) >= 0) {
            ::SetCursor(::LoadCursorA(nullptr, (LPCSTR)IDC_SIZEWE));
            return TRUE;
        }
        if (BarRowAt(CPoint(p.x, p.y)) >= 0) {
            ::SetCursor(::LoadCursorA(nullptr, (LPCSTR)IDC_SIZENS));
            return TRUE;
        }
    }
    return (BOOL)Default();
}

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()
