#include "configtool/Labels.h"
#include "skin/drawing.h"

CTransparentLabel::CTransparentLabel() {
    LOGFONTA menuFont = GetMenuLogFont();
    m_font.CreateFontIndirect(&menuFont);
}

BOOL CTransparentLabel::OnEraseBkgnd(CDC*) { return TRUE; }

void CTransparentLabel::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    char text[256] = "";
    GetWindowText(text, sizeof text);
    dc.SetBkMode(TRANSPARENT);
    CSelectScope font(dc.GetSafeHdc(), m_font.GetSafeHandle());
    dc.DrawText(text, &client, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
}

BEGIN_MESSAGE_MAP(CTransparentLabel, CStatic)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()
