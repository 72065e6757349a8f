#include "framework/dialog.h"
#include "framework/app.h"
#include <string>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK AfxDlgProc(HWND, UINT msg, WPARAM, LPARAM) {
    // The attached object's WindowProc has seen the message before the dialog
    // manager's default processing called us.
    return msg == WM_INITDIALOG;
}

namespace {

CWnd* MainWindow() {
    CWinThread* t = AfxGetThread();
    return t ? t->m_pMainWnd : nullptr;
}

HWND TopLevel(HWND h) {
    while (h && (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) {
        HWND p = ::GetParent(h);
        if (!p) break;
        h = p;
    }
    return h;
}

}  // namespace

HWND AfxGetSafeOwner(CWnd* pParent) {
    HWND h = pParent ? pParent->GetSafeHwnd() : MainWindow()->GetSafeHwnd();
    return TopLevel(h);
}

// ---- construction and creation -------------------------------------------

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd) : m_pParentWnd(pParentWnd) {
    if (IS_INTRESOURCE(lpszTemplateName)) {
        m_lpszTemplateName = lpszTemplateName;
        m_nIDHelp = LOWORD((ULONG_PTR)lpszTemplateName);
    } else {
        m_strTemplateName = lpszTemplateName;
        m_lpszTemplateName = m_strTemplateName;
    }
}

LPCDLGTEMPLATEA AfxLoadDialogTemplate(LPCSTR lpszTemplateName) {
    if (!lpszTemplateName) return nullptr;
    HINSTANCE inst = AfxGetResourceHandle();
    HRSRC res = ::FindResourceA(inst, lpszTemplateName, (LPCSTR)RT_DIALOG);
    HGLOBAL mem = res ? ::LoadResource(inst, res) : nullptr;
    return mem ? (LPCDLGTEMPLATEA)::LockResource(mem) : nullptr;
}

