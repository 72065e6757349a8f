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
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to take: the message loop that ends the program must see it.
            ::PostQuitMessage((int)msg.wParam);
            return;
        }
        if (m_hWnd && ::IsDialogMessageA(m_hWnd, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
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
