// CCmdUI: one user-interface item (menu item, toolbar button, status pane)
// whose state an update handler sets.
#pragma once
#include <windows.h>

class CMenu;
class CWnd;
class CCmdTarget;

class CCmdUI {
public:
    UINT m_nID = 0;
    UINT m_nIndex = 0;
    CMenu* m_pMenu = nullptr;
    CMenu* m_pSubMenu = nullptr;
    CMenu* m_pParentMenu = nullptr;
    CWnd* m_pOther = nullptr;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;
    UINT m_nIndexMax = 0;

    CCmdUI() = default;
    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);
    virtual void SetRadio(BOOL on = TRUE);
    virtual void SetText(LPCSTR text);
    void ContinueRouting() { m_bContinueRouting = TRUE; }
    // Asks target for the state; a menu item without any handler is disabled
    // when disableIfNoHandler is set.
    BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);
};

// Records what an update handler decided, without touching any window; used
// to drop a disabled command before it runs.
class CTestCmdUI : public CCmdUI {
public:
    BOOL m_bEnabled = TRUE;
    void Enable(BOOL on = TRUE) override { m_bEnabled = on; m_bEnableChanged = TRUE; }
    void SetCheck(int) override {}
    void SetRadio(BOOL) override {}
    void SetText(LPCSTR) override {}
};
