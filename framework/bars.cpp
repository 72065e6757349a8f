#include "framework/bars.h"
#include "framework/app.h"
#include "framework/frame.h"
#include <algorithm>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)
IMPLEMENT_DYNAMIC(CToolBar, CControlBar)
IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)
IMPLEMENT_DYNAMIC(CDialogBar, CControlBar)

// ---- CControlBar ------------------------------------------------------------

CControlBar::CControlBar() = default;

DWORD CControlBar::TakeBarStyle(DWORD style) {
    m_dwStyle = style & CBRS_ALL;
    return style & ~CBRS_ALL;
}

void CControlBar::SetBarStyle(DWORD style) {
    DWORD old = m_dwStyle;
    m_dwStyle = style & CBRS_ALL;
    if (old != m_dwStyle) OnBarStyleChange(old, m_dwStyle);
}

void CControlBar::SetBorders(int left, int top, int right, int bottom) {
    m_cxLeftBorder = left;
    m_cyTopBorder = top;
    m_cxRightBorder = right;
    m_cyBottomBorder = bottom;
}

CFrameWnd* CControlBar::GetDockingFrame() const {
    if (m_pDockSite) return m_pDockSite;
    return GetParentFrame();
}

void CControlBar::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}

int CControlBar::OnCreate(LPCREATESTRUCTA cs) {
    if (Default() == -1) return -1;
    // Commands and notifications the bar does not handle go to its frame.
    CWnd* parent = CWnd::FromHandle(cs->hwndParent);
    if (!m_hWndOwner) SetOwner(parent);
    m_pDockSite = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(cs->hwndParent));
    return 0;
}

CSize CControlBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    CSize size;
    size.cx = (stretch && horz) ? 32767 : 0;
    size.cy = (stretch && !horz) ? 32767 : 0;
    return size;
}

CSize CControlBar::CalcDynamicLayout(int, DWORD mode) {
    return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZ) != 0);
}

void CControlBar::CalcInsideRect(CRect& rect, BOOL horz) const {
    DWORD s = m_dwStyle;
    if (s & CBRS_BORDER_LEFT) rect.left += 2;
    if (s & CBRS_BORDER_TOP) rect.top += 2;
    if (s & CBRS_BORDER_RIGHT) rect.right -= 2;
    if (s & CBRS_BORDER_BOTTOM) rect.bottom -= 2;
    if (horz) {
        rect.left += m_cxLeftBorder;
        rect.top += m_cyTopBorder;
        rect.right -= m_cxRightBorder;
        rect.bottom -= m_cyBottomBorder;
        if (s & CBRS_GRIPPER) rect.left += 7;
    } else {
        rect.left += m_cyTopBorder;
        rect.top += m_cxLeftBorder;
        rect.right -= m_cyBottomBorder;
        rect.bottom -= m_cxRightBorder;
        if (s & CBRS_GRIPPER) rect.top += 7;
    }
}

void CControlBar::DrawBorders(CDC* dc, CRect& rect) {
    HDC h = dc->GetSafeHdc();
    DWORD s = m_dwStyle;
    HBRUSH shadow = ::GetSysColorBrush(COLOR_BTNSHADOW), light = ::GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    auto line = [&](int l, int t, int r, int b, HBRUSH br) {
        RECT x = {l, t, r, b};
        ::FillRect(h, &x, br);
    };
    if (s & CBRS_BORDER_TOP) {
        line(rect.left, rect.top, rect.right, rect.top + 1, shadow);
        line(rect.left, rect.top + 1, rect.right, rect.top + 2, light);
        rect.top += 2;
    }
    if (s & CBRS_BORDER_BOTTOM) {
        line(rect.left, rect.bottom - 2, rect.right, rect.bottom - 1, shadow);
        line(rect.left, rect.bottom - 1, rect.right, rect.bottom, light);
        rect.bottom -= 2;
    }
    if (s & CBRS_BORDER_LEFT) {
        line(rect.left, rect.top, rect.left + 1, rect.bottom, shadow);
        line(rect.left + 1, rect.top, rect.left + 2, rect.bottom, light);
        rect.left += 2;
    }
    if (s & CBRS_BORDER_RIGHT) {
        line(rect.right - 2, rect.top, rect.right - 1, rect.bottom, shadow);
        line(rect.right - 1, rect.top, rect.right, rect.bottom, light);
        rect.right -= 2;
    }
}

