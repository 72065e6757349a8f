#include "framework/propsheet.h"
#include "framework/app.h"
#include <algorithm>

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

// ---- CPropertyPage -----------------------------------------------------------

CPropertyPage::CPropertyPage() { Construct((LPCSTR)nullptr, 0, sizeof(PROPSHEETPAGEA)); }

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption, UINT nSize) {
    Construct(nIDTemplate, nIDCaption, nSize);
}

CPropertyPage::CPropertyPage(LPCSTR lpszTemplateName, UINT nIDCaption, UINT nSize) {
    Construct(lpszTemplateName, nIDCaption, nSize);
}

void CPropertyPage::Construct(UINT nIDTemplate, UINT nIDCaption, UINT nSize) {
    Construct(MAKEINTRESOURCEA(nIDTemplate), nIDCaption, nSize);
    m_nIDHelp = nIDTemplate;
}

void CPropertyPage::Construct(LPCSTR lpszTemplateName, UINT nIDCaption, UINT nSize) {
    // The system reads dwSize bytes; this object holds one PROPSHEETPAGEA.
    nSize = std::max<UINT>(PROPSHEETPAGEA_V1_SIZE, std::min<UINT>(nSize, sizeof(PROPSHEETPAGEA)));
    m_psp = {};
    m_psp.dwSize = nSize;
    m_lpszTemplateName = lpszTemplateName;  // integer resource names only (as the pages use)
    m_strCaption.Empty();
    if (nIDCaption) m_strCaption = AfxLoadFrameworkString(nIDCaption);
}

UINT CALLBACK CPropertyPage::PageCallback(HWND, UINT msg, LPPROPSHEETPAGEA psp) {
    if (msg == PSPCB_CREATE) {
        // The page's dialog is created next: attach it before its WM_CREATE.
        CPropertyPage* page = (CPropertyPage*)psp->lParam;
        page->m_bFirstSetActive = TRUE;
        AfxHookWindowCreate(page);
    }
    return 1;
}

BOOL CPropertyPage::OnSetActive() {
    if (m_bFirstSetActive) m_bFirstSetActive = FALSE;  // OnInitDialog has just filled the controls
    else UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset() { OnCancel(); }

BOOL CPropertyPage::OnQueryCancel() { return TRUE; }

void CPropertyPage::SetModified(BOOL bChanged) {
    HWND sheet = ::GetParent(m_hWnd);
    if (sheet) ::SendMessageA(sheet, bChanged ? PSM_CHANGED : PSM_UNCHANGED, (WPARAM)m_hWnd, 0);
}

BOOL CPropertyPage::OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) {
    NMHDR* hdr = (NMHDR*)lp;
    if (hdr->hwndFrom != ::GetParent(m_hWnd)) return CDialog::OnNotify(wp, lp, result);
    LRESULT r = 0;
    switch (hdr->code) {
    case PSN_SETACTIVE: r = OnSetActive() ? 0 : -1; break;
    case PSN_KILLACTIVE: r = OnKillActive() ? FALSE : TRUE; break;  // TRUE keeps this page
    case PSN_APPLY:
        if (OnApply()) {
            r = PSNRET_NOERROR;
            if (m_pSheet && ((PSHNOTIFY*)lp)->lParam) m_pSheet->m_bClosedWithOK = TRUE;
        } else {
            r = PSNRET_INVALID_NOCHANGEPAGE;
        }
        break;
    case PSN_RESET: OnReset(); break;
    case PSN_QUERYCANCEL: r = OnQueryCancel() ? FALSE : TRUE; break;
    default: return CDialog::OnNotify(wp, lp, result);
    }
    *result = r;
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, r);  // where the dialog manager looks too
    return TRUE;
}

// ---- CPropertySheet --------------------------------------------------------

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
END_MESSAGE_MAP()

CPropertySheet::CPropertySheet() { CommonConstruct(nullptr, 0); }

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) {
    Construct(nIDCaption, pParentWnd, iSelectPage);
}

CPropertySheet::CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) {
    Construct(pszCaption, pParentWnd, iSelectPage);
}

void CPropertySheet::Construct(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) {
    m_strCaption = AfxLoadFrameworkString(nIDCaption);
    CommonConstruct(pParentWnd, iSelectPage);
}

void CPropertySheet::Construct(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) {
    m_strCaption = pszCaption;
    CommonConstruct(pParentWnd, iSelectPage);
}

void CPropertySheet::CommonConstruct(CWnd* pParentWnd, UINT iSelectPage) {
    m_psh = {};
    m_psh.dwSize = sizeof m_psh;
    m_psh.dwFlags = PSH_PROPSHEETPAGE;
    m_psh.nStartPage = iSelectPage;
    m_pParentWnd = pParentWnd;
}