BOOL CDialog::CreateDlgIndirect(LPCDLGTEMPLATEA tmpl, CWnd* pParentWnd, HINSTANCE hInst) {
    if (!tmpl || m_hWnd) return FALSE;
    RegisterDefaultClass();  // also registers the common controls templates name
    AfxHookWindowCreate(this);
    HWND h = ::CreateDialogIndirectParamA(hInst, tmpl, pParentWnd->GetSafeHwnd(), AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    if (h && m_hWnd != h) {
        // Not ours: it never saw WM_INITDIALOG through this object.
        ::DestroyWindow(h);
        return FALSE;
    }
    return h != nullptr;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) { return Create(MAKEINTRESOURCEA(nIDTemplate), pParentWnd); }

BOOL CDialog::Create(LPCSTR lpszTemplateName, CWnd* pParentWnd) {
    if (lpszTemplateName != m_lpszTemplateName) {
        if (IS_INTRESOURCE(lpszTemplateName)) {
            m_lpszTemplateName = lpszTemplateName;
            if (!m_nIDHelp) m_nIDHelp = LOWORD((ULONG_PTR)lpszTemplateName);
        } else {
            m_strTemplateName = lpszTemplateName;
            m_lpszTemplateName = m_strTemplateName;
        }
    }
    m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    return CreateDlgIndirect(AfxLoadDialogTemplate(m_lpszTemplateName), pParentWnd, AfxGetResourceHandle());
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd) {
    m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    return CreateDlgIndirect(lpDialogTemplate, pParentWnd, AfxGetResourceHandle());
}

// ---- modal ---------------------------------------------------------------

INT_PTR CDialog::DoModal() {
    LPCDLGTEMPLATEA tmpl = AfxLoadDialogTemplate(m_lpszTemplateName);
    if (!tmpl) return -1;
    HWND owner = AfxGetSafeOwner(m_pParentWnd);
    BOOL enableOwner = owner && ::IsWindowEnabled(owner);
    if (enableOwner) ::EnableWindow(owner, FALSE);

    m_bModal = TRUE;
    m_nModalResult = -1;
    m_bContinueModal = TRUE;  // EndDialog inside OnInitDialog clears it
    if (CreateDlgIndirect(tmpl, CWnd::FromHandle(owner), AfxGetResourceHandle())) {
        if (m_bContinueModal) {
            if (!::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
            RunModalLoop();
        }
        if (m_hWnd)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    // The owner is enabled before the dialog goes, so activation returns to it.
    if (enableOwner) ::EnableWindow(owner, TRUE);
    if (owner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
    DestroyWindow();
    m_bModal = FALSE;
    m_bContinueModal = FALSE;
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    if (m_bModal) {
        EndModalLoop(nResult);
    } else if (m_hWnd) {
        m_nModalResult = nResult;
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

// ---- message handling ----------------------------------------------------

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    Default();
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog() {
    if (m_lpszTemplateName) ExecuteDlgInit(m_lpszTemplateName);
    UpdateData(FALSE);
    return TRUE;  // the dialog manager focuses the first control
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;  // the failing control has the focus
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    // Keyboard navigation of a top-level dialog; child dialogs (pages) are
    // navigated by their container.
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
    if (!m_hWnd || (GetStyle() & WS_CHILD)) return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

// ---- DLGINIT ---------------------------------------------------------------

BOOL AfxExecuteDlgInit(HWND hDlg, LPCSTR lpszTemplateName) {
    if (!hDlg || !lpszTemplateName) return FALSE;
    HINSTANCE inst = AfxGetResourceHandle();
    HRSRC res = ::FindResourceA(inst, lpszTemplateName, MAKEINTRESOURCEA(RT_DLGINIT_ID));
    if (!res) return TRUE;  // nothing to fill
    HGLOBAL mem = ::LoadResource(inst, res);
    const BYTE* p = mem ? (const BYTE*)::LockResource(mem) : nullptr;
    if (!p) return FALSE;
    const BYTE* end = p + ::SizeofResource(inst, res);
    // Records: WORD control id (0 ends), WORD message, DWORD length, data.
    while (end - p >= 2) {
        WORD id = (WORD)(p[0] | p[1] << 8);
        if (id == 0) return TRUE;
        if (end - p < 8) return FALSE;
        WORD msg = (WORD)(p[2] | p[3] << 8);
        DWORD len = (DWORD)p[4] | (DWORD)p[5] << 8 | (DWORD)p[6] << 16 | (DWORD)p[7] << 24;
        p += 8;
        if (len > (DWORD)(end - p)) return FALSE;
        const char* data = (const char*)p;
        p += len;
        UINT add = 0;
        switch (msg) {
        case 0x0403: case CB_ADDSTRING: add = CB_ADDSTRING; break;  // 16-bit and 32-bit codes
        case 0x0401: case LB_ADDSTRING: add = LB_ADDSTRING; break;
        default: continue;  // entries for other kinds of control are skipped
        }
        size_t n = 0;
        while (n < len && data[n]) ++n;  // the text need not be terminated
        std::string text(data, n);
        ::SendDlgItemMessageA(hDlg, id, add, 0, (LPARAM)text.c_str());
    }
    return TRUE;
}

BOOL CWnd::ExecuteDlgInit(LPCSTR lpszTemplateName) { return AfxExecuteDlgInit(m_hWnd, lpszTemplateName); }

// ---- message boxes ---------------------------------------------------------

CString AfxLoadFrameworkString(UINT nID) {
    CString s;
    s.LoadString(AfxFindStringResourceHandle(nID), nID);
    return s;
}

CString AfxFormatString2(UINT nIDFormat, LPCSTR lpsz1, LPCSTR lpsz2) {
    CString fmt = AfxLoadFrameworkString(nIDFormat), out;
    for (int i = 0; i < fmt.GetLength(); ++i) {
        char c = fmt[i];
        if (c == '%' && i + 1 < fmt.GetLength() && (fmt[i + 1] == '1' || fmt[i + 1] == '2')) {
            LPCSTR arg = fmt[i + 1] == '1' ? lpsz1 : lpsz2;
            out += arg ? arg : "";
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

CString AfxFormatString1(UINT nIDFormat, LPCSTR lpsz1) { return AfxFormatString2(nIDFormat, lpsz1, nullptr); }

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT) {
    HWND owner = AfxGetSafeOwner(nullptr);
    if (owner) {
        HWND popup = ::GetLastActivePopup(owner);
        if (popup) owner = popup;
    } else {
        owner = ::GetActiveWindow();
    }
    CWinApp* app = AfxGetApp();
    LPCSTR caption = app && app->m_pszAppName ? app->m_pszAppName : nullptr;
    return ::MessageBoxA(owner, lpszText ? lpszText : "", caption, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT) {
    return AfxMessageBox(AfxLoadFrameworkString(nIDPrompt), nType, nIDPrompt);
}
