#include "framework/cmdui.h"
#include "framework/gdiscope.h"
#include "framework/menu.h"
#include "framework/wnd.h"

// Menu items are addressed by position, so items sharing an id stay apart.
void CCmdUI::Enable(BOOL on) {
    if (m_pMenu) {
        if (!m_pSubMenu)
            m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther) {
        if (!on && ::GetFocus() == m_pOther->m_hWnd) ::SetFocus(::GetParent(m_pOther->m_hWnd));
        m_pOther->EnableWindow(on);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check) {
    if (m_pMenu) {
        if (!m_pSubMenu) m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_pOther && (m_pOther->SendMessage(WM_GETDLGCODE) & DLGC_BUTTON)) {
        m_pOther->SendMessage(BM_SETCHECK, check);
    }
}

namespace {
// The radio dot a menu shows for an item that SetRadio checked: one bitmap of
// the check-mark size for the whole process, made on first use.
HBITMAP MenuDotBitmap() {
    static CBitmap dot;
    if (!dot.GetSafeHandle()) {
        RECT r = {0, 0, ::GetSystemMetrics(SM_CXMENUCHECK), ::GetSystemMetrics(SM_CYMENUCHECK)};
        if (!dot.CreateBitmap(r.right, r.bottom, 1, 1, nullptr)) return nullptr;
        CMemoryDC dc(nullptr, dot);
        ::DrawFrameControl(dc, &r, DFC_MENU, DFCS_MENUBULLET);
    }
    return dot;
}
}  // namespace

// As a check mark, but a menu item shows the radio dot: it becomes the item's
// checked bitmap.
void CCmdUI::SetRadio(BOOL on) {
    SetCheck(on ? 1 : 0);
    if (m_pMenu && !m_pSubMenu) ::SetMenuItemBitmaps(m_pMenu->m_hMenu, m_nIndex, MF_BYPOSITION, nullptr, MenuDotBitmap());
}

void CCmdUI::SetText(LPCSTR text) {
    if (m_pMenu) {
        if (m_pSubMenu) return;
        UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, text);
    } else if (m_pOther) {
        m_pOther->SetWindowText(text);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
    m_bEnableChanged = FALSE;
    BOOL handled = target->OnCmdMsg(m_nID, (int)CN_UPDATE_COMMAND_UI, this, nullptr);
    if (!handled && disableIfNoHandler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info = {};
        Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
        handled = TRUE;
    }
    return handled;
}

void AfxUpdateMenuPopupItems(CCmdTarget* target, CMenu* popup, CMenu* parentMenu, BOOL autoDisable) {
    CCmdUI state;
    state.m_pMenu = popup;
    state.m_pParentMenu = parentMenu;
    state.m_nIndexMax = (UINT)popup->GetMenuItemCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        UINT id = popup->GetMenuItemID((int)state.m_nIndex);
        if (id == 0) continue;  // separator
        if (id == (UINT)-1) {
            CMenu* sub = popup->GetSubMenu((int)state.m_nIndex);
            if (!sub) continue;
            UINT first = sub->GetMenuItemID(0);
            if (first == 0 || first == (UINT)-1) continue;
            state.m_pSubMenu = sub;
            state.m_nID = first;
            state.DoUpdate(target, FALSE);
        } else {
            state.m_pSubMenu = nullptr;
            state.m_nID = id;
            state.DoUpdate(target, autoDisable && id < 0xF000);
        }
        UINT count = (UINT)popup->GetMenuItemCount();
        if (count < state.m_nIndexMax) {
            state.m_nIndex -= state.m_nIndexMax - count;
            while (state.m_nIndex < count && popup->GetMenuItemID((int)state.m_nIndex) == state.m_nID)
                ++state.m_nIndex;
        }
        state.m_nIndexMax = count;
    }
}
