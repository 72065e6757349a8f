// CSkinStatusBar: the framework's status bar painted by the skin library: the
// menu-bar background of the draw mode, the panes drawn by the bar itself
// (icon, text, frame) and a size grip of the draw mode's style unless the
// top-level window is maximized.
#pragma once
#include "framework/framework.h"

class CSkinStatusBar : public CStatusBar {
    DECLARE_DYNAMIC(CSkinStatusBar)
public:
    CSkinStatusBar() = default;
    ~CSkinStatusBar() override = default;

    // The grip's rectangle in client coordinates; empty when the top-level
    // window is maximized (or the bar has none).
    CRect GetGripRect() const;

protected:
    void PreSubclassWindow() override;
    BOOL OnEraseBkgnd(CDC* dc);
    void OnPaint();
    void DrawPanes(CDC& dc);

    DECLARE_MESSAGE_MAP()
};

// The size grip of the current draw mode in the corner of rect: diagonal
// lines, or a triangle of dots in the gradient modes.
void DrawSkinSizeGrip(HDC dc, const RECT& rect);
