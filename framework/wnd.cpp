#include "framework/wnd.h"
#include "framework/cmdui.h"
#include "framework/handlemap.h"
#include "framework/menu.h"
#include "framework/thread.h"
#include <shellapi.h>
#include <atomic>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {

// Everything window-related that belongs to one thread.
struct WndThreadData {
    CHandleMap<HWND, CWnd> windows;
    MSG current = {};
    CWnd* pendingCreate = nullptr;
    HHOOK createHook = nullptr;
    HWND lockoutNotify = nullptr;  // window whose control notifications are ignored (UpdateData)
    AFX_WND_THREAD_STATE shared;
};

thread_local CThreadRecord<WndThreadData> t_wndRecord;
WndThreadData& WndData() { return t_wndRecord.Get(); }

const char kWndClass[] = "AfxWnd";
const char kFrameClass[] = "AfxFrameOrView";

// The window that is being created is attached before it sees WM_NCCREATE.
LRESULT CALLBACK CreateHookProc(int code, WPARAM wp, LPARAM lp) {
    HHOOK hook = WndData().createHook;
    if (code == HCBT_CREATEWND && WndData().pendingCreate) {
        CWnd* wnd = WndData().pendingCreate;
        WndData().pendingCreate = nullptr;
        HWND h = (HWND)wp;
        wnd->Attach(h);
        wnd->PreSubclassWindow();
        WNDPROC old = (WNDPROC)::SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
        if (old != AfxWndProc) *wnd->GetSuperWndProcAddr() = old;
        ::UnhookWindowsHookEx(hook);
        WndData().createHook = nullptr;
    }
    return ::CallNextHookEx(hook, code, wp, lp);
}

// Finds the popup of root (or root itself) that holds the item id.
HMENU FindPopupHolding(HMENU root, UINT id) {
    int n = ::GetMenuItemCount(root);
    for (int i = 0; i < n; ++i) {
        HMENU sub = ::GetSubMenu(root, i);
        if (sub) {
            if (HMENU found = FindPopupHolding(sub, id)) return found;
        } else if (::GetMenuItemID(root, i) == id) {
            return root;
        }
    }
    return nullptr;
}

}  // namespace

AFX_WND_THREAD_STATE* AfxGetWndThreadState() { return &WndData().shared; }

LPCSTR AfxDefaultWndClass() {
    CWnd::RegisterDefaultClass();
    return kWndClass;
}

BOOL CWnd::RegisterDefaultClass() {
    static std::atomic<bool> done{false};  // GUI threads of one process share the classes
    if (done) return TRUE;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = kWndClass;
    ::RegisterClassA(&wc);
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kFrameClass;
    ::RegisterClassA(&wc);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    done = true;
    return TRUE;
}

// ---- handle maps ---------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_hWnd && WndData().windows.LookupPermanent(m_hWnd) == this) {
        // The object dies before its window: destroy the window without
        // letting PostNcDestroy reach a half-destroyed object.
        HWND h = m_hWnd;
        Detach();
        if (m_pfnSuper) ::SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
        ::DestroyWindow(h);
    }
}

CWnd* CWnd::FromHandle(HWND h) {
    return WndData().windows.FromHandle(h, [](HWND hw) {
        CWnd* w = new CWnd;
        w->m_hWnd = hw;
        return w;
    });
}

CWnd* CWnd::FromHandlePermanent(HWND h) { return WndData().windows.LookupPermanent(h); }

void CWnd::DeleteTempMap() {
    WndData().windows.DeleteTemp([](CWnd* w) { w->m_hWnd = nullptr; });
}

