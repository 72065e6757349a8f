// The about box: the program's name and its version.
#pragma once
#include "skin/skindialog.h"

class CAboutDlg : public CSkinDialog {
public:
    CAboutDlg();
    BOOL OnInitDialog() override;

    // "3, 1, 0, 1" gives "3.1.0": no blanks, points for commas, the build
    // number dropped.
    static CString VersionText(const CString& versionNumbers);
};
