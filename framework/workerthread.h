// The base of windowless service threads: a message loop for thread messages,
// the thread's own COM apartment, and no idle work.
#pragma once
#include "framework/thread.h"

class CWorkerThread : public CWinThread {
    DECLARE_DYNAMIC(CWorkerThread)
public:
    // Enters a single-threaded COM apartment. Derived classes call this first.
    BOOL InitInstance() override;
    // Leaves the apartment (also after a failed InitInstance). Derived classes
    // call this last, once their COM objects are gone.
    int ExitInstance() override;
    // A thread without windows has no idle work; the GUI threads' idle
    // clean-up would create this thread's own handle maps, whose per-thread
    // destructors at thread exit leave the process heap locked under 64-bit
    // Wine.
    BOOL OnIdle(LONG) override { return FALSE; }

protected:
    HRESULT m_hrCom = E_FAIL;  // CoInitialize's result; S_OK/S_FALSE are balanced
};