void CControlBar::DrawGripper(CDC* dc, const CRect& rect) {
    if (!(m_dwStyle & CBRS_GRIPPER)) return;
    RECT g = rect;
    if (m_dwStyle & CBRS_ORIENT_HORZ) {
        g.left += m_cxLeftBorder;
        g.right = g.left + 3;
        g.top += m_cyTopBorder;
        g.bottom -= m_cyBottomBorder;
    } else {
        g.top += m_cyTopBorder;
        g.bottom = g.top + 3;
        g.left += m_cxLeftBorder;
        g.right -= m_cxRightBorder;
    }
    ::DrawEdge(dc->GetSafeHdc(), &g, BDR_RAISEDINNER, BF_RECT);
}

void CControlBar::DoPaint(CDC* dc) {
    CRect rect;
    GetClientRect(&rect);
    DrawBorders(dc, rect);
    DrawGripper(dc, rect);
}

void CControlBar::OnPaint() {
    if (m_bControlPaints) {
        Default();
        return;
    }
    CPaintDC dc(this);
    DoPaint(&dc);
}

void CControlBar::InsetByBorders(RECT& r, BOOL farSides) const {
    CRect inside(0, 0, 0, 0);
    CalcInsideRect(inside, (m_dwStyle & CBRS_ORIENT_HORZ) != 0);
    r.left += inside.left;
    r.top += inside.top;
    if (farSides) {
        r.right += inside.right;
        r.bottom += inside.bottom;
    }
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
}

void CControlBar::OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* p) {
    Default();
    InsetByBorders(p->rgrc[0], TRUE);
}

void CControlBar::EraseNonClient() {
    CWindowDC dc(this);
    CRect client, window;
    GetClientRect(&client);
    ClientToScreen(&client);
    GetWindowRect(&window);
    client.OffsetRect(-window.left, -window.top);
    window.OffsetRect(-window.left, -window.top);
    HDC h = dc.GetSafeHdc();
    ::ExcludeClipRect(h, client.left, client.top, client.right, client.bottom);
    ::FillRect(h, &window, ::GetSysColorBrush(COLOR_BTNFACE));
    DrawBorders(&dc, window);
    DrawGripper(&dc, window);
}

void CControlBar::OnNcPaint() { EraseNonClient(); }

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lp) {
    AFX_SIZEPARENTPARAMS* layout = (AFX_SIZEPARENTPARAMS*)lp;
    if (!(GetStyle() & WS_VISIBLE)) return 0;
    BOOL horz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0 || !(m_dwStyle & CBRS_ORIENT_VERT);
    CSize avail(layout->rect.right - layout->rect.left, layout->rect.bottom - layout->rect.top);
    CSize size;
    if ((m_dwStyle & CBRS_SIZE_DYNAMIC) && !(m_dwStyle & CBRS_FLOATING)) {
        DWORD mode = (layout->bStretch ? LM_STRETCH : 0) | (horz ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK);
        size = CalcDynamicLayout(-1, mode);
    } else {
        size = CalcFixedLayout(layout->bStretch, horz);
    }
    size.cx = std::max(0L, std::min(size.cx, avail.cx));
    size.cy = std::max(0L, std::min(size.cy, avail.cy));
    RECT r = layout->rect;
    switch (m_dwStyle & CBRS_ALIGN_ANY) {
    case CBRS_ALIGN_BOTTOM:
        r.top = r.bottom - size.cy;
        layout->rect.bottom -= size.cy;
        r.right = r.left + size.cx;
        break;
    case CBRS_ALIGN_LEFT:
        r.right = r.left + size.cx;
        layout->rect.left += size.cx;
        r.bottom = r.top + size.cy;
        break;
    case CBRS_ALIGN_RIGHT:
        r.left = r.right - size.cx;
        layout->rect.right -= size.cx;
        r.bottom = r.top + size.cy;
        break;
    default:  // top
        r.bottom = r.top + size.cy;
        layout->rect.top += size.cy;
        r.right = r.left + size.cx;
        break;
    }
    if (layout->hDWP)
        layout->hDWP = ::DeferWindowPos(layout->hDWP, m_hWnd, nullptr, r.left, r.top, r.right - r.left,
                                        r.bottom - r.top, SWP_NOACTIVATE | SWP_NOZORDER);
    return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wp, LPARAM) {
    if (!(GetStyle() & WS_VISIBLE)) return 0;
    CFrameWnd* target = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(m_hWndOwner));
    if (!target) target = GetParentFrame();
    if (target) OnUpdateCmdUI(target, (BOOL)wp);
    return 0;
}

