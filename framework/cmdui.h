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

// The command-update protocol over the items of an opening popup menu, as a
// frame runs it at WM_INITMENUPOPUP: separators are skipped, a cascaded popup
// is updated through its first item and never disabled, and any other item
// without a handler is disabled when autoDisable is set and its id is below
// 0xF000 (system commands keep their state). An update that removes items
// moves the position back so that no item is skipped or updated twice.
void AfxUpdateMenuPopupItems(CCmdTarget* target, CMenu* popup, CMenu* parentMenu, BOOL autoDisable);

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
