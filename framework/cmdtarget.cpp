#include "framework/cmdtarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* PASCAL CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::DispatchMapMessage(UINT nMsg, UINT nCode, UINT nID, WPARAM wParam, LPARAM lParam,
                                    LRESULT* pResult) {
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), nMsg, nCode, nID);
    return e && AfxCallHandler(this, e, nID, wParam, lParam, pResult);
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), WM_COMMAND, static_cast<UINT>(nCode), nID);
    if (!e)
        return FALSE;
    if (pHandlerInfo) {  // only asked whether a handler exists
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pmf = e->pfn;
        return TRUE;
    }
    LRESULT r = 0;
    if (!AfxCallHandler(this, e, nID, 0, 0, &r))
        return FALSE;
    return e->nSig == AfxSig_bv ? static_cast<BOOL>(r) : TRUE;
}