LRESULT CControlBar::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND: case WM_NOTIFY: case WM_DRAWITEM: case WM_MEASUREITEM: case WM_DELETEITEM:
    case WM_COMPAREITEM: case WM_VKEYTOITEM: case WM_CHARTOITEM: {
        // The bar's own map (and reflection to its controls) first, then the owner.
        LRESULT r = 0;
        if (OnWndMsg(msg, wp, lp, &r)) return r;
        HWND owner = m_hWndOwner ? m_hWndOwner : ::GetParent(m_hWnd);
        if (owner && owner != m_hWnd) return ::SendMessageA(owner, msg, wp, lp);
        return DefWindowProc(msg, wp, lp);
    }
    default:
        return CWnd::WindowProc(msg, wp, lp);
    }
}

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_NCPAINT()
    ON_WM_NCCALCSIZE()
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

// ---- update of bar items ------------------------------------------------------

namespace {
class CToolCmdUI : public CCmdUI {
public:
    void Enable(BOOL on) override {
        m_bEnableChanged = TRUE;
        SetState(TBSTATE_ENABLED, on);
    }
    void SetCheck(int check) override {
        SetState(TBSTATE_CHECKED, check == 1);
        SetState(TBSTATE_INDETERMINATE, check == 2);
    }
    void SetText(LPCSTR) override {}

private:
    void SetState(BYTE bit, BOOL on) {
        TBBUTTON b = {};
        if (!m_pOther->SendMessage(TB_GETBUTTON, m_nIndex, (LPARAM)&b)) return;
        BYTE state = on ? (b.fsState | bit) : (b.fsState & ~bit);
        if (state != b.fsState) m_pOther->SendMessage(TB_SETSTATE, (WPARAM)b.idCommand, MAKELONG(state, 0));
    }
};

class CStatusCmdUI : public CCmdUI {
public:
    void Enable(BOOL on) override {
        m_bEnableChanged = TRUE;
        CStatusBar* bar = static_cast<CStatusBar*>(m_pOther);
        UINT style = bar->GetPaneStyle((int)m_nIndex);
        UINT next = on ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED);
        if (next != style) bar->SetPaneStyle((int)m_nIndex, next);
    }
    void SetCheck(int check) override {
        CStatusBar* bar = static_cast<CStatusBar*>(m_pOther);
        UINT style = bar->GetPaneStyle((int)m_nIndex);
        UINT next = check ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT);
        if (next != style) bar->SetPaneStyle((int)m_nIndex, next);
    }
    void SetText(LPCSTR text) override {
        CStatusBar* bar = static_cast<CStatusBar*>(m_pOther);
        if (bar->GetPaneText((int)m_nIndex) != text) bar->SetPaneText((int)m_nIndex, text);
    }
};
}  // namespace

void AfxUpdateDialogControls(CWnd* wnd, CCmdTarget* target, BOOL disableIfNoHandler) {
    CCmdUI state;
    for (HWND c = ::GetTopWindow(wnd->m_hWnd); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        UINT id = (UINT)::GetDlgCtrlID(c);
        if (id == 0 || id == (UINT)-1 || id == 0xFFFF) continue;
        CWnd* ctl = CWnd::FromHandle(c);
        state.m_pOther = ctl;
        state.m_nID = id;
        BOOL pushButton = FALSE;
        if (::SendMessageA(c, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) {
            UINT type = (UINT)::GetWindowLongA(c, GWL_STYLE) & 0x0F;
            pushButton = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_USERBUTTON;
        }
        state.DoUpdate(target, disableIfNoHandler && pushButton);
    }
}

// ---- CToolBar -----------------------------------------------------------------

CToolBar::CToolBar() {
    m_cxLeftBorder = m_cxRightBorder = 0;
    m_cyTopBorder = m_cyBottomBorder = 0;
    m_bControlPaints = TRUE;
}

CToolBar::~CToolBar() {
    if (m_hbmImageWell) ::DeleteObject(m_hbmImageWell);
}

BOOL CToolBar::Create(CWnd* parent, DWORD style, UINT id) {
    return CreateEx(parent, 0, style, CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder), id);
}

BOOL CToolBar::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, CRect borders, UINT id) {
    SetBorders(&borders);
    DWORD wndStyle = TakeBarStyle(style);
    // The frame lays the bar out; the control must not place itself.
    wndStyle |= ctrlStyle | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
    if (m_dwStyle & CBRS_TOOLTIPS) wndStyle |= TBSTYLE_TOOLTIPS;
    RegisterDefaultClass();
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEA, nullptr, wndStyle | WS_CHILD, 0, 0, 0, 0, parent->GetSafeHwnd(),
                        (HMENU)(UINT_PTR)id))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SetSizes(m_sizeButton, m_sizeImage);
    return TRUE;
}

void CToolBar::SetSizes(SIZE button, SIZE image) {
    m_sizeButton = button;
    m_sizeImage = image;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(image.cx, image.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(button.cx, button.cy));
}

