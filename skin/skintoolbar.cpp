#include "skin/skintoolbar.h"
#include "skin/barnonclient.h"
#include "skin/drawing.h"
#include "skin/menutheme.h"
#include "skin/skinlib.h"
#include <vector>

IMPLEMENT_DYNAMIC(CSkinToolBar, CToolBar)

BEGIN_MESSAGE_MAP(CSkinToolBar, CToolBar)
    ON_WM_NCPAINT()
    ON_WM_ERASEBKGND()
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_MESSAGE(TB_ADDBITMAP, OnAddBitmap)
    ON_MESSAGE(TB_REPLACEBITMAP, OnReplaceBitmap)
END_MESSAGE_MAP()

namespace {

const UINT kListFlags = ILC_COLORDDB | ILC_MASK;

int Mode() { return GetMenuDrawMode(); }
bool GradientMode(int m) { return m >= 6 && m <= 11; }
bool ThemeMode(int m) { return m >= 8 && m <= 11; }
bool ClassicMode(int m) { return m == 0 || m == 1 || m == 4 || m == 5; }

COLORREF TopLeftPixel(HBITMAP bitmap)
{
    CMemoryDC dc(nullptr, bitmap);
    return ::GetPixel(dc, 0, 0) & 0xFFFFFF;
}

// The bitmap a TBADDBITMAP names, owned by the caller: a resource of its
// module, or a copy of the handle when the module is null.
HBITMAP LoadNamedBitmap(HINSTANCE module, UINT_PTR id)
{
    if (!module) return CopyBitmap((HBITMAP)id);
    return ::LoadBitmapA(module, MAKEINTRESOURCEA(id));
}

void Fill(HDC dc, const RECT& r, COLORREF c)
{
    ::SetBkColor(dc, c);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void Frame(HDC dc, const RECT& r, COLORREF c)
{
    CDC::FromHandle(dc)->Draw3dRect(&r, c, c);
}

void Gradient(HDC dc, const RECT& r, COLORREF from, COLORREF to)
{
    if (r.right > r.left && r.bottom > r.top) FillGradientRect(dc, r, from, to, FALSE, FALSE);
}

}  // namespace

UINT SkinToolButtonItemState(BYTE s, BOOL focusedAndUnderCursor)
{
    UINT state = 0;
    if (s & TBSTATE_INDETERMINATE) state |= CDIS_INDETERMINATE;
    if (s & TBSTATE_CHECKED) state |= CDIS_CHECKED;
    if (!(s & TBSTATE_ENABLED)) state |= CDIS_DISABLED;
    if (focusedAndUnderCursor) {
        if (s & TBSTATE_PRESSED) state |= CDIS_HOT | CDIS_SELECTED;
        else if (s & TBSTATE_ENABLED) state |= CDIS_HOT;
    } else if (s & TBSTATE_PRESSED) {
        state |= CDIS_HOT;
    }
    return state;
}

COLORREF SkinToolBarDisabledTint()
{
    return LightenColor(115, ThemeMode(Mode()) ? GetThemeBarBaseColor() : GetDefaultMenuBarColor());
}

CSkinToolBar::~CSkinToolBar()
{
    m_ilDisabled.DeleteImageList();
    m_ilShaded.DeleteImageList();
    m_ilNormal.DeleteImageList();
}

// ---- loading ----------------------------------------------------------------

BOOL CSkinToolBar::LoadToolBar(LPCSTR name)
{
    BOOL result = CToolBar::LoadToolBar(name);
    LoadToolBarBitmap(name, 0xFF000000);
    return result;
}

void CSkinToolBar::AppendImages(HBITMAP bitmap, COLORREF transparent)
{
    int first = m_ilNormal.GetImageCount();
    // Masking blackens the transparent pixels of the bitmap it is given: the
    // list gets a copy, and the disabled images come from the list's own
    // images and masks, so black outlines stay opaque.
    CBitmap copy;
    copy.Attach(CopyBitmap(bitmap));
    ImageList_AddMasked(m_ilNormal, copy.GetSafeHandle() ? (HBITMAP)copy.GetSafeHandle() : bitmap, transparent);
    COLORREF tint = SkinToolBarDisabledTint();
    for (int i = first; i < m_ilNormal.GetImageCount(); ++i) {
        CImageListIcon icon(m_ilNormal, i);
        AddTintedImage(m_ilDisabled, -1, icon.Get(), tint);
    }
}

BOOL CSkinToolBar::LoadToolBarBitmap(LPCSTR resource, COLORREF transparent)
{
    HINSTANCE module = SkinGetResourceHandle();
    HRSRC found = ::FindResourceA(module, resource, (LPCSTR)RT_BITMAP);
    HGLOBAL data = found ? ::LoadResource(module, found) : nullptr;
    if (!data || !::LockResource(data)) return 0;
    CBitmap bitmap;
    if (!bitmap.Attach(::LoadBitmapA(module, resource))) return 0;
    if (transparent == 0xFF000000) transparent = TopLeftPixel(bitmap);
    m_ilNormal.Create(m_sizeImage.cx, m_sizeImage.cy, kListFlags, 0, 10);
    m_ilDisabled.Create(m_sizeImage.cx, m_sizeImage.cy, kListFlags, 0, 10);
    AppendImages(bitmap, transparent);
    RebuildShadedList();
    return 1;
}

void CSkinToolBar::RebuildShadedList()
{
    int cx = m_sizeImage.cx, cy = m_sizeImage.cy;
    if (m_ilNormal.GetSafeHandle()) ImageList_GetIconSize(m_ilNormal, &cx, &cy);
    m_ilShaded.Create(cx, cy, kListFlags, 0, 10);
    int amount = GetIconShadeAmount();
    for (int i = 0; i < m_ilNormal.GetImageCount(); ++i) {
        CImageListIcon icon(m_ilNormal, i);
        AddShadedImage(m_ilShaded, -1, icon.Get(), amount);
    }
    HIMAGELIST given = GetUseShadedIcons() ? m_ilShaded.GetSafeHandle() : m_ilNormal.GetSafeHandle();
    CToolBar::DefWindowProc(TB_SETIMAGELIST, 0, (LPARAM)given);
}

LRESULT CSkinToolBar::OnAddBitmap(WPARAM wp, LPARAM lp)
{
    LRESULT index = Default();
    if (index == -1) return index;
    if (m_ilNormal.GetSafeHandle() && m_ilNormal.GetImageCount() > index) return index;
    const TBADDBITMAP* add = (const TBADDBITMAP*)lp;
    CBitmap bitmap;
    if (!add || !bitmap.Attach(LoadNamedBitmap(add->hInst, add->nID))) return index;
    BITMAP bm = {};
    bitmap.GetBitmap(&bm);
    if (!m_ilNormal.GetSafeHandle() || !m_ilDisabled.GetSafeHandle()) {
        int width = std::max<int>(1, bm.bmWidth / std::max<int>(1, (int)wp));
        m_ilNormal.Create(width, bm.bmHeight, kListFlags, 0, 10);
        m_ilDisabled.Create(width, bm.bmHeight, kListFlags, 0, 10);
    }
    AppendImages(bitmap, TopLeftPixel(bitmap));
    RebuildShadedList();
    return index;
}

LRESULT CSkinToolBar::OnReplaceBitmap(WPARAM, LPARAM lp)
{
    LRESULT result = Default();
    const TBREPLACEBITMAP* rb = (const TBREPLACEBITMAP*)lp;
    if (!result || !rb || !m_ilNormal.GetSafeHandle()) return result;
    TBADDBITMAP added = {rb->hInstNew, rb->nIDNew};
    LRESULT first = CToolBar::DefWindowProc(TB_ADDBITMAP, (WPARAM)rb->nButtons, (LPARAM)&added);
    CBitmap bitmap;
    if (first < 0 || !bitmap.Attach(LoadNamedBitmap(rb->hInstNew, rb->nIDNew))) return result;
    // The new images through lists of their own, then every one in place.
    int cx = 0, cy = 0;
    ImageList_GetIconSize(m_ilNormal, &cx, &cy);
    CImageList normal, disabled;
    normal.Create(cx, cy, kListFlags, 0, 10);
    disabled.Create(cx, cy, kListFlags, 0, 10);
    std::swap(normal.m_hImageList, m_ilNormal.m_hImageList);
    std::swap(disabled.m_hImageList, m_ilDisabled.m_hImageList);
    AppendImages(bitmap, TopLeftPixel(bitmap));
    std::swap(normal.m_hImageList, m_ilNormal.m_hImageList);
    std::swap(disabled.m_hImageList, m_ilDisabled.m_hImageList);
    bool replaced = false;
    for (int k = 0; k < normal.GetImageCount() && first + k < m_ilNormal.GetImageCount(); ++k) {
        CImageListIcon image(normal, k), grey(disabled, k);
        if (ImageList_ReplaceIcon(m_ilNormal, (int)first + k, image.Get()) == -1) continue;
        replaced = true;
        if (first + k < m_ilDisabled.GetImageCount()) ImageList_ReplaceIcon(m_ilDisabled, (int)first + k, grey.Get());
    }
    if (replaced) RebuildShadedList();
    return result;
}

bool CSkinToolBar::GetVisibleButton(int i, TBBUTTON& button, RECT& rect) const
{
    button = TBBUTTON{};
    if (!SendMessage(TB_GETBUTTON, i, (LPARAM)&button) || (button.fsState & TBSTATE_HIDDEN)) return false;
    GetItemRect(i, &rect);
    return true;
}

// ---- creation, layout and style ------------------------------------------

int CSkinToolBar::OnCreate(LPCREATESTRUCTA cs)
{
    if (CControlBar::OnCreate(cs) == -1) return -1;
    COLORSCHEME scheme = {sizeof scheme, CLR_DEFAULT, CLR_DEFAULT};
    int mode = Mode();
    if (mode == 2 || mode == 3) {
        scheme.clrBtnShadow = BluishShadowColor(GetDefaultMenuBarColor());
        CToolBar::DefWindowProc(TB_SETCOLORSCHEME, 0, (LPARAM)&scheme);
    } else if (ThemeMode(mode)) {
        SetBorders(3, 1, 3, 1);
        scheme.clrBtnShadow = BluishShadowColor(GetThemeBarBaseColor());
        CToolBar::DefWindowProc(TB_SETCOLORSCHEME, 0, (LPARAM)&scheme);
    }
    return 0;
}

LRESULT CSkinToolBar::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT result = CToolBar::DefWindowProc(msg, wp, lp);
    if (msg == TB_GETBUTTON && result && m_nControlsMode && lp) {
        TBBUTTON* b = (TBBUTTON*)lp;
        if ((b->fsStyle & TBSTYLE_SEP) && b->idCommand != 0) {
            if (m_nControlsMode == 1) b->fsState |= TBSTATE_HIDDEN;
            else b->fsState &= ~TBSTATE_HIDDEN;
        }
    }
    return result;
}

