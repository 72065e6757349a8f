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
    // Notifications arrive as MAKELONG(code, WM_NOTIFY); the update request
    // (CN_UPDATE_COMMAND_UI, all bits set) and commands carry no message part.
    UINT nMsg = WM_COMMAND;
    UINT code = static_cast<UINT>(nCode);
    if (code != static_cast<UINT>(-1) && HIWORD(code) != 0) {
        nMsg = HIWORD(code);
        code = LOWORD(code);
    }
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), nMsg, code, nID);
    if (!e)
        return FALSE;
    if (pHandlerInfo) {  // only asked whether a handler exists
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pmf = e->pfn;
        return TRUE;
    }
    // Extra data (CCmdUI*, notification block) travels in lParam; shapes past
    // the built-in ones report in their result whether the command was handled.
    LRESULT r = 0;
    if (!AfxCallHandler(this, e, nID, 0, reinterpret_cast<LPARAM>(pExtra), &r))
        return FALSE;
    return (e->nSig == AfxSig_bv || e->nSig >= AfxSig_window_first) ? static_cast<BOOL>(r) : TRUE;
}
