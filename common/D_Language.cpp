#include "common/D_Language.h"

CD_Language::CD_Language(const CLanguageManager& manager, UINT nIDTemplate, CWnd* parent)
    : CSkinDialog(nIDTemplate, parent), m_manager(manager)
{
}

void CD_Language::DoDataExchange(CDataExchange* dx)
{
    CSkinDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LANGUAGES, m_listLanguages);
    DDX_LBString(dx, IDC_LANGUAGES, m_strLanguage);
}

BOOL CD_Language::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    for (const auto& language : m_manager.GetLanguages())
        m_listLanguages.AddString(language.first);
    return TRUE;
}

void ChooseLanguage(CLanguageManager& manager, UINT nIDTemplate, UINT nIDRestartText)
{
    CD_Language dlg(manager, nIDTemplate);
    if (dlg.DoModal() != IDOK)
        return;
    manager.SetLanguage(dlg.m_strLanguage);
    AfxMessageBox(nIDRestartText, MB_ICONINFORMATION);
}
