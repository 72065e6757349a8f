#include "configtool/ProgressDlg.h"
#include "configtool/resource.h"

CProgressDlg::CProgressDlg(UINT captionId)
    : CProgressWindow<CDialog>(IDD_PROGRESS, IDC_PROGRESS_BAR), m_nCaptionId(captionId ? captionId : IDS_PROGRESS_CAPTION),
      m_nLower(0), m_nUpper(100), m_nStep(10), m_bCancelled(FALSE), m_nHolds(0) {}

BOOL CProgressDlg::Create(CWnd* parent) {
    m_bCancelled = FALSE;
    return CProgressWindow<CDialog>::Create(parent);
}

BOOL CProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_icon.SubclassDlgItem(IDC_PROGRESS_ICON, this);
    ShowProgress(m_nCaptionId, m_nLower, m_nUpper, m_nStep, m_nLower);
    return TRUE;
}

void CProgressDlg::SetRange(int lower, int upper) {
    m_nLower = lower;
    m_nUpper = upper;
    if (IsOpen()) m_progress.SetRange32(lower, upper);
}

void CProgressDlg::SetStep(int step) {
    m_nStep = step;
    if (IsOpen()) m_progress.SetStep(step);
}

void CProgressDlg::SetPos(int position) {
    if (!IsOpen()) return;
    m_progress.SetPos(position);
    UpdatePercent(position);
}

void CProgressDlg::StepIt() {
    if (!IsOpen()) return;
    int previous = m_progress.StepIt();
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

void CProgressDlg::OnCancel() {
    m_bCancelled = TRUE;
    if (!IsHeld()) DestroyWindow();
}
