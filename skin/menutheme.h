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

    virtual BOOL HasOwnBorder() const { return (m_dwEffect & 1) != 0; }
    virtual void UpdateSysColors();
    virtual void UpdateBorderSizes();
    // The popup window's frame in its window DC: stage 0 before the system
    // paints the non-client area, stage 1 after. 0 when the theme draws none.
    virtual BOOL DrawFrame(HWND wnd, HDC windowDC, int stage);
    virtual BOOL EraseBkgnd(HWND wnd, HDC dc);
    // The client area inside the library's border (WM_NCCALCSIZE); returns 0.
    virtual LRESULT CalcFrameRect(HWND wnd, NCCALCSIZE_PARAMS* params);
    // The window grows (or shrinks) for the library's border and shadow.
    virtual BOOL OnWindowPosChanging(HWND wnd, WINDOWPOS* pos);
    // The window rectangle (screen) inside the library's border.
    virtual BOOL GetInnerRect(HWND wnd, RECT* rect);
    // Control-bar decoration of the current draw mode.
    virtual void DrawGripper(HDC dc, const RECT& rect, DWORD barStyle, int left, int right, int top, int bottom);
    virtual void DrawBarCorners(HDC dc, const RECT& rect, DWORD barStyle);
    // Colour set of the gradient draw modes (light to dark).
    virtual void GetThemeGradientColors(COLORREF* c1, COLORREF* c2, COLORREF* c3, COLORREF* c4);

    UINT m_nID;
    DWORD m_dwEffect;
    MeasureOp m_pfnMeasure;
    PaintOp m_pfnPaint;
    PaintOp m_pfnTitle;
    int m_nBorderLeft = 2, m_nBorderTop = 2, m_nBorderRight = 2, m_nBorderBottom = 2;
    COLORREF m_clrBtnFace = 0, m_clrBtnShadow = 0, m_clrBtnHilite = 0, m_clrBtnText = 0,
             m_clrWindowFrame = 0;

protected:
    void Init();   // the constructor's reading of colours and borders
};

// Flat frame with the seam to the open menu-bar item; the background in the
// menu-bar colour.
class CMenuThemeXP : public CMenuTheme {
public:
    using CMenuTheme::CMenuTheme;
    BOOL DrawFrame(HWND wnd, HDC windowDC, int stage) override;
    BOOL EraseBkgnd(HWND wnd, HDC dc) override;

private:
    void DrawSeam(HWND wnd, HDC windowDC);
};

class CMenuTheme2003 : public CMenuThemeXP {
public:
    using CMenuThemeXP::CMenuThemeXP;
};
