// Starts Halvex.exe from a fresh folder of its own and drives its main
// window from outside, as an operator or a second program would.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

class ServerProcess {
public:
    // A new folder under the build tree holding a copy of Halvex.exe and,
    // when `ini` is not empty, a Halvex.ini with that text. Files an earlier
    // run left there (settings, registration files, databases) are removed.
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
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    const std::string& Folder() const { return m_folder; }

    // A top-level window of the server with that title, waited for.
    HWND WaitForWindow(const char* title, DWORD timeoutMs = 10000);
    // The control of the main window (at any depth) with that id, or null.
    HWND Control(int id);

    // List and tree controls of the server, read through its own memory.
    // A message the server does not answer within a few seconds reads as
    // -1 or nothing, so a hung server fails the test instead of stopping it.
    int ListCount(HWND list);
    std::string ListText(HWND list, int row, int column);
    int ListImage(HWND list, int row);
    // The first row in view and how many rows the list shows at once.
    int ListTopIndex(HWND list);
    int ListRowsPerPage(HWND list);
    struct TreeItem {
        HTREEITEM item;
        std::string text;
        int image;
    };
    std::vector<TreeItem> TreeRoots(HWND tree);
    bool SelectTreeItem(HWND tree, HTREEITEM item);

private:
    std::string m_folder;
    PROCESS_INFORMATION m_pi = {};
    HWND m_main = nullptr;
};

// Top-level window of the given process with that title, or null.
HWND FindProcessWindow(DWORD pid, const char* title);
std::string ReadFileText(const std::string& path);
