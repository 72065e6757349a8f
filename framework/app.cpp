#include "framework/app.h"
#include "framework/state.h"
#include <stdlib.h>
#include <string.h>
#include <vector>

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

namespace {
void Replace(LPCSTR& member, LPCSTR value) {
    free(const_cast<LPSTR>(member));
    member = value ? _strdup(value) : nullptr;
}

void FreeString(LPCSTR& member) {
    free(const_cast<LPSTR>(member));
    member = nullptr;
}

HKEY CreateSubKey(HKEY parent, LPCSTR name) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return h;
}
}  // namespace

CWinApp::CWinApp(LPCSTR lpszAppName) {
    if (lpszAppName)
        m_pszAppName = _strdup(lpszAppName);
    AfxGetModuleState()->m_pCurrentWinApp = this;
    AfxGetThreadState()->m_pCurrentThread = this;
    m_hThread = nullptr;  // the main thread is not ours to close
    m_nThreadID = GetCurrentThreadId();
    m_bAutoDelete = FALSE;
}

CWinApp::~CWinApp() {
    FreeString(m_pszAppName);
    FreeString(m_pszExeName);
    FreeString(m_pszHelpFilePath);
    FreeString(m_pszProfileName);
    FreeString(m_pszRegistryKey);
    if (m_atomApp) ::GlobalDeleteAtom(m_atomApp);
    if (m_atomSystemTopic) ::GlobalDeleteAtom(m_atomSystemTopic);
    AFX_MODULE_STATE* ms = AfxGetModuleState();
    if (ms->m_pCurrentWinApp == this)
        ms->m_pCurrentWinApp = nullptr;
}

void CWinApp::SetRegistryKey(LPCSTR lpszRegistryKey) {
    Replace(m_pszRegistryKey, lpszRegistryKey);
    Replace(m_pszProfileName, m_pszAppName);
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey) {
    CString key;
    key.LoadString(nIDRegistryKey);
    SetRegistryKey(key.GetString());
}

HKEY CWinApp::GetAppRegistryKey() {
    if (!m_pszRegistryKey || !m_pszProfileName)
        return nullptr;
    HKEY hSoftware = CreateSubKey(HKEY_CURRENT_USER, "Software");
    if (!hSoftware)
        return nullptr;
    HKEY hCompany = CreateSubKey(hSoftware, m_pszRegistryKey);
    RegCloseKey(hSoftware);
    if (!hCompany)
        return nullptr;
    HKEY hApp = CreateSubKey(hCompany, m_pszProfileName);
    RegCloseKey(hCompany);
    return hApp;
}

HKEY CWinApp::GetSectionKey(LPCSTR lpszSection) {
    HKEY hApp = GetAppRegistryKey();
    if (!hApp)
        return nullptr;
    HKEY hSection = CreateSubKey(hApp, lpszSection);
    RegCloseKey(hApp);
    return hSection;
}

UINT CWinApp::GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault) {
    if (m_pszRegistryKey) {
        HKEY h = GetSectionKey(lpszSection);
        if (!h)
            return nDefault;
        DWORD value = 0, type = 0, size = sizeof value;
        LONG r = RegQueryValueExA(h, lpszEntry, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size);
        RegCloseKey(h);
        return (r == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value) ? value : static_cast<UINT>(nDefault);
    }
    return GetPrivateProfileIntA(lpszSection, lpszEntry, nDefault, m_pszProfileName);
}

BOOL CWinApp::WriteProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nValue) {
    if (m_pszRegistryKey) {
        HKEY h = GetSectionKey(lpszSection);
        if (!h)
            return FALSE;
        DWORD value = static_cast<DWORD>(nValue);
        LONG r = RegSetValueExA(h, lpszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(h);
        return r == ERROR_SUCCESS;
    }
    char text[16];
    wsprintfA(text, "%d", nValue);
    return WritePrivateProfileStringA(lpszSection, lpszEntry, text, m_pszProfileName);
}

CString CWinApp::GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault) {
    if (m_pszRegistryKey) {
        HKEY h = GetSectionKey(lpszSection);
        CString result(lpszDefault);
        if (!h)
            return result;
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(h, lpszEntry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
            CString value;
            LPSTR p = value.GetBuffer(static_cast<int>(size) + 1);
            DWORD got = size;
            if (RegQueryValueExA(h, lpszEntry, nullptr, &type, reinterpret_cast<LPBYTE>(p), &got) == ERROR_SUCCESS) {
                p[got < size + 1 ? got : size] = '\0';
                value.ReleaseBuffer();
                result = value;
            }
        }
        RegCloseKey(h);
        return result;
    }
    // GetPrivateProfileString truncates silently: grow until the value fits.
    for (DWORD cap = 4096;; cap *= 4) {
        CString value;
        LPSTR p = value.GetBuffer(static_cast<int>(cap));
        DWORD n = GetPrivateProfileStringA(lpszSection, lpszEntry, lpszDefault ? lpszDefault : "", p, cap + 1,
                                           m_pszProfileName);
        if (n < cap || cap >= (1u << 24)) {
            value.ReleaseBuffer(static_cast<int>(n));
            return value;
        }
    }
}

BOOL CWinApp::WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue) {
    if (m_pszRegistryKey) {
        if (!lpszEntry) {
            HKEY hApp = GetAppRegistryKey();
            if (!hApp)
                return FALSE;
            LONG r = RegDeleteKeyA(hApp, lpszSection);
            RegCloseKey(hApp);
            return r == ERROR_SUCCESS;
        }
        HKEY h = GetSectionKey(lpszSection);
        if (!h)
            return FALSE;
        LONG r;
        if (!lpszValue)
            r = RegDeleteValueA(h, lpszEntry);
        else
            r = RegSetValueExA(h, lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                               static_cast<DWORD>(strlen(lpszValue) + 1));
        RegCloseKey(h);
        return r == ERROR_SUCCESS;
    }
    return WritePrivateProfileStringA(lpszSection, lpszEntry, lpszValue, m_pszProfileName);
}

