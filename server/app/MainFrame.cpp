#include "server/app/HalvexApp.h"
#include "server/app/MainFrame.h"
#include "server/app/HalvexView.h"
#include "server/app/resource.h"

IMPLEMENT_DYNCREATE(C_MainFrame, CSkinFrameWnd)

BEGIN_MESSAGE_MAP(C_MainFrame, C_MainFrameBase)
    ON_WM_CREATE()
    ON_WM_SYSCOMMAND()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_ENDSESSION()
    ON_COMMAND(ID_RESTORE, OnRestore)
    ON_MESSAGE(C_MainFrame::WM_TRAY_NOTIFY, OnTrayNotify)
END_MESSAGE_MAP()

namespace {
const UINT StatusIndicators[] = { ID_SEPARATOR };
const COLORREF ToolbarTransparent = RGB(255, 0, 255);
const COLORREF NotifierTransparent = RGB(255, 255, 255);
const COLORREF NotifierText = RGB(255, 255, 255);
// "Halvex is still active": 100 ms out, three seconds shown, 100 ms back.
const DWORD NoticeShowMs = 100, NoticeStayMs = 3000, NoticeHideMs = 100;

// Icon 5 from Windows XP on, icon 139 before.
UINT TrayIconId()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExA(&info))
        return IDI_TRAY;
    const bool xpOrLater = info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion != 0);
    return xpOrLater ? IDI_TRAY : IDI_TRAY_OLD;
}
}

C_MainFrame::C_MainFrame()
{
}

C_MainFrame::~C_MainFrame()
{
}

BOOL C_MainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!C_MainFrameBase::PreCreateWindow(cs))
        return FALSE;
    cs.style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    return TRUE;
}

BOOL C_MainFrame::PreTranslateMessage(MSG* msg)
{
    // Alt, F10 and the menu bar's mnemonics go to the menu bar first.
    if (m_wndMenuBar.TranslateFrameMessage(msg))
        return TRUE;
    return C_MainFrameBase::PreTranslateMessage(msg);
}

int C_MainFrame::OnCreate(LPCREATESTRUCTA cs)
{
    if (C_MainFrameBase::OnCreate(cs) == -1)
        return -1;
    // The menu bar takes the window's menu over at the first idle pass.
    if (!m_wndMenuBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC,
                             AFX_IDW_MENUBAR))
        return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC,
                               CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    // Without its bitmap the toolbar keeps the resource's own images.
    m_wndToolBar.LoadToolBarBitmap(IDB_TOOLBAR, ToolbarTransparent);
    // The menu items show the images of their toolbar buttons.
    if (!m_defaultMenu.LoadToolBar(IDR_MAINFRAME, IDB_TOOLBAR, ToolbarTransparent))
        return -1;
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(StatusIndicators, 1))
        return -1;
    // Without a notifier the close box still hides the window; it just says nothing.
    CreateNotifier();

    m_hTrayIconImage.Attach((HICON)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(TrayIconId()), IMAGE_ICON,
                                                16, 16, LR_DEFAULTSIZE));
    CString tip;
    tip.LoadString(AFX_IDS_APP_TITLE);
    if (!m_trayIcon.Create(this, WM_TRAY_NOTIFY, tip, m_hTrayIconImage, IDR_TRAY_MENU))
        return -1;
    m_trayIcon.SetMenuDefaultItem(ID_RESTORE, FALSE);
    return 0;
}

bool C_MainFrame::CreateNotifier()
{
    // The notifier's parent is a plain, never shown window of its own. Not a
    // child window, so it takes no id (the slot would be read as a menu).
    if (m_wndNotifierParent.GetSafeHwnd() == nullptr &&
        !m_wndNotifierParent.CreateEx(0, AfxRegisterWndClass(0), "", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                      ::GetDesktopWindow(), nullptr))
        return false;
    if (!m_wndNotifier.Create(&m_wndNotifierParent))
        return false;
    m_wndNotifier.SetTextFont("Tahoma", 85, CPopupNotifier::Bold, CPopupNotifier::Bold);
    // A missing skin leaves the notifier without one: it then shows nothing.
    m_wndNotifier.SetSkin(IDB_NOTIFIER, GetRValue(NotifierTransparent), GetGValue(NotifierTransparent),
                          GetBValue(NotifierTransparent));
    m_wndNotifier.SetTextColor(NotifierText, NotifierText);
    const SIZE skin = m_wndNotifier.GetSkinSize();
    m_wndNotifier.SetTextRect(CRect(8, 20, skin.cx - 8, skin.cy - 8));
    return true;
}

void C_MainFrame::OnDestroy()
{
    // The shell knows the icon by this window: it goes while the window exists.
    m_trayIcon.RemoveIcon();
    m_wndNotifier.Hide();
    C_MainFrameBase::OnDestroy();
}

void C_MainFrame::HideToBackground()
{
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
}

void C_MainFrame::OnSysCommand(UINT id, LPARAM lParam)
{
    switch (id & 0xFFF0) {
    case SC_CLOSE: { // the server goes on running
        CString notice;
        notice.LoadString(IDS_STILL_ACTIVE);
        m_wndNotifier.Show(notice, NoticeShowMs, NoticeStayMs, NoticeHideMs);
        HideToBackground();
        return;
    }
    case SC_MINIMIZE:
        HideToBackground();
        return;
    default:
        C_MainFrameBase::OnSysCommand(id, lParam);
    }
}

// During a removal the GUI thread serves messages while it waits for the
// bus; a shutdown run from inside that wait would free what the removal
// still uses. The view carries the close out when its removals are done.
bool C_MainFrame::DeferredForRemoval()
{
    C_HalvexView* view = HalvexApp().m_pView;
    if (view == nullptr || !view->RemovalRunning())
        return false;
    view->DeferClose();
    return true;
}

void C_MainFrame::OnClose()
{
    // WM_CLOSE is the Exit path; once the shutdown runs, further requests
    // (a second Exit during its pumped waits) are dropped.
    if (HalvexApp().IsClosing() || DeferredForRemoval())
        return;
    C_MainFrameBase::OnClose();
}

void C_MainFrame::OnEndSession(BOOL ending)
{
    // A shutdown under way finishes on its own; one asked during a removal
    // runs after it.
    if (ending && (HalvexApp().IsClosing() || DeferredForRemoval()))
        return;
    C_MainFrameBase::OnEndSession(ending);
}

bool C_MainFrame::ShuttingDown() const
{
    const C_HalvexView* view = HalvexApp().m_pView;
    return HalvexApp().IsClosing() || (view != nullptr && view->ShuttingDown());
}

LRESULT C_MainFrame::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    // During the shutdown the window is going: no menu, no Restore, no
    // second Exit.
    if (ShuttingDown())
        return 0;
    return m_trayIcon.OnTrayNotification(wParam, lParam);
}

void C_MainFrame::OnRestore()
{
    if (ShuttingDown())
        return;
    CWnd* popup = CWnd::FromHandle(::GetLastActivePopup(m_hWnd));
    if (IsIconic())
        ShowWindow(SW_RESTORE);
    else if (!IsWindowVisible())
        ShowWindow(SW_SHOW);
    popup->SetForegroundWindow();
    popup->BringWindowToTop();
}