BOOL CToolBar::LoadToolBar(LPCSTR name) {
    HINSTANCE res = AfxGetResourceHandle();
    HRSRC found = ::FindResourceA(res, name, RT_TOOLBAR);
    if (!found) return FALSE;
    HGLOBAL loaded = ::LoadResource(res, found);
    const WORD* data = loaded ? (const WORD*)::LockResource(loaded) : nullptr;
    DWORD bytes = ::SizeofResource(res, found);
    if (!data || bytes < 8 || data[0] != 1) return FALSE;
    int count = data[3];
    if (bytes < (DWORD)(8 + 2 * count)) return FALSE;  // truncated resource
    std::vector<UINT> ids(data + 4, data + 4 + count);
    SetSizes(CSize(data[1] + 7, data[2] + 7), CSize(data[1], data[2]));
    if (!LoadBitmap(name)) return FALSE;
    return SetButtons(ids.data(), count);
}

BOOL CToolBar::LoadBitmap(LPCSTR name) {
    HBITMAP bmp = (HBITMAP)::LoadImageA(AfxGetResourceHandle(), name, IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS);
    if (!bmp) return FALSE;
    BITMAP info = {};
    ::GetObjectA(bmp, sizeof info, &info);
    int images = m_sizeImage.cx > 0 ? info.bmWidth / m_sizeImage.cx : 0;
    if (m_hbmImageWell) {
        TBREPLACEBITMAP rb = {nullptr, (UINT_PTR)m_hbmImageWell, nullptr, (UINT_PTR)bmp, images};
        if (!SendMessage(TB_REPLACEBITMAP, 0, (LPARAM)&rb)) {
            ::DeleteObject(bmp);
            return FALSE;
        }
        ::DeleteObject(m_hbmImageWell);
    } else {
        TBADDBITMAP ab = {nullptr, (UINT_PTR)bmp};
        if (SendMessage(TB_ADDBITMAP, images, (LPARAM)&ab) == -1) {
            ::DeleteObject(bmp);
            return FALSE;
        }
    }
    m_hbmImageWell = bmp;
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* ids, int count) {
    while (SendMessage(TB_BUTTONCOUNT)) SendMessage(TB_DELETEBUTTON, 0);
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON b = {};
        if (ids && ids[i] != ID_SEPARATOR) {
            b.idCommand = (int)ids[i];
            b.iBitmap = image++;
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = TBSTYLE_BUTTON;
        } else {
            b.iBitmap = 6;  // separator width
            b.fsStyle = TBSTYLE_SEP;
        }
        buttons.push_back(b);
    }
    if (count && !SendMessage(TB_ADDBUTTONSA, (WPARAM)count, (LPARAM)buttons.data())) return FALSE;
    m_bDelayedButtonLayout = FALSE;
    return TRUE;
}

UINT CToolBar::GetItemID(int index) const {
    TBBUTTON b = {};
    if (!SendMessage(TB_GETBUTTON, index, (LPARAM)&b)) return 0;
    return (b.fsStyle & TBSTYLE_SEP) ? ID_SEPARATOR : (UINT)b.idCommand;
}

UINT CToolBar::GetButtonStyle(int index) const {
    TBBUTTON b = {};
    if (!SendMessage(TB_GETBUTTON, index, (LPARAM)&b)) return 0;
    return MAKELONG(b.fsStyle, b.fsState);
}

void CToolBar::SetButtonStyle(int index, UINT style) {
    TBBUTTONINFOA info = {sizeof info, TBIF_BYINDEX | TBIF_STYLE | TBIF_STATE};
    info.fsStyle = (BYTE)LOWORD(style);
    info.fsState = (BYTE)HIWORD(style);
    if (!info.fsState) {
        TBBUTTON b = {};
        SendMessage(TB_GETBUTTON, index, (LPARAM)&b);
        info.fsState = b.fsState;
    }
    SendMessage(TB_SETBUTTONINFOA, index, (LPARAM)&info);
}

void CToolBar::GetButtonInfo(int index, UINT& id, UINT& style, int& image) const {
    TBBUTTON b = {};
    SendMessage(TB_GETBUTTON, index, (LPARAM)&b);
    id = (UINT)b.idCommand;
    style = MAKELONG(b.fsStyle, b.fsState);
    image = b.iBitmap;
}

void CToolBar::SetButtonInfo(int index, UINT id, UINT style, int image) {
    TBBUTTONINFOA info = {sizeof info, TBIF_BYINDEX | TBIF_COMMAND | TBIF_STYLE | TBIF_IMAGE};
    info.idCommand = (int)id;
    info.fsStyle = (BYTE)LOWORD(style);
    info.iImage = image;
    SendMessage(TB_SETBUTTONINFOA, index, (LPARAM)&info);
}