BOOL CWnd::Attach(HWND h) {
    if (!h) return FALSE;
    m_hWnd = h;
    WndData().windows.permanent[h] = this;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND h = m_hWnd;
    if (h) {
        auto it = WndData().windows.permanent.find(h);
        if (it != WndData().windows.permanent.end() && it->second == this) WndData().windows.permanent.erase(it);
    }
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND h) {
    if (!Attach(h)) return FALSE;
    PreSubclassWindow();
    WNDPROC old = (WNDPROC)::SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
    if (old != AfxWndProc) *GetSuperWndProcAddr() = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    HWND h = ::GetDlgItem(parent->GetSafeHwnd(), id);
    return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    WNDPROC* super = GetSuperWndProcAddr();
    if (*super) ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)*super);
    *super = nullptr;
    return Detach();
}

void AfxDeleteTempMaps() {
    if (t_wndRecord.Peek()) CWnd::DeleteTempMap();
    CMenu::DeleteTempMap();
    extern void AfxDeleteGdiTempMaps();
    AfxDeleteGdiTempMaps();
}

// The end of a framework thread: its wrappers and maps go with it.
static void TermWindowThreadMaps() {
    AfxDeleteTempMaps();
    extern void AfxTermMenuThreadMap();
    extern void AfxTermGdiThreadMaps();
    AfxTermMenuThreadMap();
    AfxTermGdiThreadMaps();
    t_wndRecord.Free();
}

static const bool s_threadTermHook = (AfxSetThreadTermHook(&TermWindowThreadMaps), true);

// ---- creation ------------------------------------------------------------

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass) {
        RegisterDefaultClass();
        cs.lpszClass = (cs.style & WS_CHILD) ? kWndClass : kFrameClass;
    }
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int cx, int cy,
                    HWND parent, HMENU menuOrId, LPVOID param) {
    CREATESTRUCTA cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = x;
    cs.y = y;
    cs.cx = cx;
    cs.cy = cy;
    cs.hwndParent = parent;
    cs.hMenu = menuOrId;
    cs.hInstance = ::GetModuleHandleA(nullptr);
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    CWnd* outerPending = WndData().pendingCreate;
    HHOOK outerHook = WndData().createHook;
    WndData().pendingCreate = this;
    WndData().createHook = ::SetWindowsHookExA(WH_CBT, CreateHookProc, nullptr, ::GetCurrentThreadId());
    HWND h = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                               cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    bool attached = WndData().pendingCreate == nullptr;  // the hook took this object
    if (WndData().createHook) ::UnhookWindowsHookEx(WndData().createHook);
    WndData().createHook = outerHook;
    WndData().pendingCreate = outerPending;
    if (!h) {
        // A window that was attached and then failed (WM_CREATE gave -1) has
        // had its WM_NCDESTROY, and with it PostNcDestroy: a frame or view has
        // deleted itself, so nothing of this object may be touched again.
        if (!attached) PostNcDestroy();
        return FALSE;
    }
    return TRUE;
}

void AfxHookWindowCreate(CWnd* wnd) {
    WndData().pendingCreate = wnd;
    if (!WndData().createHook)
        WndData().createHook = ::SetWindowsHookExA(WH_CBT, CreateHookProc, nullptr, ::GetCurrentThreadId());
}

BOOL AfxUnhookWindowCreate() {
    if (WndData().createHook) ::UnhookWindowsHookEx(WndData().createHook);
    WndData().createHook = nullptr;
    BOOL attached = WndData().pendingCreate == nullptr;
    WndData().pendingCreate = nullptr;
    return attached;
}

void AfxCancelModes(HWND receiver) {
    HWND focus = ::GetFocus();
    if (!focus || focus == receiver) return;
    char cls[16] = "";
    HWND combo = focus;
    ::GetClassNameA(combo, cls, sizeof cls);
    if (lstrcmpiA(cls, "Edit") == 0 && ::GetParent(focus)) {
        // The edit of a combo box: the mode belongs to the combo.
        char parentCls[16] = "";
        ::GetClassNameA(::GetParent(focus), parentCls, sizeof parentCls);
        if (lstrcmpiA(parentCls, "ComboBox") == 0) {
            combo = ::GetParent(focus);
            lstrcpyA(cls, parentCls);
        }
    }
    if (lstrcmpiA(cls, "ComboBox") == 0) {
        if (::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) ::SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        return;
    }
    ::SendMessageA(focus, WM_CANCELMODE, 0, 0);
}

