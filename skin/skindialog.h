// CSkinDialog: the base of every dialog box of both programs. Its system menu
// and window menu are CSkinMenu objects drawn in the current theme, and its
// popups get the command-update protocol of a frame window.
#pragma once
#include "skin/skinframe.h"

class CSkinDialog : public CSkinFrame<CDialog> {
    DECLARE_DYNAMIC(CSkinDialog)
public:
    // The template is given later, when the window is created.
    CSkinDialog() = default;
    explicit CSkinDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Derived dialogs call this first.
    BOOL OnInitDialog() override;

protected:
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu);

    DECLARE_MESSAGE_MAP()
};
