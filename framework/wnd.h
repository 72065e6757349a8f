// CWnd: a C++ object attached to a window handle, with message-map dispatch.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include "framework/cmdtarget.h"
#include "framework/gdi.h"

#undef GetNextWindow  // a macro in winuser.h; CWnd has a member of that name

class CMenu;
class CCmdUI;
class CScrollBar;
struct CCreateContext;

// Framework-private messages.
#define WM_SIZEPARENT 0x0361
#define WM_IDLEUPDATECMDUI 0x0363
#define WM_INITIALUPDATE 0x0364
#define WM_REFLECT_BASE 0xBC00  // reflected message = WM_REFLECT_BASE + original

// Notification code asking an update handler for a command's state.
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

// Standard ids.
#define AFX_IDW_PANE_FIRST 0xE900
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_CONTROLBAR_FIRST 0xE800
#define AFX_IDW_CONTROLBAR_LAST 0xE8FF
#define AFX_IDW_DIALOGBAR 0xE805

// Window-side handler shapes; the command-target shapes live in msgmap.h.
// Cracking for these tags is AfxCallWindowHandler (wnd.cpp).
enum AfxWndSig : UINT_PTR {
    AfxSig_is = AfxSig_window_first,  // int (LPCREATESTRUCT)
    AfxSig_bD,        // BOOL (CDC*)
    AfxSig_vt,        // void (UINT_PTR)
    AfxSig_vb,        // void (BOOL)
    AfxSig_vbh,       // void (BOOL, DWORD)
    AfxSig_vbw,       // void (BOOL, UINT)
    AfxSig_vOWNER,    // void (int, LPxxxITEMSTRUCT)
    AfxSig_lp,        // LRESULT (CPoint)
    AfxSig_vwp,       // void (UINT, CPoint)
    AfxSig_lwwM,      // LRESULT (UINT, UINT, CMenu*)
    AfxSig_vMwb,      // void (CMenu*, UINT, BOOL)
    AfxSig_vMw,       // void (CMenu*, UINT)
    AfxSig_vwww,      // void (UINT, UINT, UINT)
    AfxSig_vbn,       // void (BOOL, NCCALCSIZE_PARAMS*)
    AfxSig_vPOS,      // void (WINDOWPOS*)
    AfxSig_bWww,      // BOOL (CWnd*, UINT, UINT)
    AfxSig_vwWb,      // void (UINT, CWnd*, BOOL)
    AfxSig_vws,       // void (UINT, LPCSTR)
    AfxSig_vwii,      // void (UINT, int, int)
    AfxSig_vvii,      // void (int, int)
    AfxSig_vwwh,      // void (UINT, UINT, HMENU)
    AfxSig_vwlp,      // void (UINT, LPARAM)
    AfxSig_vMMI,      // void (MINMAXINFO*)
    AfxSig_vW,        // void (CWnd*)
    AfxSig_vWp,       // void (CWnd*, CPoint)
    AfxSig_hDWw,      // HBRUSH (CDC*, CWnd*, UINT)
    AfxSig_hDw,       // HBRUSH (CDC*, UINT)   reflected WM_CTLCOLOR
    AfxSig_vwwW,      // void (UINT, UINT, CScrollBar*)
    AfxSig_iWww,      // int (CWnd*, UINT, UINT)
    AfxSig_bvw,       // BOOL ()   window message returning its result
    AfxSig_vvw,       // void ()   window message
    AfxSig_lwlreg,    // LRESULT (WPARAM, LPARAM) registered message
    AfxSig_cmdui,     // void (CCmdUI*)
    AfxSig_bwcmd,     // BOOL (UINT)            ON_COMMAND_EX
    AfxSig_vNMHDRpl,  // void (NMHDR*, LRESULT*)
    AfxSig_vwNMHDRpl, // void (UINT, NMHDR*, LRESULT*)
    AfxSig_bNMHDRpl,  // BOOL (NMHDR*, LRESULT*) reflected, may pass on
    AfxSig_vPDRAW,    // void (LPDRAWITEMSTRUCT)  reflected draw
    AfxSig_vPMEAS,    // void (LPMEASUREITEMSTRUCT) reflected measure
    AfxSig_vHDROP,    // void (HDROP)
};

