#include "configtool/Labels.h"
#include <stddef.h>

CTitleLabel2::CTitleLabel2() : m_crBack(::GetSysColor(COLOR_HIGHLIGHT)), m_crText(::GetSysColor(COLOR_HIGHLIGHTTEXT)) {
    m_brush.CreateSolidBrush(m_crBack);
}

HBRUSH CTitleLabel2::CtlColor(CDC* dc, UINT) {
    dc->SetTextColor(m_crText);
    dc->SetBkColor(m_crBack);
    return m_brush;
}

BEGIN_MESSAGE_MAP(CTitleLabel2, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

CTransparentLabel::CTransparentLabel() {
    // The size without the padded border, which systems before Vista refuse.
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        m_font.CreateFontIndirect(&metrics.lfMenuFont);
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
