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

// ---- PNG writer: uncompressed deflate blocks, enough for test screenshots.
static unsigned long Crc(const unsigned char* p, size_t n, unsigned long c = 0xffffffffUL)
{
    static unsigned long table[256];
    if (!table[1])
        for (unsigned long i = 0; i < 256; ++i) {
            unsigned long v = i;
            for (int k = 0; k < 8; ++k) v = v & 1 ? 0xedb88320UL ^ (v >> 1) : v >> 1;
            table[i] = v;
        }
    for (size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xff] ^ (c >> 8);
    return c;
}

static void Be32(std::vector<unsigned char>& v, unsigned long x)
{
    for (int s = 24; s >= 0; s -= 8) v.push_back((unsigned char)(x >> s));
}

static void Chunk(FILE* f, const char* type, const std::vector<unsigned char>& data)
{
    std::vector<unsigned char> c;
    Be32(c, (unsigned long)data.size());
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    Be32(c, Crc(c.data() + 4, c.size() - 4) ^ 0xffffffffUL);
    fwrite(c.data(), 1, c.size(), f);
}

bool SaveScreenPng(const char* path, const RECT& area)
{
    int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    int stride = (w * 3 + 3) / 4 * 4;
    std::vector<unsigned char> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        const unsigned char* row = (const unsigned char*)bits + (size_t)y * stride;
        for (int x = 0; x < w; ++x) {
            raw.push_back(row[3 * x + 2]);
            raw.push_back(row[3 * x + 1]);
            raw.push_back(row[3 * x]);
        }
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    std::vector<unsigned char> z = {0x78, 0x01};
    unsigned long a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t off = 0; off < raw.size() || off == 0; off += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - off);
        z.push_back(off + n >= raw.size() ? 1 : 0);
        z.push_back((unsigned char)(n & 0xff));
        z.push_back((unsigned char)(n >> 8));
        z.push_back((unsigned char)(~n & 0xff));
        z.push_back((unsigned char)((~n >> 8) & 0xff));
        z.insert(z.end(), raw.begin() + off, raw.begin() + off + n);
        if (off + n >= raw.size()) break;
    }
    Be32(z, (b << 16) | a);
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    static const unsigned char sig[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    fwrite(sig, 1, 8, f);
    std::vector<unsigned char> ihdr;
    Be32(ihdr, w);
    Be32(ihdr, h);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    Chunk(f, "IHDR", ihdr);
    Chunk(f, "IDAT", z);
    Chunk(f, "IEND", {});
    fclose(f);
    return true;
}

// ---- popups opened by a menu loop

std::string BuildTreePath(const char* name)
{
    const char* dir = getenv("HALVEX_BINARY_DIR");
    std::string path = std::string(dir ? dir : ".") + "\\" + name;
    for (char& ch : path)
        if (ch == '/') ch = '\\';
    return path;
}

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