// Extra data of a WM_NOTIFY passed through OnCmdMsg.
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    HWND m_hWnd = nullptr;

    CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    operator HWND() const { return AfxOpaquePointer(this) ? m_hWnd : nullptr; }
    HWND GetSafeHwnd() const { return AfxOpaquePointer(this) ? m_hWnd : nullptr; }
    bool operator==(const CWnd& w) const { return m_hWnd == w.m_hWnd; }

    // Handle maps of the calling thread.
    static CWnd* FromHandle(HWND h);
    static CWnd* FromHandlePermanent(HWND h);
    static void DeleteTempMap();
    BOOL Attach(HWND h);
    HWND Detach();
    BOOL SubclassWindow(HWND h);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                        UINT id, CCreateContext* context = nullptr);
    virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int cx,
                          int cy, HWND parent, HMENU menuOrId, LPVOID param = nullptr);
    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual void PreSubclassWindow() {}
    virtual void PostNcDestroy() {}
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    virtual BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    virtual BOOL OnCommand(WPARAM wp, LPARAM lp);
    virtual BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* result);
    virtual BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    virtual BOOL ReflectChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    virtual void CalcWindowRect(LPRECT rect, UINT adjust = 0);
    virtual WNDPROC* GetSuperWndProcAddr() { return &m_pfnSuper; }
    virtual CWnd* GetOwner() const;
    LRESULT Default();
    static const MSG* GetCurrentMessage();
    static BOOL ReflectLastMsg(HWND child, LRESULT* result = nullptr);
    static BOOL WalkPreTranslateTree(HWND stop, MSG* msg);
    BOOL SendChildNotifyLastMsg(LRESULT* result = nullptr);
    void SendMessageToDescendants(UINT msg, WPARAM wp = 0, LPARAM lp = 0, BOOL deep = TRUE, BOOL onlyPerm = FALSE);
    static BOOL RegisterDefaultClass();

    // Plain wrappers.
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageA(m_hWnd, msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageA(m_hWnd, msg, wp, lp); }
    DWORD GetStyle() const { return (DWORD)::GetWindowLongA(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongA(m_hWnd, GWL_EXSTYLE); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    int SetDlgCtrlID(int id) { return (int)::SetWindowLongA(m_hWnd, GWL_ID, id); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    void GetDlgItem(int id, HWND* h) const { *h = ::GetDlgItem(m_hWnd, id); }
    UINT GetDlgItemInt(int id, BOOL* ok = nullptr, BOOL sign = TRUE) const { return ::GetDlgItemInt(m_hWnd, id, ok, sign); }
    void SetDlgItemInt(int id, UINT v, BOOL sign = TRUE) { ::SetDlgItemInt(m_hWnd, id, v, sign); }
    void SetDlgItemText(int id, LPCSTR s) { ::SetDlgItemTextA(m_hWnd, id, s); }
    int GetDlgItemText(int id, LPSTR s, int n) const { return ::GetDlgItemTextA(m_hWnd, id, s, n); }
    void CheckDlgButton(int id, UINT c) { ::CheckDlgButton(m_hWnd, id, c); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    void CheckRadioButton(int first, int last, int id) { ::CheckRadioButton(m_hWnd, first, last, id); }
    LRESULT SendDlgItemMessage(int id, UINT m, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendDlgItemMessageA(m_hWnd, id, m, wp, lp);
    }
    void SetWindowText(LPCSTR s) { ::SetWindowTextA(m_hWnd, s); }
    int GetWindowText(LPSTR s, int n) const { return ::GetWindowTextA(m_hWnd, s, n); }
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetFont(CFont* f, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, (WPARAM)f->GetSafeHandle(), redraw); }
    CFont* GetFont() const { return CFont::FromHandle((HFONT)SendMessage(WM_GETFONT)); }
    void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
    void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
    void ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
    void ClientToScreen(LPRECT r) const { ::ClientToScreen(m_hWnd, (LPPOINT)r); ::ClientToScreen(m_hWnd, (LPPOINT)r + 1); }
    void ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
    void ScreenToClient(LPRECT r) const { ::ScreenToClient(m_hWnd, (LPPOINT)r); ::ScreenToClient(m_hWnd, (LPPOINT)r + 1); }
    void MapWindowPoints(CWnd* to, LPPOINT p, UINT n) const { ::MapWindowPoints(m_hWnd, to->GetSafeHwnd(), p, n); }
    void MapWindowPoints(CWnd* to, LPRECT r) const { ::MapWindowPoints(m_hWnd, to->GetSafeHwnd(), (LPPOINT)r, 2); }
    void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, repaint); }
    void MoveWindow(LPCRECT r, BOOL repaint = TRUE) { MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, repaint); }
    BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(m_hWnd, after->GetSafeHwnd(), x, y, cx, cy, flags);
    }
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL e = TRUE) { return ::EnableWindow(m_hWnd, e); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    BOOL IsChild(const CWnd* w) const { return ::IsChild(m_hWnd, w->GetSafeHwnd()); }
    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(LPCRECT r, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, r, erase); }
    void ValidateRect(LPCRECT r) { ::ValidateRect(m_hWnd, r); }
    BOOL RedrawWindow(LPCRECT r = nullptr, CRgn* rgn = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, r, (HRGN)rgn->GetSafeHandle(), flags);
    }
    void SetRedraw(BOOL r = TRUE) { SendMessage(WM_SETREDRAW, r); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
    static CWnd* GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
    static CWnd* GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
    static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
    static CWnd* FindWindow(LPCSTR cls, LPCSTR name) { return FromHandle(::FindWindowA(cls, name)); }
    static CWnd* WindowFromPoint(POINT p) { return FromHandle(::WindowFromPoint(p)); }
    CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* SetParent(CWnd* p) { return FromHandle(::SetParent(m_hWnd, p->GetSafeHwnd())); }
    CWnd* GetTopLevelParent() const;
    class CFrameWnd* GetParentFrame() const;
    class CFrameWnd* GetTopLevelFrame() const;
    CWnd* GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
    CWnd* GetNextWindow(UINT cmd = GW_HWNDNEXT) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
    CWnd* GetTopWindow() const { return FromHandle(::GetTopWindow(m_hWnd)); }
    CWnd* ChildWindowFromPoint(POINT p) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, p)); }
    void SetOwner(CWnd* owner) { m_hWndOwner = owner->GetSafeHwnd(); }
    CMenu* GetMenu() const;
    BOOL SetMenu(CMenu* m);
    void DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
    CMenu* GetSystemMenu(BOOL revert) const;
    HICON SetIcon(HICON h, BOOL big) { return (HICON)SendMessage(WM_SETICON, big, (LPARAM)h); }
    HICON GetIcon(BOOL big) const { return (HICON)SendMessage(WM_GETICON, big); }
    UINT_PTR SetTimer(UINT_PTR id, UINT ms, TIMERPROC fn) { return ::SetTimer(m_hWnd, id, ms, fn); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    CDC* GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
    CDC* GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
    int ReleaseDC(CDC* dc) { return ::ReleaseDC(m_hWnd, dc->GetSafeHdc()); }
    BOOL GetWindowPlacement(WINDOWPLACEMENT* p) const { p->length = sizeof *p; return ::GetWindowPlacement(m_hWnd, p); }
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* p) { return ::SetWindowPlacement(m_hWnd, p); }
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);
    void CenterWindow(CWnd* alternate = nullptr);
    void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
    int SetWindowRgn(HRGN r, BOOL redraw) { return ::SetWindowRgn(m_hWnd, r, redraw); }
    void DragAcceptFiles(BOOL accept = TRUE) { ::DragAcceptFiles(m_hWnd, accept); }
    void RepositionBars(UINT first, UINT last, UINT idLeftOver, UINT query = 0, LPRECT rect = nullptr,
                        LPCRECT clientRect = nullptr, BOOL stretch = TRUE);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(class CDataExchange* dx) {}
    BOOL ExecuteDlgInit(LPCSTR templateName);
    int RunModalLoop(DWORD flags = 0);
    void EndModalLoop(int result);
    BOOL ContinueModal() { return m_bContinueModal; }

    // Default message handlers reached by the map entries of derived classes.
    int OnCreate(LPCREATESTRUCTA cs) { return (int)Default(); }
    void OnDestroy() { Default(); }
    void OnNcDestroy();
    void OnPaint() { Default(); }
    void OnNcPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC* dc) { return (BOOL)Default(); }
    void OnTimer(UINT_PTR id) { Default(); }
    void OnSysColorChange() { Default(); }
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mi);
    void OnDrawItem(int id, LPDRAWITEMSTRUCT di);
    LRESULT OnNcHitTest(CPoint p) { return Default(); }
    void OnMouseMove(UINT flags, CPoint p) { Default(); }
    void OnLButtonDown(UINT flags, CPoint p) { Default(); }
    void OnLButtonUp(UINT flags, CPoint p) { Default(); }
    void OnLButtonDblClk(UINT flags, CPoint p) { Default(); }
    void OnRButtonDown(UINT flags, CPoint p) { Default(); }
    void OnRButtonUp(UINT flags, CPoint p) { Default(); }
    void OnNcLButtonDown(UINT hit, CPoint p) { Default(); }
    void OnNcMouseMove(UINT hit, CPoint p) { Default(); }
    LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu) { return Default(); }
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu) { Default(); }
    void OnUnInitMenuPopup(CMenu* popup, UINT flags) { Default(); }
    void OnEnterMenuLoop(BOOL track) { Default(); }
    void OnExitMenuLoop(BOOL track) { Default(); }
    void OnMenuSelect(UINT id, UINT flags, HMENU menu) { Default(); }
    void OnShowWindow(BOOL show, UINT status) { Default(); }
    void OnKeyDown(UINT ch, UINT rep, UINT flags) { Default(); }
    void OnKeyUp(UINT ch, UINT rep, UINT flags) { Default(); }
    void OnChar(UINT ch, UINT rep, UINT flags) { Default(); }
    void OnSysKeyDown(UINT ch, UINT rep, UINT flags) { Default(); }
    void OnSysKeyUp(UINT ch, UINT rep, UINT flags) { Default(); }
    void OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* p) { Default(); }
    void OnWindowPosChanged(WINDOWPOS* p) { Default(); }
    void OnWindowPosChanging(WINDOWPOS* p) { Default(); }
    BOOL OnSetCursor(CWnd* wnd, UINT hit, UINT msg) { return (BOOL)Default(); }
    void OnActivate(UINT state, CWnd* other, BOOL minimized) { Default(); }
    void OnActivateApp(BOOL active, DWORD thread) { Default(); }
    void OnSettingChange(UINT flags, LPCSTR section) { Default(); }
    void OnSize(UINT type, int cx, int cy) { Default(); }
    void OnMove(int x, int y) { Default(); }
    void OnSysCommand(UINT id, LPARAM lp) { Default(); }
    void OnGetMinMaxInfo(MINMAXINFO* mmi) { Default(); }
    void OnSetFocus(CWnd* old) { Default(); }
    void OnKillFocus(CWnd* next) { Default(); }
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type);
    void OnClose() { Default(); }
    BOOL OnQueryEndSession() { return (BOOL)Default(); }
    void OnEndSession(BOOL ending) { Default(); }
    void OnCancelMode() { Default(); }
    void OnContextMenu(CWnd* wnd, CPoint p) { Default(); }
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar) { Default(); }
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar) { Default(); }
    int OnMouseActivate(CWnd* top, UINT hit, UINT msg) { return (int)Default(); }
    void OnDropFiles(HDROP drop) { Default(); }

    DECLARE_MESSAGE_MAP()
