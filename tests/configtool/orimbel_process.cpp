#include "orimbel_process.h"
#include <ddeml.h>
#include <fstream>
#include <sstream>

const char* const OrimbelKey = "Software\\Veltrane\\Zavora21";

namespace {
std::string Key(const char* section) { return std::string(OrimbelKey) + "\\" + section; }

LRESULT Sent(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(wnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer)) return -1;
    return (LRESULT)answer;
}

struct IdSearch {
    int id;
    HWND found;
};

BOOL CALLBACK TakeWithId(HWND w, LPARAM p) {
    IdSearch* s = reinterpret_cast<IdSearch*>(p);
    if (GetDlgCtrlID(w) != s->id) return TRUE;
    s->found = w;
    return FALSE;
}

HWND ChildWithId(HWND parent, int id) {
    IdSearch search = {id, nullptr};
    EnumChildWindows(parent, TakeWithId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A client of the shell's conversation needs no callbacks of its own.
HDDEDATA CALLBACK NoDdeCallbacks(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

// ---- registry and files ------------------------------------------------------------

void DeleteOrimbelKey() { RegDeleteTreeA(HKEY_CURRENT_USER, OrimbelKey); }

bool WriteOrimbelString(const char* section, const char* value, const std::string& data) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, Key(section).c_str(), value, REG_SZ, data.c_str(),
                           (DWORD)data.size() + 1) == ERROR_SUCCESS;
}

bool WriteOrimbelInt(const char* section, const char* value, DWORD data) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, Key(section).c_str(), value, REG_DWORD, &data, sizeof data) ==
           ERROR_SUCCESS;
}

bool WriteOrimbelBytes(const char* section, const char* value, const std::string& data) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, Key(section).c_str(), value, REG_BINARY, data.data(),
                           (DWORD)data.size()) == ERROR_SUCCESS;
}

namespace {
// The value's bytes as stored, "<missing>" when it is missing or of another type.
std::string ReadOrimbelValue(const char* section, const char* value, DWORD type) {
    char data[256];
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, Key(section).c_str(), value, type, nullptr, data, &size) != ERROR_SUCCESS)
        return "<missing>";
    return std::string(data, size);
}
}  // namespace

std::string ReadOrimbelString(const char* section, const char* value) {
    std::string text = ReadOrimbelValue(section, value, RRF_RT_REG_SZ);
    return text.substr(0, text.find('\0'));
}

std::string ReadOrimbelBytes(const char* section, const char* value) {
    return ReadOrimbelValue(section, value, RRF_RT_REG_BINARY);
}

long long ReadOrimbelInt(const char* section, const char* value) {
    DWORD data = 0, size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, Key(section).c_str(), value, RRF_RT_REG_DWORD, nullptr, &data, &size) !=
        ERROR_SUCCESS)
        return -1;
    return data;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return (bool)out;
}

std::string DocumentBytes(const std::vector<WORD>& words) {
    std::string bytes("\x07Orimbel\x01\x00\x00\x00", 12);
    for (WORD w : words) {
        bytes += (char)(w & 0xFF);
        bytes += (char)(w >> 8);
    }
    return bytes;
}

std::vector<WORD> SameWords(WORD word) { return std::vector<WORD>(13, word); }

std::vector<WORD> WordsOf(const std::string& bytes) {
    std::vector<WORD> words;
    if (bytes.size() != 38 || bytes.compare(0, 12, std::string("\x07Orimbel\x01\x00\x00\x00", 12)) != 0) return words;
    for (size_t i = 12; i < 38; i += 2) words.push_back((WORD)((unsigned char)bytes[i] | ((unsigned char)bytes[i + 1] << 8)));
    return words;
}

// ---- the process ---------------------------------------------------------------------

std::string OrimbelProcess::MakeFolder(const std::string& name) {
    return FreshFolder("configtool-e2e", name, "configtool\\Orimbel.exe");
}

bool OrimbelProcess::Launch(const std::function<void()>& prepare) {
    DeleteOrimbelKey();
    if (prepare) prepare();
    return Start() && WaitForMainWindow();
}

