// CCmdTarget: root of every class with a message map.
#pragma once
#include "framework/runtime.h"
#include "framework/msgmap.h"

struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
    AFX_PMSG pmf;
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;

    // Command routing: this object's map handles CN_COMMAND entries here; the
    // window half routes further (frame -> view -> document -> application).
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // Dispatches a message through this object's map; FALSE when no entry matches.
    BOOL DispatchMapMessage(UINT nMsg, UINT nCode, UINT nID, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

protected:
    static const AFX_MSGMAP* PASCAL GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
