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

// A title separator (title flag 0x01 in m_titleFlags) with its own colours;
// kUseDefault (0xff000000) in a colour means the default colour.
class CSkinMenuItemDataTitle : public CSkinMenuItemData {
    DECLARE_DYNAMIC(CSkinMenuItemDataTitle)
public:
    enum : COLORREF { kUseDefault = 0xff000000 };

    COLORREF m_textColor = kUseDefault;
    COLORREF m_secondColor = kUseDefault;       // gradient end
    COLORREF m_backgroundColor = kUseDefault;
};

// The colours a title item is drawn in: its own where it has them, else the
// defaults (caption text, window tinted with the menu colour, active caption).
struct TitleColors {
    COLORREF text, second, background;
};
TitleColors GetTitleColors(const CSkinMenuItemData* item);
// The fixed font of titles (Arial, 16, bold), turned by the given angle.
LOGFONTA GetTitleLogFont(int escapement);

// The name of one accelerator entry as a menu shows it, e.g. "Ctrl+S".
CString AcceleratorText(const ACCEL& accel);
// The default accelerator table of the application's main frame, or null.
HACCEL GetMainFrameAccelerators();
