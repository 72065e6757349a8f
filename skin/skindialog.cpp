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
    // Initialised again: the old system menu goes only when it is another,
    // still living menu.
    HMENU old = m_SystemMenu.Detach();
    HMENU system = ::GetSystemMenu(m_hWnd, FALSE);
    if (old && old != system && ::IsMenu(old)) ::DestroyMenu(old);
    if (system) m_SystemMenu.Attach(system);
    // Loading releases what an earlier initialisation built.
    m_DefaultMenu.LoadMenu(::GetMenu(m_hWnd));
    if (m_DefaultMenu.GetSafeHmenu() && ::IsMenu(m_DefaultMenu.GetSafeHmenu()))
        ApplyMenuBarBrush(m_DefaultMenu.GetSafeHmenu());
    return result;
}

void CSkinDialog::OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu)
{
    AfxCancelModes(m_hWnd);
    if (!sysMenu) AfxUpdateMenuPopupItems(this, popup, AfxFindParentMenu(m_hWnd, popup->m_hMenu), TRUE);
    Default();
    HandleInitMenuPopup(this, popup, index, sysMenu);
}
