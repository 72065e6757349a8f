#include "skin/popuphook.h"
#include "skin/menutheme.h"
#include "skin/popupframe.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include <cstring>
#include <map>
#include <utility>

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
void SetLastKeyMessagePos(DWORD pos) { g_lastKeyPos = pos; }

static BOOL IsPopupMenuWindow(HWND wnd)
{
    char name[20] = "";
    return GetClassNameA(wnd, name, sizeof name) == (int)strlen(kPopupMenuWindowClass) &&
           lstrcmpA(name, kPopupMenuWindowClass) == 0;
}

// The menu a popup window shows, as far as the window can tell; null when it
// cannot (the system answers MN_GETHMENU only once the window is sized).
static HMENU OwnMenuOf(HWND wnd, HMENU createdFor)
{
    HMENU own = (HMENU)SendMessageA(wnd, 0x1E1 /* MN_GETHMENU */, 0, 0);
    return own ? own : createdFor;
}

static BOOL SubclassOnce(HWND wnd, BOOL shownAlready, HMENU createdFor)
{
    BOOL subclassed = FALSE;
    // An announcement that names another menu than the window's own was made
    // for a popup that never opened: it must not bind this one.
    if (HMENU own = OwnMenuOf(wnd, createdFor)) SetMenuBeingOpened(own);
    if (!GetMenuHookData(wnd)) {
        HMENU menu = GetMenuBeingOpened();
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

BOOL SubclassPopupMenuWindow(HWND wnd, BOOL shownAlready, HMENU createdFor)
{
    // Other windows (the thread's IME window, the owner's controls) are no
    // attempt: the announcement waits for the popup it was made for.
    if (!IsPopupMenuWindow(wnd)) return FALSE;
    BOOL result = SubclassOnce(wnd, shownAlready, createdFor);
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
    delete data;
}

namespace {

// WM_NCPAINT of a handled window. Before the first erase the update region is
// kept and the screen under the window taken, and the system paints; after
// it the theme paints its frame round what the system paints inside it.
LRESULT OnNcPaint(HWND wnd, CMenuHookData* data, WNDPROC previous, WPARAM wParam, LPARAM lParam)
{
    CMenuTheme* theme = GetCurrentMenuTheme();
    bool printing = (data->state & CMenuHookData::kPrinting) != 0;
    if (!data->framePainted && (HRGN)wParam != (HRGN)data->updateRegion.GetSafeHandle()) {
        CRgn kept; // stays empty for the whole window (1)
        if (wParam != 1 && kept.CreateRectRgn(0, 0, 1, 1))
            ::CombineRgn(kept, (HRGN)wParam, nullptr, RGN_COPY);
        data->updateRegion = std::move(kept);
    }
    if (data->framePainted && theme->HasOwnBorder()) {
        CWindowDC dc(wnd);
        RECT inner;
        if (theme->DrawFrame(wnd, dc, 0) && theme->GetInnerRect(wnd, &inner)) {
            InflateRect(&inner, -1, -1);
            CRgn within;
            within.CreateRectRgnIndirect(&inner);
            LRESULT result = CallWindowProcA(previous, wnd, WM_NCPAINT, (WPARAM)(HRGN)within, lParam);
            theme->DrawFrame(wnd, dc, 1);
            return result;
        }
    } else if (!theme->HasOwnBorder()) {
        if (printing) return 0;
    } else if (!printing) {
        CapturePopupScreen(wnd, data);
    }
    return CallWindowProcA(previous, wnd, WM_NCPAINT, wParam, lParam);
}

// WM_PRINT of a handled window under a theme with its own border: the frame
// and the system's printing composed in a memory DC, then the client area
// printed again and put at its place.
LRESULT OnPrint(HWND wnd, CMenuHookData* data, WNDPROC previous, WPARAM wParam, LPARAM lParam)
{
    CMenuTheme* theme = GetCurrentMenuTheme();
    HDC target = (HDC)wParam;
    RECT window, client;
    ::GetWindowRect(wnd, &window);
    ::GetClientRect(wnd, &client);
    POINT offset = {0, 0};
    ::ClientToScreen(wnd, &offset);
    offset.x -= window.left;
    offset.y -= window.top;
    int width = window.right - window.left, height = window.bottom - window.top;
    data->state |= CMenuHookData::kPrinting;
    LRESULT result = 0;
    {
        CMemoryDC mem(target, width, height);
        theme->DrawFrame(wnd, mem, 0);
        RECT inner;
        if (theme->GetInnerRect(wnd, &inner)) {
            ::OffsetRect(&inner, -window.left, -window.top);
            InflateRect(&inner, -1, -1);
            CRgn clip;
            clip.CreateRectRgnIndirect(&inner);
            CSelectScope within(mem, clip);
            result = CallWindowProcA(previous, wnd, WM_PRINT, (WPARAM)(HDC)mem, lParam & ~PRF_NONCLIENT);
        }
        ::BitBlt(target, 0, 0, width, height, mem, 0, 0, SRCCOPY);
        CRgn clientClip;
        clientClip.CreateRectRgnIndirect(&client);
        CSelectScope within(mem, clientClip);
        SendMessageA(wnd, WM_ERASEBKGND, (WPARAM)(HDC)mem, 0);
        SendMessageA(wnd, WM_PRINTCLIENT, (WPARAM)(HDC)mem, lParam);
        ::BitBlt(target, offset.x, offset.y, client.right, client.bottom, mem, 0, 0, SRCCOPY);
    }
    if (CMenuHookData* still = GetMenuHookData(wnd)) still->state &= ~CMenuHookData::kPrinting;
    return result;
}

// Records where a popup was shown; a move alone means a new capture, a move
// with a new size that the window shows something else: it is let go.
void OnWindowPosChanged(HWND wnd, CMenuHookData* data, const WINDOWPOS* pos)
{
    if (!pos || (pos->flags & SWP_NOMOVE)) return;
    if (data->position.x == 0 && data->position.y == 0) {
        data->position = {pos->x, pos->y};
    } else if (data->position.x != pos->x || data->position.y != pos->y) {
        if (pos->flags & SWP_NOSIZE) {
            data->position = {pos->x, pos->y};
            data->capture = CBitmap();
        } else {
            ReleasePopupMenuWindow(wnd);
        }
    }
}

} // namespace

LRESULT CALLBACK PopupMenuWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CMenuHookData* data = GetMenuHookData(wnd);
    WNDPROC previous = (WNDPROC)GetPropA(wnd, kPropName);
    if (!previous && data) previous = data->previousProc;
    if (!previous) previous = DefWindowProcA;
    auto callPrevious = [&]() { return CallWindowProcA(previous, wnd, msg, wParam, lParam); };
    if (!data) return callPrevious();
    CMenuTheme* theme = GetCurrentMenuTheme();
    bool printing = (data->state & CMenuHookData::kPrinting) != 0;
    switch (msg) {
    case WM_ERASEBKGND:
        if (!data->handled) break;
        // The first erase: from now on the library paints the frame.
        if (theme->HasOwnBorder() && !printing && !data->framePainted) {
            data->framePainted = TRUE;
            SendMessageA(wnd, WM_NCPAINT, 1, 0);
        }
        if (theme->EraseBkgnd(wnd, (HDC)wParam)) return 1;
        break;
    case WM_SHOWWINDOW:
        if (!wParam) ReleasePopupMenuWindow(wnd);
        break;
    case WM_NCDESTROY:
        ReleasePopupMenuWindow(wnd);
        break;
    case WM_WINDOWPOSCHANGING:
        if (data->handled && lParam) theme->OnWindowPosChanging(wnd, (WINDOWPOS*)lParam);
        OnWindowPosChanged(wnd, data, (const WINDOWPOS*)lParam);
        break;
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(wnd, data, (const WINDOWPOS*)lParam);
        break;
    case WM_NCCALCSIZE:
        if (data->handled && lParam) theme->CalcFrameRect(wnd, (NCCALCSIZE_PARAMS*)lParam);
        break;
    case WM_NCPAINT:
        if (data->handled) return OnNcPaint(wnd, data, previous, wParam, lParam);
        break;
    case WM_PRINT:
        if (data->handled && theme->HasOwnBorder()) return OnPrint(wnd, data, previous, wParam, lParam);
        break;
    case WM_KEYDOWN:
        g_lastKeyPos = GetMessagePos();
        break;
    }
    return callPrevious();
}
