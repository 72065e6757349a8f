#include "framework/msgmap.h"
#include "framework/cmdtarget.h"

namespace {
AFX_PFN_CALLHANDLER g_windowHandlerCaller = nullptr;  // set once at start-up
}

void AfxSetWindowHandlerCaller(AFX_PFN_CALLHANDLER pfn) { g_windowHandlerCaller = pfn; }

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, UINT nMsg, UINT nCode, UINT nID) {
    for (; pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e && e->nSig != AfxSig_end; ++e) {
            if (e->nMessage == nMsg && e->nCode == nCode && nID >= e->nID && nID <= e->nLastID)
                return e;
        }
    }
    return nullptr;
}

BOOL AfxCallHandler(CCmdTarget* pTarget, const AFX_MSGMAP_ENTRY* pEntry, UINT nID, WPARAM wParam, LPARAM lParam,
                    LRESULT* pResult) {
    LRESULT result = 0;
    switch (pEntry->nSig) {
    case AfxSig_vv:
        (pTarget->*pEntry->pfn)();
        break;
    case AfxSig_vw:
        (pTarget->*reinterpret_cast<void (CCmdTarget::*)(UINT)>(pEntry->pfn))(nID);
        break;
    case AfxSig_bv:
        result = (pTarget->*reinterpret_cast<BOOL (CCmdTarget::*)()>(pEntry->pfn))();
        break;
    case AfxSig_vwl:
        (pTarget->*reinterpret_cast<void (CCmdTarget::*)(WPARAM, LPARAM)>(pEntry->pfn))(wParam, lParam);
        break;
    case AfxSig_lwl:
        result = (pTarget->*reinterpret_cast<LRESULT (CCmdTarget::*)(WPARAM, LPARAM)>(pEntry->pfn))(wParam, lParam);
        break;
    default:
        if (pEntry->nSig >= AfxSig_window_first && g_windowHandlerCaller)
            return g_windowHandlerCaller(pTarget, pEntry, nID, wParam, lParam, pResult);
        return FALSE;
    }
    if (pResult)
        *pResult = result;
    return TRUE;
}
