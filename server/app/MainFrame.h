// The server's main window: fixed size, skinned menu bar, toolbar, one-pane status bar
// and the view, with its icon in the notification area and the popup
// notifier. It does not close: the close box and minimising hide it (the
// close box with the notice "Halvex is still active"), and only Exit, from
// the menu or the tray menu, ends the server.
#pragma once
#include "framework/framework.h"
#include "skin/skinframewnd.h"
#include "skin/menubar.h"
#include "skin/skinstatusbar.h"
#include "skin/skintoolbar.h"
#include "server/app/PopupNotifier.h"
#include "server/app/TrayIcon.h"

typedef CSkinFrameWnd C_MainFrameBase;

class C_MainFrame : public C_MainFrameBase
{
    DECLARE_DYNCREATE(C_MainFrame)
public:
    C_MainFrame();
    ~C_MainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // Destroyed in the reverse order: notifier and tray first, menu bar last.
    CSkinMenuBar m_wndMenuBar;
    CSkinStatusBar m_wndStatusBar;
    CSkinToolBar m_wndToolBar;
    // The icon image outlives the tray icon that shows it; the notifier's
    // invisible parent outlives the notifier (it owns its window).
    COwnedIcon m_hTrayIconImage;
    CTrayIcon m_trayIcon;
    CWnd m_wndNotifierParent;
    CPopupNotifier m_wndNotifier;

    // The tray icon's callback message.
    static const UINT WM_TRAY_NOTIFY = WM_APP + 1;

protected:
    int OnCreate(LPCREATESTRUCTA cs);
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnDestroy();
    void OnClose();
    void OnEndSession(BOOL ending);
    void OnRestore();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    // True once the shutdown has begun: the tray menu and Restore do nothing then.
    bool ShuttingDown() const;
    bool CreateNotifier();
    // True when a removal runs: the close is then left to the view.
    bool DeferredForRemoval();
    // Minimises, then hides: the window leaves the taskbar.
    void HideToBackground();
    DECLARE_MESSAGE_MAP()
};
