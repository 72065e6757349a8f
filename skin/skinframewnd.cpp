#include "skin/skinframewnd.h"

IMPLEMENT_DYNCREATE(CSkinFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CSkinFrameWnd, CSkinFrame<CFrameWnd>)
END_MESSAGE_MAP()

BOOL CSkinFrameWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                           LPCSTR menuName, DWORD exStyle, CCreateContext* context)
{
    if (menuName) {
        m_defaultMenu.LoadMenu(menuName);
        if (!m_defaultMenu.GetSafeHmenu()) {
            PostNcDestroy();
            return FALSE;
        }
    }
    m_strTitle = windowName ? windowName : "";
    // A failed creation has already run PostNcDestroy: nothing of this object
    // may be touched afterwards.
    if (!CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr, m_defaultMenu.GetSafeHmenu(), context))
        return FALSE;
    ApplyMenuBarBrush(m_defaultMenu.GetSafeHmenu());
    return TRUE;
}
