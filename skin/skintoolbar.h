// CSkinToolBar: the framework's toolbar with the skin library's look. It
// paints its background per draw mode and every button itself (face, image,
// text, drop-down arrow) through custom-draw notifications, keeps three image
// lists of its own (normal, shaded, disabled) and hides the controls embedded
// in it while it is docked vertically.
#pragma once
#include "framework/framework.h"

class CSkinToolBar : public CToolBar {
    DECLARE_DYNAMIC(CSkinToolBar)
public:
    CSkinToolBar() = default;
    ~CSkinToolBar() override;

    BOOL LoadToolBar(UINT id) { return LoadToolBar(MAKEINTRESOURCEA(id)); }
    BOOL LoadToolBar(LPCSTR name);
    // Rebuilds the three lists from a bitmap resource; a transparent colour
    // of 0xFF000000 takes the bitmap's top-left pixel. 0 when the resource
    // cannot be found or loaded (the lists stay as they are).
    BOOL LoadToolBarBitmap(UINT id, COLORREF transparent) { return LoadToolBarBitmap(MAKEINTRESOURCEA(id), transparent); }
    BOOL LoadToolBarBitmap(LPCSTR resource, COLORREF transparent);

    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    CSize CalcDynamicLayout(int length, DWORD mode) override;
    void DrawBorders(CDC* dc, CRect& rect) override;
    void DrawGripper(CDC* dc, const CRect& rect) override;
    void OnBarStyleChange(DWORD oldStyle, DWORD newStyle) override;

    CImageList m_ilNormal;
    CImageList m_ilShaded;
    CImageList m_ilDisabled;
    // While the base computes a layout: 1 = embedded controls reported
    // hidden, 2 = reported shown, 0 = as they are.
    int m_nControlsMode = 0;

protected:
    void OnNcPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnCustomDraw(NMHDR* hdr, LRESULT* result);
    int OnCreate(LPCREATESTRUCTA cs);
    void OnPaint();
    LRESULT OnAddBitmap(WPARAM wp, LPARAM lp);
    LRESULT OnReplaceBitmap(WPARAM wp, LPARAM lp);

    void RebuildShadedList();
    // Appends the images of a bitmap to the normal list (masked by the
    // transparent colour) and their tinted copies to the disabled list.
    void AppendImages(HBITMAP bitmap, COLORREF transparent);
    void PlaceEmbeddedControls(BOOL vertical);
    // Button i and its rectangle; false for a hidden or missing button.
    bool GetVisibleButton(int i, TBBUTTON& button, RECT& rect) const;
    void DrawButton(NMTBCUSTOMDRAW* cd);
    DECLARE_MESSAGE_MAP()
};

// The custom-draw item state of a toolbar button: its checked, indeterminate
// and disabled states, and hot (and selected when pressed) while the frame
// has the focus and the cursor is on it; a pressed button is hot otherwise.
UINT SkinToolButtonItemState(BYTE buttonState, BOOL focusedAndUnderCursor);
// The tint of disabled toolbar images in the current draw mode.
COLORREF SkinToolBarDisabledTint();
// The menu-bar background behind a docked bar (also the configuration tool's
// dialog bar): nothing for a floating bar or in draw modes 0, 1, 4, 5.
void PaintControlBarBackground(CControlBar* bar, CDC* dc);