void CSkinToolBar::PlaceEmbeddedControls(BOOL vertical)
{
    int n = GetCount();
    for (int i = 0; i < n; ++i) {
        TBBUTTON b = {};
        if (!SendMessage(TB_GETBUTTON, i, (LPARAM)&b)) continue;
        if (!(b.fsStyle & TBSTYLE_SEP) || b.idCommand == 0) continue;
        HWND control = ::GetDlgItem(m_hWnd, b.idCommand);
        if (!control) continue;
        if (vertical) {
            SendMessage(TB_HIDEBUTTON, (WPARAM)b.idCommand, TRUE);
            ::ShowWindow(control, SW_HIDE);
            continue;
        }
        SendMessage(TB_HIDEBUTTON, (WPARAM)b.idCommand, FALSE);
        RECT r;
        if (!SendMessage(TB_GETITEMRECT, i, (LPARAM)&r)) continue;
        ::InflateRect(&r, -1, -1);
        RECT now;
        ::GetWindowRect(control, &now);
        int height = now.bottom - now.top, width = r.right - r.left;
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW;
        if (now.right - now.left == width) flags |= SWP_NOSIZE;
        ::SetWindowPos(control, nullptr, r.left, r.top + (r.bottom - r.top - height) / 2, width, height, flags);
    }
}

