#include "menu_window.h"
#include "skin/skinmenu.h"
#include "framework/wnd.h"
#include <algorithm>
#include <cstdio>
#include <vector>

static LRESULT CALLBACK MenuTestProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITMENUPOPUP:
        HandleInitMenuPopup(CWnd::FromHandle(wnd), CMenu::FromHandle((HMENU)wp), LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT* mis = (MEASUREITEMSTRUCT*)lp;
        if (mis->CtlType == ODT_MENU) {
            CSkinMenuItemData* d = (CSkinMenuItemData*)mis->itemData;
            // The menu holding the item: search every skinned menu in reach.
            HMENU roots[] = {GetMenu(wnd), GetSystemMenu(wnd, FALSE)};
            for (HMENU root : roots) {
                CSkinMenu* m = CSkinMenu::FromMenuHandle(root);
                if (!m) continue;
                std::vector<CSkinMenu*> todo = {m};
                while (!todo.empty()) {
                    CSkinMenu* cur = todo.back();
                    todo.pop_back();
                    for (CSkinMenuItemData* item : cur->GetItemData())
                        if (item == d) {
                            cur->MeasureItem(mis);
                            return TRUE;
                        }
                    for (HMENU s : cur->GetSubMenuHandles())
                        if (CSkinMenu* sm = CSkinMenu::FromMenuHandle(s)) todo.push_back(sm);
                }
            }
        }
        break;
    }
    case WM_DRAWITEM: {
        DRAWITEMSTRUCT* dis = (DRAWITEMSTRUCT*)lp;
        if (dis->CtlType == ODT_MENU) {
            if (CSkinMenu* m = CSkinMenu::FromMenuHandle((HMENU)dis->hwndItem)) {
                m->DrawItem(dis);
                return TRUE;
            }
        }
        break;
    }
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

HWND CreateMenuTestWindow(HMENU menuBar)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = MenuTestProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = "SkinMenuTestWindow";
        RegisterClassA(&wc);
        registered = true;
    }
    HWND wnd = CreateWindowExA(0, "SkinMenuTestWindow", "Skin menu test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               40, 40, 400, 300, nullptr, menuBar, GetModuleHandleA(nullptr), nullptr);
    return wnd;
}
