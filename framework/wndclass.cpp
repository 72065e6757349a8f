#include "framework/wnd.h"
#include "framework/sync.h"
#include <cstdio>
#include <set>
#include <string>

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    char name[96];
    std::snprintf(name, sizeof name, "Afx:%p:%x:%p:%p:%p", (void*)::GetModuleHandleA(nullptr), classStyle,
                  (void*)cursor, (void*)background, (void*)icon);
    // One class per attribute set, registered once per process; the names
    // live as long as the process, so callers may keep the pointer.
    static CCriticalSection lock;
    static std::set<std::string> registered;
    CSingleLock hold(&lock, TRUE);
    auto found = registered.find(name);
    if (found != registered.end()) return found->c_str();
    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    WNDCLASSA existing;
    if (!::GetClassInfoA(wc.hInstance, name, &existing) && !::RegisterClassA(&wc)) return nullptr;
    return registered.insert(name).first->c_str();
}
