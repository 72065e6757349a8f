// A theme stands for one draw mode: the measure, paint and title operations it
// hands to the menus, and the look of the popup window around them.
#pragma once
#include <windows.h>

class CSkinMenu;

class CMenuTheme {
public:
    typedef void (CSkinMenu::*MeasureOp)(MEASUREITEMSTRUCT* mis, BOOL menuBarItem);
    typedef void (CSkinMenu::*PaintOp)(DRAWITEMSTRUCT* dis, BOOL menuBarItem);

    CMenuTheme(UINT id, MeasureOp measure, PaintOp paint, PaintOp title, DWORD effect);
    virtual ~CMenuTheme() {}

    // A popup window starts or stops showing a menu of this theme.
    virtual BOOL OnInitWnd(HWND wnd);
    virtual BOOL OnUnInitWnd(HWND wnd);

    virtual BOOL HasOwnBorder() const { return (m_effect & 1) != 0; }
    virtual void UpdateSysColors();
    virtual void UpdateBorderSizes();
    // Colour set of the gradient draw modes (light to dark).
    virtual void GetThemeGradientColors(COLORREF* c1, COLORREF* c2, COLORREF* c3, COLORREF* c4);

    UINT m_id;
    DWORD m_effect;
    MeasureOp m_measure;
    PaintOp m_paint;
    PaintOp m_title;
    int m_borderLeft = 2, m_borderTop = 2, m_borderRight = 2, m_borderBottom = 2;
    COLORREF m_clrBtnFace = 0, m_clrBtnShadow = 0, m_clrBtnHilite = 0, m_clrBtnText = 0,
             m_clrWindowFrame = 0;

protected:
    void Init();   // the constructor's reading of colours and borders
};

class CMenuThemeXP : public CMenuTheme {
public:
    using CMenuTheme::CMenuTheme;
};

class CMenuTheme2003 : public CMenuThemeXP {
public:
    using CMenuThemeXP::CMenuThemeXP;
};
