#include "temp_folder.h"

#include <windows.h>
#include <cstdio>

TempFolder::TempFolder()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static LONG counter = 0;
    char name[MAX_PATH];
    for (;;) {
        snprintf(name, sizeof name, "%shalvex-db-%lu-%ld\\", base, GetCurrentProcessId(),
                 InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr))
            break;
    }
    m_path = name;
}

TempFolder::~TempFolder()
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((m_path + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((m_path + fd.cFileName).c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(m_path.c_str());
}
