// Modeless progress window of a long operation run on the GUI thread. The
// owner is disabled while the window is up; the operation pumps messages
// through CheckCancel between its steps and stops when Cancel was pressed.
#pragma once
#include "common/ProgressWindow.h"
#include "framework/framework.h"
#include "skin/skindialog.h"

class CD_Progress : public CProgressWindow<CSkinDialog> {
public:
    // captionId 0: the default caption "Progress".
    explicit CD_Progress(UINT captionId = 0);

    void SetText(LPCSTR text);
    // Serves the messages waiting now, in one bounded pass.
    void PumpMessages();
    // Pumps, then reports whether Cancel was pressed since the last call.
    BOOL CheckCancel();

    UINT m_nCaptionId;
    BOOL m_bCancelled;
    int m_nLower, m_nUpper, m_nStep, m_nPosition;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
};