// In an ini file a binary value is text: two letters per byte, 'A' plus the low
// nibble, then 'A' plus the high nibble.
BOOL CWinApp::GetProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE* ppData, UINT* pBytes) {
    if (!ppData || !pBytes)
        return FALSE;
    *ppData = nullptr;
    *pBytes = 0;
    if (m_pszRegistryKey) {
        HKEY h = GetSectionKey(lpszSection);
        if (!h)
            return FALSE;
        DWORD type = 0, size = 0;
        BOOL ok = FALSE;
        if (RegQueryValueExA(h, lpszEntry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY) {
            LPBYTE data = new BYTE[size ? size : 1];
            DWORD got = size;
            if (RegQueryValueExA(h, lpszEntry, nullptr, &type, data, &got) == ERROR_SUCCESS && got <= size) {
                *ppData = data;
                *pBytes = got;
                ok = TRUE;
            } else {
                delete[] data;
            }
        }
        RegCloseKey(h);
        return ok;
    }
    CString text = GetProfileString(lpszSection, lpszEntry, nullptr);
    int n = text.GetLength();
    if (n == 0 || n % 2 != 0)
        return FALSE;
    for (int i = 0; i < n; ++i)
        if (text[i] < 'A' || text[i] > 'P')
            return FALSE;  // not written by WriteProfileBinary
    LPBYTE data = new BYTE[static_cast<size_t>(n) / 2];
    for (int i = 0; i < n / 2; ++i)
        data[i] = static_cast<BYTE>((text[2 * i] - 'A') | ((text[2 * i + 1] - 'A') << 4));
    *ppData = data;
    *pBytes = static_cast<UINT>(n / 2);
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE pData, UINT nBytes) {
    if (m_pszRegistryKey) {
        HKEY h = GetSectionKey(lpszSection);
        if (!h)
            return FALSE;
        LONG r = RegSetValueExA(h, lpszEntry, 0, REG_BINARY, pData, nBytes);
        RegCloseKey(h);
        return r == ERROR_SUCCESS;
    }
    std::vector<char> text(static_cast<size_t>(nBytes) * 2 + 1);
    for (UINT i = 0; i < nBytes; ++i) {
        text[2 * i] = static_cast<char>('A' + (pData[i] & 0x0F));
        text[2 * i + 1] = static_cast<char>('A' + ((pData[i] >> 4) & 0x0F));
    }
    text[static_cast<size_t>(nBytes) * 2] = '\0';
    return WriteProfileString(lpszSection, lpszEntry, text.data());
}

CWinApp* AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }

HINSTANCE AfxGetInstanceHandle() {
    HINSTANCE h = AfxGetModuleState()->m_hCurrentInstanceHandle;
    return h ? h : GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    HINSTANCE h = AfxGetModuleState()->m_hCurrentResourceHandle;
    return h ? h : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hInstResource) { AfxGetModuleState()->m_hCurrentResourceHandle = hInstResource; }

namespace {
// The resource module (a language DLL) first, then the program.
template <class Holds> HINSTANCE FirstModuleHolding(Holds holds) {
    HINSTANCE res = AfxGetResourceHandle();
    if (res && holds(res))
        return res;
    HINSTANCE self = AfxGetInstanceHandle();
    if (self && self != res && holds(self))
        return self;
    return nullptr;
}
}  // namespace

HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType) {
    return FirstModuleHolding([&](HINSTANCE h) { return FindResourceA(h, lpszName, lpszType) != nullptr; });
}

HINSTANCE AfxFindStringResourceHandle(UINT nID) {
    // A block of 16 can exist without this entry: the entry itself must load.
    return FirstModuleHolding([&](HINSTANCE h) {
        LPCWSTR raw = nullptr;
        return FindResourceA(h, MAKEINTRESOURCEA((nID >> 4) + 1), (LPCSTR)RT_STRING) &&
               LoadStringW(h, nID, (LPWSTR)&raw, 0) > 0;
    });
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
    AFX_MODULE_STATE* ms = AfxGetModuleState();
    ms->m_hCurrentInstanceHandle = hInstance;
    if (!ms->m_hCurrentResourceHandle)
        ms->m_hCurrentResourceHandle = hInstance;
    CWinApp* app = ms->m_pCurrentWinApp;
    if (!app)
        return TRUE;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    app->m_nThreadID = GetCurrentThreadId();

    char path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(hInstance, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return FALSE;
    LPSTR name = strrchr(path, '\\');
    name = name ? name + 1 : path;
    CString exe(name);
    int dot = exe.ReverseFind('.');
    if (dot > 0)
        exe = exe.Left(dot);
    if (!app->m_pszExeName)
        app->m_pszExeName = _strdup(exe);
    if (!app->m_pszAppName) {
        CString title;
        app->m_pszAppName = _strdup(title.LoadString(0xE000) ? title.GetString() : exe.GetString());
    }
    if (!app->m_pszHelpFilePath) {
        CString help(path);
        int d = help.ReverseFind('.');
        if (d > 0)
            help = help.Left(d);
        app->m_pszHelpFilePath = _strdup(help + ".HLP");
    }
    if (!app->m_pszProfileName)
        app->m_pszProfileName = _strdup(exe + ".INI");
    return TRUE;
}
