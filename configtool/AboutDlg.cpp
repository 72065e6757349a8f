#include "configtool/AboutDlg.h"
#include "configtool/resource.h"

CAboutDlg::CAboutDlg() : CSkinDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    SetDlgItemText(IDC_VERSION, VersionText(ORIMBEL_VERSION_TEXT));
    return TRUE;
}

CString CAboutDlg::VersionText(const CString& versionNumbers) {
    CString text = versionNumbers;
    text.Remove(' ');
    text.Replace(',', '.');
    int last = text.ReverseFind('.');
    return last >= 0 ? text.Left(last) : text;
}
