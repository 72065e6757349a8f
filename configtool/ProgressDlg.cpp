#include "configtool/ProgressDlg.h"
#include "configtool/resource.h"

CProgressDlg::CProgressDlg(UINT captionId)
    : m_nCaptionId(captionId ? captionId : IDS_PROGRESS_CAPTION), m_nLower(0), m_nUpper(100), m_nStep(10),
      m_bCancelled(FALSE), m_hOwner(nullptr), m_bOwnerDisabled(FALSE), m_nHolds(0) {}

CProgressDlg::~CProgressDlg() { DestroyWindow(); }

BOOL CProgressDlg::Create(CWnd* parent) {
    m_hOwner = AfxGetSafeOwner(parent);
    m_bOwnerDisabled = FALSE;
    m_bCancelled = FALSE;
    if (m_hOwner && ::IsWindowEnabled(m_hOwner)) {
        ::EnableWindow(m_hOwner, FALSE);
        m_bOwnerDisabled = TRUE;
    }
    if (!CDialog::Create(IDD_PROGRESS, CWnd::FromHandle(m_hOwner))) {
        if (m_bOwnerDisabled) ::EnableWindow(m_hOwner, TRUE);
        m_bOwnerDisabled = FALSE;
        return FALSE;
    }
    return TRUE;
}

BOOL CProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bar.SubclassDlgItem(IDC_PROGRESS_BAR, this);
    m_icon.SubclassDlgItem(IDC_PROGRESS_ICON, this);
    m_bar.SetRange32(m_nLower, m_nUpper);
    m_bar.SetStep(m_nStep);
    m_bar.SetPos(m_nLower);
    CString caption;
    if (caption.LoadString(m_nCaptionId)) SetWindowText(caption);
    return TRUE;
}

void CProgressDlg::SetRange(int lower, int upper) {
    m_nLower = lower;
    m_nUpper = upper;
    if (IsOpen()) m_bar.SetRange32(lower, upper);
}

void CProgressDlg::SetStep(int step) {
    m_nStep = step;
    if (IsOpen()) m_bar.SetStep(step);
}

void CProgressDlg::SetPos(int position) {
    if (!IsOpen()) return;
    m_bar.SetPos(position);
    UpdatePercent(position);
}

void CProgressDlg::StepIt() {
    if (!IsOpen()) return;
    int previous = m_bar.StepIt();
    UpdatePercent(previous + m_nStep);
}

void CProgressDlg::SetStatusText(LPCSTR text) {
    if (IsOpen()) SetDlgItemText(IDC_PROGRESS_STATUS, text);
}

CString CProgressDlg::PercentText(int position, int lower, int upper) {
    int p = upper > lower ? (position - lower) * 100 / (upper - lower) : 0;
    CString text;
    text.Format("%d%c", p == 100 ? p : p % 100, '%');
    return text;
}

void CProgressDlg::UpdatePercent(int position) {
    CString text = PercentText(position, m_nLower, m_nUpper);
    char current[32] = "";
    GetDlgItemText(IDC_PROGRESS_PERCENT, current, sizeof current);
    if (text != current) SetDlgItemText(IDC_PROGRESS_PERCENT, text);
}

void CProgressDlg::OnOK() {
    // Enter must not end the transfer.
}

void CProgressDlg::OnCancel() {
    m_bCancelled = TRUE;
    if (!IsHeld()) DestroyWindow();
}

BOOL CProgressDlg::DestroyWindow() {
    if (m_bOwnerDisabled) {
        ::EnableWindow(m_hOwner, TRUE);
        m_bOwnerDisabled = FALSE;
    }
    if (!m_hWnd) return FALSE;
    return CDialog::DestroyWindow();
}