public:

protected:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);

    friend class CFrameWnd;
    WNDPROC m_pfnSuper = nullptr;
    HWND m_hWndOwner = nullptr;
    BOOL m_bContinueModal = FALSE;
    int m_nModalResult = 0;
};

LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);

// Window state of the calling thread that other parts of the layer (and the
// menu skin) read: the popup menu being tracked and its owner window.
struct AFX_WND_THREAD_STATE {
    HWND m_hTrackingWindow = nullptr;
    HMENU m_hTrackingMenu = nullptr;
};
AFX_WND_THREAD_STATE* AfxGetWndThreadState();

// Attaches the next window the calling thread creates to wnd (before its
// WM_NCCREATE), for windows made by the system: dialogs, property sheets.
// AfxUnhookWindowCreate removes the hook; TRUE when the window was attached.
void AfxHookWindowCreate(CWnd* wnd);
BOOL AfxUnhookWindowCreate();
// While set, control notifications (WM_COMMAND from a control) to h are
// ignored; returns the previous window. UpdateData uses it.
HWND AfxSetNotifyLockout(HWND h);

// Makes a message the one CWnd::GetCurrentMessage reports for a scope, as the
// framework's window procedure does for its windows; the previous one comes
// back when the scope ends. For window procedures of the program's own that
// call into framework code (a window subclassed on top of the framework's).
class CCurrentMessageScope {
public:
    CCurrentMessageScope(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    ~CCurrentMessageScope();
    CCurrentMessageScope(const CCurrentMessageScope&) = delete;
    CCurrentMessageScope& operator=(const CCurrentMessageScope&) = delete;

private:
    MSG m_saved;
};

// Ends a mode of the focus window before a menu of receiver opens: a dropped
// combo box (or its edit) closes its list, any other focus window gets
// WM_CANCELMODE. Nothing happens when receiver itself (or nothing) has the focus.
void AfxCancelModes(HWND receiver);

// Deletes the calling thread's temporary wrappers (windows, menus, DCs, GDI objects).
void AfxDeleteTempMaps();
// Window class of the framework's own windows.
LPCSTR AfxDefaultWndClass();
// A window class with these attributes (the framework's window procedure
// takes over at creation), registered once per process: its name, valid
// until the process ends, or null when it cannot be registered.
LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                           HICON icon = nullptr);


