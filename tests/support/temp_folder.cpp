#include "temp_folder.h"

#include <windows.h>
#include <cstdio>

namespace {

// Removes the folder's files and subfolders, then the folder itself.
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(folder + name + "\\");
            } else {
                SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA((folder + name).c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

TempFolder::TempFolder()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static LONG counter = 0;
    char name[MAX_PATH + 64];
    // Process id and counter keep parallel programs and fixtures apart; a
    // name an earlier run left behind is skipped.
    for (;;) {
        snprintf(name, sizeof name, "%shalvex-test-%lu-%ld\\", base, GetCurrentProcessId(),
                 InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr))
            break;
    }
    m_path = name;
}

TempFolder::~TempFolder() { RemoveTree(m_path); }

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got)
        bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(h);
    return ok;
}
