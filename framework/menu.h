// CMenu: a menu handle with a per-thread permanent map, so that owner-drawn
// items reach the object's DrawItem/MeasureItem.
#pragma once
#include <windows.h>
#include "framework/runtime.h"
#include "framework/gdi.h"

class CWnd;

class CMenu : public CObject {
    DECLARE_DYNCREATE(CMenu)
public:
    HMENU m_hMenu = nullptr;

    CMenu() = default;
    ~CMenu() override;
    operator HMENU() const { return AfxOpaquePointer(this) ? m_hMenu : nullptr; }
    HMENU GetSafeHmenu() const { return AfxOpaquePointer(this) ? m_hMenu : nullptr; }
    bool operator==(const CMenu& m) const { return m_hMenu == m.m_hMenu; }

    static CMenu* FromHandle(HMENU h);
    static CMenu* FromHandlePermanent(HMENU h);
    static void DeleteTempMap();
    BOOL Attach(HMENU h);
    HMENU Detach();

    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    BOOL LoadMenu(LPCSTR name);
    BOOL LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCEA(id)); }
    BOOL LoadMenuIndirect(const void* tmpl) { return Attach(::LoadMenuIndirectA(tmpl)); }
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr) { return ::AppendMenuA(m_hMenu, flags, id, item); }
    BOOL InsertMenu(UINT pos, UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr) {
        return ::InsertMenuA(m_hMenu, pos, flags, id, item);
    }
    BOOL ModifyMenu(UINT pos, UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr) {
        return ::ModifyMenuA(m_hMenu, pos, flags, id, item);
    }
    BOOL RemoveMenu(UINT pos, UINT flags) { return ::RemoveMenu(m_hMenu, pos, flags); }
    BOOL DeleteMenu(UINT pos, UINT flags) { return ::DeleteMenu(m_hMenu, pos, flags); }
    UINT EnableMenuItem(UINT id, UINT enable) { return ::EnableMenuItem(m_hMenu, id, enable); }
    UINT CheckMenuItem(UINT id, UINT check) { return ::CheckMenuItem(m_hMenu, id, check); }
    BOOL CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags) {
        return ::CheckMenuRadioItem(m_hMenu, first, last, item, flags);
    }
    BOOL SetDefaultItem(UINT item, BOOL byPos = FALSE) { return ::SetMenuDefaultItem(m_hMenu, item, byPos); }
    UINT GetDefaultItem(UINT flags, BOOL byPos = FALSE) { return ::GetMenuDefaultItem(m_hMenu, byPos, flags); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int pos) const { return ::GetMenuItemID(m_hMenu, pos); }
    UINT GetMenuState(UINT id, UINT flags) const { return ::GetMenuState(m_hMenu, id, flags); }
    int GetMenuString(UINT id, LPSTR s, int n, UINT flags) const { return ::GetMenuStringA(m_hMenu, id, s, n, flags); }
    BOOL GetMenuItemInfo(UINT item, LPMENUITEMINFOA info, BOOL byPos = FALSE) {
        return ::GetMenuItemInfoA(m_hMenu, item, byPos, info);
    }
    BOOL SetMenuItemInfo(UINT item, LPMENUITEMINFOA info, BOOL byPos = FALSE) {
        return ::SetMenuItemInfoA(m_hMenu, item, byPos, info);
    }
    BOOL GetMenuInfo(LPMENUINFO info) const { return ::GetMenuInfo(m_hMenu, info); }
    BOOL SetMenuInfo(LPCMENUINFO info) { return ::SetMenuInfo(m_hMenu, info); }
    CMenu* GetSubMenu(int pos) const { return FromHandle(::GetSubMenu(m_hMenu, pos)); }
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect = nullptr);
    BOOL TrackPopupMenuEx(UINT flags, int x, int y, CWnd* wnd, LPTPMPARAMS params);

    virtual void DrawItem(LPDRAWITEMSTRUCT di) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mi) {}
};

// The menu an opening popup belongs to, for the command-update protocol: the
// popup itself when it is the thread's tracking popup, else the menu (of the
// window's top-level parent's menu tree) that holds it as a submenu; null when
// none does.
CMenu* AfxFindParentMenu(HWND wnd, HMENU popup);