// Message-map entries for window messages; each checks the handler's type.
#define AFX_WM_ENTRY(msg, sig, type, fn) {msg, 0, 0, 0, sig, (AFX_PMSG)(static_cast<type>(&ThisClass::fn))},
#define ON_WM_CREATE() AFX_WM_ENTRY(WM_CREATE, AfxSig_is, int (CWnd::*)(LPCREATESTRUCTA), OnCreate)
#define ON_WM_DESTROY() AFX_WM_ENTRY(WM_DESTROY, AfxSig_vvw, void (CWnd::*)(), OnDestroy)
#define ON_WM_NCDESTROY() AFX_WM_ENTRY(WM_NCDESTROY, AfxSig_vvw, void (CWnd::*)(), OnNcDestroy)
#define ON_WM_PAINT() AFX_WM_ENTRY(WM_PAINT, AfxSig_vvw, void (CWnd::*)(), OnPaint)
#define ON_WM_NCPAINT() AFX_WM_ENTRY(WM_NCPAINT, AfxSig_vvw, void (CWnd::*)(), OnNcPaint)
#define ON_WM_ERASEBKGND() AFX_WM_ENTRY(WM_ERASEBKGND, AfxSig_bD, BOOL (CWnd::*)(CDC*), OnEraseBkgnd)
#define ON_WM_TIMER() AFX_WM_ENTRY(WM_TIMER, AfxSig_vt, void (CWnd::*)(UINT_PTR), OnTimer)
#define ON_WM_SYSCOLORCHANGE() AFX_WM_ENTRY(WM_SYSCOLORCHANGE, AfxSig_vvw, void (CWnd::*)(), OnSysColorChange)
#define ON_WM_MEASUREITEM() AFX_WM_ENTRY(WM_MEASUREITEM, AfxSig_vOWNER, void (CWnd::*)(int, LPMEASUREITEMSTRUCT), OnMeasureItem)
#define ON_WM_DRAWITEM() AFX_WM_ENTRY(WM_DRAWITEM, AfxSig_vOWNER, void (CWnd::*)(int, LPDRAWITEMSTRUCT), OnDrawItem)
#define ON_WM_NCHITTEST() AFX_WM_ENTRY(WM_NCHITTEST, AfxSig_lp, LRESULT (CWnd::*)(CPoint), OnNcHitTest)
#define ON_WM_MOUSEMOVE() AFX_WM_ENTRY(WM_MOUSEMOVE, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_WM_ENTRY(WM_LBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_WM_ENTRY(WM_LBUTTONUP, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_WM_ENTRY(WM_LBUTTONDBLCLK, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_WM_ENTRY(WM_RBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_WM_ENTRY(WM_RBUTTONUP, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnRButtonUp)
#define ON_WM_NCLBUTTONDOWN() AFX_WM_ENTRY(WM_NCLBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnNcLButtonDown)
#define ON_WM_NCMOUSEMOVE() AFX_WM_ENTRY(WM_NCMOUSEMOVE, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnNcMouseMove)
#define ON_WM_MENUCHAR() AFX_WM_ENTRY(WM_MENUCHAR, AfxSig_lwwM, LRESULT (CWnd::*)(UINT, UINT, CMenu*), OnMenuChar)
#define ON_WM_INITMENUPOPUP() AFX_WM_ENTRY(WM_INITMENUPOPUP, AfxSig_vMwb, void (CWnd::*)(CMenu*, UINT, BOOL), OnInitMenuPopup)
#define ON_WM_UNINITMENUPOPUP() AFX_WM_ENTRY(WM_UNINITMENUPOPUP, AfxSig_vMw, void (CWnd::*)(CMenu*, UINT), OnUnInitMenuPopup)
#define ON_WM_ENTERMENULOOP() AFX_WM_ENTRY(WM_ENTERMENULOOP, AfxSig_vb, void (CWnd::*)(BOOL), OnEnterMenuLoop)
#define ON_WM_EXITMENULOOP() AFX_WM_ENTRY(WM_EXITMENULOOP, AfxSig_vb, void (CWnd::*)(BOOL), OnExitMenuLoop)
#define ON_WM_MENUSELECT() AFX_WM_ENTRY(WM_MENUSELECT, AfxSig_vwwh, void (CWnd::*)(UINT, UINT, HMENU), OnMenuSelect)
#define ON_WM_SHOWWINDOW() AFX_WM_ENTRY(WM_SHOWWINDOW, AfxSig_vbw, void (CWnd::*)(BOOL, UINT), OnShowWindow)
#define ON_WM_KEYDOWN() AFX_WM_ENTRY(WM_KEYDOWN, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() AFX_WM_ENTRY(WM_KEYUP, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_CHAR() AFX_WM_ENTRY(WM_CHAR, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnChar)
#define ON_WM_SYSKEYDOWN() AFX_WM_ENTRY(WM_SYSKEYDOWN, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnSysKeyDown)
#define ON_WM_SYSKEYUP() AFX_WM_ENTRY(WM_SYSKEYUP, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnSysKeyUp)
#define ON_WM_NCCALCSIZE() AFX_WM_ENTRY(WM_NCCALCSIZE, AfxSig_vbn, void (CWnd::*)(BOOL, NCCALCSIZE_PARAMS*), OnNcCalcSize)
#define ON_WM_WINDOWPOSCHANGED() AFX_WM_ENTRY(WM_WINDOWPOSCHANGED, AfxSig_vPOS, void (CWnd::*)(WINDOWPOS*), OnWindowPosChanged)
#define ON_WM_WINDOWPOSCHANGING() AFX_WM_ENTRY(WM_WINDOWPOSCHANGING, AfxSig_vPOS, void (CWnd::*)(WINDOWPOS*), OnWindowPosChanging)
#define ON_WM_SETCURSOR() AFX_WM_ENTRY(WM_SETCURSOR, AfxSig_bWww, BOOL (CWnd::*)(CWnd*, UINT, UINT), OnSetCursor)
#define ON_WM_ACTIVATE() AFX_WM_ENTRY(WM_ACTIVATE, AfxSig_vwWb, void (CWnd::*)(UINT, CWnd*, BOOL), OnActivate)
#define ON_WM_ACTIVATEAPP() AFX_WM_ENTRY(WM_ACTIVATEAPP, AfxSig_vbh, void (CWnd::*)(BOOL, DWORD), OnActivateApp)
#define ON_WM_SETTINGCHANGE() AFX_WM_ENTRY(WM_SETTINGCHANGE, AfxSig_vws, void (CWnd::*)(UINT, LPCSTR), OnSettingChange)
#define ON_WM_SIZE() AFX_WM_ENTRY(WM_SIZE, AfxSig_vwii, void (CWnd::*)(UINT, int, int), OnSize)
#define ON_WM_MOVE() AFX_WM_ENTRY(WM_MOVE, AfxSig_vvii, void (CWnd::*)(int, int), OnMove)
#define ON_WM_SYSCOMMAND() AFX_WM_ENTRY(WM_SYSCOMMAND, AfxSig_vwlp, void (CWnd::*)(UINT, LPARAM), OnSysCommand)
#define ON_WM_GETMINMAXINFO() AFX_WM_ENTRY(WM_GETMINMAXINFO, AfxSig_vMMI, void (CWnd::*)(MINMAXINFO*), OnGetMinMaxInfo)
#define ON_WM_SETFOCUS() AFX_WM_ENTRY(WM_SETFOCUS, AfxSig_vW, void (CWnd::*)(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_WM_ENTRY(WM_KILLFOCUS, AfxSig_vW, void (CWnd::*)(CWnd*), OnKillFocus)
#define ON_WM_CTLCOLOR() AFX_WM_ENTRY(WM_CTLCOLORSTATIC, AfxSig_hDWw, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor) \
    AFX_WM_ENTRY(WM_CTLCOLOREDIT, AfxSig_hDWw, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor) \
    AFX_WM_ENTRY(WM_CTLCOLORBTN, AfxSig_hDWw, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor) \
    AFX_WM_ENTRY(WM_CTLCOLORLISTBOX, AfxSig_hDWw, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor) \
    AFX_WM_ENTRY(WM_CTLCOLORDLG, AfxSig_hDWw, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor)
