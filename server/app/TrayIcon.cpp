#include "server/app/TrayIcon.h"
#include "server/app/resource.h"
#include "skin/skinmenu.h"
#include <cstring>

const UINT CTrayIcon::WM_TASKBARCREATED = ::RegisterWindowMessageA("TaskbarCreated");
int CTrayIcon::s_nMaxTipLength = 64;

BEGIN_MESSAGE_MAP(CTrayIcon, CWnd)
    ON_WM_SETTINGCHANGE()
    ON_REGISTERED_MESSAGE(CTrayIcon::WM_TASKBARCREATED, OnTaskbarCreated)
END_MESSAGE_MAP()

namespace {
const COLORREF MenuIconTransparent = RGB(255, 0, 255);

// Copies text into a fixed field, cut to the field's size less its zero.
template <size_t N>
void CopyCut(char (&field)[N], LPCSTR text, size_t maxChars = N - 1)
{
    std::memset(field, 0, N);
    if (text != nullptr)
        std::strncpy(field, text, maxChars < N - 1 ? maxChars : N - 1);
}

bool NtFiveOrLater()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 4;
}
} // namespace

CTrayIcon::CTrayIcon()
    : m_nid(), m_bEnabled(false), m_bHidden(true), m_bRemoved(true), m_bShowIconPending(false),
      m_bStateSupported(NtFiveOrLater()), m_pTarget(nullptr), m_nDefaultMenuItemID(0), m_bDefaultMenuItemByPos(TRUE),
      m_uCreationFlags(0)
{
}

CTrayIcon::~CTrayIcon()
{
    RemoveIcon();
    DestroyWindow();
}