HWND AfxSetNotifyLockout(HWND h) {
    HWND old = WndData().lockoutNotify;
    WndData().lockoutNotify = h;
    return old;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& r, CWnd* parent,
                    UINT id, LPVOID param) {
    return CreateEx(exStyle, className, windowName, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                    parent->GetSafeHwnd(), (HMENU)(UINT_PTR)id, param);
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& r, CWnd* parent, UINT id,
                  CCreateContext* context) {
    return CreateEx(0, className, windowName, style | WS_CHILD, r, parent, id, (LPVOID)context);
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

// ---- the window procedure ------------------------------------------------

LRESULT CALLBACK AfxWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = CWnd::FromHandlePermanent(h);
    if (!wnd) return ::DefWindowProcA(h, msg, wp, lp);
    CCurrentMessageScope current(h, msg, wp, lp);
    LRESULT r = wnd->WindowProc(msg, wp, lp);
    if (msg == WM_NCDESTROY && CWnd::FromHandlePermanent(h) == wnd) {
        // Last message: the object lets go of the window, then may delete itself.
        WNDPROC super = *wnd->GetSuperWndProcAddr();
        if (super) ::SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)super);
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    return r;
}

const MSG* CWnd::GetCurrentMessage() { return &WndData().current; }

CCurrentMessageScope::CCurrentMessageScope(HWND h, UINT msg, WPARAM wp, LPARAM lp) : m_saved(WndData().current) {
    MSG& m = WndData().current;
    m.hwnd = h;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    m.time = ::GetMessageTime();
    DWORD pos = ::GetMessagePos();
    m.pt.x = (short)LOWORD(pos);
    m.pt.y = (short)HIWORD(pos);
}

CCurrentMessageScope::~CCurrentMessageScope() { WndData().current = m_saved; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = 0;
    if (!OnWndMsg(msg, wp, lp, &r)) r = DefWindowProc(msg, wp, lp);
    return r;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, msg, wp, lp);
    return ::DefWindowProcA(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::Default() {
    const MSG& m = WndData().current;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

void CWnd::OnNcDestroy() { Default(); }

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == WM_COMMAND) {
        if (!OnCommand(wp, lp)) return FALSE;
        *result = 0;
        return TRUE;
    }
    if (msg == WM_NOTIFY) {
        NMHDR* hdr = (NMHDR*)lp;
        if (hdr && hdr->hwndFrom) return OnNotify(wp, lp, result);
        return FALSE;
    }
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->nSig != AfxSig_end; ++e) {
            bool match = e->nSig == AfxSig_lwlreg ? (msg >= 0xC000 && *e->pRegisteredMessage == msg)
                                                  : (e->nMessage == msg && e->nMessage != WM_COMMAND &&
                                                     e->nMessage != WM_NOTIFY);
            if (match) return AfxCallHandler(this, e, 0, wp, lp, result);
        }
    }
    return FALSE;
}

