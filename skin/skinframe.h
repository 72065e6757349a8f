// CSkinFrame<Base>: turns a framework window class into a skinned one. Its
// window menu and system menu are CSkinMenu objects, every menu message goes
// through the skin library, the line between menu bar and client area takes
// the menu-bar brush, and on older systems (or in a remote session) the
// library hot-tracks menu-bar items itself.
#pragma once
#include "framework/framework.h"
#include "skin/drawing.h"
#include "skin/menuicons.h"
#include "skin/skinmenu.h"

// Library hot tracking of one window's menu bar.
struct SkinFrameTracking {
    BOOL inMenuLoop = FALSE;
    UINT_PTR timer = 0;    // 0 = none
    int hotItem = -1;      // menu-bar position drawn hot by the library
};

// Fills the one-pixel row above the client area with the menu's background brush.
void PaintMenuBarGap(HWND wnd);
// Makes the menu draw one bar item in the given state, as the system would.
BOOL RedrawMenuBarItem(HWND wnd, HMENU menu, int pos, UINT state);
// The library's WM_NCHITTEST: hot tracking of menu-bar items where the system
// does none; returns the hit-test result.
LRESULT SkinFrameHitTest(HWND wnd, SkinFrameTracking& tracking, LRESULT defaultResult, POINT screen);
// Ends hot tracking: the hot item back to normal, the timer gone.
void SkinFrameStopHotTracking(HWND wnd, SkinFrameTracking& tracking);
// Entering a menu loop removes the library's hot item at once.
void SkinFrameEnterMenuLoop(HWND wnd, SkinFrameTracking& tracking);
// Whether the library hot-tracks menu-bar items on this system.
BOOL SkinFrameTracksMenuBar();
// After a dialog's (or sheet's) own initialisation: the system menu attached
// again (the old one destroyed only when it is another, still living menu)
// and the window menu loaded into the default menu, with the menu-bar brush.
void SkinFrameAttachMenus(HWND wnd, CSkinMenu& systemMenu, CSkinMenu& defaultMenu);
// The library's entry for WM_MEASUREITEM of any window: 1 when a CSkinMenu measured it.
int MeasureMenuItemForWindow(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

template <class Base>
class CSkinFrame : public Base {
public:
    CSkinFrame() = default;
    ~CSkinFrame() override = default;   // system menu, then default menu, then the base

    CSkinMenu& GetDefaultMenu() { return m_defaultMenu; }
    CSkinMenu& GetSystemSkinMenu() { return m_systemMenu; }
    const SkinFrameTracking& GetTracking() const { return m_tracking; }

protected:
    CSkinMenu m_defaultMenu;
    CSkinMenu m_systemMenu;
    SkinFrameTracking m_tracking;

    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis)
    {
        const MSG* m = CWnd::GetCurrentMessage();
        if (MeasureMenuItemForWindow(this->m_hWnd, m->message, m->wParam, m->lParam)) return;
        // Owner-drawn controls (combo and list boxes) measure through the
        // framework, which reflects the message to them.
        if (mis->CtlType != ODT_MENU) {
            CWnd::OnMeasureItem(id, mis);
            return;
        }
        AFX_WND_THREAD_STATE* st = AfxGetWndThreadState();
        HMENU menu = st->m_hTrackingWindow == this->m_hWnd ? st->m_hTrackingMenu : ::GetMenu(this->m_hWnd);
        if (CMenu::FromHandlePermanent(menu)) CWnd::OnMeasureItem(id, mis);
    }
    LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu)
    {
        if (CSkinMenu* skin = DYNAMIC_DOWNCAST(CSkinMenu, menu)) return skin->FindMnemonicItem(ch, menu);
        return this->Default();
    }
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu)
    {
        Base::OnInitMenuPopup(popup, index, sysMenu);
        HandleInitMenuPopup(this, popup, index, sysMenu);
    }
    void OnEnterMenuLoop(BOOL track)
    {
        SkinFrameEnterMenuLoop(this->m_hWnd, m_tracking);
        this->Default();
    }
    void OnExitMenuLoop(BOOL track)
    {
        m_tracking.inMenuLoop = FALSE;
        this->Default();
    }
    void OnTimer(UINT_PTR id)
    {
        this->Default();
        if (id && id == m_tracking.timer) {
            POINT p;
            ::GetCursorPos(&p);
            this->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
        }
    }
    int OnCreate(LPCREATESTRUCTA cs)
    {
        if (Base::OnCreate(cs) == -1) return -1;
        if (m_systemMenu.GetSafeHmenu()) {
            HMENU old = m_systemMenu.Detach();
            if (::IsMenu(old)) ::DestroyMenu(old);
        }
        m_systemMenu.Attach(::GetSystemMenu(this->m_hWnd, FALSE));
        return 0;
    }
    LRESULT OnNcHitTest(CPoint p)
    {
        LRESULT r = this->Default();
        return SkinFrameHitTest(this->m_hWnd, m_tracking, r, p);
    }
    void OnDestroy()
    {
        ReleaseTimerId(this->m_hWnd, m_tracking.timer);
        m_tracking.timer = 0;
        Base::OnDestroy();
    }
    // The window destroys its menu bar and system menu itself: the objects
    // let go of them so that they never hold a dead handle or item data.
    void OnNcDestroy()
    {
        if (m_defaultMenu.GetSafeHmenu() && m_defaultMenu.GetSafeHmenu() == ::GetMenu(this->m_hWnd))
            m_defaultMenu.ReleaseWindowMenu();
        if (m_systemMenu.GetSafeHmenu()) m_systemMenu.ReleaseWindowMenu();
        Base::OnNcDestroy();
    }
    void OnSysColorChange()
    {
        CWnd::OnSysColorChange();
        RefreshIconStores();
        ApplyMenuBarBrush(m_defaultMenu.GetSafeHmenu());
    }
    void OnNcPaint()
    {
        this->Default();
        PaintMenuBarGap(this->m_hWnd);
    }
    void OnPaint()
    {
        Base::OnPaint();
        PaintMenuBarGap(this->m_hWnd);
    }
    void OnActivateApp(BOOL active, DWORD thread)
    {
        this->Default();
        PaintMenuBarGap(this->m_hWnd);
    }
    void OnActivate(UINT state, CWnd* other, BOOL minimized)
    {
        Base::OnActivate(state, other, minimized);
        PaintMenuBarGap(this->m_hWnd);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_TEMPLATE_MESSAGE_MAP(CSkinFrame, Base, Base)
    ON_WM_MEASUREITEM()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
    ON_WM_ENTERMENULOOP()
    ON_WM_EXITMENULOOP()
    ON_WM_TIMER()
    ON_WM_CREATE()
    ON_WM_NCHITTEST()
    ON_WM_DESTROY()
    ON_WM_NCDESTROY()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_NCPAINT()
    ON_WM_PAINT()
    ON_WM_ACTIVATEAPP()
    ON_WM_ACTIVATE()
END_MESSAGE_MAP()