HWND OrimbelProcess::WaitForMainWindow(DWORD timeoutMs) {
    m_main = nullptr;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND w = FindProcessWindow(m_pi.dwProcessId, "Zavora21");
        // Shown, with its first page made.
        if (w && IsWindowVisible(w) && FindChildControl(w, 0xE901, "#32770")) return m_main = w;
        if (WaitForSingleObject(m_pi.hProcess, 100) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

int OrimbelProcess::Exit(DWORD timeoutMs) {
    if (m_main) PostMessageA(m_main, WM_COMMAND, 57665, 0);
    return WaitForEnd(timeoutMs);
}

void OrimbelProcess::Command(UINT id) const { PostMessageA(m_main, WM_COMMAND, id, 0); }

bool OrimbelProcess::OpenByShell(const std::string& path) const {
    DWORD instance = 0;
    if (DdeInitializeA(&instance, NoDdeCallbacks, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return false;
    HSZ service = DdeCreateStringHandleA(instance, "Orimbel", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, "System", CP_WINANSI);
    bool done = false;
    if (HCONV conversation = DdeConnect(instance, service, topic, nullptr)) {
        std::string command = "[open(\"" + path + "\")]";
        HDDEDATA result = DdeClientTransaction((LPBYTE)command.c_str(), (DWORD)command.size() + 1, conversation,
                                               nullptr, 0, XTYP_EXECUTE, 10000, nullptr);
        done = result != nullptr;
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);
    DdeUninitialize(instance);
    return done;
}

bool OrimbelProcess::SaveAndWait(const std::string& path, DWORD timeoutMs) const {
    DeleteFileA(path.c_str());
    Command(0xE103);  // ID_FILE_SAVE
    return WaitFor([&] { return FileExists(path) && ReadBytes(path).size() >= 38; }, timeoutMs);
}

HWND OrimbelProcess::Tree() const {
    return m_main ? FindChildControl(m_main, 0xE900, "SysTreeView32") : nullptr;
}

HWND OrimbelProcess::Page() const { return m_main ? FindChildControl(m_main, 0xE901, "#32770") : nullptr; }

HWND OrimbelProcess::PageControl(int id) const {
    HWND page = Page();
    return page ? GetDlgItem(page, id) : nullptr;
}

bool OrimbelProcess::ShowPage(const std::string& itemText) const {
    RemoteTree tree(m_pi.hProcess, Tree());
    HTREEITEM target = nullptr;
    for (HTREEITEM root : tree.Roots()) {
        if (tree.Text(root) == itemText) target = root;
        for (HTREEITEM child : tree.Children(root))
            if (tree.Text(child) == itemText) target = child;
    }
    if (!target) return false;
    HWND before = Page();
    if (tree.Selected() == target) return true;
    tree.Select(target);
    return WaitFor([&] { return Page() && Page() != before; });
}

int OrimbelProcess::ComboSelection(int id) const { return (int)Sent(PageControl(id), CB_GETCURSEL, 0, 0); }

bool OrimbelProcess::ChooseItem(HWND combo, int index) {
    if (!combo) return false;
    Sent(combo, CB_SETCURSEL, (WPARAM)index, 0);
    return PostMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), (LPARAM)combo) !=
           FALSE;
}

bool OrimbelProcess::Checked(int id) const { return Sent(PageControl(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void OrimbelProcess::Click(int id) const { PostMessageA(PageControl(id), BM_CLICK, 0, 0); }

std::string OrimbelProcess::PageText(int id) const {
    char text[256] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(PageControl(id), WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}

HWND OrimbelProcess::BarControl(int id) const {
    HWND bar = m_main ? ChildWithId(m_main, 1001) : nullptr;
    return bar ? GetDlgItem(bar, id) : nullptr;
}

bool OrimbelProcess::ChooseBarItem(int id, int index) const { return ChooseItem(BarControl(id), index); }

std::string OrimbelProcess::BarText(int id) const {
    char text[256] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(BarControl(id), WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}

std::string OrimbelProcess::Answer(const std::string& text, int button) const {
    HWND box = WaitForDialog(text);
    if (!box) return "<none>";
    std::string all = WindowTexts(box);
    PressButton(box, button);
    return all;
}

HWND OrimbelProcess::Progress() const { return FindProcessWindow(m_pi.dwProcessId, "Transferring configuration"); }

bool OrimbelProcess::TransferEnded(DWORD timeoutMs) const {
    return WaitFor([&] { return !Progress() && IsWindowEnabled(m_main); }, timeoutMs);
}

HWND OrimbelProcess::OpenPicker() const {
    Command(32785);  // Select from Halvex
    return WaitForDialog("Select controller");
}

RemoteList OrimbelProcess::PickerRows(HWND picker) const {
    return List(FindChildControl(picker, 1030, "SysListView32"));
}

bool OrimbelProcess::ClickRow(HWND list, int row) const {
    RemoteBlock remote(m_pi.hProcess, sizeof(RECT));
    RECT rect = {LVIR_LABEL, 0, 0, 0};
    DWORD_PTR ok = 0;
    if (!remote.Write(0, &rect, sizeof rect) ||
        !SendMessageTimeoutA(list, LVM_GETITEMRECT, (WPARAM)row, (LPARAM)remote.At(0), SMTO_ABORTIFHUNG, 2000, &ok) ||
        !ok || !remote.Read(0, &rect, sizeof rect))
        return false;
    LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    // Taken once the list's selection mark is on the row.
    return WaitFor([&] { return Sent(list, LVM_GETSELECTIONMARK, 0, 0) == row; }, 5000);
}

bool OrimbelProcess::PickController(const std::string& name) const {
    HWND picker = OpenPicker();
    if (!picker) return false;
    RemoteList rows = PickerRows(picker);
    for (int row = 0, n = rows.Count(); row < n; ++row)
        if (rows.Text(row, 0) == name)
            return ClickRow(rows.Window(), row) && PressButton(picker, IDOK);
    PressButton(picker, IDCANCEL);
    return false;
}

std::vector<std::string> OrimbelProcess::DismissDialogs() const {
    std::vector<std::string> texts;
    for (HWND dialog : Dialogs()) {
        texts.push_back(WindowTexts(dialog));
        HWND first = FindWindowExA(dialog, nullptr, "Button", nullptr);
        PressButton(dialog, first ? GetDlgCtrlID(first) : IDOK, 2000);
    }
    return texts;
}