// Cracks wParam/lParam of a window message into the handler's parameters.
static BOOL AfxCallWindowHandler(CCmdTarget* target, const AFX_MSGMAP_ENTRY* e, UINT id, WPARAM wp, LPARAM lp,
                                 LRESULT* pResult) {
    CWnd* w = static_cast<CWnd*>(target);
    AFX_PMSG pfn = e->pfn;
    LRESULT r = 0;
#define FW_CALL(type) (w->*reinterpret_cast<type>(pfn))
    switch (e->nSig) {
    case AfxSig_is: r = FW_CALL(int (CWnd::*)(LPCREATESTRUCTA))((LPCREATESTRUCTA)lp); break;
    case AfxSig_bD: r = FW_CALL(BOOL (CWnd::*)(CDC*))(CDC::FromHandle((HDC)wp)); break;
    case AfxSig_vt: FW_CALL(void (CWnd::*)(UINT_PTR))((UINT_PTR)wp); break;
    case AfxSig_vb: FW_CALL(void (CWnd::*)(BOOL))((BOOL)wp); break;
    case AfxSig_vbh: FW_CALL(void (CWnd::*)(BOOL, DWORD))((BOOL)wp, (DWORD)lp); break;
    case AfxSig_vbw: FW_CALL(void (CWnd::*)(BOOL, UINT))((BOOL)wp, (UINT)lp); break;
    case AfxSig_vOWNER: FW_CALL(void (CWnd::*)(int, void*))((int)wp, (void*)lp); r = TRUE; break;
    case AfxSig_lp: r = FW_CALL(LRESULT (CWnd::*)(CPoint))(CPoint((DWORD)lp)); break;
    case AfxSig_vwp: FW_CALL(void (CWnd::*)(UINT, CPoint))((UINT)wp, CPoint((DWORD)lp)); break;
    case AfxSig_lwwM:
        r = FW_CALL(LRESULT (CWnd::*)(UINT, UINT, CMenu*))(LOWORD(wp), HIWORD(wp), CMenu::FromHandle((HMENU)lp));
        break;
    case AfxSig_vMwb:
        FW_CALL(void (CWnd::*)(CMenu*, UINT, BOOL))(CMenu::FromHandle((HMENU)wp), LOWORD(lp), (BOOL)HIWORD(lp));
        break;
    case AfxSig_vMw: FW_CALL(void (CWnd::*)(CMenu*, UINT))(CMenu::FromHandle((HMENU)wp), (UINT)lp); break;
    case AfxSig_vwww: FW_CALL(void (CWnd::*)(UINT, UINT, UINT))((UINT)wp, LOWORD(lp), HIWORD(lp)); break;
    case AfxSig_vbn: FW_CALL(void (CWnd::*)(BOOL, NCCALCSIZE_PARAMS*))((BOOL)wp, (NCCALCSIZE_PARAMS*)lp); break;
    case AfxSig_vPOS: FW_CALL(void (CWnd::*)(WINDOWPOS*))((WINDOWPOS*)lp); break;
    case AfxSig_bWww:
        r = FW_CALL(BOOL (CWnd::*)(CWnd*, UINT, UINT))(CWnd::FromHandle((HWND)wp), LOWORD(lp), HIWORD(lp));
        break;
    case AfxSig_vwWb:
        FW_CALL(void (CWnd::*)(UINT, CWnd*, BOOL))(LOWORD(wp), CWnd::FromHandle((HWND)lp), (BOOL)HIWORD(wp));
        break;
    case AfxSig_vws: FW_CALL(void (CWnd::*)(UINT, LPCSTR))((UINT)wp, (LPCSTR)lp); break;
    case AfxSig_vwii: FW_CALL(void (CWnd::*)(UINT, int, int))((UINT)wp, (short)LOWORD(lp), (short)HIWORD(lp)); break;
    case AfxSig_vvii: FW_CALL(void (CWnd::*)(int, int))((short)LOWORD(lp), (short)HIWORD(lp)); break;
    case AfxSig_vwwh: FW_CALL(void (CWnd::*)(UINT, UINT, HMENU))(LOWORD(wp), HIWORD(wp), (HMENU)lp); break;
    case AfxSig_vwlp: FW_CALL(void (CWnd::*)(UINT, LPARAM))((UINT)wp, lp); break;
    case AfxSig_vMMI: FW_CALL(void (CWnd::*)(MINMAXINFO*))((MINMAXINFO*)lp); break;
    case AfxSig_vW: FW_CALL(void (CWnd::*)(CWnd*))(CWnd::FromHandle((HWND)wp)); break;
    case AfxSig_vWp: FW_CALL(void (CWnd::*)(CWnd*, CPoint))(CWnd::FromHandle((HWND)wp), CPoint((DWORD)lp)); break;
    case AfxSig_hDWw: {
        UINT type = e->nMessage - WM_CTLCOLORMSGBOX;
        r = (LRESULT)FW_CALL(HBRUSH (CWnd::*)(CDC*, CWnd*, UINT))(CDC::FromHandle((HDC)wp),
                                                                   CWnd::FromHandle((HWND)lp), type);
        break;
    }
    case AfxSig_hDw: r = (LRESULT)FW_CALL(HBRUSH (CWnd::*)(CDC*, UINT))(CDC::FromHandle((HDC)wp), (UINT)lp); break;
    case AfxSig_vwwW:
        FW_CALL(void (CWnd::*)(UINT, UINT, CScrollBar*))(LOWORD(wp), HIWORD(wp), (CScrollBar*)CWnd::FromHandle((HWND)lp));
        break;
    case AfxSig_iWww:
        r = FW_CALL(int (CWnd::*)(CWnd*, UINT, UINT))(CWnd::FromHandle((HWND)wp), LOWORD(lp), HIWORD(lp));
        break;
    case AfxSig_bvw: r = FW_CALL(BOOL (CWnd::*)())(); break;
    case AfxSig_vvw: FW_CALL(void (CWnd::*)())(); break;
    case AfxSig_lwlreg: r = FW_CALL(LRESULT (CWnd::*)(WPARAM, LPARAM))(wp, lp); break;
    case AfxSig_vPDRAW: FW_CALL(void (CWnd::*)(LPDRAWITEMSTRUCT))((LPDRAWITEMSTRUCT)lp); r = TRUE; break;
    case AfxSig_vPMEAS: FW_CALL(void (CWnd::*)(LPMEASUREITEMSTRUCT))((LPMEASUREITEMSTRUCT)lp); r = TRUE; break;
    case AfxSig_vHDROP: FW_CALL(void (CWnd::*)(HDROP))((HDROP)wp); break;
    // Command-target shapes reached through OnCmdMsg: lParam carries the extra data
    // and the result says whether the command counts as handled.
    case AfxSig_cmdui: {
        CCmdUI* ui = (CCmdUI*)lp;
        ui->m_bContinueRouting = FALSE;
        (target->*reinterpret_cast<void (CCmdTarget::*)(CCmdUI*)>(pfn))(ui);
        r = !ui->m_bContinueRouting;
        break;
    }
    case AfxSig_bwcmd: r = (target->*reinterpret_cast<BOOL (CCmdTarget::*)(UINT)>(pfn))(id); break;
    case AfxSig_vNMHDRpl: {
        AFX_NOTIFY* n = (AFX_NOTIFY*)lp;
        (target->*reinterpret_cast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(pfn))(n->pNMHDR, n->pResult);
        r = TRUE;
        break;
    }
    case AfxSig_vwNMHDRpl: {
        AFX_NOTIFY* n = (AFX_NOTIFY*)lp;
        (target->*reinterpret_cast<void (CCmdTarget::*)(UINT, NMHDR*, LRESULT*)>(pfn))(id, n->pNMHDR, n->pResult);
        r = TRUE;
        break;
    }
    case AfxSig_bNMHDRpl: {
        AFX_NOTIFY* n = (AFX_NOTIFY*)lp;
        r = (target->*reinterpret_cast<BOOL (CCmdTarget::*)(NMHDR*, LRESULT*)>(pfn))(n->pNMHDR, n->pResult);
        break;
    }
    default: return FALSE;
    }
#undef FW_CALL
    if (pResult) *pResult = r;
    return TRUE;
}

