#include "server/services/SingleInstance.h"

namespace {
// The published block must outlive the checker object, which is a local of
// the start-up: the process holds it until it ends.
COwnedHandle g_publishedMapping;
COwnedHandle g_instanceMutex;
} // namespace

CSingleInstance::CSingleInstance(const char* applicationName)
    : m_strApplicationName(applicationName), m_hLock(CreateMutexA(nullptr, FALSE, nullptr))
{
}

CSingleInstance::~CSingleInstance() {}

std::string CSingleInstance::MakeMappingName() const
{
    return "CSingleInstance_MMF_" + m_strApplicationName;
}

BOOL CSingleInstance::PreviousInstanceRunning()
{
    if (!m_hMapping.IsValid())
        m_hMapping.Attach(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, MakeMappingName().c_str()));
    return m_hMapping.IsValid();
}

HWND CSingleInstance::ActivatePrevious()
{
    if (!m_hMapping.IsValid())
        return nullptr;
    void* view = MapViewOfFile(m_hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(DWORD));
    if (view == nullptr) {
        m_hMapping.Close();
        return nullptr;
    }
    WaitForSingleObject(m_hLock, INFINITE);
    HWND window = (HWND)(ULONG_PTR)(*static_cast<volatile DWORD*>(view));
    UnmapViewOfFile(view);
    if (window == nullptr || !IsWindow(window)) {
        ReleaseMutex(m_hLock);
        return nullptr;
    }
    HWND popup = GetLastActivePopup(window);
    if (IsIconic(window) || !IsWindowVisible(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(popup);
    m_hMapping.Close();
    ReleaseMutex(m_hLock);
    return window;
}

BOOL CSingleInstance::PublishMainWindow(HWND mainWindow)
{
    if (PreviousInstanceRunning())
        return FALSE;
    COwnedHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD),
                                            MakeMappingName().c_str()));
    if (!mapping.IsValid())
        return FALSE;
    if (GetLastError() == ERROR_ALREADY_EXISTS) // another instance was quicker
        return FALSE;
    void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(DWORD));
    if (view == nullptr)
        return FALSE;
    g_publishedMapping = std::move(mapping);
    WaitForSingleObject(m_hLock, INFINITE);
    *static_cast<volatile DWORD*>(view) = (DWORD)(ULONG_PTR)mainWindow;
    UnmapViewOfFile(view);
    ReleaseMutex(m_hLock);
    return TRUE;
}

BOOL AcquireInstanceMutex(const char* name)
{
    if (g_instanceMutex.IsValid())
        return TRUE;
    COwnedHandle mutex(CreateMutexA(nullptr, FALSE, name));
    if (!mutex.IsValid())
        return FALSE;
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return FALSE;
    g_instanceMutex = std::move(mutex);
    return TRUE;
}