void CPropertySheet::AddPage(CPropertyPage* pPage) {
    if (!pPage) return;
    m_pages.push_back(pPage);
    pPage->m_pSheet = this;
    if (m_hWnd) {
        // A page added while the sheet is open goes to the window at once.
        PROPSHEETPAGEA psp = pPage->m_psp;
        psp.dwFlags |= PSP_USECALLBACK | (pPage->m_strCaption.IsEmpty() ? 0 : PSP_USETITLE);
        psp.hInstance = AfxGetResourceHandle();
        psp.pszTemplate = pPage->m_lpszTemplateName;
        psp.pszTitle = pPage->m_strCaption;
        psp.pfnDlgProc = AfxDlgProc;
        psp.pfnCallback = &CPropertyPage::PageCallback;
        psp.lParam = (LPARAM)pPage;
        if (HPROPSHEETPAGE h = ::CreatePropertySheetPageA(&psp)) PropSheet_AddPage(m_hWnd, h);
    }
}

void CPropertySheet::RemovePage(CPropertyPage* pPage) {
    int i = GetPageIndex(pPage);
    if (i < 0) return;
    if (m_hWnd) PropSheet_RemovePage(m_hWnd, i, nullptr);
    m_pages.erase(m_pages.begin() + i);
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const {
    return nPage >= 0 && nPage < (int)m_pages.size() ? m_pages[nPage] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const {
    auto it = std::find(m_pages.begin(), m_pages.end(), pPage);
    return it == m_pages.end() ? -1 : (int)(it - m_pages.begin());
}

int CPropertySheet::GetActiveIndex() const {
    if (!m_hWnd) return (int)m_psh.nStartPage;
    HWND cur = PropSheet_GetCurrentPageHwnd(m_hWnd);
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (cur && m_pages[i]->m_hWnd == cur) return (int)i;
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

BOOL CPropertySheet::SetActivePage(int nPage) {
    if (nPage < 0 || nPage >= (int)m_pages.size()) return FALSE;
    if (!m_hWnd) {
        m_psh.nStartPage = nPage;
        return TRUE;
    }
    return (BOOL)PropSheet_SetCurSel(m_hWnd, nullptr, nPage);
}

void CPropertySheet::SetTitle(LPCSTR lpszText, UINT nStyle) {
    m_strCaption = lpszText;
    m_psh.dwFlags = (m_psh.dwFlags & ~PSH_PROPTITLE) | (nStyle & PSH_PROPTITLE);
    if (m_hWnd) ::SendMessageA(m_hWnd, PSM_SETTITLEA, nStyle, (LPARAM)lpszText);
}

INT_PTR CPropertySheet::DoModal() {
    if (m_pages.empty() || m_hWnd) return -1;
    // The system copies the page array; the captions live in the page objects.
    std::vector<BYTE> pages;
    for (CPropertyPage* page : m_pages) {
        page->m_pSheet = this;
        PROPSHEETPAGEA& psp = page->m_psp;
        psp.dwFlags |= PSP_USECALLBACK;
        if (!page->m_strCaption.IsEmpty()) psp.dwFlags |= PSP_USETITLE;
        psp.hInstance = AfxGetResourceHandle();
        psp.pszTemplate = page->m_lpszTemplateName;
        psp.pszTitle = page->m_strCaption;
        psp.pfnDlgProc = AfxDlgProc;
        psp.pfnCallback = &CPropertyPage::PageCallback;
        psp.lParam = (LPARAM)page;
        const BYTE* raw = (const BYTE*)&psp;
        pages.insert(pages.end(), raw, raw + psp.dwSize);
    }
    m_psh.dwSize = sizeof m_psh;
    m_psh.dwFlags = (m_psh.dwFlags | PSH_PROPSHEETPAGE) & ~(PSH_MODELESS | PSH_USECALLBACK);
    m_psh.hwndParent = AfxGetSafeOwner(m_pParentWnd);
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.pszCaption = m_strCaption;
    m_psh.nPages = (UINT)m_pages.size();
    if (m_psh.nStartPage >= m_psh.nPages) m_psh.nStartPage = 0;
    m_psh.ppsp = (LPCPROPSHEETPAGEA)pages.data();

    m_bClosedWithOK = FALSE;
    RegisterDefaultClass();  // common controls the page templates name
    AfxHookWindowCreate(this);  // the sheet's dialog is the first window made
    INT_PTR ret = ::PropertySheetA(&m_psh);
    AfxUnhookWindowCreate();
    m_psh.ppsp = nullptr;
    if (ret < 0) return -1;
    return m_bClosedWithOK ? IDOK : IDCANCEL;
}

LRESULT CPropertySheet::HandleInitDialog(WPARAM, LPARAM) {
    m_initResult = Default();  // the system builds the tabs and the first page
    return OnInitDialog();
}

BOOL CPropertySheet::OnInitDialog() { return (BOOL)m_initResult; }
