// CD_Language: the operator picks the language of the next start from the
// languages the manager found. Each program supplies its own template with
// the list box IDC_LANGUAGES, OK and Cancel.
#pragma once
#include "common/LanguageManager.h"
#include "skin/skindialog.h"

#define IDC_LANGUAGES 1020

class CD_Language : public CSkinDialog
{
public:
    CD_Language(const CLanguageManager& manager, UINT nIDTemplate, CWnd* parent = nullptr);

    CListBox m_listLanguages;
    // The selected item's text after OK; empty when nothing was selected.
    CString m_strLanguage;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    const CLanguageManager& m_manager;
};

// The Language command of both programs: on OK the selection becomes the
// language of the next start and the notice `nIDRestartText` says so.
void ChooseLanguage(CLanguageManager& manager, UINT nIDTemplate, UINT nIDRestartText);