CSize CSkinToolBar::CalcDynamicLayout(int length, DWORD mode)
{
    BOOL vertical = (mode & LM_VERTDOCK) != 0;
    m_nControlsMode = vertical ? 1 : 2;
    CSize size = CToolBar::CalcDynamicLayout(length, mode);
    m_nControlsMode = 0;
    if (mode & LM_COMMIT) PlaceEmbeddedControls(vertical);
    return size;
}

void CSkinToolBar::OnBarStyleChange(DWORD oldStyle, DWORD newStyle)
{
    if (GradientMode(Mode())) {
        if (newStyle & CBRS_FLOATING) SetBorders(0, 0, 0, 0);
        else SetBorders(3, 1, 3, 1);
    }
    CToolBar::OnBarStyleChange(oldStyle, newStyle);
}

// ---- non-client area and background ----------------------------------------

void CSkinToolBar::DrawBorders(CDC* dc, CRect& rect)
{
    int mode = Mode();
    if (mode == 2 || mode == 3 || GradientMode(mode)) return;
    CToolBar::DrawBorders(dc, rect);
}

void CSkinToolBar::DrawGripper(CDC* dc, const CRect& rect)
{
    CMenuTheme* theme = GetCurrentMenuTheme();
    if (!theme) return;
    theme->DrawGripper(*dc, rect, m_dwStyle, m_cxLeftBorder, m_cxRightBorder, m_cyTopBorder, m_cyBottomBorder);
    RECT g;
    if (m_dwStyle & CBRS_ORIENT_HORZ)
        g = {rect.left + m_cxLeftBorder, rect.top + 2, rect.right - m_cxRightBorder - 1, rect.bottom - m_cxRightBorder};
    else
        g = {rect.left + m_cxLeftBorder - 1, rect.top + 3, rect.right - m_cxRightBorder,
             rect.bottom - m_cxRightBorder - 1};
    theme->DrawBarCorners(*dc, g, m_dwStyle);
}

