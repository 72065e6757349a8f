// CWaitCursor: the hourglass for the lifetime of the object, then the cursor
// that was there before.
#pragma once
#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor() : m_previous(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(m_previous); }
    // After something (a message box) changed the cursor meanwhile.
    void Restore() { ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)); }

private:
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    HCURSOR m_previous;
};
