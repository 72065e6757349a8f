#include "configtool/V_Common.h"
#include "configtool/OrimbelDoc.h"
#include "configtool/resource.h"
#include <algorithm>

IMPLEMENT_DYNAMIC(CV_Common, CFormView)
IMPLEMENT_DYNCREATE(CV_Welcome, CFormView)

CV_Common::CV_Common(UINT templateId, UINT titleId) : CFormView(templateId), m_nTitleId(titleId), m_pDoc(nullptr) {
    if (titleId) m_strTitle.LoadString(titleId);
    m_fontTitle.CreatePointFont(120, "Arial Bold");
}

void CV_Common::ResetPage() {
    if (m_pDoc) m_pDoc->SetModifiedFlag(TRUE);
}

void CV_Common::SavePageToDocument() {
    if (m_pDoc) m_pDoc->SetModifiedFlag(TRUE);
}

void CV_Common::LoadPageFromDocument() {}

WORD CV_Common::DocumentWord(int location) const { return m_pDoc ? m_pDoc->m_wWords[location] : 0; }

void CV_Common::StoreWord(int location, WORD word) {
    if (m_pDoc) m_pDoc->m_wWords[location] = word;
}

void CV_Common::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    m_pDoc = dynamic_cast<C_OrimbelDoc*>(GetDocument());
    LoadPageFromDocument();
}

void CV_Common::OnDraw(CDC* dc) {
    // The strip spans the whole form, also where it is scrolled out of view.
    CRect client;
    GetClientRect(&client);
    CRect strip(0, 0, std::max<LONG>(client.right + GetScrollPosition().x, m_sizeForm.cx), TitleHeight);
    ::FillRect(dc->GetSafeHdc(), &strip, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    strip.DeflateRect(2, 2);
    dc->SetTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT));
    dc->SetBkMode(TRANSPARENT);
    CSelectScope font(dc->GetSafeHdc(), m_fontTitle.GetSafeHandle());
    dc->DrawText(m_strTitle, &strip, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

CV_Welcome::CV_Welcome() : CFormView(IDD_WELCOME) {}
