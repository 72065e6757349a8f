#include "framework/filedlg.h"
#include <cstring>

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(lpszDefExt) {
    m_pParentWnd = pParentWnd;
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLESIZING;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof m_szFileTitle;
    if (lpszFileName) lstrcpynA(m_szFileName, lpszFileName, sizeof m_szFileName);
    if (lpszFilter && *lpszFilter) {
        // The system wants "Name\0pattern\0...\0\0"; the bytes of the names are kept as they are.
        int n = (int)std::strlen(lpszFilter);
        LPSTR p = m_strFilter.GetBufferSetLength(n + 1);
        std::memcpy(p, lpszFilter, n);
        p[n] = '\0';
        for (int i = 0; i < n; ++i)
            if (p[i] == '|') p[i] = '\0';
        m_strFilter.ReleaseBuffer(n + 1);
    }
}

INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = AfxGetSafeOwner(m_pParentWnd);
    m_ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : (LPCSTR)m_strDefExt;
    m_ofn.lpstrFilter = m_strFilter.IsEmpty() ? nullptr : (LPCSTR)m_strFilter;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const { return CString(m_ofn.lpstrFile); }

CString CFileDialog::GetFileName() const {
    LPCSTR path = m_ofn.lpstrFile;
    LPCSTR slash = std::strrchr(path, '\\');
    LPCSTR fwd = std::strrchr(path, '/');
    if (fwd > slash) slash = fwd;
    return CString(slash ? slash + 1 : path);
}

CString CFileDialog::GetFileExt() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}