#define ON_WM_CLOSE() AFX_WM_ENTRY(WM_CLOSE, AfxSig_vvw, void (CWnd::*)(), OnClose)
#define ON_WM_QUERYENDSESSION() AFX_WM_ENTRY(WM_QUERYENDSESSION, AfxSig_bvw, BOOL (CWnd::*)(), OnQueryEndSession)
#define ON_WM_ENDSESSION() AFX_WM_ENTRY(WM_ENDSESSION, AfxSig_vb, void (CWnd::*)(BOOL), OnEndSession)
#define ON_WM_CANCELMODE() AFX_WM_ENTRY(WM_CANCELMODE, AfxSig_vvw, void (CWnd::*)(), OnCancelMode)
#define ON_WM_CONTEXTMENU() AFX_WM_ENTRY(WM_CONTEXTMENU, AfxSig_vWp, void (CWnd::*)(CWnd*, CPoint), OnContextMenu)
#define ON_WM_HSCROLL() AFX_WM_ENTRY(WM_HSCROLL, AfxSig_vwwW, void (CWnd::*)(UINT, UINT, CScrollBar*), OnHScroll)
#define ON_WM_VSCROLL() AFX_WM_ENTRY(WM_VSCROLL, AfxSig_vwwW, void (CWnd::*)(UINT, UINT, CScrollBar*), OnVScroll)
#define ON_WM_DROPFILES() AFX_WM_ENTRY(WM_DROPFILES, AfxSig_vHDROP, void (CWnd::*)(HDROP), OnDropFiles)
#define ON_WM_MOUSEACTIVATE() AFX_WM_ENTRY(WM_MOUSEACTIVATE, AfxSig_iWww, int (CWnd::*)(CWnd*, UINT, UINT), OnMouseActivate)

