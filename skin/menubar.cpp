#include "skin/menubar.h"
#include "skin/barnonclient.h"
#include "skin/drawing.h"
#include "skin/menuicons.h"
#include "skin/menutheme.h"
#include "skin/skinframe.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include <map>

IMPLEMENT_DYNAMIC(CSkinMenuBar, CControlBar)

UINT MenuBarGetMenuMessage()
{
    static const UINT id = ::RegisterWindowMessageA("CSkinMenuBar::WM_GETMENU");
    return id;
}

UINT MenuBarRemoveMenuMessage()
{
    static const UINT id = ::RegisterWindowMessageA("CSkinMenuBar::WM_REMOVEMENU");
    return id;
}

namespace {
// Both messages exist from program start, before any bar or frame asks.
const UINT s_registeredAtStart = MenuBarGetMenuMessage() + MenuBarRemoveMenuMessage();

// Windows a bar has subclassed (its parent frame, an MDI client), and the bar.
std::map<HWND, CSkinMenuBar*>& SubclassedWindows()
{
    static std::map<HWND, CSkinMenuBar*> map;
    return map;
}

CSkinMenuBar* BarOfWindow(HWND wnd)
{
    auto it = SubclassedWindows().find(wnd);
    return it == SubclassedWindows().end() ? nullptr : it->second;
}

LRESULT CALLBACK SubclassedFrameProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CSkinMenuBar* bar = BarOfWindow(wnd);
    if (!bar) return ::DefWindowProcA(wnd, msg, wp, lp);
    CCurrentMessageScope current(wnd, msg, wp, lp);
    return bar->FrameWindowProc(wnd, msg, wp, lp);
}

LRESULT CALLBACK SubclassedMDIClientProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CSkinMenuBar* bar = BarOfWindow(wnd);
    if (!bar) return ::DefWindowProcA(wnd, msg, wp, lp);
    CCurrentMessageScope current(wnd, msg, wp, lp);
    return bar->MDIClientWindowProc(wnd, msg, wp, lp);
}

BOOL IsWindows2000OrLater()
{
    return GetWindowsVersionClass() >= kOsClassWin2000;
}

// The menu of a tree that holds an item id directly (depth first, submenus
// before the items of their parent).
CMenu* FindMenuHoldingId(HMENU menu, UINT id)
{
    int count = ::GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        if (HMENU sub = ::GetSubMenu(menu, pos)) {
            if (CMenu* found = FindMenuHoldingId(sub, id)) return found;
        } else if (::GetMenuItemID(menu, pos) == id) {
            return CMenu::FromHandlePermanent(menu);
        }
    }
    return nullptr;
}
} // namespace

CSkinMenuBar::CSkinMenuBar()
{
    SetBorders(3, 0, 0, 1);
}

CSkinMenuBar::~CSkinMenuBar()
{
    // WM_DESTROY deleted the items; a bar never created has none.
    DeleteItems();
}

BOOL CSkinMenuBar::Create(CWnd* parent, DWORD style, UINT id)
{
    return CreateEx(parent, 0, style, CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder), id);
}

BOOL CSkinMenuBar::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, CRect borders, UINT id)
{
    SetBorders(&borders);
    m_dwStyle = style & CBRS_ALL;
    if (id == AFX_IDW_MENUBAR) m_dwStyle |= CBRS_HIDE_INPLACE;
    static const char kClass[] = "SkinMenuBar";
    WNDCLASSA wc = {};
    if (!::GetClassInfoA(AfxGetInstanceHandle(), kClass, &wc)) {
        wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClass;
        if (!::RegisterClassA(&wc)) return FALSE;
    }
    return CWnd::CreateEx(0, kClass, "Menu Bar", (style & ~CBRS_ALL) | ctrlStyle, CRect(0, 0, 0, 0), parent, id);
}

