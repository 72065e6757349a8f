// The buttons of the menu bar control: one per top-level entry of the bar's
// menu (text entries drawn by the owner frame's item painters), and icon
// buttons for bitmap entries and the system buttons of a maximized child.
#pragma once
#include "framework/framework.h"

// Item state bits; the low ones keep their ODS_ meanings, since the state is
// handed unchanged to WM_DRAWITEM.
enum : UINT {
    kBarItemPressed = 0x0001,        // ODS_SELECTED: the item's popup is open
    kBarItemHot = 0x0040,            // ODS_HOTLIGHT
    kBarItemNoAccel = 0x0100,        // ODS_NOACCEL
    kBarItemPopupMode = 0x0800,      // set with kBarItemPressed while tracking
    kBarItemRightJustify = 0x1000,   // this and all later items go to the row's right end
    kBarItemWrap = 0x2000,           // the item starts a new row
    kBarItemVertical = 0x8000,       // the bar is docked at the left or right edge
    kBarItemTrackBits = kBarItemPressed | kBarItemHot | kBarItemPopupMode | kBarItemVertical,
};

class CSkinBarItem : public CObject {
public:
    RECT m_rcItem = {0, 0, 0, 0};   // bar client coordinates, always as for a horizontal bar
    UINT m_nState = 0;

    ~CSkinBarItem() override = default;
    // For a vertical bar x and y change places.
    virtual CRect GetRect(BOOL vertical) const;
    virtual BOOL HitTest(int x, int y, BOOL vertical) const;
    virtual void Draw(HWND owner, HDC dc) = 0;
    virtual HMENU GetPopup(HWND owner) const = 0;
    virtual UINT GetID() const { return (UINT)-1; }
};

class CSkinMenuBarItem : public CSkinBarItem {
public:
    HMENU m_hMenu;
    int m_nPosition;

    CSkinMenuBarItem(HMENU menu, int position) : m_hMenu(menu), m_nPosition(position) {}
    // Only owner-drawn entries are drawn, by the owner's WM_DRAWITEM.
    void Draw(HWND owner, HDC dc) override;
    HMENU GetPopup(HWND) const override { return ::GetSubMenu(m_hMenu, m_nPosition); }
    UINT GetID() const override { return ::GetMenuItemID(m_hMenu, m_nPosition); }
};

class CSkinIconBarItem : public CSkinBarItem {
public:
    HBITMAP m_hBitmap;   // a bitmap, or one of the HBMMENU_ values 1 to 11
    UINT m_nID;

    CSkinIconBarItem(HBITMAP bitmap, UINT id);
    // Only the origin changes places: the button keeps its shape.
    CRect GetRect(BOOL vertical) const override;
    void Draw(HWND owner, HDC dc) override;
    HMENU GetPopup(HWND owner) const override;
    UINT GetID() const override { return m_nID; }

private:
    void DrawFace(HDC dc, const RECT& rect) const;
};

// The active MDI child of the frame that owns a bar, or null (plain frames).
HWND GetActiveMDIChild(HWND owner);
