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

    CString m_strText;
    UINT m_nTitleFlags = 0;
    UINT m_nMenuFlags = 0;
    UINT_PTR m_nID = 0;              // submenu handle for MF_POPUP items
    BOOL m_bUsed = FALSE;            // reuse mark of a conversion
    CSkinMenuIcons* m_pIcons = nullptr;
    int m_nIconIndex = -1;
};

// A title separator (title flag 0x01 in m_nTitleFlags) with its own colours;
// kUseDefault (0xff000000) in a colour means the default colour.
class CSkinMenuItemDataTitle : public CSkinMenuItemData {
    DECLARE_DYNAMIC(CSkinMenuItemDataTitle)
public:
    enum : COLORREF { kUseDefault = 0xff000000 };

    COLORREF m_clrText = kUseDefault;
    COLORREF m_clrSecond = kUseDefault;       // gradient end
    COLORREF m_clrBackground = kUseDefault;
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