void CToolBar::Layout() {
    m_bDelayedButtonLayout = FALSE;
    if (CFrameWnd* f = GetParentFrame()) f->RecalcLayout();
}

std::vector<TBBUTTON> CToolBar::GetLayoutButtons() const {
    int n = GetCount();
    std::vector<TBBUTTON> buttons(n > 0 ? n : 0);
    for (int i = 0; i < n; ++i)
        if (!::SendMessageA(m_hWnd, TB_GETBUTTON, i, (LPARAM)&buttons[i])) buttons[i].fsState |= TBSTATE_HIDDEN;
    return buttons;
}

int CToolBar::ButtonWidth(const TBBUTTON& b, int index) const {
    if (b.fsStyle & TBSTYLE_SEP) return b.iBitmap > 0 ? b.iBitmap : 8;  // the control's default width
    // Buttons with text or a drop-down arrow are wider than the button size.
    RECT r = {};
    if (SendMessage(TB_GETITEMRECT, index, (LPARAM)&r) && r.right > r.left) return r.right - r.left;
    return LOWORD(SendMessage(TB_GETBUTTONSIZE));
}

// Below a row that a separator ends the control leaves two thirds of the
// default separator width, whatever the separator's own width.
int CToolBar::SeparatorRowHeight() const { return 8 * 2 / 3; }

CSize CToolBar::CalcSize(const std::vector<TBBUTTON>& buttons) const {
    // As the control places them: a separator with TBSTATE_WRAP stays in its
    // row (alone in it after a wrapped button) and adds a gap below the row.
    int rowHeight = HIWORD(SendMessage(TB_GETBUTTONSIZE));
    int x = 0, y = 0, widest = 0;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const TBBUTTON& b = buttons[i];
        if (b.fsState & TBSTATE_HIDDEN) continue;
        x += ButtonWidth(b, (int)i);
        widest = std::max(widest, x);
        if (b.fsState & TBSTATE_WRAP) {
            y += rowHeight + ((b.fsStyle & TBSTYLE_SEP) ? SeparatorRowHeight() : 0);
            x = 0;
        }
    }
    if (x > 0 || y == 0) y += rowHeight;
    return CSize(widest, y);
}

int CToolBar::WrapToolBar(std::vector<TBBUTTON>& buttons, int width) const {
    int rows = 1, x = 0, last = -1;  // last: the previous visible button
    for (size_t i = 0; i < buttons.size(); ++i) {
        TBBUTTON& b = buttons[i];
        b.fsState &= ~TBSTATE_WRAP;
        if (b.fsState & TBSTATE_HIDDEN) continue;
        int w = ButtonWidth(b, (int)i);
        bool sep = (b.fsStyle & TBSTYLE_SEP) != 0;
        if (x > 0 && x + w > width) {
            if (sep) {
                // The separator itself ends the row; the next row starts after it.
                b.fsState |= TBSTATE_WRAP;
                ++rows;
                x = 0;
                last = (int)i;
                continue;
            }
            if (last >= 0 && !(buttons[last].fsState & TBSTATE_WRAP)) {
                buttons[last].fsState |= TBSTATE_WRAP;
                ++rows;
            }
            x = 0;
        }
        x += w;
        last = (int)i;
    }
    return rows;
}

void CToolBar::SizeToolBar(std::vector<TBBUTTON>& buttons, int length, BOOL vertical) const {
    if (!vertical) {
        WrapToolBar(buttons, length);
        return;
    }
    // The height falls as the width grows: search the narrowest width that fits.
    int lo = 1, hi = 1;
    for (size_t i = 0; i < buttons.size(); ++i)
        if (!(buttons[i].fsState & TBSTATE_HIDDEN)) hi += ButtonWidth(buttons[i], (int)i);
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        WrapToolBar(buttons, mid);
        if (CalcSize(buttons).cy <= length) hi = mid;
        else lo = mid + 1;
    }
    WrapToolBar(buttons, lo);
}

void CToolBar::CommitWraps(const std::vector<TBBUTTON>& buttons) {
    bool changed = false;
    for (size_t i = 0; i < buttons.size(); ++i) {
        // The control's own state: the layout's copy may report hidden buttons.
        TBBUTTONINFOA info = {sizeof info, TBIF_BYINDEX | TBIF_STATE};
        if (SendMessage(TB_GETBUTTONINFOA, i, (LPARAM)&info) == -1) continue;
        BYTE state = (BYTE)((info.fsState & ~TBSTATE_WRAP) | (buttons[i].fsState & TBSTATE_WRAP));
        if (state == info.fsState) continue;
        info.fsState = state;
        SendMessage(TB_SETBUTTONINFOA, i, (LPARAM)&info);
        changed = true;
    }
    if (changed) SendMessage(TB_AUTOSIZE);
}

