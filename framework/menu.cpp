#include "framework/menu.h"
#include "framework/app.h"
#include "framework/handlemap.h"
#include "framework/wnd.h"

IMPLEMENT_DYNCREATE(CMenu, CObject)

namespace {
thread_local CThreadRecord<CHandleMap<HMENU, CMenu>> t_menuMap;
CHandleMap<HMENU, CMenu>& Menus() { return t_menuMap.Get(); }
}

CMenu::~CMenu() { DestroyMenu(); }

CMenu* CMenu::FromHandle(HMENU h) {
    return Menus().FromHandle(h, [](HMENU m) {
        CMenu* p = new CMenu;
        p->m_hMenu = m;
        return p;
    });
}

CMenu* CMenu::FromHandlePermanent(HMENU h) {
    auto* menus = t_menuMap.Peek();
    return menus ? menus->LookupPermanent(h) : nullptr;
}

void AfxTermMenuThreadMap() {
    CMenu::DeleteTempMap();
    t_menuMap.Free();
}

void CMenu::DeleteTempMap() {
    if (auto* menus = t_menuMap.Peek()) menus->DeleteTemp([](CMenu* m) { m->m_hMenu = nullptr; });
}

BOOL CMenu::Attach(HMENU h) {
    if (!h) return FALSE;
    m_hMenu = h;
    Menus().permanent[h] = this;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    if (auto* menus = h ? t_menuMap.Peek() : nullptr) {
        auto it = menus->permanent.find(h);
        if (it != menus->permanent.end() && it->second == this) menus->permanent.erase(it);
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
