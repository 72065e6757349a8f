// Starts Halvex.exe from a fresh folder of its own and drives its main
// window from outside, as an operator or a second program would.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <string>
#include <vector>
#include "temp_folder.h"
#include "wait_until.h"

// The texts joined by " | ".
std::string Join(const std::vector<std::string>& items);

// Top-level window of the given process with that title, or null.
HWND FindProcessWindow(DWORD pid, const char* title);
// A simulated controller's clock ("dd.mm.yyyy hh:mm:ss") against this
// machine's local time, in seconds; huge for a text that is not a clock.
long long SecondsFromNow(const std::string& clock);
// A value of the folder's Halvex.ini, "<missing>" when the key is not there.
std::string Profile(const std::string& folder, const char* section, const char* key);

// ---- windows of another process -------------------------------------------

// A control of any depth under `parent` with that id and window class.
HWND FindChildControl(HWND parent, int id, const char* className);
// The visible dialog windows (class "#32770") of the process, message boxes
// included, in z-order.
std::vector<HWND> ProcessDialogs(DWORD pid);
// The window's own text and those of its children, one line each: what a
// message box or a dialog says.
std::string WindowTexts(HWND window);
// The visible popup menu window (class "#32768") of the process, or null.
HWND FindProcessMenu(DWORD pid);
// The first visible dialog of the process whose texts contain `text`; null
// after the time-out.
HWND WaitForProcessDialog(DWORD pid, const std::string& text, DWORD timeoutMs = 10000);
// Posts the click of button `id` to the dialog (posted: the handler may open
// a modal box of its own); true when the dialog then closes in time.
bool PressButton(HWND dialog, int id, DWORD closeTimeoutMs = 10000);

// Memory inside another process for one structure and the text it points
// to: the control messages that take pointers are not carried across
// processes.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, size_t size) : m_process(process)
    {
        m_base = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock()
    {
        if (m_base)
            VirtualFreeEx(m_process, m_base, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* At(size_t offset) const { return static_cast<char*>(m_base) + offset; }
    bool Ok() const { return m_base != nullptr; }
    bool Write(size_t offset, const void* data, size_t size) const
    {
        SIZE_T done = 0;
        return m_base && WriteProcessMemory(m_process, At(offset), data, size, &done) && done == size;
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        SIZE_T done = 0;
        return m_base && ReadProcessMemory(m_process, At(offset), data, size, &done) && done == size;
    }

private:
    HANDLE m_process;
    void* m_base;
};

// A tree view control of another process.
class RemoteTree {
public:
    RemoteTree(HANDLE process, HWND tree) : m_process(process), m_tree(tree) {}
    HWND Window() const { return m_tree; }
    std::vector<HTREEITEM> Roots() const;
    std::vector<HTREEITEM> Children(HTREEITEM item) const;
    std::string Text(HTREEITEM item) const;
    int Image(HTREEITEM item) const;      // -1 when it cannot be read
    bool Expanded(HTREEITEM item) const;
    bool ItemRect(HTREEITEM item, RECT* rect) const; // of its text, client coordinates
    int Count() const;                    // all items, at any depth
    HTREEITEM Selected() const;
    bool Select(HTREEITEM item) const;    // null clears the selection
    std::vector<std::string> RootTexts() const;
    HTREEITEM FindRoot(const std::string& text) const; // null when none

private:
    bool GetItem(TVITEMA& item, std::string* text) const;
    HANDLE m_process;
    HWND m_tree;
};

// A report-style list view control of another process.
class RemoteList {
public:
    RemoteList(HANDLE process, HWND list) : m_process(process), m_list(list) {}
    HWND Window() const { return m_list; }
    int Count() const;                  // -1 when the server does not answer
    std::string Text(int row, int column) const;
    int Image(int row) const;           // -1 when it cannot be read
    // The first row in view and how many rows the list shows at once.
    int TopIndex() const;
    int RowsPerPage() const;
    std::vector<std::string> Row(int row, int columns) const;
    std::vector<std::string> Column(int column) const; // every row's cell
    std::string Heading(int column) const;             // empty past the last

private:
    HANDLE m_process;
    HWND m_list;
};

// A program started from a folder of its own under the build tree and
// watched from outside. A process still running when the object goes is ended.
class ProgramProcess {
public:
    // <binary dir>\<root>\<name>, emptied of the files an earlier run left
    // there, with a copy of the program (`program` relative to the binary dir).
    static std::string FreshFolder(const std::string& root, const std::string& name, const std::string& program);
    ProgramProcess(const std::string& folder, const std::string& exeName) : m_folder(folder), m_exeName(exeName) {}
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // The copy in the folder, with the folder as its working directory (a
    // process of an earlier start is ended first).
    bool Start(const std::string& arguments = "");
    // The exit code, or -1 after the time-out.
    int WaitForEnd(DWORD timeoutMs);
    HANDLE Handle() const { return m_pi.hProcess; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    const std::string& Folder() const { return m_folder; }

protected:
    void Release();
    std::string m_folder;
    std::string m_exeName;
    PROCESS_INFORMATION m_pi = {};
};

class ServerProcess : public ProgramProcess {
public:
    // A new folder under the build tree holding a copy of Halvex.exe and,
    // when `ini` is not empty, a Halvex.ini with that text. Files an earlier
    // run left there (settings, registration files, databases) are removed.
    static std::string MakeFolder(const std::string& name, const std::string& ini);
    explicit ServerProcess(const std::string& folder) : ProgramProcess(folder, "Halvex.exe") {}

    // The main window once it is shown; null after the time-out.
    HWND WaitForMainWindow(DWORD timeoutMs = 30000);
    // Start, then WaitForMainWindow; null when either fails.
    HWND StartForMainWindow(const std::string& arguments = "");
    // Posts the Exit command and waits for the process to end; its exit code,
    // or -1 after the time-out.
    int Exit(DWORD timeoutMs = 30000);
    HWND Main() const { return m_main; }

    // A top-level window of the server with that title, waited for.
    HWND WaitForWindow(const char* title, DWORD timeoutMs = 10000);
    // The control of the main window (at any depth) with that id, or null.
    HWND Control(int id);

    // List and tree controls of the server, read through its own memory.
    RemoteList List(HWND list) const { return RemoteList(m_pi.hProcess, list); }
    RemoteTree Tree(HWND tree) const { return RemoteTree(m_pi.hProcess, tree); }

private:
    HWND m_main = nullptr;
};
