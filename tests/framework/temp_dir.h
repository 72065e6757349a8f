// A private scratch folder per test, removed with everything in it.
#pragma once
#include <windows.h>
#include <string>

class TempDir {
public:
    TempDir() {
        static LONG s_counter = 0;
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        char name[MAX_PATH + 64];
        wsprintfA(name, "%sfwtest-%lu-%ld", base, GetCurrentProcessId(), InterlockedIncrement(&s_counter));
        m_path = name;
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~TempDir() {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((m_path + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((m_path + "\\" + fd.cFileName).c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(m_path.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const char* name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// The whole file as bytes, read with plain Win32 (not the classes under test).
inline std::string ReadAllBytes(const std::string& path) {
    std::string bytes;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got)
        bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
}

inline void WriteAllBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}
