// The modeless progress window shown while the thirteen words are read or
// written. Its owner (the main window) is disabled while it stands, so no
// other command can start. The answers move it on the GUI thread.
#pragma once
#include "common/ProgressWindow.h"
#include "framework/framework.h"

class CProgressDlg : public CProgressWindow<CDialog> {
public:
    // captionId 0: "Transferring configuration".
    explicit CProgressDlg(UINT captionId = 0);

    // parent null: over the main window. FALSE when the window could not be made.
    BOOL Create(CWnd* parent = nullptr);
    void SetRange(int lower, int upper);
    void SetStep(int step);
    void SetPos(int position);
    void StepIt();
    void SetStatusText(LPCSTR text);

    // Held by the command that sends the words: Cancel and the answers leave
    // the window alone until the sending is done.
    class CHold {
    public:
        explicit CHold(CProgressDlg& dialog) : m_dialog(dialog) { ++m_dialog.m_nHolds; }
        ~CHold() { --m_dialog.m_nHolds; }
        CHold(const CHold&) = delete;
        CHold& operator=(const CHold&) = delete;

    private:
        CProgressDlg& m_dialog;
    };
    BOOL IsHeld() const { return m_nHolds > 0; }

    UINT m_nCaptionId;
    int m_nLower, m_nUpper, m_nStep;
    BOOL m_bCancelled;

    // "p%": p = (position - lower) * 100 / (upper - lower), 100 itself, else modulo 100.
    static CString PercentText(int position, int lower, int upper);

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void UpdatePercent(int position);

private:
    CStatic m_icon;
    int m_nHolds;
};
