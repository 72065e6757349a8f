// CSkinPropertySheet and CSkinPropertyPage: property sheets and their pages
// with the library's skinned system menu, window menu, menu messages, hot
// tracking and menu-bar gap painting.
#pragma once
#include "skin/skinframe.h"

class CSkinPropertyPage : public CSkinFrame<CPropertyPage> {
    DECLARE_DYNAMIC(CSkinPropertyPage)
public:
    explicit CSkinPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0, UINT nSize = sizeof(PROPSHEETPAGEA));
    ~CSkinPropertyPage() override = default;

protected:
    DECLARE_MESSAGE_MAP()
};

class CSkinPropertySheet : public CSkinFrame<CPropertySheet> {
    DECLARE_DYNAMIC(CSkinPropertySheet)
public:
    // The caption comes from the module that holds the string: the resource
    // module (a language DLL), then the program.
    explicit CSkinPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CSkinPropertySheet() override = default;

    BOOL OnInitDialog() override;

protected:
    DECLARE_MESSAGE_MAP()
};
