#include "framework/thread.h"
#include "framework/state.h"
#include "framework/app.h"
#include <process.h>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace {
AFX_PFN_PRETRANSLATE g_pfnPreTranslate = nullptr;  // set once at start-up
AFX_PFN_IDLE g_pfnIdle = nullptr;

// Lives on the creator's stack; the new thread copies what it needs before
// signalling hReady and never touches it afterwards.
struct ThreadStartup {
    CWinThread* pThread;
    HANDLE hReady;  // closed by the creator
    HANDLE hGo;     // closed by the new thread
};

void FinishThread(CWinThread* pThread, BOOL bDelete) {
    AFX_THREAD_STATE* state = AfxGetThreadState();
    if (pThread && bDelete)
        pThread->Delete();
    state->m_pCurrentThread = nullptr;
}
}  // namespace

namespace {
AFX_PFN_THREAD_TERM g_pfnThreadTerm = nullptr;
void TermThread() {
    if (g_pfnThreadTerm) g_pfnThreadTerm();
}
}  // namespace

void AfxSetThreadTermHook(AFX_PFN_THREAD_TERM pfnTerm) { g_pfnThreadTerm = pfnTerm; }

void AfxSetThreadHooks(AFX_PFN_PRETRANSLATE pfnPreTranslate, AFX_PFN_IDLE pfnIdle) {
    g_pfnPreTranslate = pfnPreTranslate;
    g_pfnIdle = pfnIdle;
}

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pThreadParams(pParam), m_pfnThreadProc(pfnThreadProc) {}

CWinThread::~CWinThread() {
    if (m_hThread)
        CloseHandle(m_hThread);
    AFX_THREAD_STATE* state = AfxGetThreadState();
    if (state->m_pCurrentThread == this)
        state->m_pCurrentThread = nullptr;
}

unsigned __stdcall CWinThread::ThreadEntry(void* pv) {
    ThreadStartup* startup = static_cast<ThreadStartup*>(pv);
    CWinThread* pThread = startup->pThread;
    HANDLE hGo = startup->hGo;
    AfxGetThreadState()->m_pCurrentThread = pThread;
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
    SetEvent(startup->hReady);
    WaitForSingleObject(hGo, INFINITE);
    CloseHandle(hGo);

    int nResult;
    if (pThread->m_pfnThreadProc)
        nResult = static_cast<int>(pThread->m_pfnThreadProc(pThread->m_pThreadParams));
    else if (!pThread->InitInstance())
        nResult = pThread->ExitInstance();
    else
        nResult = pThread->Run();
    FinishThread(pThread, TRUE);
    TermThread();
    return static_cast<unsigned>(nResult);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    if (m_hThread)
        return FALSE;  // one object runs one thread
    ThreadStartup startup = {this, CreateEventA(nullptr, TRUE, FALSE, nullptr),
                             CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    if (!startup.hReady || !startup.hGo) {
        if (startup.hReady)
            CloseHandle(startup.hReady);
        if (startup.hGo)
            CloseHandle(startup.hGo);
        return FALSE;
    }
    unsigned tid = 0;
    HANDLE h = reinterpret_cast<HANDLE>(
        _beginthreadex(lpSecurityAttrs, nStackSize, &ThreadEntry, &startup, CREATE_SUSPENDED, &tid));
    if (!h) {
        CloseHandle(startup.hReady);
        CloseHandle(startup.hGo);
        return FALSE;
    }
    m_hThread = h;
    m_nThreadID = tid;
    ::ResumeThread(h);
    WaitForSingleObject(startup.hReady, INFINITE);
    CloseHandle(startup.hReady);
    // The thread now waits for hGo; suspending it first keeps it from running
    // any of our code until the caller resumes it.
    if (dwCreateFlags & CREATE_SUSPENDED)
        ::SuspendThread(h);
    SetEvent(startup.hGo);
    return TRUE;
}

int CWinThread::Run() {
    AFX_THREAD_STATE* state = AfxGetThreadState();
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    MSG peek;
    for (;;) {
        while (bIdle && !PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++))
                bIdle = FALSE;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&state->m_msgCur)) {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpMessage() {
    MSG* pMsg = &AfxGetThreadState()->m_msgCur;
    BOOL r = GetMessageA(pMsg, nullptr, 0, 0);
    if (r == 0)
        return FALSE;  // WM_QUIT; its wParam stays in m_msgCur for ExitInstance
    if (r == -1) {
        pMsg->message = WM_QUIT;
        pMsg->wParam = static_cast<WPARAM>(-1);
        return FALSE;
    }
    if (PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->hwnd == nullptr && DispatchThreadMessageEx(pMsg))
        return TRUE;
    TranslateMessage(pMsg);
    DispatchMessageA(pMsg);
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) { return g_pfnPreTranslate ? g_pfnPreTranslate(this, pMsg) : FALSE; }

BOOL CWinThread::DispatchThreadMessageEx(MSG* pMsg) {
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), pMsg->message, 0, 0);
    return e && AfxCallHandler(this, e, 0, pMsg->wParam, pMsg->lParam, nullptr);
}

BOOL CWinThread::OnIdle(LONG lCount) { return g_pfnIdle ? g_pfnIdle(this, lCount) : FALSE; }

BOOL CWinThread::IsIdleMessage(MSG* pMsg) {
    // Repeated mouse moves, paint and caret blinks do not restart idle processing.
    AFX_THREAD_STATE* state = AfxGetThreadState();
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
        MSG& last = state->m_msgLastMouse;
        BOOL same = last.message == pMsg->message && last.pt.x == pMsg->pt.x && last.pt.y == pMsg->pt.y;
        last = *pMsg;
        return !same;
    }
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118;
}

int CWinThread::ExitInstance() { return static_cast<int>(AfxGetThreadState()->m_msgCur.wParam); }

void CWinThread::Delete() {
    if (m_bAutoDelete)
        delete this;
}

namespace {
CWinThread* StartThread(CWinThread* pThread, int nPriority, UINT nStackSize, DWORD dwCreateFlags,
                        LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    // Always created suspended, so the priority is set before it runs and the
    // object cannot have deleted itself before we return it.
    if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        pThread->Delete();
        return nullptr;
    }
    pThread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        pThread->ResumeThread();
    return pThread;
}
}  // namespace

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    if (!pfnThreadProc)
        return nullptr;
    return StartThread(new CWinThread(pfnThreadProc, pParam), nPriority, nStackSize, dwCreateFlags, lpSecurityAttrs);
}

CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority, UINT nStackSize, DWORD dwCreateFlags,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    if (!pThreadClass || !pThreadClass->IsDerivedFrom(RUNTIME_CLASS(CWinThread)))
        return nullptr;
    CObject* pObject = pThreadClass->CreateObject();
    if (!pObject)
        return nullptr;
    return StartThread(static_cast<CWinThread*>(pObject), nPriority, nStackSize, dwCreateFlags, lpSecurityAttrs);
}

void AfxEndThread(UINT nExitCode, BOOL bDelete) {
    FinishThread(AfxGetThreadState()->m_pCurrentThread, bDelete);
    TermThread();
    _endthreadex(nExitCode);
    for (;;) {
    }
}

CWinThread* AfxGetThread() {
    CWinThread* p = AfxGetThreadState()->m_pCurrentThread;
    if (p)
        return p;
    return AfxGetApp();
}