int CSkinMenuBar::OnCreate(LPCREATESTRUCTA cs)
{
    if (CControlBar::OnCreate(cs) == -1) return -1;
    if (IsWindows2000OrLater()) SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL));
    m_hWndFrame = cs->hwndParent;
    if (m_hWndFrame && !BarOfWindow(m_hWndFrame)) {
        SubclassedWindows()[m_hWndFrame] = this;
        m_pfnOldFrameProc =
            (WNDPROC)::SetWindowLongPtrA(m_hWndFrame, GWLP_WNDPROC, (LONG_PTR)SubclassedFrameProc);
        HWND client = ::FindWindowExA(m_hWndFrame, nullptr, "MDIClient", nullptr);
        if (client && !BarOfWindow(client)) {
            m_hWndMDIClient = client;
            SubclassedWindows()[client] = this;
            m_pfnOldMDIClientProc =
                (WNDPROC)::SetWindowLongPtrA(client, GWLP_WNDPROC, (LONG_PTR)SubclassedMDIClientProc);
        }
    }
    return 0;
}

// The parent and the MDI client get their own procedures back; done when they
// are destroyed and also when the bar goes first, so that they never keep a
// procedure that no longer has a bar behind it.
void CSkinMenuBar::RestoreParent()
{
    auto restore = [](HWND& wnd, WNDPROC& old, WNDPROC ours) {
        if (!wnd) return;
        if (old && (WNDPROC)::GetWindowLongPtrA(wnd, GWLP_WNDPROC) == ours)
            ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, (LONG_PTR)old);
        SubclassedWindows().erase(wnd);
        old = nullptr;
        wnd = nullptr;
    };
    restore(m_hWndMDIClient, m_pfnOldMDIClientProc, SubclassedMDIClientProc);
    restore(m_hWndFrame, m_pfnOldFrameProc, SubclassedFrameProc);
}

// The frame gets back the menu the bar took, so that whoever owns the menu
// (the frame's default menu object, or the window itself) frees it as if the
// bar had never been there.
void CSkinMenuBar::GiveMenuBack()
{
    HWND owner = OwnerWindow();
    if (!m_hMenu || !owner || !::IsWindow(owner) || m_hWndMDIClient) return;
    if (!::GetMenu(owner) && ::IsMenu(m_hMenu)) ::SetMenu(owner, m_hMenu);
    m_hMenu = nullptr;
}

void CSkinMenuBar::OnDestroy()
{
    Default();
    SetHoverTimer(FALSE);
    GiveMenuBack();
    RestoreParent();
    DeleteItems();
}

void CSkinMenuBar::DeleteItems()
{
    for (CSkinBarItem* item : m_arrItems) delete item;
    m_arrItems.clear();
    m_nHotItem = m_nCurItem = m_nPressedItem = -1;
}

HWND CSkinMenuBar::OwnerWindow() const
{
    CWnd* owner = GetOwner();
    return owner ? owner->GetSafeHwnd() : ::GetParent(m_hWnd);
}

HWND CSkinMenuBar::TopFrameWindow() const
{
    return m_hWnd ? ::GetAncestor(m_hWnd, GA_ROOT) : nullptr;
}

// ---- the parent's and the MDI client's messages

LRESULT CSkinMenuBar::FrameWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WNDPROC old = m_pfnOldFrameProc;
    auto previous = [&] { return ::CallWindowProcA(old, wnd, msg, wp, lp); };
    if (msg == MenuBarGetMenuMessage()) return (LRESULT)m_hMenu;
    if (msg == MenuBarRemoveMenuMessage()) return ::SetMenu(wnd, nullptr);
    switch (msg) {
    case WM_DESTROY:
        GiveMenuBack();
        RestoreParent();
        return ::CallWindowProcA(old, wnd, msg, wp, lp);
    case WM_SYSCOLORCHANGE:
    case WM_WININICHANGE:
        RefreshIconStores();
        ApplyMenuBarBrush(m_hMenu);
        RefreshItems(nullptr);
        return previous();
    case WM_MEASUREITEM: {
        if (MeasureMenuItemForWindow(wnd, msg, wp, lp)) return TRUE;
        MEASUREITEMSTRUCT* mis = (MEASUREITEMSTRUCT*)lp;
        if (mis && m_hMenu)
            if (CMenu* holder = FindMenuHoldingId(m_hMenu, mis->itemID)) {
                holder->MeasureItem(mis);
                return 0;
            }
        return previous();
    }
    case WM_INITMENUPOPUP:
        previous();
        m_bTopPopup = TRUE;
        return 0;
    case WM_MENUSELECT:
        m_bSelectionHasNoSubmenu = ::GetSubMenu((HMENU)lp, LOWORD(wp)) == nullptr;
        m_bTopPopup = (HMENU)lp == m_hTrackedMenu;
        return previous();
    case WM_MENUCHAR:
        if (CSkinMenu* menu = CSkinMenu::FromMenuHandle((HMENU)lp))
            if (LRESULT hit = CSkinMenu::FindMnemonicItem(LOWORD(wp), menu)) return hit;
        return previous();
    default:
        return previous();
    }
}

