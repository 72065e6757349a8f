#include "server/services/SingleInstance.h"

namespace {
// The published block must outlive the checker object, which is a local of
// the start-up: the process holds it until it ends.
HANDLE g_publishedMapping = NULL;
HANDLE g_instanceMutex = NULL;
} // namespace

CSingleInstance::CSingleInstance(const char* applicationName)
    : m_applicationName(applicationName), m_lock(CreateMutexA(NULL, FALSE, NULL)), m_hMapping(NULL)
{
}

CSingleInstance::~CSingleInstance()
{
    if (m_hMapping != NULL)
        CloseHandle(m_hMapping);
    if (m_lock != NULL)
        CloseHandle(m_lock);
}

std::string CSingleInstance::MakeMappingName() const
{
    return "CSingleInstance_MMF_" + m_applicationName;
}

BOOL CSingleInstance::PreviousInstanceRunning()
{
    if (m_hMapping == NULL)
        m_hMapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, MakeMappingName().c_str());
    return m_hMapping != NULL;
}

HWND CSingleInstance::ActivatePrevious()
{
    if (m_hMapping == NULL)
        return NULL;
    void* view = MapViewOfFile(m_hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(DWORD));
    if (view == NULL) {
        CloseHandle(m_hMapping);
        m_hMapping = NULL;
        return NULL;
    }
    WaitForSingleObject(m_lock, INFINITE);
    HWND window = (HWND)(ULONG_PTR)(*static_cast<volatile DWORD*>(view));
    UnmapViewOfFile(view);
    if (window == NULL || !IsWindow(window)) {
        ReleaseMutex(m_lock);
        return NULL;
    }
    HWND popup = GetLastActivePopup(window);
    if (IsIconic(window) || !IsWindowVisible(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(popup);
    CloseHandle(m_hMapping);
    m_hMapping = NULL;
    ReleaseMutex(m_lock);
    return window;
}

BOOL CSingleInstance::PublishMainWindow(HWND mainWindow)
{
    if (PreviousInstanceRunning())
        return FALSE;
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(DWORD),
                                        MakeMappingName().c_str());
    if (mapping == NULL)
        return FALSE;
    if (GetLastError() == ERROR_ALREADY_EXISTS) { // another instance was quicker
        CloseHandle(mapping);
        return FALSE;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(DWORD));
    if (view == NULL) {
        CloseHandle(mapping);
        return FALSE;
    }
    if (g_publishedMapping != NULL)
        CloseHandle(g_publishedMapping);
    g_publishedMapping = mapping;
    WaitForSingleObject(m_lock, INFINITE);
    *static_cast<volatile DWORD*>(view) = (DWORD)(ULONG_PTR)mainWindow;
    UnmapViewOfFile(view);
    ReleaseMutex(m_lock);
    return TRUE;
}

BOOL AcquireInstanceMutex(const char* name)
{
    if (g_instanceMutex != NULL)
        return TRUE;
    HANDLE mutex = CreateMutexA(NULL, FALSE, name);
    if (mutex == NULL)
        return FALSE;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return FALSE;
    }
    g_instanceMutex = mutex;
    return TRUE;
}
