#include "skin/menubaritems.h"
#include "skin/drawing.h"
#include "skin/skinlib.h"

HWND GetActiveMDIChild(HWND owner)
{
    HWND client = owner ? ::FindWindowExA(owner, nullptr, "MDIClient", nullptr) : nullptr;
    return client ? (HWND)::SendMessageA(client, WM_MDIGETACTIVE, 0, 0) : nullptr;
}

// ---- CSkinBarItem

CRect CSkinBarItem::GetRect(BOOL vertical) const
{
    const RECT& r = m_rcItem;
    return vertical ? CRect(r.top, r.left, r.bottom, r.right) : CRect(r);
}

BOOL CSkinBarItem::HitTest(int x, int y, BOOL vertical) const
{
    CRect r = GetRect(vertical);
    POINT p = {x, y};
    return ::PtInRect(&r, p);
}

// ---- CSkinMenuBarItem

void CSkinMenuBarItem::Draw(HWND owner, HDC dc)
{
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
    if (!::GetMenuItemInfoA(m_hMenu, m_nPosition, TRUE, &mii) || !(mii.fType & MFT_OWNERDRAW)) return;
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_MENU;
    dis.CtlID = 0;
    dis.itemID = mii.wID;
    dis.itemAction = m_nState | ODA_DRAWENTIRE;
    dis.itemState = m_nState;
    dis.hwndItem = (HWND)m_hMenu;
    dis.hDC = dc;
    dis.rcItem = GetRect((m_nState & kBarItemVertical) != 0);
    dis.itemData = mii.dwItemData;
    ::SendMessageA(owner, WM_DRAWITEM, 0, (LPARAM)&dis);
}

// ---- CSkinIconBarItem

static bool IsPredefinedMenuBitmap(HBITMAP bitmap)
{
    return (UINT_PTR)bitmap <= 11 || bitmap == (HBITMAP)-1;
}

CSkinIconBarItem::CSkinIconBarItem(HBITMAP bitmap, UINT id) : m_hBitmap(bitmap), m_nID(id)
{
    BITMAP bm;
    if (!IsPredefinedMenuBitmap(bitmap) && ::GetObjectA(bitmap, sizeof bm, &bm))
        m_rcItem = {0, 0, bm.bmWidth + 4, bm.bmHeight + 4};
    else
        m_rcItem = {0, 0, ::GetSystemMetrics(SM_CXMENUSIZE), ::GetSystemMetrics(SM_CYMENUSIZE)};
}

CRect CSkinIconBarItem::GetRect(BOOL vertical) const
{
    const RECT& r = m_rcItem;
    if (!vertical) return CRect(r);
    return CRect(r.top, r.left, r.top + (r.right - r.left), r.left + (r.bottom - r.top));
}

HMENU CSkinIconBarItem::GetPopup(HWND owner) const
{
    if (m_hBitmap != HBMMENU_SYSTEM) return nullptr;
    HWND child = GetActiveMDIChild(owner);
    return child ? ::GetSystemMenu(child, FALSE) : nullptr;
}

void CSkinIconBarItem::DrawFace(HDC dc, const RECT& rect) const
{
    if (!(m_nState & kBarItemHot)) return;
    const bool pressed = (m_nState & kBarItemPressed) != 0;
    CDC* d = CDC::FromHandle(dc);
    int mode = GetMenuDrawMode();
    auto frame = [&](COLORREF c) {
        CBrush brush(c);
        d->FrameRect(&rect, &brush);
    };
    if (mode == 6 || mode == 7) {
        COLORREF h = ::GetSysColor(COLOR_HIGHLIGHT), light = LightenColor(60, h), dark = DarkenColor(60, h);
        FillGradientRect(dc, rect, pressed ? h : light, pressed ? dark : h, FALSE, FALSE);
        frame(dark);
    } else if (((mode == 8 || mode == 9) && IsVisualThemeActive()) || mode == 10 || mode == 11) {
        FillGradientRect(dc, rect, pressed ? RGB(242, 151, 107) : RGB(250, 239, 219),
                         pressed ? RGB(249, 202, 163) : RGB(255, 212, 151), FALSE, FALSE);
        frame(RGB(4, 2, 132));
    } else if (mode == 2 || mode == 3 || mode == 8 || mode == 9) {
        d->FillSolidRect(&rect, GetSelectionBackColor());
        frame(::GetSysColor(COLOR_HIGHLIGHT));
    } else {
        COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT), shadow = ::GetSysColor(COLOR_BTNSHADOW);
        d->Draw3dRect(&rect, pressed ? shadow : light, pressed ? light : shadow);
    }
}

void CSkinIconBarItem::Draw(HWND owner, HDC dc)
{
    CRect rect = GetRect((m_nState & kBarItemVertical) != 0);
    DrawFace(dc, rect);
    rect.DeflateRect(2, 2);
    HWND child = GetActiveMDIChild(owner);
    char glyph = 0;
    bool grayed = false;
    if (m_hBitmap == HBMMENU_SYSTEM) {
        HICON icon = child ? (HICON)::GetClassLongPtrA(child, GCLP_HICONSM) : nullptr;
        if (icon) ::DrawStateA(dc, nullptr, nullptr, (LPARAM)icon, 0, rect.left, rect.top, 20, 20, DST_ICON);
        return;
    } else if (m_hBitmap == HBMMENU_MBAR_RESTORE) {
        glyph = '2';
    } else if (m_hBitmap == HBMMENU_MBAR_MINIMIZE || m_hBitmap == HBMMENU_MBAR_MINIMIZE_D) {
        glyph = '0';
        grayed = child && !(::GetWindowLongA(child, GWL_STYLE) & WS_MINIMIZEBOX);
    } else if (m_hBitmap == HBMMENU_MBAR_CLOSE || m_hBitmap == HBMMENU_MBAR_CLOSE_D) {
        glyph = 'r';
        if (child) {
            UINT state = ::GetMenuState(::GetSystemMenu(child, FALSE), SC_CLOSE, MF_BYCOMMAND);
            grayed = state == (UINT)-1 || (state & MF_GRAYED);
        }
    } else {
        ::DrawStateA(dc, nullptr, nullptr, (LPARAM)m_hBitmap, 0, rect.left, rect.top, rect.Width(), rect.Height(),
                     DST_BITMAP);
        return;
    }
    COLORREF oldColor = grayed ? ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT)) : CLR_INVALID;
    DrawMarlettGlyph(dc, rect, glyph, FALSE);
    if (grayed) ::SetTextColor(dc, oldColor);
}