void CSkinToolBar::OnNcPaint()
{
    PaintBarNonClient(*this);
}

void PaintControlBarBackground(CControlBar* bar, CDC* dc)
{
    int mode = Mode();
    if (!bar || bar->IsFloating() || ClassicMode(mode)) return;
    CRect own, frame;
    bar->GetWindowRect(&own);
    HWND parent = ::GetParent(bar->m_hWnd);
    if (parent && ::GetParent(parent)) parent = ::GetParent(parent);
    if (parent) ::GetWindowRect(parent, &frame);
    else frame = own;
    bar->ScreenToClient(&own);
    bar->ScreenToClient(&frame);
    HDC h = dc->GetSafeHdc();
    if (CSkinBrush* brush = GetMenuBarBrush()) {
        POINT old;
        ::SetBrushOrgEx(h, frame.left, 0, &old);
        ::FillRect(h, &own, (HBRUSH)brush->GetSafeHandle());
        ::SetBrushOrgEx(h, old.x, old.y, nullptr);
    } else {
        Fill(h, own, GetMenuBarColor(nullptr));
    }
}

BOOL CSkinToolBar::OnEraseBkgnd(CDC* dc)
{
    HDC h = dc->GetSafeHdc();
    CRect R;
    if (IsFloating()) {
        GetClientRect(&R);
    } else {
        GetWindowRect(&R);
        ScreenToClient(&R);
    }
    const int L = m_cxLeftBorder, Rb = m_cxRightBorder, T = m_cyTopBorder;
    const int mode = Mode();
    const BOOL horz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0, floating = IsFloating();
    if (mode == 2 || mode == 3) {
        Fill(h, R, MixColors86To14(GetDefaultMenuBarColor(), ::GetSysColor(COLOR_WINDOW)));
        return TRUE;
    }
    if (!GradientMode(mode)) {
        Fill(h, R, GetMenuBarColor(nullptr));
        return TRUE;
    }
    PaintControlBarBackground(this, dc);
    if (GetScreenColorCount() < 256) {
        COLORREF c = DarkenColor(30, ThemeMode(mode) ? GetSelectionBackColor() : GetMenuBarColor(nullptr));
        RECT inner = horz ? RECT{R.left + L, R.top, R.right - Rb, R.bottom}
                          : RECT{R.left + L, R.top + L, R.right - Rb, R.bottom - Rb};
        if (horz && !floating) ::InflateRect(&inner, 0, -2);
        Fill(h, inner, c);
        return TRUE;
    }
    COLORREF light, C, dark, deep, line = (COLORREF)-1;
    if (ThemeMode(mode)) {
        GetThemeGradientColors(&light, &C, &dark, &line);
        deep = dark;
    } else {
        C = GetMenuBackgroundColor(nullptr);
        light = LightenColor(60, C);
        dark = DarkenColor(60, C);
        deep = DarkenColor(150, C);
    }
    if (horz) {
        if (floating) {
            // One band of half gradients per row of buttons.
            int previousTop = INT_MIN, previousBottom = R.top;
            int n = GetCount();
            for (int i = 0; i < n; ++i) {
                TBBUTTON b;
                RECT r;
                if (!GetVisibleButton(i, b, r)) continue;
                if ((b.fsStyle & TBSTYLE_SEP) && (b.fsState & TBSTATE_WRAP)) {
                    Gradient(h, {R.left, previousBottom, R.right, r.bottom}, dark, light);
                    previousBottom = r.bottom;
                    continue;
                }
                if (r.top == previousTop) continue;
                previousTop = r.top;
                int mid = r.top + (r.bottom - r.top) / 2;
                Gradient(h, {R.left, r.top, R.right, mid}, light, C);
                Gradient(h, {R.left, mid, R.right, r.bottom}, C, dark);
                previousBottom = r.bottom;
            }
        } else {
            Gradient(h, {R.left + L, R.top + 2, R.right - Rb, R.bottom / 2}, light, C);
            Gradient(h, {R.left + L, R.bottom / 2, R.right - Rb, R.bottom - 2}, C, dark);
            if (!ThemeMode(mode)) {
                Fill(h, {R.left + L, R.top + T + 1, R.right - Rb, R.top + T + 2}, LightenColor(125, C));
                Fill(h, {R.left + L, R.bottom - 3, R.right - Rb, R.bottom - 2}, deep);
            } else if (line != (COLORREF)-1) {
                Fill(h, {R.left + L, R.bottom - 3, R.right - Rb, R.bottom - 2}, line);
            }
        }
        return TRUE;
    }
    if (!floating) {
        if (!ThemeMode(mode)) {
            Fill(h, {R.left + L - 1, R.top + Rb, R.left + L, R.bottom - Rb}, LightenColor(125, C));
            Fill(h, {R.right - Rb, R.top + Rb, R.right - Rb + 1, R.bottom - Rb}, deep);
        } else if (line != (COLORREF)-1) {
            Fill(h, {R.right - Rb, R.top + Rb, R.right - Rb + 1, R.bottom - Rb}, line);
        }
    }
    int left = ThemeMode(mode) ? R.left + L - 1 : R.left + L;
    FillGradientRect(h, {left, R.top + L, R.right / 2, R.bottom - Rb}, light, C, TRUE, FALSE);
    FillGradientRect(h, {R.right / 2, R.top + L, R.right - Rb, R.bottom - Rb}, C, dark, TRUE, FALSE);
    return TRUE;
}

