// CTrayIcon: the server's icon in the notification area. It adds, changes
// and removes the icon, puts it back when the taskbar is re-created or the
// work area changes, and turns clicks on it into the tray menu (right
// button) or the menu's default command (left double click).
#pragma once
#include "framework/framework.h"
#include <shellapi.h>

class CTrayIcon : public CWnd
{
public:
    CTrayIcon();
    ~CTrayIcon() override;

    // Adds the icon (unless hidden on a shell without the hidden state).
    // tip is cut to 127 characters, the balloon text to 255 and its title to
    // 63. FALSE when the shell is too old or refuses the icon.
    BOOL Create(CWnd* parent, UINT callbackMessage, LPCSTR tip, HICON icon, UINT id, BOOL hidden = FALSE,
                LPCSTR balloonText = nullptr, LPCSTR balloonTitle = nullptr, DWORD balloonIconFlags = NIIF_NONE,
                UINT balloonSeconds = 10);
    BOOL SetIcon(HICON icon);
    // TRUE once the icon is gone from the notification area.
    BOOL RemoveIcon();
    // item is a position in the menu's first popup when byPosition, else a
    // command id. FALSE when the menu (resource = the icon's id) cannot be loaded.
    BOOL SetMenuDefaultItem(UINT item, BOOL byPosition);
    // Receives the menu commands; null means the application's main window.
    void SetTargetWnd(CWnd* target) { m_pTarget = target; }

    // The icon's callback message, forwarded by the window that gets it: 1
    // when handled, 0 otherwise.
    virtual LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);
    virtual void CustomizeMenu(CMenu*) {}

    const NOTIFYICONDATAA& NotifyData() const { return m_nid; }
    bool IsHidden() const { return m_bHidden; }
    bool IsRemoved() const { return m_bRemoved; }
    bool IsShowPending() const { return m_bShowIconPending; }

    // "TaskbarCreated", registered once per process.
    static const UINT WM_TASKBARCREATED;
    // Longest tip the shell takes, with its terminating zero.
    static int s_nMaxTipLength;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnTaskbarCreated(WPARAM, LPARAM);
    void OnSettingChange(UINT flags, LPCSTR section);
    DECLARE_MESSAGE_MAP()

private:
    void InstallIconPending();
    // The first popup of the tray menu, loaded into menu; null when missing.
    CMenu* LoadTrayMenu(CMenu& menu) const;
    CWnd* Target() const;

    NOTIFYICONDATAA m_nid;
    bool m_bEnabled;
    bool m_bHidden;
    bool m_bRemoved;
    bool m_bShowIconPending;
    bool m_bStateSupported;
    CWnd* m_pTarget;
    UINT m_nDefaultMenuItemID;
    BOOL m_bDefaultMenuItemByPos;
    UINT m_uCreationFlags;
};