// Installed before main runs, so every map dispatch knows the window shapes.
static const bool s_windowCallerInstalled = (AfxSetWindowHandlerCaller(&AfxCallWindowHandler), true);

// ---- commands and notifications -----------------------------------------

BOOL CWnd::OnCommand(WPARAM wp, LPARAM lp) {
    UINT id = LOWORD(wp);
    int code = HIWORD(wp);
    HWND ctl = (HWND)lp;
    if (!ctl) {
        // Menu or accelerator (or a posted command): a command that its update
        // handler disables is dropped, whatever way it came.
        CTestCmdUI state;
        state.m_nID = id;
        OnCmdMsg(id, (int)CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!state.m_bEnabled) return TRUE;
        code = CN_COMMAND;
    } else {
        // Controls changed by UpdateData must not re-enter the window's handlers.
        if (WndData().lockoutNotify == m_hWnd) return TRUE;
        if (ReflectLastMsg(ctl)) return TRUE;  // the control handled it itself
    }
    return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lp, LRESULT* result) {
    NMHDR* hdr = (NMHDR*)lp;
    if (ReflectLastMsg(hdr->hwndFrom, result)) return TRUE;
    AFX_NOTIFY n = {result, hdr};
    return OnCmdMsg((UINT)hdr->idFrom, MAKELONG(hdr->code, WM_NOTIFY), &n, nullptr);
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* result) {
    CWnd* w = FromHandlePermanent(child);
    if (!w) return FALSE;
    return w->SendChildNotifyLastMsg(result);
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* result) {
    const MSG& m = WndData().current;
    return OnChildNotify(m.message, m.wParam, m.lParam, result);
}