CSize CToolBar::CalcLayout(DWORD mode, int length) {
    std::vector<TBBUTTON> buttons = GetLayoutButtons();
    BOOL vertDock = (mode & LM_VERTDOCK) != 0, horzDock = (mode & LM_HORZDOCK) != 0;
    BOOL horz = vertDock ? FALSE : horzDock ? TRUE : (mode & LM_HORZ) != 0;
    CRect inside(0, 0, 0, 0);
    CalcInsideRect(inside, horz);
    CSize border(inside.left - inside.right, inside.top - inside.bottom);
    if (vertDock) {
        for (TBBUTTON& b : buttons) b.fsState |= TBSTATE_WRAP;
    } else if (horzDock) {
        // A fixed bar keeps the rows it was given.
        if (!(m_dwStyle & CBRS_SIZE_FIXED))
            for (TBBUTTON& b : buttons) b.fsState &= ~TBSTATE_WRAP;
    } else if (!(m_dwStyle & CBRS_SIZE_FIXED)) {
        if ((mode & LM_MRUWIDTH) || length < 0) WrapToolBar(buttons, m_nMRUWidth - border.cx);
        else if (mode & LM_LENGTHY) SizeToolBar(buttons, length - border.cy, TRUE);
        else SizeToolBar(buttons, length - border.cx, FALSE);
    }
    // The last visible button never starts a new row.
    for (size_t i = buttons.size(); i-- > 0;)
        if (!(buttons[i].fsState & TBSTATE_HIDDEN)) {
            if (!(buttons[i].fsStyle & TBSTYLE_SEP)) buttons[i].fsState &= ~TBSTATE_WRAP;
            break;
        }
    CSize size = CalcSize(buttons);
    size.cx += border.cx;
    size.cy += border.cy;
    if (mode & LM_COMMIT) {
        CommitWraps(buttons);
        if (!vertDock && !horzDock) m_nMRUWidth = size.cx;
    }
    if ((mode & LM_STRETCH) && (vertDock || horzDock)) {
        if (horz) size.cx = 32767;
        else size.cy = 32767;
    }
    return size;
}

CSize CToolBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    return CalcLayout((stretch ? LM_STRETCH : 0) | (horz ? LM_HORZ | LM_HORZDOCK : LM_VERTDOCK) | LM_COMMIT, -1);
}

CSize CToolBar::CalcDynamicLayout(int length, DWORD mode) { return CalcLayout(mode, length); }

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
    CToolCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = (UINT)GetCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        TBBUTTON b = {};
        if (!SendMessage(TB_GETBUTTON, state.m_nIndex, (LPARAM)&b)) continue;
        if (b.fsStyle & TBSTYLE_SEP) continue;
        state.m_nID = (UINT)b.idCommand;
        state.DoUpdate(target, disableIfNoHandler);
    }
}

BOOL CToolBar::OnEraseBkgnd(CDC* dc) {
    // A flat toolbar is transparent: it asks its parent to erase, and a frame
    // with a view erases nothing, which would leave old pixels behind the
    // buttons. The bar paints its own face instead.
    RECT r;
    GetClientRect(&r);
    ::FillRect(dc->GetSafeHdc(), &r, ::GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

// ---- CStatusBar ---------------------------------------------------------------

CStatusBar::CStatusBar() {
    m_cxLeftBorder = m_cxRightBorder = 0;
    m_cyTopBorder = m_cyBottomBorder = 0;
    m_bControlPaints = TRUE;
}

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id) { return CreateEx(parent, 0, style, id); }

BOOL CStatusBar::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, UINT id) {
    DWORD wndStyle = TakeBarStyle(style) | ctrlStyle | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
    if (parent && (parent->GetStyle() & WS_THICKFRAME)) wndStyle |= SBARS_SIZEGRIP;
    RegisterDefaultClass();
    return CWnd::CreateEx(0, STATUSCLASSNAMEA, nullptr, wndStyle | WS_CHILD, 0, 0, 0, 0, parent->GetSafeHwnd(),
                          (HMENU)(UINT_PTR)id);
}

