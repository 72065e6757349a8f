// The menu bar under the mouse and the keyboard: hot items, popups opened
// under a message filter that switches to the neighbouring popup, the hover
// timer and the frame's keys.
#include "skin/menubar.h"
#include "skin/drawing.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"

namespace {
CSkinMenuBar* g_pTrackingMenuBar = nullptr;
HHOOK g_hMsgFilterHook = nullptr;

const UINT kHoverElapse = 100;
// Keyboard navigation passes over the MDI system buttons.
bool IsSystemButtonId(UINT id)
{
    return id >= 0xF000 && id <= 0xF150;
}

bool KeyDown(int key)
{
    return (::GetKeyState(key) & 0x8000) != 0;
}
} // namespace

int CSkinMenuBar::HitTestItems(POINT client) const
{
    BOOL vertical = IsVertical();
    for (int i = (int)m_arrItems.size(); i-- > 0;)
        if (m_arrItems[i]->HitTest(client.x, client.y, vertical)) return i;
    return -1;
}

int CSkinMenuBar::GetNextItem(int index, BOOL forward) const
{
    const int count = (int)m_arrItems.size();
    if (count == 0) return -1;   // nothing to move to (and nothing to divide by)
    while (index < 0) index += count;
    for (int n = 0; n < count; ++n) {
        index = (index + (forward ? 1 : count - 1)) % count;
        if (!IsSystemButtonId(m_arrItems[index]->GetID())) return index;
    }
    return -1;
}

void CSkinMenuBar::SetHoverTimer(BOOL on)
{
    if (on) {
        if (!m_nTimerID && m_hWnd) m_nTimerID = FindFreeTimerId(m_hWnd, kHoverElapse);
    } else if (m_nTimerID) {
        ReleaseTimerId(m_hWnd, m_nTimerID);
        m_nTimerID = 0;
    }
}

