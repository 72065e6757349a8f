// Static texts with colours and fonts of their own: the highlighted row
// labels of the pages and the transparent labels of the status bar.
#pragma once
#include "framework/framework.h"
#include "configtool/ControlColours.h"

// Text in the highlight colours on a highlight-coloured ground.
class CTitleLabel2 : public CColouredControl<CStatic> {
public:
    CTitleLabel2() : CColouredControl(COLOR_HIGHLIGHTTEXT, COLOR_HIGHLIGHT) {}
};

// Text in the system's menu font, drawn over whatever lies behind it.
class CTransparentLabel : public CStatic {
public:
    CTransparentLabel();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    CFont m_font;
};