int CStatusBar::TextWidth(LPCSTR text) const {
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, (HFONT)SendMessage(WM_GETFONT));
    SIZE s = {};
    ::GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    return s.cx;
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
    m_panes.assign(count, AFX_STATUSPANE());
    m_nCount = count;
    BOOL ok = TRUE;
    for (int i = 0; i < count; ++i) {
        AFX_STATUSPANE& p = m_panes[i];
        p.nID = ids ? ids[i] : ID_SEPARATOR;
        if (p.nID == ID_SEPARATOR) {
            p.nStyle = i == 0 ? (SBPS_NOBORDERS | SBPS_STRETCH) : SBPS_NORMAL;
            p.cxText = i == 0 ? 1 : 0;
        } else {
            if (!p.strText.LoadString(p.nID)) ok = FALSE;
            p.cxText = TextWidth(p.strText);
        }
    }
    UpdateAllPanes(TRUE, TRUE);
    return ok;
}

void CStatusBar::UpdateAllPanes(BOOL updateRects, BOOL updateText) {
    if (!m_hWnd) return;
    int n = (int)m_panes.size();
    if (updateRects && n) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        int gap = ::GetSystemMetrics(SM_CXEDGE) * 3;
        int fixed = 0;
        for (const auto& p : m_panes)
            if (!(p.nStyle & SBPS_STRETCH)) fixed += p.cxText + gap;
        if (GetStyle() & SBARS_SIZEGRIP) fixed += ::GetSystemMetrics(SM_CXVSCROLL);
        int spare = std::max(0, (int)(client.right - client.left) - fixed);
        std::vector<int> rights(n);
        int x = 0;
        for (int i = 0; i < n; ++i) {
            const auto& p = m_panes[i];
            x += (p.nStyle & SBPS_STRETCH) ? std::max(p.cxText + gap, spare) : p.cxText + gap;
            rights[i] = x;
        }
        rights[n - 1] = -1;  // the last pane reaches the right edge
        SendMessage(SB_SETPARTS, n, (LPARAM)rights.data());
    }
    if (updateText)
        for (int i = 0; i < n; ++i) {
            const auto& p = m_panes[i];
            UINT flags = p.nStyle & (SBT_NOBORDERS | SBT_POPOUT | SBT_OWNERDRAW);
            SendMessage(SB_SETTEXTA, (WPARAM)(i | flags), (LPARAM)((p.nStyle & SBPS_DISABLED) ? "" : p.strText.GetString()));
        }
}

void CStatusBar::GetItemRect(int index, LPRECT rect) const {
    if (!SendMessage(SB_GETRECT, index, (LPARAM)rect)) {
        ::SetRectEmpty(rect);
        return;
    }
    if (!::IsRectEmpty(rect)) return;
    // Some status controls keep their part bounds from creation, when the bar
    // was 0 x 0, once CCS_NORESIZE is set: work them out from the parts and
    // borders the way the control lays them out.
    int count = (int)SendMessage(SB_GETPARTS, 0, 0);
    if (index < 0 || index >= count) return;
    std::vector<int> rights(count);
    SendMessage(SB_GETPARTS, count, (LPARAM)rights.data());
    int borders[3] = {0, 0, 0};  // horizontal, vertical, between parts
    SendMessage(SB_GETBORDERS, 0, (LPARAM)borders);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    rect->left = index == 0 ? client.left + borders[0] : rights[index - 1] + borders[2];
    rect->right = rights[index] == -1 ? client.right : rights[index];
    rect->top = client.top + borders[1];
    rect->bottom = client.bottom;
    if (rect->right < rect->left) rect->right = rect->left;
}

int CStatusBar::CommandToIndex(UINT id) const {
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].nID == id) return (int)i;
    return -1;
}

BOOL CStatusBar::SetPaneText(int index, LPCSTR text, BOOL update) {
    AFX_STATUSPANE* p = Pane(index);
    if (!p) return FALSE;
    p->strText = text ? text : "";
    if (update && m_hWnd) {
        UINT flags = p->nStyle & (SBT_NOBORDERS | SBT_POPOUT | SBT_OWNERDRAW);
        SendMessage(SB_SETTEXTA, (WPARAM)(index | flags),
                    (LPARAM)((p->nStyle & SBPS_DISABLED) ? "" : p->strText.GetString()));
    }
    return TRUE;
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const {
    const AFX_STATUSPANE* p = Pane(index);
    id = p ? p->nID : 0;
    style = p ? p->nStyle : 0;
    width = p ? p->cxText : 0;
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
    AFX_STATUSPANE* p = Pane(index);
    if (!p) return;
    p->nID = id;
    p->nStyle = style;
    p->cxText = width;
    UpdateAllPanes(TRUE, TRUE);
}

void CStatusBar::SetPaneStyle(int index, UINT style) {
    AFX_STATUSPANE* p = Pane(index);
    if (!p || p->nStyle == style) return;
    p->nStyle = style;
    UpdateAllPanes(FALSE, TRUE);
}

CSize CStatusBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, (HFONT)SendMessage(WM_GETFONT));
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    CRect inside(0, 0, 0, 0);
    CalcInsideRect(inside, TRUE);
    CSize size;
    size.cy = tm.tmHeight + 2 * ::GetSystemMetrics(SM_CYEDGE) + 4 + (inside.top - inside.bottom);
    size.cx = (stretch && horz) ? 32767 : 0;
    if (!size.cx)
        for (const auto& p : m_panes) size.cx += p.cxText + 3 * ::GetSystemMetrics(SM_CXEDGE);
    return size;
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target, BOOL) {
    CStatusCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = (UINT)m_panes.size();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = m_panes[state.m_nIndex].nID;
        if (state.m_nID == ID_SEPARATOR) continue;  // the message pane is the frame's
        // Panes are never disabled just because no handler exists.
        state.DoUpdate(target, FALSE);
    }
}