BOOL CWnd::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    return ReflectChildNotify(msg, wp, lp, result);
}

BOOL CWnd::ReflectChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    LRESULT r = 0;
    switch (msg) {
    case WM_COMMAND: {
        UINT code = HIWORD(wp);
        for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
            for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->nSig != AfxSig_end; ++e)
                if (e->nMessage == WM_REFLECT_BASE + WM_COMMAND && e->nCode == code)
                    return AfxCallHandler(this, e, 0, wp, lp, &r);
        return FALSE;
    }
    case WM_NOTIFY: {
        NMHDR* hdr = (NMHDR*)lp;
        LRESULT local = 0;
        AFX_NOTIFY n = {result ? result : &local, hdr};
        for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
            for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->nSig != AfxSig_end; ++e)
                if (e->nMessage == WM_REFLECT_BASE + WM_NOTIFY && e->nCode == (UINT)(WORD)hdr->code) {
                    AfxCallHandler(this, e, 0, 0, (LPARAM)&n, &r);
                    return (BOOL)r;
                }
        return FALSE;
    }
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
        if (OnWndMsg(WM_REFLECT_BASE + 0x0019, wp, msg - WM_CTLCOLORMSGBOX, &r) && r) {
            if (result) *result = r;
            return TRUE;
        }
        return FALSE;
    case WM_DRAWITEM: case WM_MEASUREITEM: case WM_DELETEITEM: case WM_COMPAREITEM:
        if (OnWndMsg(WM_REFLECT_BASE + msg, wp, lp, &r)) {
            if (result) *result = r ? r : TRUE;
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// Owner-drawn menu items go to the CMenu object; controls get their message reflected.
void CWnd::OnDrawItem(int id, LPDRAWITEMSTRUCT di) {
    if (di->CtlType == ODT_MENU) {
        if (CMenu* m = CMenu::FromHandlePermanent((HMENU)di->hwndItem)) {
            m->DrawItem(di);
            return;
        }
    } else if (ReflectLastMsg(di->hwndItem)) {
        return;
    }
    Default();
}

void CWnd::OnMeasureItem(int id, LPMEASUREITEMSTRUCT mi) {
    if (mi->CtlType == ODT_MENU) {
        AFX_WND_THREAD_STATE* st = AfxGetWndThreadState();
        HMENU root = st->m_hTrackingWindow == m_hWnd ? st->m_hTrackingMenu : ::GetMenu(m_hWnd);
        if (root) {
            HMENU holder = FindPopupHolding(root, mi->itemID);
            CMenu* m = holder ? CMenu::FromHandlePermanent(holder) : nullptr;
            if (!m) m = CMenu::FromHandlePermanent(root);
            if (m) {
                m->MeasureItem(mi);
                return;
            }
        }
    } else if (HWND ctl = ::GetDlgItem(m_hWnd, mi->CtlID)) {
        if (ReflectLastMsg(ctl)) return;
    }
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC* dc, CWnd* wnd, UINT type) {
    LRESULT r = 0;
    if (ReflectLastMsg(wnd->GetSafeHwnd(), &r)) return (HBRUSH)r;
    // The drop-down list of a combo box asks its combo first: the combo's
    // reflected colour handler colours its list as well.
    if (type == CTLCOLOR_LISTBOX && wnd) {
        COMBOBOXINFO info = {sizeof info};
        if (::GetComboBoxInfo(m_hWnd, &info) && info.hwndList == wnd->m_hWnd && SendChildNotifyLastMsg(&r))
            return (HBRUSH)r;
    }
    return (HBRUSH)Default();
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

// ---- helpers -------------------------------------------------------------

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg) {
    for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
        if (CWnd* w = FromHandlePermanent(h))
            if (w->PreTranslateMessage(msg)) return TRUE;
        if (h == stop) break;
    }
    return FALSE;
}

