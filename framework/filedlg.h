// CFileDialog: the system's Open and Save As dialogs.
#pragma once
#include "framework/dialog.h"
#include <commdlg.h>

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // lpszFilter is "Name|pattern|Name|pattern||"; lpszDefExt has no dot.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);

    // IDOK when a file was chosen, IDCANCEL when cancelled or on failure.
    INT_PTR DoModal() override;
    CString GetPathName() const;  // full path
    CString GetFileName() const;  // name with extension
    CString GetFileExt() const;   // extension without the dot
    CString GetFileTitle() const; // name without extension

    OPENFILENAMEA m_ofn = {};

private:
    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    CString m_strFilter;  // '|' turned into '\0'
    char m_szFileName[MAX_PATH * 4] = {};
    char m_szFileTitle[MAX_PATH] = {};
};
