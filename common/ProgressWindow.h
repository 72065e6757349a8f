// CProgressWindow: the part both programs' modeless progress windows share.
// While the window stands its owner is disabled, so no other command can
// start; Enter does not end the operation. TDialog is the dialog base the
// program's window derives from (a plain or a skinned dialog).
#pragma once
#include "framework/framework.h"

template <class TDialog>
class CProgressWindow : public TDialog {
public:
    ~CProgressWindow() override { DestroyWindow(); }

    // parent null: over the main window. Disables the owner when it is
    // enabled, and enables it again when the window cannot be made.
    BOOL Create(CWnd* parent = nullptr)
    {
        m_hOwner = AfxGetSafeOwner(parent);
        m_bOwnerDisabled = FALSE;
        if (m_hOwner && ::IsWindowEnabled(m_hOwner)) {
            ::EnableWindow(m_hOwner, FALSE);
            m_bOwnerDisabled = TRUE;
        }
        if (!TDialog::Create(m_nTemplateId, CWnd::FromHandle(m_hOwner))) {
            EnableOwner();
            return FALSE;
        }
        return TRUE;
    }
    BOOL IsOpen() const { return this->m_hWnd != nullptr && ::IsWindow(this->m_hWnd); }
    // Enables the owner again when this window disabled it.
    BOOL DestroyWindow() override
    {
        EnableOwner();
        if (!this->m_hWnd) return FALSE;
        return TDialog::DestroyWindow();
    }

    CProgressCtrl m_progress;

protected:
    CProgressWindow(UINT templateId, UINT barId) : m_nTemplateId(templateId), m_nBarId(barId) {}

    // From OnInitDialog, after the base's: the bar at its range, step and
    // position, and the caption from its string.
    void ShowProgress(UINT captionId, int lower, int upper, int step, int position)
    {
        m_progress.SubclassDlgItem(m_nBarId, this);
        m_progress.SetRange32(lower, upper);
        m_progress.SetStep(step);
        m_progress.SetPos(position);
        CString caption;
        if (caption.LoadString(captionId)) this->SetWindowText(caption);
    }
    void OnOK() override
    {
        // Enter must not end the operation.
    }

private:
    void EnableOwner()
    {
        if (m_bOwnerDisabled) ::EnableWindow(m_hOwner, TRUE);
        m_bOwnerDisabled = FALSE;
    }

    UINT m_nTemplateId;
    UINT m_nBarId;
    HWND m_hOwner = nullptr;
    BOOL m_bOwnerDisabled = FALSE;
};