CWnd* CWnd::GetOwner() const {
    if (m_hWndOwner) return FromHandle(m_hWndOwner);
    return GetParent();
}

CWnd* CWnd::GetTopLevelParent() const {
    HWND h = m_hWnd, p;
    while ((::GetWindowLongA(h, GWL_STYLE) & WS_CHILD) && (p = ::GetParent(h)) != nullptr) h = p;
    return FromHandle(h);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swp) {
    DWORD s = GetStyle(), n = (s & ~remove) | add;
    if (s == n) return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, (LONG)n);
    if (swp) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, swp | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swp) {
    DWORD s = GetExStyle(), n = (s & ~remove) | add;
    if (s == n) return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, (LONG)n);
    if (swp) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, swp | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void CWnd::CalcWindowRect(LPRECT r, UINT) {
    ::AdjustWindowRectEx(r, GetStyle(), FALSE, GetExStyle());
}

CMenu* CWnd::GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }
BOOL CWnd::SetMenu(CMenu* m) { return ::SetMenu(m_hWnd, m->GetSafeHmenu()); }
CMenu* CWnd::GetSystemMenu(BOOL revert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, revert)); }

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    return ::MessageBoxA(m_hWnd, text, caption ? caption : "", type);
}

void CWnd::CenterWindow(CWnd* alternate) {
    HWND owner = alternate ? alternate->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (!owner) owner = ::GetParent(m_hWnd);
    RECT area, me;
    if (owner && (GetStyle() & WS_CHILD) == 0) ::GetWindowRect(owner, &area);
    else if (owner) ::GetClientRect(owner, &area);
    else ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(m_hWnd, &me);
    int w = me.right - me.left, h = me.bottom - me.top;
    ::SetWindowPos(m_hWnd, nullptr, (area.left + area.right - w) / 2, (area.top + area.bottom - h) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::SendMessageToDescendants(UINT msg, WPARAM wp, LPARAM lp, BOOL deep, BOOL onlyPerm) {
    for (HWND c = ::GetTopWindow(m_hWnd); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        if (!onlyPerm) ::SendMessageA(c, msg, wp, lp);
        else if (CWnd* w = FromHandlePermanent(c)) w->SendMessage(msg, wp, lp);
        if (deep && ::GetTopWindow(c)) FromHandle(c)->SendMessageToDescendants(msg, wp, lp, deep, onlyPerm);
    }
}

int CWnd::RunModalLoop(DWORD) {
    m_bContinueModal = TRUE;
    MSG msg;
    while (m_bContinueModal && m_hWnd) {  // a window destroyed meanwhile ends the loop
        if (!::GetMessageA(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage((int)msg.wParam);
            break;
        }
        if (!WalkPreTranslateTree(m_hWnd, &msg) && !::IsDialogMessageA(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return m_nModalResult;
}

void CWnd::EndModalLoop(int result) {
    m_nModalResult = result;
    m_bContinueModal = FALSE;
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}