BOOL CTrayIcon::Create(CWnd* parent, UINT callbackMessage, LPCSTR tip, HICON icon, UINT id, BOOL hidden,
                       LPCSTR balloonText, LPCSTR balloonTitle, DWORD balloonIconFlags, UINT balloonSeconds)
{
    m_bEnabled = LOBYTE(LOWORD(::GetVersion())) >= 4;
    if (!m_bEnabled)
        return FALSE;
    s_nMaxTipLength = 128;

    if (m_hWnd == nullptr && !CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
        return FALSE;

    m_nid = NOTIFYICONDATAA();
    m_nid.cbSize = NOTIFYICONDATAA_V3_SIZE;
    m_nid.hWnd = (parent != nullptr && parent->GetSafeHwnd() != nullptr) ? parent->GetSafeHwnd() : m_hWnd;
    m_nid.uID = id;
    m_nid.hIcon = icon;
    m_nid.uCallbackMessage = callbackMessage;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CopyCut(m_nid.szTip, tip, (size_t)s_nMaxTipLength - 1);

    const bool balloon = m_bStateSupported && balloonText != nullptr;
    if (balloon) {
        m_nid.uFlags |= NIF_INFO;
        CopyCut(m_nid.szInfo, balloonText);
        CopyCut(m_nid.szInfoTitle, balloonTitle);
        m_nid.uTimeout = balloonSeconds * 1000;
        m_nid.dwInfoFlags = balloonIconFlags;
    }

    m_bHidden = hidden != FALSE;
    if (m_bStateSupported && m_bHidden) {
        m_nid.uFlags = NIF_STATE;
        m_nid.dwState = NIS_HIDDEN;
        m_nid.dwStateMask = NIS_HIDDEN;
    }
    m_uCreationFlags = m_nid.uFlags;

    BOOL result = TRUE;
    if (!m_bHidden || m_bStateSupported) {
        result = ::Shell_NotifyIconA(NIM_ADD, &m_nid);
        m_bHidden = m_bRemoved = m_bShowIconPending = !result;
    }
    if (balloon)
        m_nid.szInfo[0] = '\0'; // later changes do not show it again
    return result;
}

BOOL CTrayIcon::SetIcon(HICON icon)
{
    if (!m_bEnabled)
        return FALSE;
    m_nid.uFlags = NIF_ICON;
    m_nid.hIcon = icon;
    if (m_bHidden)
        return TRUE; // used when the icon is added
    return ::Shell_NotifyIconA(NIM_MODIFY, &m_nid);
}

BOOL CTrayIcon::RemoveIcon()
{
    m_bShowIconPending = false;
    if (!m_bEnabled || m_bRemoved)
        return TRUE;
    m_nid.uFlags = 0;
    if (::Shell_NotifyIconA(NIM_DELETE, &m_nid))
        m_bRemoved = m_bHidden = true;
    return m_bRemoved;
}

void CTrayIcon::InstallIconPending()
{
    if (!m_bShowIconPending || m_bHidden)
        return;
    m_nid.uFlags = m_uCreationFlags;
    // A refusal keeps the icon pending for the next occasion.
    m_bHidden = m_bShowIconPending = !::Shell_NotifyIconA(NIM_ADD, &m_nid);
}

LRESULT CTrayIcon::OnTaskbarCreated(WPARAM, LPARAM)
{
    // The new shell has none of the old icons: a shown one goes back in.
    m_bShowIconPending = true;
    InstallIconPending();
    return 0;
}

void CTrayIcon::OnSettingChange(UINT flags, LPCSTR section)
{
    CWnd::OnSettingChange(flags, section);
    if (flags == SPI_SETWORKAREA) {
        m_bShowIconPending = !m_bHidden;
        InstallIconPending();
    }
}

LRESULT CTrayIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_nid.uCallbackMessage != 0 && message == m_nid.uCallbackMessage)
        return OnTrayNotification(wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

CWnd* CTrayIcon::Target() const
{
    return m_pTarget != nullptr ? m_pTarget : AfxGetMainWnd();
}

CMenu* CTrayIcon::LoadTrayMenu(CMenu& menu) const
{
    if (!menu.LoadMenu(m_nid.uID))
        return nullptr;
    return menu.GetSubMenu(0);
}

LRESULT CTrayIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam)
{
    if (wParam != m_nid.uID)
        return 0;
    CWnd* target = Target();
    if (target == nullptr || target->GetSafeHwnd() == nullptr)
        return 0;

    switch (LOWORD(lParam)) {
    case WM_RBUTTONUP: {
        CSkinMenu menu;
        CMenu* popup = LoadTrayMenu(menu);
        if (popup == nullptr)
            return 0;
        menu.LoadToolBar(IDR_MAINFRAME, IDB_TOOLBAR, MenuIconTransparent);
        ::SetMenuDefaultItem(popup->GetSafeHmenu(), m_nDefaultMenuItemID, m_bDefaultMenuItemByPos);
        CustomizeMenu(popup);
        POINT cursor = {};
        ::GetCursorPos(&cursor);
        target->SetForegroundWindow();
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, target);
        // Without this the menu would not close when the user clicks elsewhere.
        target->PostMessage(WM_NULL, 0, 0);
        menu.DestroyMenu();
        return 1;
    }
    case WM_LBUTTONDBLCLK: {
        target->SetForegroundWindow();
        UINT command = m_nDefaultMenuItemID;
        if (m_bDefaultMenuItemByPos) {
            CMenu menu;
            CMenu* popup = LoadTrayMenu(menu);
            if (popup == nullptr)
                return 0;
            command = popup->GetMenuItemID((int)m_nDefaultMenuItemID);
            menu.DestroyMenu();
        }
        target->PostMessage(WM_COMMAND, command, 0);
        return 1;
    }
    default:
        return 1;
    }
}

BOOL CTrayIcon::SetMenuDefaultItem(UINT item, BOOL byPosition)
{
    if (m_nDefaultMenuItemID == item && m_bDefaultMenuItemByPos == byPosition)
        return TRUE;
    m_nDefaultMenuItemID = item;
    m_bDefaultMenuItemByPos = byPosition;
    CMenu menu;
    CMenu* popup = LoadTrayMenu(menu);
    if (popup == nullptr)
        return FALSE;
    ::SetMenuDefaultItem(popup->GetSafeHmenu(), item, byPosition);
    menu.DestroyMenu();
    return TRUE;
}