// ---- painting the buttons ----------------------------------------------------

namespace {

// Separator colours of the draw mode; one line when both are equal.
void SeparatorColors(COLORREF& topLeft, COLORREF& bottomRight)
{
    int mode = Mode();
    if (mode == 2 || mode == 3) {
        topLeft = bottomRight = DarkenColor(40, GetDefaultMenuBarColor());
    } else if (mode == 6 || mode == 7) {
        topLeft = bottomRight = LightenColor(150, ::GetSysColor(COLOR_3DDKSHADOW));
    } else {
        COLORREF base = GetThemeBarBaseColor();
        topLeft = DarkenColor(40, base);
        bottomRight = LightenColor(140, base);
    }
}

void SeparatorLine(HDC dc, int left, int top, int right, int bottom, COLORREF tl, COLORREF br)
{
    CDC::FromHandle(dc)->Draw3dRect(left, top, right - left, bottom - top, tl, br);
}

// The frame whose focus decides hot buttons: the bar's parent frame, else its
// dock site, else the main window, climbed to the outermost frame.
bool FrameHasFocus(CControlBar* bar)
{
    CWnd* frame = bar->GetParentFrame();
    if (!frame) frame = bar->m_pDockSite;
    if (!frame) frame = AfxGetMainWnd();
    if (!frame) return false;
    HWND top = frame->m_hWnd;
    for (CFrameWnd* f = dynamic_cast<CFrameWnd*>(frame); f; f = f->GetParentFrame()) top = f->m_hWnd;
    HWND focus = ::GetFocus();
    return focus && ::IsChild(top, focus);
}

void FaceClassic(HDC dc, const RECT& B, const RECT& arrow, UINT S, bool dropDown)
{
    CDC& d = *CDC::FromHandle(dc);
    COLORREF hi = ::GetSysColor(COLOR_BTNHIGHLIGHT), lo = ::GetSysColor(COLOR_BTNSHADOW);
    if (S == CDIS_HOT) d.Draw3dRect(&B, hi, lo);
    else if (S == (CDIS_HOT | CDIS_SELECTED) || (S & (CDIS_INDETERMINATE | CDIS_CHECKED))) d.Draw3dRect(&B, lo, hi);
    else return;
    if (dropDown && !(S & CDIS_INDETERMINATE)) {
        if (S == CDIS_HOT) d.Draw3dRect(&arrow, hi, lo);
        else d.Draw3dRect(&arrow, lo, hi);
    }
}

void DrawFace(HDC dc, const RECT& B, UINT S, bool dropDown)
{
    RECT arrow = B;
    arrow.left = B.right - 13;
    int mode = Mode();
    if ((mode == 8 || mode == 9) && !IsVisualThemeActive()) mode = 2;
    const bool hot = S == CDIS_HOT, pressed = S == (CDIS_HOT | CDIS_SELECTED);
    const bool checked = (S & CDIS_CHECKED) != 0, indeterminate = (S & CDIS_INDETERMINATE) != 0;
    auto frameIndeterminate = [&]() {
        Frame(dc, B, IsHighContrast() ? ::GetSysColor(COLOR_BTNTEXT) : DarkenColor(128, GetMenuBarColor(nullptr)));
    };
    switch (mode) {
    case 2: case 3:
        if (indeterminate) {
            Fill(dc, B, MixColors86To14(GetMenuBarColor(nullptr), ::GetSysColor(COLOR_WINDOW)));
            frameIndeterminate();
        } else if ((S & CDIS_HOT) || checked) {
            Fill(dc, B, GetSelectionBackColor());
            Frame(dc, B, ::GetSysColor(COLOR_HIGHLIGHT));
            if (dropDown) Frame(dc, arrow, ::GetSysColor(COLOR_HIGHLIGHT));
        }
        break;
    case 6: case 7: {
        COLORREF H = ::GetSysColor(COLOR_HIGHLIGHT), light = LightenColor(60, H), dark = DarkenColor(60, H);
        if (indeterminate) {
            if (GetScreenColorCount() < 256) {
                Fill(dc, B, light);
            } else {
                COLORREF M = GetMenuBackgroundColor(nullptr);
                int mid = B.top + (B.bottom - B.top) / 2;
                Gradient(dc, {B.left, B.top, B.right, mid}, LightenColor(60, M), M);
                Gradient(dc, {B.left, mid, B.right, B.bottom}, M, DarkenColor(60, M));
            }
        } else if (hot) {
            Gradient(dc, B, light, H);
        } else if (pressed) {
            Gradient(dc, B, H, dark);
        } else if (checked) {
            Fill(dc, B, light);
        } else {
            break;
        }
        Frame(dc, B, dark);
        if (dropDown) Frame(dc, arrow, dark);
        break;
    }
    case 8: case 9: case 10: case 11: {
        const COLORREF edge = RGB(4, 2, 132);
        if (indeterminate) {
            if (GetScreenColorCount() > 256)
                Gradient(dc, B, MixColors86To14(DarkenColor(10, ::GetSysColor(COLOR_WINDOW)), GetMenuBackgroundColor(nullptr)),
                         GetThemeBarBaseColor());
            else
                Fill(dc, B, GetThemeBarBaseColor());
            frameIndeterminate();
            break;
        }
        if (hot || pressed) {
            Frame(dc, B, edge);
            RECT inner = B;
            ::InflateRect(&inner, -1, -1);
            if (hot) Gradient(dc, inner, RGB(250, 239, 219), RGB(255, 212, 151));
            else Gradient(dc, inner, RGB(242, 151, 107), RGB(249, 202, 163));
        } else if (checked) {
            Fill(dc, B, RGB(255, 238, 194));
            Frame(dc, B, edge);
        } else {
            break;
        }
        if (dropDown) Frame(dc, arrow, edge);
        break;
    }
    default:
        FaceClassic(dc, B, arrow, S, dropDown);
    }
    if (dropDown) {
        // Three shrinking lines centred in the arrow part.
        int cx = arrow.left + (arrow.right - arrow.left) / 2, cy = arrow.top + (arrow.bottom - arrow.top) / 2;
        COLORREF c = ::GetSysColor((S & CDIS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
        Fill(dc, {cx - 2, cy - 1, cx + 3, cy}, c);
        Fill(dc, {cx - 1, cy, cx + 2, cy + 1}, c);
        Fill(dc, {cx, cy + 1, cx + 1, cy + 2}, c);
    }
}

}  // namespace

void CSkinToolBar::DrawButton(NMTBCUSTOMDRAW* cd)
{
    HDC dc = cd->nmcd.hdc;
    const RECT& B = cd->nmcd.rc;
    const UINT S = cd->nmcd.uItemState;
    int index = CommandToIndex((UINT)cd->nmcd.dwItemSpec);
    TBBUTTON b = {};
    SendMessage(TB_GETBUTTON, index, (LPARAM)&b);
    const bool dropDown = (b.fsStyle & TBSTYLE_DROPDOWN) != 0;
    DrawFace(dc, B, S, dropDown);

    const bool hot = (S & CDIS_HOT) != 0, disabled = (S & CDIS_DISABLED) != 0;
    HIMAGELIST list = disabled ? m_ilDisabled.GetSafeHandle()
                      : (hot || !GetUseShadedIcons()) ? m_ilNormal.GetSafeHandle()
                                                      : m_ilShaded.GetSafeHandle();
    int x = B.left + (B.right - B.left - m_sizeImage.cx) / 2 - (dropDown ? 7 : 0);
    int y = B.top + (B.bottom - B.top - m_sizeImage.cy) / 2;
    char text[256] = "";
    int length = (int)SendMessage(TB_GETBUTTONTEXTA, (WPARAM)cd->nmcd.dwItemSpec, (LPARAM)text);
    if (length > 0) {
        if (GetStyle() & TBSTYLE_LIST) x = B.left + 3;
        else y = B.top + 4;
        CSelectScope font(dc, ::GetStockObject(ANSI_VAR_FONT));
        ::SetBkMode(dc, TRANSPARENT);
        int mode = Mode();
        ::SetTextColor(dc, ::GetSysColor(disabled ? COLOR_GRAYTEXT
                                         : (hot && (mode == 6 || mode == 7)) ? COLOR_HIGHLIGHTTEXT
                                                                             : COLOR_WINDOWTEXT));
        RECT r = cd->rcText;
        ::DrawTextA(dc, text, length, &r, DT_CENTER);
    }
    if (!list || b.iBitmap < 0) return;
    int mode = Mode();
    if ((mode == 2 || mode == 3) && hot && !(S & CDIS_SELECTED)) {
        // A flat shadow one pixel right and down, the image lifted up-left.
        CImageListIcon icon(list, b.iBitmap);
        CBrush shadow(GetScreenNearestColor(BluishShadowColor(GetSelectionBackColor())));
        ::DrawStateA(dc, shadow, nullptr, (LPARAM)icon.Get(), 0, x + 1, y + 1, m_sizeImage.cx, m_sizeImage.cy,
                     DST_ICON | DSS_MONO);
        --x;
        --y;
    }
    ImageList_Draw(list, b.iBitmap, dc, x, y, ILD_TRANSPARENT);
}

void CSkinToolBar::OnCustomDraw(NMHDR* hdr, LRESULT* result)
{
    NMTBCUSTOMDRAW* cd = (NMTBCUSTOMDRAW*)hdr;
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *result = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT | CDRF_SKIPDEFAULT;
        break;
    case CDDS_POSTPAINT:
    case CDDS_ITEMPOSTPAINT:
        *result = CDRF_NOTIFYITEMDRAW | CDRF_SKIPDEFAULT;
        break;
    case CDDS_ITEMPREPAINT:
        DrawButton(cd);
        *result = CDRF_SKIPDEFAULT;
        break;
    default:
        *result = 0;
    }
}

void CSkinToolBar::OnPaint()
{
    if (m_bDelayedButtonLayout) Layout();
    CPaintDC dc(this);
    HDC h = dc.GetSafeHdc();
    const bool focused = FrameHasFocus(this);
    NMTBCUSTOMDRAW cd = {};
    cd.nmcd.hdr.hwndFrom = m_hWnd;
    cd.nmcd.hdr.idFrom = (UINT_PTR)GetDlgCtrlID();
    cd.nmcd.hdr.code = NM_CUSTOMDRAW;
    cd.nmcd.hdc = h;
    GetClientRect(&cd.nmcd.rc);
    const RECT client = cd.nmcd.rc;
    HWND parent = ::GetParent(m_hWnd);
    auto notify = [&](DWORD stage) {
        cd.nmcd.dwDrawStage = stage;
        return ::SendMessageA(parent, WM_NOTIFY, cd.nmcd.hdr.idFrom, (LPARAM)&cd);
    };
    notify(CDDS_PREPAINT);
    notify(CDDS_PREERASE);
    notify(CDDS_POSTERASE);

    COLORREF sepTL, sepBR;
    SeparatorColors(sepTL, sepBR);
    const int thick = sepTL == sepBR ? 1 : 2;
    const BOOL horz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    POINT cursor = {-1, -1};
    {
        POINT p;
        ::GetCursorPos(&p);
        if (::WindowFromPoint(p) == m_hWnd) {
            cursor = p;
            ScreenToClient(&cursor);
        }
    }
    RECT previous = {0, 0, 0, 0};
    int n = GetCount();
    for (int i = 0; i < n; ++i) {
        TBBUTTON b;
        RECT r;
        if (!GetVisibleButton(i, b, r)) continue;
        if (b.fsStyle & TBSTYLE_SEP) {
            if ((b.fsState & TBSTATE_WRAP) && IsFloating()) {
                int top = (previous.bottom + r.bottom) / 2 - 1;
                SeparatorLine(h, r.left + 4, top, client.right - 2, top + thick, sepTL, sepBR);
            } else if (b.idCommand == 0) {
                if (horz) {
                    int x = (r.left + r.right) / 2 - 1;
                    SeparatorLine(h, x, r.top + 3, x + thick, r.bottom - 3, sepTL, sepBR);
                } else {
                    int y = (previous.bottom + r.bottom) / 2;
                    SeparatorLine(h, r.left + 3, y, previous.right - 3, y + thick, sepTL, sepBR);
                }
            }
            previous = r;
            continue;
        }
        previous = r;
        if (b.idCommand == 0) continue;
        cd.nmcd.uItemState =
            SkinToolButtonItemState(b.fsState, focused && ::PtInRect(&r, cursor));
        cd.rcText = r;
        char text[256] = "";
        int length = (int)SendMessage(TB_GETBUTTONTEXTA, (WPARAM)b.idCommand, (LPARAM)text);
        if (length > 0) {
            SIZE extent = {};
            ::GetTextExtentPoint32A(h, text, length, &extent);
            if (GetStyle() & TBSTYLE_LIST) {
                cd.rcText.top = r.top + (r.bottom - r.top - extent.cy) / 2 + 2;
                cd.rcText.bottom = cd.rcText.top + extent.cy;
                cd.rcText.left = r.left + m_sizeImage.cx + 4;
                cd.rcText.right = r.right - 2 - ((b.fsStyle & TBSTYLE_DROPDOWN) ? 17 : 0);
            } else {
                int shift = (b.fsStyle & TBSTYLE_DROPDOWN) ? 7 : 0;
                cd.rcText.left = r.left + (r.right - r.left - extent.cx) / 2 - shift;
                cd.rcText.right = cd.rcText.left + extent.cx;
                cd.rcText.top = r.bottom - extent.cy;
                cd.rcText.bottom = r.bottom - 1;
            }
        }
        cd.nmcd.dwItemSpec = (DWORD_PTR)b.idCommand;
        cd.nmcd.lItemlParam = (LPARAM)b.dwData;
        cd.nmcd.rc = r;
        notify(CDDS_ITEMPREPAINT);
        notify(CDDS_ITEMPOSTPAINT);
    }
    cd.nmcd.rc = client;
    cd.nmcd.dwItemSpec = 0;
    cd.nmcd.uItemState = 0;
    notify(CDDS_POSTPAINT);
}
