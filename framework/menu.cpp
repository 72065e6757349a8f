#include "framework/menu.h"
#include "framework/app.h"
#include "framework/handlemap.h"
#include "framework/wnd.h"

IMPLEMENT_DYNCREATE(CMenu, CObject)

namespace {
thread_local CHandleMap<HMENU, CMenu> t_menus;
}

CMenu::~CMenu() { DestroyMenu(); }

CMenu* CMenu::FromHandle(HMENU h) {
    return t_menus.FromHandle(h, [](HMENU m) {
        CMenu* p = new CMenu;
        p->m_hMenu = m;
        return p;
    });
}

CMenu* CMenu::FromHandlePermanent(HMENU h) { return t_menus.LookupPermanent(h); }

void CMenu::DeleteTempMap() {
    t_menus.DeleteTemp([](CMenu* m) { m->m_hMenu = nullptr; });
}

BOOL CMenu::Attach(HMENU h) {
    if (!h) return FALSE;
    m_hMenu = h;
    t_menus.permanent[h] = this;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    if (h) {
        auto it = t_menus.permanent.find(h);
        if (it != t_menus.permanent.end() && it->second == this) t_menus.permanent.erase(it);
    }
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::LoadMenu(LPCSTR name) { return Attach(::LoadMenuA(AfxGetResourceHandle(), name)); }

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu) return FALSE;
    return ::DestroyMenu(Detach());
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect) {
    AFX_WND_THREAD_STATE* st = AfxGetWndThreadState();
    HWND savedWnd = st->m_hTrackingWindow;
    HMENU savedMenu = st->m_hTrackingMenu;
    st->m_hTrackingWindow = wnd->GetSafeHwnd();
    st->m_hTrackingMenu = m_hMenu;
    BOOL r = ::TrackPopupMenu(m_hMenu, flags, x, y, 0, wnd->GetSafeHwnd(), rect);
    st->m_hTrackingWindow = savedWnd;
    st->m_hTrackingMenu = savedMenu;
    return r;
}

BOOL CMenu::TrackPopupMenuEx(UINT flags, int x, int y, CWnd* wnd, LPTPMPARAMS params) {
    AFX_WND_THREAD_STATE* st = AfxGetWndThreadState();
    HWND savedWnd = st->m_hTrackingWindow;
    HMENU savedMenu = st->m_hTrackingMenu;
    st->m_hTrackingWindow = wnd->GetSafeHwnd();
    st->m_hTrackingMenu = m_hMenu;
    BOOL r = ::TrackPopupMenuEx(m_hMenu, flags, x, y, wnd->GetSafeHwnd(), params);
    st->m_hTrackingWindow = savedWnd;
    st->m_hTrackingMenu = savedMenu;
    return r;
}

static HMENU HolderOf(HMENU root, HMENU popup, int depth) {
    if (!root || depth > 16) return nullptr;
    int n = ::GetMenuItemCount(root);
    for (int i = 0; i < n; ++i)
        if (::GetSubMenu(root, i) == popup) return root;
    for (int i = 0; i < n; ++i)
        if (HMENU sub = ::GetSubMenu(root, i))
            if (HMENU found = HolderOf(sub, popup, depth + 1)) return found;
    return nullptr;
}

CMenu* AfxFindParentMenu(HWND wnd, HMENU popup) {
    if (popup && AfxGetWndThreadState()->m_hTrackingMenu == popup) return CMenu::FromHandle(popup);
    if (!wnd || !::GetMenu(wnd)) return nullptr;
    CWnd* top = CWnd::FromHandle(wnd)->GetTopLevelParent();
    HMENU holder = top ? HolderOf(::GetMenu(top->m_hWnd), popup, 0) : nullptr;
    return holder ? CMenu::FromHandle(holder) : nullptr;
}
