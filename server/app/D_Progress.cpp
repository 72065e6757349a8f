#include "server/app/D_Progress.h"
#include "server/app/OperatorDialogsRes.h"

CD_Progress::CD_Progress(UINT captionId)
    : m_captionId(captionId ? captionId : IDS_PROGRESS), m_cancelled(FALSE), m_lower(0), m_upper(100), m_step(1),
      m_position(0), m_owner(nullptr), m_ownerDisabled(FALSE)
{
}

CD_Progress::~CD_Progress()
{
    DestroyWindow();
}

BOOL CD_Progress::Create(CWnd* parent)
{
    m_owner = AfxGetSafeOwner(parent);
    m_ownerDisabled = FALSE;
    if (m_owner && ::IsWindowEnabled(m_owner)) {
        ::EnableWindow(m_owner, FALSE);
        m_ownerDisabled = TRUE;
    }
    if (!CSkinDialog::Create(IDD_PROGRESS, CWnd::FromHandle(m_owner))) {
        if (m_ownerDisabled)
            ::EnableWindow(m_owner, TRUE);
        m_ownerDisabled = FALSE;
        return FALSE;
    }
    return TRUE;
}

BOOL CD_Progress::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    m_progress.SubclassDlgItem(IDC_PROGRESS_BAR, this);
    m_progress.SetRange32(m_lower, m_upper);
    m_progress.SetStep(m_step);
    m_progress.SetPos(m_position);
    CString caption;
    caption.LoadString(m_captionId);
    SetWindowText(caption);
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

void CD_Progress::OnOK()
{
    // Enter must not end the operation.
}

void CD_Progress::OnCancel()
{
    m_cancelled = TRUE;
}

BOOL CD_Progress::DestroyWindow()
{
    if (m_ownerDisabled) {
        ::EnableWindow(m_owner, TRUE);
        m_ownerDisabled = FALSE;
    }
    if (!m_hWnd)
        return FALSE;
    return CSkinDialog::DestroyWindow();
}
