#include "server/app/D_Progress.h"
#include "server/app/OperatorDialogsRes.h"

CD_Progress::CD_Progress(UINT captionId)
    : CProgressWindow<CSkinDialog>(IDD_PROGRESS, IDC_PROGRESS_BAR), m_nCaptionId(captionId ? captionId : IDS_PROGRESS),
      m_bCancelled(FALSE), m_nLower(0), m_nUpper(100), m_nStep(1), m_nPosition(0)
{
}

BOOL CD_Progress::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    ShowProgress(m_nCaptionId, m_nLower, m_nUpper, m_nStep, m_nPosition);
    return TRUE;
}

void CD_Progress::SetText(LPCSTR text)
{
    SetDlgItemText(IDC_PROGRESS_TEXT, text);
}

void CD_Progress::PumpMessages()
{
    // The window's own keys: Esc cancels, Tab moves between its controls.
    AfxPumpPendingMessages([this](MSG& msg) { return m_hWnd && ::IsDialogMessageA(m_hWnd, &msg); });
}

BOOL CD_Progress::CheckCancel()
{
    PumpMessages();
    BOOL cancelled = m_bCancelled;
    m_bCancelled = FALSE;
    return cancelled;
}

void CD_Progress::OnCancel()
{
    m_bCancelled = TRUE;
}