// The registered message id is read from the UINT variable at dispatch time
// (the entry's id field holds its address).
#define ON_REGISTERED_MESSAGE(var, fn) \
    {0xC000, 0, 0, 0, AfxSig_lwlreg, (AFX_PMSG)(static_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(&ThisClass::fn)), &(var)},

// Commands, update handlers and control notifications (routed by OnCmdMsg).
#define ON_COMMAND_EX(id, fn) \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AfxSig_bwcmd, (AFX_PMSG)(static_cast<BOOL (CCmdTarget::*)(UINT)>(&ThisClass::fn))},
#define ON_UPDATE_COMMAND_UI(id, fn) \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id), AfxSig_cmdui, (AFX_PMSG)(static_cast<void (CCmdTarget::*)(CCmdUI*)>(&ThisClass::fn))},
#define ON_UPDATE_COMMAND_UI_RANGE(first, last, fn) \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(first), (UINT)(last), AfxSig_cmdui, (AFX_PMSG)(static_cast<void (CCmdTarget::*)(CCmdUI*)>(&ThisClass::fn))},
#define ON_CONTROL(code, id, fn) \
    {WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), AfxSig_vv, static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(&ThisClass::fn))},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_DROPDOWN(id, fn) ON_CONTROL(CBN_DROPDOWN, id, fn)
