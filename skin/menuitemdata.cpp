#include "skin/menuitemdata.h"
#include "skin/menuicons.h"
#include "skin/drawing.h"
#include "framework/framework.h"
#include <vector>

IMPLEMENT_DYNAMIC(CSkinMenuItemData, CObject)
IMPLEMENT_DYNAMIC(CSkinMenuItemDataTitle, CSkinMenuItemData)

CSkinMenuItemData::~CSkinMenuItemData()
{
    CSkinMenuIcons::Release(m_pIcons);
}

void CSkinMenuItemData::SetString(LPCSTR text)
{
    m_strText = text ? text : "";
}

// Keys of the navigation block share their scan codes with the keypad; only the
// extended-key bit tells "Delete" from "Num Del".
static bool IsExtendedKey(WORD vk)
{
    switch (vk) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_DIVIDE: case VK_NUMLOCK:
        return true;
    default:
        return false;
    }
}

CString AcceleratorText(const ACCEL& a)
{
    CString s;
    if (a.fVirt & FALT) s += "Alt+";
    if (a.fVirt & FCONTROL) s += "Ctrl+";
    if (a.fVirt & FSHIFT) s += "Shift+";
    if (a.fVirt & FVIRTKEY) {
        LONG param = (LONG)(MapVirtualKeyA(a.key, 0) << 16);
        if (IsExtendedKey(a.key)) param |= 1 << 24;
        char name[64] = "";
        GetKeyNameTextA(param, name, sizeof name);
        s += name;
    } else {
        s += (char)a.key;
    }
    return s;
}

CString CSkinMenuItemData::GetShowText(HACCEL accel) const
{
    if (m_nMenuFlags & MF_POPUP) accel = nullptr;
    CString result = m_strText;
    int tab = m_strText.IsEmpty() ? -1 : m_strText.Find('\t');
    if (!accel) {
        if (tab >= 0) result = m_strText.Left(tab);
        return result;
    }
    if (tab >= 0) return result;
    if (accel == (HACCEL)-1) {
        accel = GetMainFrameAccelerators();
        if (!accel) return result;
    }
    int n = CopyAcceleratorTableA(accel, nullptr, 0);
    if (n <= 0) return result;
    std::vector<ACCEL> entries((size_t)n);
    CopyAcceleratorTableA(accel, entries.data(), n);
    CString keys;
    for (const ACCEL& a : entries) {
        if (a.cmd != (WORD)m_nID) continue;
        if (!keys.IsEmpty()) keys += ", ";
        keys += AcceleratorText(a);
    }
    if (!keys.IsEmpty()) {
        result += '\t';
        result += keys;
    }
    return result;
}

// The default table: the accelerators of the application's main window, when
// that is a frame.
HACCEL GetMainFrameAccelerators()
{
    CWinThread* thread = AfxGetApp();
    if (!thread) thread = AfxGetThread();
    CFrameWnd* frame = thread ? DYNAMIC_DOWNCAST(CFrameWnd, thread->GetMainWnd()) : nullptr;
    return frame ? frame->m_hAccelTable : nullptr;
}

TitleColors GetTitleColors(const CSkinMenuItemData* item)
{
    TitleColors c = {GetSysColor(COLOR_CAPTIONTEXT),
                     MixColors86To14(GetSysColor(COLOR_WINDOW), GetMenuBackgroundColor(nullptr)),
                     GetSysColor(COLOR_ACTIVECAPTION)};
    const CSkinMenuItemDataTitle* title = DYNAMIC_DOWNCAST(CSkinMenuItemDataTitle, const_cast<CSkinMenuItemData*>(item));
    if (!title) return c;
    if (title->m_clrText != CSkinMenuItemDataTitle::kUseDefault) c.text = title->m_clrText;
    if (title->m_clrSecond != CSkinMenuItemDataTitle::kUseDefault) c.second = title->m_clrSecond;
    if (title->m_clrBackground != CSkinMenuItemDataTitle::kUseDefault) c.background = title->m_clrBackground;
    return c;
}

LOGFONTA GetTitleLogFont(int escapement)
{
    LOGFONTA lf;
    ZeroMemory(&lf, sizeof lf);
    lf.lfHeight = 16;
    lf.lfWeight = FW_BOLD;
    lf.lfEscapement = lf.lfOrientation = escapement;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
    return lf;
}