LRESULT CSkinMenuBar::MDIClientWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WNDPROC old = m_pfnOldMDIClientProc;
    HWND owner = OwnerWindow();
    switch (msg) {
    case WM_DESTROY:
        RestoreParent();
        return ::CallWindowProcA(old, wnd, msg, wp, lp);
    case WM_MDISETMENU:
        if (::GetMenu(owner)) ::SetMenu(owner, nullptr);
        ::CallWindowProcA(old, wnd, msg, 0, lp);
        RefreshItems((HMENU)wp);
        return 0;
    case WM_MDIREFRESHMENU: {
        if (::GetMenu(owner)) ::SetMenu(owner, nullptr);
        HMENU menu = (HMENU)::CallWindowProcA(old, wnd, msg, wp, lp);
        RefreshItems(menu);
        return 0;
    }
    default:
        return ::CallWindowProcA(old, wnd, msg, wp, lp);
    }
}

// ---- taking the menu and building the items

void CSkinMenuBar::OnUpdateCmdUI(CFrameWnd* target, BOOL)
{
    HWND owner = OwnerWindow();
    if (!owner) return;
    HMENU menu = ::GetMenu(owner);
    if (m_hWndMDIClient) {
        if (menu && ::IsMenu(menu)) {
            RefreshItems(menu);
            ::PostMessageA(owner, MenuBarRemoveMenuMessage(), 0, 0);
        }
        BOOL maximized = FALSE;
        if (::SendMessageA(m_hWndMDIClient, WM_MDIGETACTIVE, 0, (LPARAM)&maximized) && maximized != m_bMDIMaximized) {
            RefreshItems(nullptr);
            Invalidate();
        }
        return;
    }
    if (menu && ::IsMenu(menu)) {
        ::SetMenu(owner, nullptr);
        RefreshItems(menu);
    }
}

void CSkinMenuBar::RefreshItems(HMENU menu)
{
    HWND owner = OwnerWindow();
    m_bMDIMaximized = FALSE;
    if (HWND top = TopFrameWindow())
        if (HWND client = ::FindWindowExA(top, nullptr, "MDIClient", nullptr))
            ::SendMessageA(client, WM_MDIGETACTIVE, 0, (LPARAM)&m_bMDIMaximized);
    if (menu) m_hMenu = menu;
    DeleteItems();
    int count = m_hMenu ? ::GetMenuItemCount(m_hMenu) : 0;
    for (int pos = 0; pos < count; ++pos) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
        if (!::GetMenuItemInfoA(m_hMenu, pos, TRUE, &mii)) continue;
        if (mii.fType & MFT_BITMAP) {
            m_arrItems.push_back(new CSkinIconBarItem((HBITMAP)mii.dwTypeData, mii.wID));
            continue;
        }
        CSkinMenuBarItem* item = new CSkinMenuBarItem(m_hMenu, pos);
        if (mii.fType & MFT_RIGHTJUSTIFY) item->m_nState |= kBarItemRightJustify;
        if (mii.fType & MFT_OWNERDRAW) {
            MEASUREITEMSTRUCT mis = {};
            mis.CtlType = ODT_MENU;
            mis.itemID = mii.wID;
            mis.itemData = mii.dwItemData;
            ::SendMessageA(owner, WM_MEASUREITEM, 0, (LPARAM)&mis);
            item->m_rcItem = {0, 0, (LONG)mis.itemWidth + ::GetSystemMetrics(SM_CXMENUCHECK),
                              ::GetSystemMetrics(SM_CYMENU)};
        } else {
            item->m_rcItem = {0, 0, ::GetSystemMetrics(SM_CXMENUSIZE) + 2, ::GetSystemMetrics(SM_CYMENUSIZE) + 2};
        }
        m_arrItems.push_back(item);
    }
    if (m_bMDIMaximized) {
        m_arrItems.insert(m_arrItems.begin(), new CSkinIconBarItem(HBMMENU_SYSTEM, (UINT)-1));
        CSkinIconBarItem* minimize = new CSkinIconBarItem(HBMMENU_MBAR_MINIMIZE, SC_MINIMIZE);
        minimize->m_nState |= kBarItemRightJustify;
        m_arrItems.push_back(minimize);
        m_arrItems.push_back(new CSkinIconBarItem(HBMMENU_MBAR_RESTORE, SC_RESTORE));
        m_arrItems.push_back(new CSkinIconBarItem(HBMMENU_MBAR_CLOSE, SC_CLOSE));
    }
    if (!m_hWnd) return;
    Invalidate(TRUE);
    if (CFrameWnd* top = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(TopFrameWindow())))
        top->RecalcLayout(TRUE);
}

