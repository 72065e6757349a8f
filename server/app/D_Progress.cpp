#include "server/app/D_Progress.h"
#include "server/app/OperatorDialogsRes.h"

CD_Progress::CD_Progress(UINT captionId)
    : CProgressWindow<CSkinDialog>(IDD_PROGRESS, IDC_PROGRESS_BAR), m_captionId(captionId ? captionId : IDS_PROGRESS),
      m_cancelled(FALSE), m_lower(0), m_upper(100), m_step(1), m_position(0)
{
}

BOOL CD_Progress::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    ShowProgress(m_captionId, m_lower, m_upper, m_step, m_position);
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
    BOOL cancelled = m_cancelled;
    m_cancelled = FALSE;
    return cancelled;
}

void CD_Progress::OnCancel()
{
    m_cancelled = TRUE;
}
