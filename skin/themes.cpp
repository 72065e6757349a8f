#include "skin/menutheme.h"
#include "skin/drawing.h"
#include "skin/popuphook.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"

CMenuTheme::CMenuTheme(UINT id, MeasureOp measure, PaintOp paint, PaintOp title, DWORD effect)
    : m_nID(id), m_dwEffect(effect), m_pfnMeasure(measure), m_pfnPaint(paint), m_pfnTitle(title)
{
    Init();
}

void CMenuTheme::Init()
{
    UpdateSysColors();
    UpdateBorderSizes();
}

BOOL CMenuTheme::OnInitWnd(HWND wnd)
{
    CMenuHookData* data = GetMenuHookData(wnd);
    if (!data || !data->handled || !HasOwnBorder()) return FALSE;
    // The library draws the border itself.
    data->state |= CMenuHookData::kStylesChanged;
    SetWindowLongA(wnd, GWL_STYLE, (LONG)(data->savedStyle & ~WS_BORDER));
    SetWindowLongA(wnd, GWL_EXSTYLE, (LONG)(data->savedExStyle & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE)));
    return TRUE;
}

BOOL CMenuTheme::OnUnInitWnd(HWND wnd)
{
    CMenuHookData* data = GetMenuHookData(wnd);
    if (!data) return TRUE;
    if (CSkinMenu* menu = CSkinMenu::FromMenuHandle(data->menu)) menu->OnUnInitMenuPopup();
    if (data->state & CMenuHookData::kStylesChanged) {
        DWORD style = data->savedStyle;
        if (data->state & CMenuHookData::kShownAlready) style |= WS_VISIBLE;
        SetWindowLongA(wnd, GWL_STYLE, (LONG)style);
        SetWindowLongA(wnd, GWL_EXSTYLE, (LONG)data->savedExStyle);
    }
    return TRUE;
}

void CMenuTheme::UpdateSysColors()
{
    m_clrBtnFace = GetSysColor(COLOR_BTNFACE);
    m_clrBtnShadow = GetSysColor(COLOR_BTNSHADOW);
    m_clrBtnHilite = GetSysColor(COLOR_BTNHIGHLIGHT);
    m_clrBtnText = GetSysColor(COLOR_BTNTEXT);
    m_clrWindowFrame = GetSysColor(COLOR_WINDOWFRAME);
}

void CMenuTheme::UpdateBorderSizes()
{
    m_nBorderLeft = m_nBorderTop = 2;
    if (IsDropShadowEnabled()) {
        m_nBorderRight = m_nBorderBottom = 2;
    } else {
        m_nBorderRight = 5;
        m_nBorderBottom = 6;
    }
}

BOOL CMenuTheme::OnWindowPosChanging(HWND, WINDOWPOS* pos)
{
    if (!HasOwnBorder() || !pos) return FALSE;
    // Room for the library's border; with the system's shadow the frame is thinner.
    int grow = IsDropShadowEnabled() ? -2 : 2;
    pos->cx += grow;
    pos->cy += grow;
    pos->y -= 1;
    return TRUE;
}

LRESULT CMenuTheme::CalcFrameRect(HWND, NCCALCSIZE_PARAMS* params)
{
    if (!HasOwnBorder() || !params) return 0;
    bool shadow = IsDropShadowEnabled() != 0;
    RECT& r = params->rgrc[0];
    r.left += m_nBorderLeft;
    r.top += m_nBorderTop;
    r.right -= shadow ? 1 : 5;
    r.bottom -= shadow ? 2 : 6;
    return 0;
}

BOOL CMenuTheme::GetInnerRect(HWND wnd, RECT* rect)
{
    if (!::GetWindowRect(wnd, rect)) return FALSE;
    if (HasOwnBorder()) {
        int room = IsDropShadowEnabled() ? 3 : 7;
        rect->left += 2;
        rect->top += 2;
        rect->right -= room;
        rect->bottom -= room;
    }
    return TRUE;
}

// The client area and the two columns left of it in one colour.
static BOOL FillPopupBackground(HWND wnd, HDC dc, BOOL ownBorder, COLORREF color)
{
    RECT r;
    ::GetClientRect(wnd, &r);
    r.left -= 2;
    if (ownBorder) r.right -= 1;
    CDC& cdc = *CDC::FromHandle(dc);
    CSavedDC state(cdc);
    cdc.FillSolidRect(&r, color);
    return TRUE;
}

BOOL CMenuTheme::EraseBkgnd(HWND wnd, HDC dc)
{
    return FillPopupBackground(wnd, dc, HasOwnBorder(), GetMenuBackgroundColor(nullptr));
}

BOOL CMenuThemeXP::EraseBkgnd(HWND wnd, HDC dc)
{
    CMenuHookData* data = GetMenuHookData(wnd);
    COLORREF color = data && data->menu ? GetMenuBarColor(data->menu) : GetMenuBackgroundColor(nullptr);
    return FillPopupBackground(wnd, dc, HasOwnBorder(), color);
}

void CMenuTheme::GetThemeGradientColors(COLORREF* c1, COLORREF* c2, COLORREF* c3, COLORREF* c4)
{
    ::GetThemeGradientColors(c1, c2, c3, c4);
}

// Each draw mode's measure and paint operations; every theme titles alike.
CMenuTheme* CreateMenuTheme(int id)
{
    DWORD effect = (id % 2 == 0) ? 1 : 0;
    CMenuTheme::PaintOp title = &CSkinMenu::DrawMenuTitle;
    switch (id) {
    case 2: case 3:
        return new CMenuThemeXP(id, &CSkinMenu::MeasureItemFlat, &CSkinMenu::DrawItemXP, title, effect);
    case 10: case 11:
        return new CMenuThemeXP(id, &CSkinMenu::MeasureItemFlat, &CSkinMenu::DrawItem2003, title, effect);
    case 8: case 9:
        return new CMenuTheme2003(id, &CSkinMenu::MeasureItemFlat, &CSkinMenu::DrawItem2003, title, effect);
    case 6: case 7:
        return new CMenuTheme(id, &CSkinMenu::MeasureItemBevel, &CSkinMenu::DrawItemBevel, title, effect);
    case 4: case 5:
        return new CMenuTheme(id, &CSkinMenu::MeasureItemClassic, &CSkinMenu::DrawItemSystemFont, title, effect);
    default:
        return new CMenuTheme(id, &CSkinMenu::MeasureItemClassic, &CSkinMenu::DrawItemClassic, title, effect);
    }
}
