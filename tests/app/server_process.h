// Starts Halvex.exe from a fresh folder of its own and drives its main
// window from outside, as an operator or a second program would.
#pragma once
#include <windows.h>
#include <string>

class ServerProcess {
public:
    // A new folder under the build tree holding a copy of Halvex.exe and,
    // when `ini` is not empty, a Halvex.ini with that text.
    static std::string MakeFolder(const std::string& name, const std::string& ini);
    explicit ServerProcess(const std::string& folder) : m_folder(folder) {}
    ~ServerProcess();

    bool Start();
    // The main window once it is shown; null after the time-out.
    HWND WaitForMainWindow(DWORD timeoutMs = 30000);
    // Posts the Exit command and waits for the process to end; its exit code,
    // or -1 after the time-out.
    int Exit(DWORD timeoutMs = 30000);
    int WaitForEnd(DWORD timeoutMs);
    HANDLE Handle() const { return m_pi.hProcess; }
    const std::string& Folder() const { return m_folder; }

private:
    std::string m_folder;
    PROCESS_INFORMATION m_pi = {};
    HWND m_main = nullptr;
};

// Top-level window of the given process with that title, or null.
HWND FindProcessWindow(DWORD pid, const char* title);
std::string ReadFileText(const std::string& path);
