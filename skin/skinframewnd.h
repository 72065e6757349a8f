// CSkinFrameWnd: the skinned frame window both programs build their main
// frames on. Its menu bar is a CSkinMenu loaded before the window exists.
#pragma once
#include "skin/skinframe.h"

class CSkinFrameWnd : public CSkinFrame<CFrameWnd> {
    DECLARE_DYNCREATE(CSkinFrameWnd)
public:
    CSkinFrameWnd() = default;

    // As CFrameWnd::Create, but the menu is loaded into the default CSkinMenu
    // (owner-drawn from the start) and gets the menu-bar brush. A menu that
    // does not load ends the frame (PostNcDestroy) and gives FALSE.
    BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCSTR menuName = nullptr,
                DWORD exStyle = 0, CCreateContext* context = nullptr) override;

    DECLARE_MESSAGE_MAP()
};
