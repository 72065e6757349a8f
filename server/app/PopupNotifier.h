// CPopupNotifier: a small skinned popup that slides out of the taskbar's
// edge, shows a short text for a while and slides back. The window's shape
// is the skin bitmap less its pixels of one colour.
#pragma once
#include "framework/framework.h"

// Where the popup travels: from its hidden start to its fully shown place.
struct NotifierPath {
    enum Edge { Top = 1, Left = 2, Right = 3, Bottom = 4 };
    int edge = Bottom;
    POINT start = {0, 0};
    POINT shown = {0, 0};
    DWORD showStepMs = 0;
    DWORD hideStepMs = 0;
};

// The path for a skin of the given size: the taskbar's edge is where the
// work area leaves the screen. False when the skin is narrower or lower
// than one step along the way it travels (no skin loaded, for one).
bool ComputeNotifierPath(const RECT& workArea, SIZE screen, SIZE skin, int increment, DWORD timeToShow,
                         DWORD timeToHide, NotifierPath& path);
// One step of position towards target along the path's axis, never past it;
// true when position has reached target.
bool StepTowards(const NotifierPath& path, POINT& position, POINT target, int increment);

// The skin's window region: its rectangle (width rounded down to a multiple
// of 4) less every pixel of the transparent colour. False when the bitmap
// cannot be read.
bool BuildSkinRegion(HBITMAP skin, COLORREF transparent, CRgn& region);

class CPopupNotifier : public CWnd
{
public:
    CPopupNotifier();
    ~CPopupNotifier() override;

    BOOL Create(CWnd* parent);
    void SetTextFont(LPCSTR face, int tenthsOfPoint, int normalStyle, int hoverStyle);
    void SetTextColor(COLORREF normal, COLORREF hover);
    void SetTextRect(const RECT& rect) { m_rcText = rect; }
    // Loads the skin bitmap; with a colour (none of red, green, blue -1) its
    // pixels of that colour are cut out of the window. FALSE when missing.
    BOOL SetSkin(UINT bitmapId, int red = -1, int green = -1, int blue = -1);
    // Times in milliseconds. FALSE, and nothing shown, without a usable skin.
    BOOL Show(LPCSTR text, DWORD timeToShow = 500, DWORD timeToStay = 3000, DWORD timeToHide = 500);
    void Hide();

    // Style bits of SetTextFont.
    enum { Bold = 1, Italic = 2, Underline = 4 };
    enum State { Idle = 0, Appearing = 1, Waiting = 2, Disappearing = 3 };
    int GetState() const { return m_nAnimState; }
    SIZE GetSkinSize() const { return {m_nSkinWidth, m_nSkinHeight}; }
    const NotifierPath& GetPath() const { return m_path; }
    // The GDI objects this notifier owns (null when not made).
    HGDIOBJ GetSkinBitmap() const { return m_bitmapSkin.GetSafeHandle(); }
    HGDIOBJ GetSkinRegion() const { return m_rgnSkin.GetSafeHandle(); }
    HGDIOBJ GetTextFont(bool hover) const { return (hover ? m_fontHover : m_fontNormal).GetSafeHandle(); }
    // The message posted to the parent when the popup is clicked.
    static const UINT WM_NOTIFIER_CLICKED = WM_USER + 123;

protected:
    // The work area and the screen size the popup is placed by.
    virtual void ReadScreen(RECT& workArea, SIZE& screen) const;

    int OnCreate(LPCREATESTRUCTA cs);
    void OnMouseMove(UINT flags, CPoint point);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnPaint();
    LRESULT OnMouseLeave(WPARAM, LPARAM);
    LRESULT OnMouseHover(WPARAM, LPARAM);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    enum { AppearTimer = 1, StayTimer = 2, DisappearTimer = 3 };
    void MoveTo(POINT position);
    void MakeFont(CFont& font, const LOGFONTA& base, int style);

    CWnd* m_pParent;
    CFont m_fontNormal;
    CFont m_fontHover;
    COLORREF m_crNormalText;
    COLORREF m_crHoverText;
    HCURSOR m_hCursor; // a shared system cursor
    CBitmap m_bitmapSkin;
    CRgn m_rgnSkin; // the window holds a copy of its own
    RECT m_rcText;
    int m_nSkinWidth;
    int m_nSkinHeight;
    CString m_strCaption;
    bool m_bMouseOver;
    int m_nAnimState;
    DWORD m_dwTimeToShow;
    DWORD m_dwTimeToStay;
    DWORD m_dwTimeToHide;
    NotifierPath m_path;
    POINT m_ptPosition;
    int m_nIncrement;
};
