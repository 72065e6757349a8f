#include "framework/workerthread.h"
#include <objbase.h>

IMPLEMENT_DYNAMIC(CWorkerThread, CWinThread)

BOOL CWorkerThread::InitInstance() {
    m_hrCom = ::CoInitialize(nullptr);
    return TRUE;
}

int CWorkerThread::ExitInstance() {
    if (SUCCEEDED(m_hrCom))
        ::CoUninitialize();
    m_hrCom = E_FAIL;
    return CWinThread::ExitInstance();
}
