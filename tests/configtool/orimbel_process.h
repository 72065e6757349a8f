// Starts Orimbel.exe from a folder of its own with a clean registry key and
// drives it from outside, as a user (or the shell) would: commands, the page
// tree, the page controls, message boxes, files opened through the shell's
// DDE conversation and documents saved to their path.
#pragma once
#include <winsock2.h>
#include "server_process.h"
#include <functional>
#include <string>
#include <vector>

// The tool's registry key (HKCU) and its values.
extern const char* const OrimbelKey;
void DeleteOrimbelKey();
bool WriteOrimbelString(const char* section, const char* value, const std::string& data);
bool WriteOrimbelInt(const char* section, const char* value, DWORD data);
bool WriteOrimbelBytes(const char* section, const char* value, const std::string& data);
// -1 when the value is missing.
long long ReadOrimbelInt(const char* section, const char* value);
// "<missing>" when the value is missing or not a string.
std::string ReadOrimbelString(const char* section, const char* value);
// "<missing>" when the value is missing or not raw bytes.
std::string ReadOrimbelBytes(const char* section, const char* value);

std::string ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
// The 38 bytes of a document holding these thirteen words (496 first).
std::string DocumentBytes(const std::vector<WORD>& words);
std::vector<WORD> SameWords(WORD word);
// The words of a saved document, empty when the file is not one.
std::vector<WORD> WordsOf(const std::string& bytes);

// Pumps nothing: polls until done() or the time-out.
template <class Done>
bool WaitFor(Done done, DWORD timeoutMs = 10000) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

class OrimbelProcess : public ProgramProcess {
public:
    // A folder under the build tree holding a copy of Orimbel.exe; files an
    // earlier run left there are removed.
    static std::string MakeFolder(const std::string& name);
    explicit OrimbelProcess(const std::string& folder) : ProgramProcess(folder, "Orimbel.exe") {}
    // Clears the registry key, lets `prepare` write what the run needs,
    // starts the tool and waits for its main window.
    bool Launch(const std::function<void()>& prepare = nullptr);

    // The main window once shown (title "Zavora21"); null after the time-out.
    HWND WaitForMainWindow(DWORD timeoutMs = 30000);
    // Closes the main window (Exit) and waits; the exit code, or -1.
    int Exit(DWORD timeoutMs = 30000);
    HWND Main() const { return m_main; }
    std::string Path(const std::string& name) const { return m_folder + "\\" + name; }

    void Command(UINT id) const;

    // Through the shell's DDE conversation: [open("path")].
    bool OpenByShell(const std::string& path) const;
    // Removes the file, posts Save and waits until the document was written
    // there: false when it was not (saved elsewhere, or not at all).
    bool SaveAndWait(const std::string& path, DWORD timeoutMs = 10000) const;

    HWND Tree() const;
    // The page pane on the right (a dialog window), null while none.
    HWND Page() const;
    HWND PageControl(int id) const;
    // Selects the tree item with that text and waits for the new page.
    bool ShowPage(const std::string& itemText) const;
    int ComboSelection(int id) const;
    // Selects item index in a page's combo as a user would: the list
    // selection, then the change notification to the page.
    bool ChooseComboItem(int id, int index) const { return ChooseItem(PageControl(id), index); }
    bool Checked(int id) const;
    void Click(int id) const;
    std::string PageText(int id) const;
    // A control of the status bar.
    HWND BarControl(int id) const;
    bool ChooseBarItem(int id, int index) const;

    // The visible dialogs (message boxes included) of the process.
    std::vector<HWND> Dialogs() const { return ProcessDialogs(m_pi.dwProcessId); }
    HWND WaitForDialog(const std::string& text, DWORD timeoutMs = 10000) const {
        return WaitForProcessDialog(m_pi.dwProcessId, text, timeoutMs);
    }
    // The dialog with that text answered with the button; its texts, or
    // "<none>" when it did not come.
    std::string Answer(const std::string& text, int button) const;
    // The texts of every dialog that showed up, each answered with its first
    // button: for checks that a box did not appear.
    std::vector<std::string> DismissDialogs() const;

    // The progress window of a transfer, null while none is open.
    HWND Progress() const;
    // The progress window has closed and the main window takes input again
    // (also true before a transfer has begun: wait for its start first).
    bool TransferEnded(DWORD timeoutMs = 15000) const;

    // The controller picker, opened by its command; null when it does not come.
    HWND OpenPicker() const;
    RemoteList PickerRows(HWND picker) const;
    // A click on the row of a list control, as the user picks it.
    bool ClickRow(HWND list, int row) const;
    // Opens the picker, picks the row with that name and presses OK.
    bool PickController(const std::string& name) const;

    std::string BarText(int id) const;

    RemoteList List(HWND list) const { return RemoteList(m_pi.hProcess, list); }
    RemoteTree RemoteTreeOf(HWND tree) const { return RemoteTree(m_pi.hProcess, tree); }

private:
    static bool ChooseItem(HWND combo, int index);
    HWND m_main = nullptr;
};
