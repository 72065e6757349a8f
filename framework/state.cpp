#include "framework/state.h"

namespace {
thread_local AFX_THREAD_STATE t_threadState;  // zero-initialised per thread
AFX_MODULE_STATE g_moduleState = {nullptr, nullptr, nullptr};
}  // namespace

AFX_THREAD_STATE* AfxGetThreadState() { return &t_threadState; }
AFX_MODULE_STATE* AfxGetModuleState() { return &g_moduleState; }
const MSG* AfxGetCurrentMessage() { return &t_threadState.m_msgCur; }
