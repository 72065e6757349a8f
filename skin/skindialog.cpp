#include "skin/skindialog.h"

IMPLEMENT_DYNAMIC(CSkinDialog, CDialog)

BEGIN_MESSAGE_MAP(CSkinDialog, CSkinFrame<CDialog>)
    ON_WM_INITMENUPOPUP()
END_MESSAGE_MAP()

CSkinDialog::CSkinDialog(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_lpszTemplateName = MAKEINTRESOURCEA(nIDTemplate);
    m_nIDHelp = nIDTemplate;
    m_pParentWnd = pParentWnd;
}

BOOL CSkinDialog::OnInitDialog()
{
    BOOL result = CDialog::OnInitDialog();
    SkinFrameAttachMenus(m_hWnd, m_systemMenu, m_defaultMenu);
    return result;
}

void CSkinDialog::OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu)
{
    AfxCancelModes(m_hWnd);
    if (!sysMenu) AfxUpdateMenuPopupItems(this, popup, AfxFindParentMenu(m_hWnd, popup->m_hMenu), TRUE);
    Default();
    HandleInitMenuPopup(this, popup, index, sysMenu);
}
