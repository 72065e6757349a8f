#include "skin/skinpropsheet.h"

IMPLEMENT_DYNAMIC(CSkinPropertyPage, CPropertyPage)
IMPLEMENT_DYNAMIC(CSkinPropertySheet, CPropertySheet)

BEGIN_MESSAGE_MAP(CSkinPropertyPage, CSkinFrame<CPropertyPage>)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CSkinPropertySheet, CSkinFrame<CPropertySheet>)
END_MESSAGE_MAP()

CSkinPropertyPage::CSkinPropertyPage(UINT nIDTemplate, UINT nIDCaption, UINT nSize)
{
    Construct(nIDTemplate, nIDCaption, nSize);
}

CSkinPropertySheet::CSkinPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
{
    if (HINSTANCE module = AfxFindStringResourceHandle(nIDCaption)) m_strCaption.LoadString(module, nIDCaption);
    CommonConstruct(pParentWnd, iSelectPage);
}

BOOL CSkinPropertySheet::OnInitDialog()
{
    BOOL result = CPropertySheet::OnInitDialog();
    SkinFrameAttachMenus(m_hWnd, m_systemMenu, m_defaultMenu);
    return result;
}
