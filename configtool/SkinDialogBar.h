// CSkinDialogBar: a dialog bar painted like the skin library's toolbar, in
// the current draw mode: borders, gripper and the bar background behind its
// controls.
#pragma once
#include "framework/framework.h"

class CSkinDialogBar : public CDialogBar {
    DECLARE_DYNAMIC(CSkinDialogBar)
public:
    CSkinDialogBar() = default;

    void DrawBorders(CDC* dc, CRect& rect) override;
    void DrawGripper(CDC* dc, const CRect& rect) override;

protected:
    void OnNcPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    // The light-to-dark halves of the gradient modes and the docked bar's line.
    void PaintGradients(HDC dc, const CRect& r, COLORREF light, COLORREF middle, COLORREF dark, COLORREF line);
};