void CStatusBar::OnSize(UINT type, int cx, int cy) {
    Default();
    UpdateAllPanes(TRUE, FALSE);
}

LRESULT CStatusBar::OnSetText(WPARAM, LPARAM lp) {
    return SetPaneText(CommandToIndex(ID_SEPARATOR), (LPCSTR)lp);
}

LRESULT CStatusBar::OnGetText(WPARAM wp, LPARAM lp) {
    int i = CommandToIndex(ID_SEPARATOR);
    if (i < 0 || !wp || !lp) return 0;
    CString s = GetPaneText(i);
    lstrcpynA((LPSTR)lp, s, (int)wp);
    return lstrlenA((LPSTR)lp);
}

LRESULT CStatusBar::OnGetTextLength(WPARAM, LPARAM) {
    int i = CommandToIndex(ID_SEPARATOR);
    return i < 0 ? 0 : GetPaneText(i).GetLength();
}

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_SIZE()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLength)
END_MESSAGE_MAP()

// ---- CDialogBar ---------------------------------------------------------------

namespace {
INT_PTR CALLBACK DialogBarProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }
}  // namespace

CDialogBar::CDialogBar() {
    m_cxLeftBorder = m_cxRightBorder = 0;
    m_cyTopBorder = m_cyBottomBorder = 0;
    m_bControlPaints = TRUE;
}

BOOL CDialogBar::Create(CWnd* parent, LPCSTR templateName, UINT style, UINT id) {
    HINSTANCE res = AfxGetResourceHandle();
    HRSRC found = ::FindResourceA(res, templateName, (LPCSTR)RT_DIALOG);
    HGLOBAL loaded = found ? ::LoadResource(res, found) : nullptr;
    const BYTE* data = loaded ? (const BYTE*)::LockResource(loaded) : nullptr;
    DWORD bytes = found ? ::SizeofResource(res, found) : 0;
    if (!data || bytes < 18) return FALSE;
    // A child of the frame whatever the template says; visibility from the bar style.
    std::vector<BYTE> copy(data, data + bytes);
    bool extended = ((const WORD*)data)[1] == 0xFFFF;
    DWORD* styleField = (DWORD*)(copy.data() + (extended ? 12 : 0));
    DWORD wndStyle = TakeBarStyle(style);
    *styleField = (*styleField & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE)) |
                  WS_CHILD | (wndStyle & WS_VISIBLE);
    AfxHookWindowCreate(this);
    HWND h = ::CreateDialogIndirectParamA(AfxGetInstanceHandle(), (LPCDLGTEMPLATEA)copy.data(),
                                          parent->GetSafeHwnd(), DialogBarProc, 0);
    AfxUnhookWindowCreate();
    if (!h) return FALSE;
    if (m_hWnd != h) SubclassWindow(h);
    ExecuteDlgInit(templateName);  // the template's combo and list contents
    SetDlgCtrlID((int)id);
    RECT r;
    ::GetWindowRect(h, &r);
    m_sizeDefault = CSize(r.right - r.left, r.bottom - r.top);
    if (!m_hWndOwner) SetOwner(parent);
    if (!m_pDockSite) m_pDockSite = dynamic_cast<CFrameWnd*>(parent);
    return TRUE;
}

CSize CDialogBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    if (!stretch) return m_sizeDefault;
    return horz ? CSize(32767, m_sizeDefault.cy) : CSize(m_sizeDefault.cx, 32767);
}

void CDialogBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
    AfxUpdateDialogControls(this, target, disableIfNoHandler);
}

BEGIN_MESSAGE_MAP(CDialogBar, CControlBar)
END_MESSAGE_MAP()