void CSkinMenuBar::SetHotItem(int index, int mode)
{
    if (mode != m_nTrackMode) {
        HWND top = TopFrameWindow();
        if (GetWindowsVersionClass() >= kOsClassWin2000 && top) {
            LRESULT before = ::SendMessageA(top, WM_QUERYUISTATE, 0, 0);
            if (m_nTrackMode == kIdle) {
                ::SendMessageA(top, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
                if (::SendMessageA(top, WM_QUERYUISTATE, 0, 0) != before) InvalidateRect(nullptr, FALSE);
            } else if (mode == kIdle && before != (UISF_HIDEFOCUS | UISF_HIDEACCEL)) {
                ::SendMessageA(top, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
                InvalidateRect(nullptr, FALSE);
            }
        }
        m_nTrackMode = mode;
    }
    const BOOL vertical = IsVertical();
    UINT bits = mode == kPopupMode ? UINT(kBarItemPressed | kBarItemPopupMode) : mode == kHotMode ? UINT(kBarItemHot) : 0u;
    if (vertical) bits |= kBarItemVertical;
    auto mark = [&](int i) {
        CSkinBarItem* item = m_arrItems[i];
        UINT next = (item->m_nState & ~kBarItemTrackBits) | bits;
        UINT changed = next ^ item->m_nState;
        item->m_nState = next;
        if (changed & ~kBarItemNoAccel) {
            CRect r = item->GetRect(vertical);
            InvalidateRect(&r, FALSE);
        }
    };
    if (index != m_nHotItem) {
        if (IsValidItem(m_nHotItem)) {
            CSkinBarItem* old = m_arrItems[m_nHotItem];
            old->m_nState &= ~kBarItemTrackBits;
            if (vertical) old->m_nState |= kBarItemVertical;
            CRect r = old->GetRect(vertical);
            InvalidateRect(&r, FALSE);
        }
        m_nHotItem = index;
    }
    if (IsValidItem(index)) mark(index);
    m_nCurItem = index;
}

BOOL CSkinMenuBar::TrackItemPopup(int index)
{
    if (m_bRetrack) return FALSE;
    if (!IsValidItem(index)) return TRUE;
    m_nCurItem = index;
    HWND owner = OwnerWindow();
    for (;;) {
        CSkinBarItem* item = m_arrItems[m_nCurItem];
        HMENU popup = item->GetPopup(owner);
        if (!popup) {
            SetHotItem(m_nCurItem, m_nTrackMode == kPopupMode ? kPopupMode : kHotMode);
            m_bRetrack = FALSE;
            SetHoverTimer(TRUE);
            return FALSE;
        }
        SetHotItem(m_nCurItem, kPopupMode);
        UpdateWindow();
        m_hWndTrackOwner = owner;
        m_hTrackedMenu = popup;
        CRect rect = item->GetRect(IsVertical());
        ClientToScreen(&rect);
        if (CSkinMenu* skin = CSkinMenu::FromMenuHandle(popup))
            if (CSkinMenu* parent = CSkinMenu::FromMenuHandle(skin->GetParentHandle())) {
                // The painters remembered the item against the bar's window
                // origin; the popup's seam needs it against the client origin.
                CRect window;
                GetWindowRect(&window);
                POINT client = {0, 0};
                ClientToScreen(&client);
                RECT bar = parent->GetBarItemRect();
                ::OffsetRect(&bar, client.x - window.left, client.y - window.top);
                parent->SetBarItemRect(bar);
            }
        // Paint what is pending before the popup covers it. A quit request met
        // here is put back for the program's own loop, with its exit code.
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) {
            if (msg.message == WM_QUIT || !::GetMessageA(&msg, nullptr, WM_PAINT, WM_PAINT)) {
                ::PostQuitMessage((int)msg.wParam);
                m_hTrackedMenu = nullptr;
                m_hWndTrackOwner = nullptr;
                return FALSE;
            }
            ::DispatchMessageA(&msg);
        }
        g_pTrackingMenuBar = this;
        m_bRetrack = FALSE;
        CWinThread* app = AfxGetApp();
        DWORD thread = app && app->m_nThreadID ? app->m_nThreadID : ::GetCurrentThreadId();
        g_hMsgFilterHook = ::SetWindowsHookExA(WH_MSGFILTER, MenuBarMsgFilterHook, nullptr, thread);
        CSkinMenu::TrackPopupMenuBeside(CMenu::FromHandle(popup), 0, rect, CWnd::FromHandle(owner), IsVertical());
        if (g_hMsgFilterHook) ::UnhookWindowsHookEx(g_hMsgFilterHook);
        g_hMsgFilterHook = nullptr;
        g_pTrackingMenuBar = nullptr;
        m_hTrackedMenu = nullptr;
        UpdateWindow();
        if (!(m_bRetrack && IsValidItem(m_nCurItem) && m_nTrackMode == kPopupMode)) break;
    }
    m_bRetrack = FALSE;
    SetHotItem(m_nCurItem, m_nTrackMode == kPopupMode ? kIdle : m_nTrackMode);
    return TRUE;
}

// ---- the message filter while a popup is open

LRESULT CALLBACK MenuBarMsgFilterHook(int code, WPARAM wp, LPARAM lp)
{
    if (code == MSGF_MENU && g_pTrackingMenuBar && g_pTrackingMenuBar->FilterTrackingMessage((const MSG*)lp))
        return 1;
    return ::CallNextHookEx(g_hMsgFilterHook, code, wp, lp);
}

void CSkinMenuBar::CancelAndRetrack(int index)
{
    ::PostMessageA(m_hWndTrackOwner, WM_CANCELMODE, 0, 0);
    m_nCurItem = index;
    m_bRetrack = TRUE;
}

BOOL CSkinMenuBar::FilterTrackingMessage(const MSG* msg)
{
    POINT pt = msg->pt;
    int hit = -1;
    if (::WindowFromPoint(pt) == m_hWnd) {
        ScreenToClient(&pt);
        hit = HitTestItems(pt);
    }
    switch (msg->message) {
    case WM_KEYDOWN: {
        UINT key = (UINT)msg->wParam;
        if ((key == VK_LEFT && m_bTopPopup) || (key == VK_RIGHT && m_bSelectionHasNoSubmenu)) {
            CancelAndRetrack(GetNextItem(m_nCurItem, key == VK_RIGHT));
            return TRUE;
        }
        return FALSE;
    }
    case WM_SYSKEYDOWN:
        m_bAltConsumed = TRUE;
        return FALSE;
    case WM_MOUSEMOVE:
        if (msg->pt.x != m_ptLastMouse.x || msg->pt.y != m_ptLastMouse.y) {
            if (IsValidItem(hit) && hit != m_nCurItem) CancelAndRetrack(hit);
            m_ptLastMouse = msg->pt;
        }
        return FALSE;
    case WM_LBUTTONDOWN:
        if (!IsValidItem(hit)) return FALSE;
        if (hit != m_nCurItem) CancelAndRetrack(hit);
        m_nPressedItem = m_nCurItem;
        return TRUE;
    case WM_LBUTTONUP:
        if (m_nPressedItem == -1 || hit != m_nPressedItem) return FALSE;
        ::PostMessageA(m_hWndTrackOwner, WM_CANCELMODE, 0, 0);
        m_bRetrack = FALSE;
        m_nTrackMode = kHotMode;
        return TRUE;
    default:
        return FALSE;
    }
}

// ---- the mouse on the bar

BOOL CSkinMenuBar::FrameHasFocus() const
{
    HWND top = TopFrameWindow();
    HWND focus = ::GetFocus();
    return top && focus && (focus == top || ::IsChild(top, focus));
}

void CSkinMenuBar::OnMouseMove(UINT flags, CPoint point)
{
    if (point.x == m_ptLastMouse.x && point.y == m_ptLastMouse.y) {
        Default();
        return;
    }
    if (!FrameHasFocus()) {
        SetHotItem(-1, kIdle);
        SetHoverTimer(FALSE);
        Default();
        return;
    }
    m_bAltConsumed = FALSE;
    m_ptLastMouse = point;
    int hit = HitTestItems(point);
    if (IsValidItem(hit)) {
        if (m_nTrackMode == kPopupMode) {
            OnLButtonDown(flags, point);
        } else {
            SetHotItem(hit, kHotMode);
            SetHoverTimer(TRUE);
        }
        return;
    }
    if (m_nTrackMode == kHotMode) {
        SetHotItem(-1, kIdle);
        SetHoverTimer(FALSE);
    }
    Default();
}

void CSkinMenuBar::OnLButtonDown(UINT, CPoint point)
{
    m_nPressedItem = -1;
    m_nCurItem = HitTestItems(point);
    if (IsValidItem(m_nCurItem)) {
        TrackItemPopup(m_nCurItem);
        return;
    }
    SetHotItem(-1, kIdle);
    Default();
}

// The command of an item goes to the owner with the bar as its sender.
void CSkinMenuBar::RunItem(int index)
{
    if (!IsValidItem(index)) return;
    UINT id = m_arrItems[index]->GetID();
    SetHotItem(m_nCurItem, kIdle);
    ::SendMessageA(OwnerWindow(), WM_COMMAND, id, (LPARAM)m_hWnd);
}

void CSkinMenuBar::OnLButtonUp(UINT, CPoint point)
{
    int hit = HitTestItems(point);
    if (!IsValidItem(hit)) {
        Default();
        return;
    }
    if (!m_arrItems[hit]->GetPopup(OwnerWindow())) RunItem(hit);
}

void CSkinMenuBar::OnTimer(UINT_PTR id)
{
    if (!id || id != m_nTimerID) {
        CControlBar::Default();
        return;
    }
    if (FrameHasFocus()) {
        if (m_nTrackMode == kIdle) {
            SetHoverTimer(FALSE);
            return;
        }
        if (m_nTrackMode == kPopupMode) return;
        POINT p;
        ::GetCursorPos(&p);
        if (::WindowFromPoint(p) == m_hWnd) return;
    }
    SetHotItem(-1, kIdle);
    SetHoverTimer(FALSE);
}

// ---- the frame's keys

BOOL CSkinMenuBar::TranslateFrameMessage(MSG* msg)
{
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN && msg->message != WM_SYSKEYUP) return FALSE;
    const UINT key = (UINT)(msg->wParam & 0xFF);
    const BOOL alt = (msg->lParam & (1 << 29)) != 0;
    if (key == VK_MENU || (key == VK_F10 && !KeyDown(VK_SHIFT) && !KeyDown(VK_CONTROL) && !KeyDown(VK_MENU))) {
        if (msg->message == WM_SYSKEYUP) {
            if (m_nTrackMode == kHotMode)
                SetHotItem(-1, kIdle);
            else if (m_bAltConsumed)
                m_bAltConsumed = FALSE;
            else
                SetHotItem(0, kHotMode);
        }
        return TRUE;
    }
    if (msg->message == WM_SYSKEYUP) return FALSE;
    HWND owner = OwnerWindow();
    auto hasPopup = [&](int i) { return IsValidItem(i) && m_arrItems[i]->GetPopup(owner) != nullptr; };
    if (m_nTrackMode != kIdle) {
        const BOOL vertical = !(m_dwStyle & CBRS_ORIENT_HORZ);
        const UINT back = vertical ? VK_UP : VK_LEFT, forth = vertical ? VK_DOWN : VK_RIGHT;
        const UINT open1 = vertical ? VK_LEFT : VK_UP, open2 = vertical ? VK_RIGHT : VK_DOWN;
        if (key == VK_RETURN && IsValidItem(m_nCurItem) && !hasPopup(m_nCurItem)) {
            RunItem(m_nCurItem);
            return TRUE;
        }
        if (key == VK_ESCAPE) {
            SetHotItem(-1, kIdle);
            return TRUE;
        }
        if (key == VK_SPACE) {
            if (IsValidItem(m_nCurItem) && !hasPopup(m_nCurItem))
                RunItem(m_nCurItem);
            else
                TrackItemPopup(m_nCurItem);
            return TRUE;
        }
        if (key == back || key == forth) {
            m_nCurItem = GetNextItem(m_nCurItem, key == forth);
            if (m_nTrackMode == kPopupMode)
                TrackItemPopup(m_nCurItem);
            else
                SetHotItem(m_nCurItem, m_nTrackMode);
            return TRUE;
        }
        if (key == open1 || key == open2) {
            TrackItemPopup(m_nCurItem);
            return TRUE;
        }
    }
    // Mnemonics: with Alt held, or any letter or digit in hot mode.
    if (!(alt || m_nTrackMode == kHotMode)) return FALSE;
    if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return FALSE;
    LRESULT hit = m_hMenu ? CSkinMenu::FindMnemonicItem(key, CMenu::FromHandle(m_hMenu)) : 0;
    if (hit) {
        int index = LOWORD(hit) + (m_bMDIMaximized ? 1 : 0);
        m_nCurItem = index;
        TrackItemPopup(index);
        return TRUE;
    }
    return m_nTrackMode == kHotMode && !alt;
}
