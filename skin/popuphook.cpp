#include "skin/popuphook.h"
#include "skin/menutheme.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include <cstring>
#include <map>

namespace {
const char kPropName[] = "OldMenuProc";
std::map<HWND, CMenuHookData*> g_windows;
DWORD g_lastKeyPos = 0;

// Whether the library works on a popup that shows this menu.
BOOL HandlesMenu(HMENU menu)
{
    return GetHandleAllMenus() || CSkinMenu::FromMenuHandle(menu) != nullptr;
}

void BindToMenu(CMenuHookData* data, HMENU menu)
{
    data->menu = menu;
    data->handled = HandlesMenu(menu);
}

} // namespace

CMenuHookData* GetMenuHookData(HWND wnd)
{
    auto it = g_windows.find(wnd);
    return it == g_windows.end() ? nullptr : it->second;
}

int GetSubclassedPopupCount() { return (int)g_windows.size(); }
DWORD GetLastKeyMessagePos() { return g_lastKeyPos; }

static BOOL IsPopupMenuWindow(HWND wnd)
{
    char name[20] = "";
    return GetClassNameA(wnd, name, sizeof name) == (int)strlen(kPopupMenuWindowClass) &&
           lstrcmpA(name, kPopupMenuWindowClass) == 0;
}

static BOOL SubclassOnce(HWND wnd, BOOL shownAlready)
{
    BOOL subclassed = FALSE;
    if (!GetMenuHookData(wnd)) {
        HMENU menu = GetMenuBeingOpened();
        if (!menu) {
            menu = (HMENU)SendMessageA(wnd, MN_GETHMENU, 0, 0);
            SetMenuBeingOpened(menu);
        }
        if (!CSkinMenu::FromMenuHandle(menu)) return FALSE;
        WNDPROC proc = (WNDPROC)GetWindowLongPtrA(wnd, GWLP_WNDPROC);
        if (!proc || GetPropA(wnd, kPropName)) return FALSE;
        SetPropA(wnd, kPropName, (HANDLE)proc);
        if (GetPropA(wnd, kPropName) != (HANDLE)proc) return FALSE;
        GlobalAddAtomA(kPropName);

        CMenuHookData* data = new CMenuHookData;
        data->state = shownAlready ? CMenuHookData::kShownAlready : 0;
        data->previousProc = proc;
        BindToMenu(data, menu);
        SetMenuBeingOpened(nullptr);
        data->savedStyle = (DWORD)GetWindowLongA(wnd, GWL_STYLE);
        data->savedExStyle = (DWORD)GetWindowLongA(wnd, GWL_EXSTYLE);
        g_windows[wnd] = data;
        SetLastError(0);
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, (LONG_PTR)PopupMenuWindowProc);
        GetCurrentMenuTheme()->OnInitWnd(wnd);
        subclassed = TRUE;
    }
    // A popup window the system reuses for another menu follows that menu.
    if (HMENU menu = GetMenuBeingOpened()) {
        if (CMenuHookData* data = GetMenuHookData(wnd)) {
            BindToMenu(data, menu);
            SetMenuBeingOpened(nullptr);
            GetCurrentMenuTheme()->OnInitWnd(wnd);
        }
    }
    return subclassed;
}

BOOL SubclassPopupMenuWindow(HWND wnd, BOOL shownAlready)
{
    // Other windows (the thread's IME window, the owner's controls) are no
    // attempt: the announcement waits for the popup it was made for.
    if (!IsPopupMenuWindow(wnd)) return FALSE;
    BOOL result = SubclassOnce(wnd, shownAlready);
    // The menu being opened serves this one attempt: left set, it would bind
    // the next, unrelated popup to the wrong menu.
    SetMenuBeingOpened(nullptr);
    return result;
}

void ReleasePopupMenuWindow(HWND wnd)
{
    CMenuHookData* data = GetMenuHookData(wnd);
    WNDPROC previous = (WNDPROC)GetPropA(wnd, kPropName);
    if (!previous && data) previous = data->previousProc;
    // A missing property must not leave the window without a procedure.
    if (previous) {
        SetLastError(0);
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, (LONG_PTR)previous);
    }
    if (RemovePropA(wnd, kPropName) || data) {
        if (ATOM atom = GlobalFindAtomA(kPropName)) GlobalDeleteAtom(atom);
    }
    if (!data) return;
    GetCurrentMenuTheme()->OnUnInitWnd(wnd);
    g_windows.erase(wnd);
    delete data;   // with its capture and saved region
}

LRESULT CALLBACK PopupMenuWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CMenuHookData* data = GetMenuHookData(wnd);
    WNDPROC previous = (WNDPROC)GetPropA(wnd, kPropName);
    if (!previous && data) previous = data->previousProc;
    auto callPrevious = [&]() {
        return previous ? CallWindowProcA(previous, wnd, msg, wParam, lParam)
                        : DefWindowProcA(wnd, msg, wParam, lParam);
    };
    if (!data) return callPrevious();
    switch (msg) {
    case WM_SHOWWINDOW:
        if (!wParam) ReleasePopupMenuWindow(wnd);
        break;
    case WM_NCDESTROY:
        ReleasePopupMenuWindow(wnd);
        break;
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED: {
        const WINDOWPOS* pos = (const WINDOWPOS*)lParam;
        if (msg == WM_WINDOWPOSCHANGED && pos && !(pos->flags & SWP_NOMOVE)) {
            if (data->position.x == 0 && data->position.y == 0) {
                data->position = {pos->x, pos->y};
            } else if (data->position.x != pos->x || data->position.y != pos->y) {
                if (pos->flags & SWP_NOSIZE) {
                    // Moved only: the screen under it is captured again later.
                    data->position = {pos->x, pos->y};
                    data->capture.reset();
                } else {
                    ReleasePopupMenuWindow(wnd);
                }
            }
        }
        break;
    }
    case WM_KEYDOWN:
        g_lastKeyPos = GetMessagePos();
        break;
    }
    // Frame, shadow, erase and print painting of the themes plug in here; until
    // then the system paints the popup's frame.
    return callPrevious();
}