#define ON_CBN_EDITCHANGE(id, fn) ON_CONTROL(CBN_EDITCHANGE, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_LBN_DBLCLK(id, fn) ON_CONTROL(LBN_DBLCLK, id, fn)
#define ON_NOTIFY(code, id, fn) \
    {WM_NOTIFY, (UINT)(WORD)(code), (UINT)(id), (UINT)(id), AfxSig_vNMHDRpl, (AFX_PMSG)(static_cast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(&ThisClass::fn))},
#define ON_NOTIFY_RANGE(code, first, last, fn) \
    {WM_NOTIFY, (UINT)(WORD)(code), (UINT)(first), (UINT)(last), AfxSig_vwNMHDRpl, (AFX_PMSG)(static_cast<void (CCmdTarget::*)(UINT, NMHDR*, LRESULT*)>(&ThisClass::fn))},
// Reflected notifications arrive at the child as WM_REFLECT_BASE + message.
#define ON_NOTIFY_REFLECT(code, fn) \
    {WM_REFLECT_BASE + WM_NOTIFY, (UINT)(WORD)(code), 0, 0, AfxSig_vNMHDRpl, (AFX_PMSG)(static_cast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(&ThisClass::fn))},
#define ON_NOTIFY_REFLECT_EX(code, fn) \
    {WM_REFLECT_BASE + WM_NOTIFY, (UINT)(WORD)(code), 0, 0, AfxSig_bNMHDRpl, (AFX_PMSG)(static_cast<BOOL (CCmdTarget::*)(NMHDR*, LRESULT*)>(&ThisClass::fn))},
#define ON_CONTROL_REFLECT(code, fn) \
    {WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, AfxSig_vvw, (AFX_PMSG)(static_cast<void (CCmdTarget::*)()>(&ThisClass::fn))},
#define ON_WM_CTLCOLOR_REFLECT() \
    {WM_REFLECT_BASE + 0x0019, 0, 0, 0, AfxSig_hDw, (AFX_PMSG)(static_cast<HBRUSH (CWnd::*)(CDC*, UINT)>(&ThisClass::CtlColor))},
#define ON_WM_DRAWITEM_REFLECT() \
    {WM_REFLECT_BASE + WM_DRAWITEM, 0, 0, 0, AfxSig_vPDRAW, (AFX_PMSG)(static_cast<void (CWnd::*)(LPDRAWITEMSTRUCT)>(&ThisClass::DrawItem))},
#define ON_WM_MEASUREITEM_REFLECT() \
    {WM_REFLECT_BASE + WM_MEASUREITEM, 0, 0, 0, AfxSig_vPMEAS, (AFX_PMSG)(static_cast<void (CWnd::*)(LPMEASUREITEMSTRUCT)>(&ThisClass::MeasureItem))},
