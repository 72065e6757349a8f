// CWinThread and AfxBeginThread: threads with a message queue and a thread message map.
#pragma once
#include "framework/cmdtarget.h"

class CWnd;
typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;

    // The new thread's message queue exists when this returns, and with
    // CREATE_SUSPENDED the thread stays suspended before any code of ours runs.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    int GetThreadPriority() { return ::GetThreadPriority(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::PostThreadMessageA(m_nThreadID, message, wParam, lParam);
    }
    operator HANDLE() const { return m_hThread; }

    virtual CWnd* GetMainWnd() { return m_pMainWnd; }
    virtual BOOL InitInstance() { return FALSE; }
    // Pumps until WM_QUIT, then returns ExitInstance().
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL PumpMessage();
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    // Default result: WM_QUIT's wParam.
    virtual int ExitInstance();
    virtual void Delete();  // deletes the object when m_bAutoDelete
    // Thread messages (null window) through the message map; TRUE when handled.
    virtual BOOL DispatchThreadMessageEx(MSG* pMsg);

    CWnd* m_pMainWnd = nullptr;
    CWnd* m_pActiveWnd = nullptr;
    BOOL m_bAutoDelete = TRUE;
    HANDLE m_hThread = nullptr;  // owned; closed with the object
    DWORD m_nThreadID = 0;
    LPVOID m_pThreadParams = nullptr;
    AFX_THREADPROC m_pfnThreadProc = nullptr;

private:
    static unsigned __stdcall ThreadEntry(void* pStartup);
};

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
// Ends the calling framework thread now (stack objects are not unwound).
[[noreturn]] void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
// The CWinThread of the calling thread; the application object on the main thread.
CWinThread* AfxGetThread();

// Installed once by the window half: the window-tree part of PreTranslateMessage
// (accelerators, dialog navigation) and the window part of idle processing.
typedef BOOL (*AFX_PFN_PRETRANSLATE)(CWinThread* pThread, MSG* pMsg);
typedef BOOL (*AFX_PFN_IDLE)(CWinThread* pThread, LONG lCount);
void AfxSetThreadHooks(AFX_PFN_PRETRANSLATE pfnPreTranslate, AFX_PFN_IDLE pfnIdle);
// Called on a framework thread after its work is done, before it ends: the
// window half frees its per-thread records there.
typedef void (*AFX_PFN_THREAD_TERM)();
void AfxSetThreadTermHook(AFX_PFN_THREAD_TERM pfnTerm);
