// The item data of every owner-drawn menu item: what the system menu no longer
// keeps once the item is owner-drawn.
#pragma once
#include "framework/framework.h"
#include <windows.h>

class CSkinMenuIcons;

class CSkinMenuItemData : public CObject {
    DECLARE_DYNAMIC(CSkinMenuItemData)
public:
    CSkinMenuItemData() = default;
    ~CSkinMenuItemData() override;

    // The text to show: the label, with the accelerator text of the table
    // appended after a tab (null: no accelerator; -1: the main frame's table).
    virtual CString GetShowText(HACCEL accel) const;
    virtual void SetString(LPCSTR text);

    CString m_text;
    UINT m_titleFlags = 0;
    UINT m_menuFlags = 0;
    UINT_PTR m_id = 0;              // submenu handle for MF_POPUP items
    BOOL m_used = FALSE;            // reuse mark of a conversion
    CSkinMenuIcons* m_icons = nullptr;
    int m_iconIndex = -1;
};

// The name of one accelerator entry as a menu shows it, e.g. "Ctrl+S".
CString AcceleratorText(const ACCEL& accel);
// The default accelerator table of the application's main frame, or null.
HACCEL GetMainFrameAccelerators();
