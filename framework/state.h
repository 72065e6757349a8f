// Per-thread and process-wide state of the layer.
//
// AFX_THREAD_STATE is thread_local and plain data (zero at thread start). The
// window half keeps its per-thread records (handle maps, creation hook, menu
// tracking) here too. AFX_MODULE_STATE is process-wide, constant-initialised and
// set once at start-up, so static constructors may read it.
#pragma once
#include <windows.h>

class CWinThread;
class CWinApp;

struct AFX_THREAD_STATE {
    CWinThread* m_pCurrentThread;  // the CWinThread this thread runs, if any
    MSG m_msgCur;                  // message being handled by the pump
    MSG m_msgLastMouse;            // for repeated-mouse-move idle detection
};

struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp;
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
};

AFX_THREAD_STATE* AfxGetThreadState();
AFX_MODULE_STATE* AfxGetModuleState();
const MSG* AfxGetCurrentMessage();