// ---- painting

void CSkinMenuBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* params)
{
    Default();
    // A floating bar's frame holds its far sides.
    InsetByBorders(params->rgrc[0], !IsFloating());
}

void CSkinMenuBar::OnNcPaint()
{
    PaintBarNonClient(*this);
}

void CSkinMenuBar::DrawGripper(CDC* dc, const CRect& rect)
{
    GetCurrentMenuTheme()->DrawGripper(dc->GetSafeHdc(), rect, m_dwStyle, m_cxLeftBorder, m_cxRightBorder,
                                       m_cyTopBorder, m_cyBottomBorder);
}

// The whole window area in client coordinates, with the menu-bar brush laid
// from the frame's corner so that a gradient runs on across neighbouring bars.
void CSkinMenuBar::EraseBackground(HDC dc)
{
    CRect r;
    GetWindowRect(&r);
    ScreenToClient(&r);
    if (CSkinBrush* brush = GetMenuBarBrush()) {
        CRect frame;
        ::GetWindowRect(::GetParent(m_hWnd), &frame);
        POINT origin = frame.TopLeft();
        ScreenToClient(&origin);
        POINT old;
        ::SetBrushOrgEx(dc, origin.x, origin.y, &old);
        ::FillRect(dc, &r, *brush);
        ::SetBrushOrgEx(dc, old.x, old.y, nullptr);
    } else {
        CDC::FromHandle(dc)->FillSolidRect(&r, GetMenuBarColor(nullptr));
    }
}

BOOL CSkinMenuBar::OnEraseBkgnd(CDC* dc)
{
    EraseBackground(dc->GetSafeHdc());
    return TRUE;
}

void CSkinMenuBar::OnPaint()
{
    CPaintDC dc(this);
    EraseBackground(dc);
    LRESULT uiState = 0;
    if (IsWindows2000OrLater()) {
        BOOL cues = TRUE;
        if (::SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0) && !cues)
            uiState = ::SendMessageA(TopFrameWindow(), WM_QUERYUISTATE, 0, 0);
    }
    CSelectedFont font(dc, GetMenuLogFont());
    const BOOL docked = !IsFloating() && IsVertical();
    HWND owner = OwnerWindow();
    for (CSkinBarItem* item : m_arrItems) {
        item->m_nState = (uiState & UISF_HIDEACCEL) ? (item->m_nState | kBarItemNoAccel)
                                                    : (item->m_nState & ~kBarItemNoAccel);
        item->m_nState = docked ? (item->m_nState | kBarItemVertical) : (item->m_nState & ~kBarItemVertical);
        item->Draw(owner, dc);
    }
}

BEGIN_MESSAGE_MAP(CSkinMenuBar, CControlBar)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_WM_NCPAINT()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_NCCALCSIZE()
    ON_WM_NCHITTEST()
END_MESSAGE_MAP()
