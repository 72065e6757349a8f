// Controls with colours of their own: they answer the reflected
// control-colour message with a text colour, a ground colour and a solid
// brush of the ground.
#pragma once
#include "framework/framework.h"

class CControlColours {
public:
    // System colour indexes (COLOR_...).
    CControlColours(int text, int ground) { Set(::GetSysColor(text), ::GetSysColor(ground)); }
    void Set(COLORREF text, COLORREF ground) {
        m_crText = text;
        m_crGround = ground;
        m_brush.CreateSolidBrush(ground);  // the brush held before goes
    }
    // Sets the DC's colours and gives the brush to paint the ground with.
    HBRUSH Apply(CDC* dc) const {
        dc->SetTextColor(m_crText);
        dc->SetBkColor(m_crGround);
        return m_brush;
    }
    COLORREF Ground() const { return m_crGround; }

private:
    COLORREF m_crText = 0, m_crGround = 0;
    CBrush m_brush;
};

template <class Base>
class CColouredControl : public Base {
public:
    CColouredControl(int text, int ground) : m_colours(text, ground) {}
    HBRUSH CtlColor(CDC* dc, UINT) { return m_colours.Apply(dc); }
    DECLARE_MESSAGE_MAP()

protected:
    CControlColours m_colours;
};

BEGIN_TEMPLATE_MESSAGE_MAP(CColouredControl, Base, Base)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()
