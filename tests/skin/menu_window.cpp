#include "menu_window.h"
#include "screen_png.h"
#include "build_tree_path.h"
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

// ---- popups opened by a menu loop

namespace {
struct Capture {
    OpenPopup seen;
    const char* png = nullptr;
    const RECT* context = nullptr;
    const std::function<void(const OpenPopup&)>* inspect = nullptr;
    int ticks = 0;
};
Capture* g_capture = nullptr;

bool AllOwnerDrawn(HMENU menu)
{
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE;
        if (!GetMenuItemInfoA(menu, i, TRUE, &mii) || !(mii.fType & MFT_OWNERDRAW)) return false;
    }
    return n > 0;
}

void CALLBACK CaptureTick(HWND, UINT, UINT_PTR, DWORD)
{
    Capture* c = g_capture;
    if (!c || c->seen.window) return;
    ++c->ticks;
    HWND popup = FindWindowA("#32768", nullptr);
    if (popup && IsWindowVisible(popup)) {
        c->seen.window = popup;
        c->seen.menu = (HMENU)SendMessageA(popup, 0x01E1 /* MN_GETHMENU */, 0, 0);
        GetWindowRect(popup, &c->seen.rect);
        c->seen.ownerDrawn = AllOwnerDrawn(c->seen.menu);
        if (c->inspect && *c->inspect) (*c->inspect)(c->seen);
        if (c->png) {
            RECT shot = c->seen.rect;
            if (c->context) UnionRect(&shot, &shot, c->context);
            InflateRect(&shot, 10, 10);
            RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
            IntersectRect(&shot, &shot, &screen);
            c->seen.saved = SaveScreenPng(BuildTreePath(c->png).c_str(), shot);
        }
        EndMenu();
    } else if (c->ticks > 100) {
        EndMenu();   // never opened: give up rather than hang
    }
}
} // namespace

OpenPopup CapturePopupMenu(const std::function<void()>& open, const char* png, const RECT* context,
                           const std::function<void(const OpenPopup&)>& inspect)
{
    // What the last menu loop left queued (its cancel messages) must not end this one.
    for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&m);
    Capture c;
    c.png = png;
    c.context = context;
    c.inspect = &inspect;
    g_capture = &c;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, CaptureTick);
    open();
    KillTimer(nullptr, timer);
    g_capture = nullptr;
    return c.seen;
}
