#include "skin/menutheme.h"
#include "skin/drawing.h"
#include "skin/popuphook.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"

CMenuTheme::CMenuTheme(UINT id, MeasureOp measure, PaintOp paint, PaintOp title, DWORD effect)
    : m_id(id), m_effect(effect), m_measure(measure), m_paint(paint), m_title(title)
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
    m_borderLeft = m_borderTop = 2;
    if (IsDropShadowEnabled()) {
        m_borderRight = m_borderBottom = 2;
    } else {
        m_borderRight = 5;
        m_borderBottom = 6;
    }
}

void CMenuTheme::GetThemeGradientColors(COLORREF* c1, COLORREF* c2, COLORREF* c3, COLORREF* c4)
{
    ::GetThemeGradientColors(c1, c2, c3, c4);
}

// Each draw mode's measure operation; the item painters of the themes plug in
// as their paint and title operations (until then the menu paints plainly).
CMenuTheme* CreateMenuTheme(int id)
{
    DWORD effect = (id % 2 == 0) ? 1 : 0;
    switch (id) {
    case 2: case 3: case 10: case 11:
        return new CMenuThemeXP(id, &CSkinMenu::MeasureItemFlat, nullptr, nullptr, effect);
    case 8: case 9:
        return new CMenuTheme2003(id, &CSkinMenu::MeasureItemFlat, nullptr, nullptr, effect);
    case 6: case 7:
        return new CMenuTheme(id, &CSkinMenu::MeasureItemBevel, nullptr, nullptr, effect);
    default:
        return new CMenuTheme(id, &CSkinMenu::MeasureItemClassic, nullptr, nullptr, effect);
    }
}
