#include "server_process.h"
#include "framework/ids.h"
#include <functional>

namespace {
std::string BinaryDir()
{
    const char* dir = getenv("HALVEX_BINARY_DIR");
    return dir ? dir : ".";
}

// Every window (top-level, or child of `parent` at any depth) for which
// `match` holds, in z-order; with `first`, only the first.
struct WindowSearch {
    const std::function<bool(HWND)>& match;
    bool first;
    std::vector<HWND> found;
};

BOOL CALLBACK TakeMatching(HWND wnd, LPARAM param)
{
    WindowSearch* s = reinterpret_cast<WindowSearch*>(param);
    if (!s->match(wnd))
        return TRUE;
    s->found.push_back(wnd);
    return !s->first;
}

std::vector<HWND> Windows(HWND parent, const std::function<bool(HWND)>& match, bool first = false)
{
    WindowSearch s = { match, first, {} };
    if (parent)
        EnumChildWindows(parent, TakeMatching, reinterpret_cast<LPARAM>(&s));
    else
        EnumWindows(TakeMatching, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FirstWindow(HWND parent, const std::function<bool(HWND)>& match)
{
    std::vector<HWND> found = Windows(parent, match, true);
    return found.empty() ? nullptr : found.front();
}

DWORD ProcessOf(HWND wnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    return pid;
}

std::string ClassOf(HWND wnd)
{
    char name[64] = "";
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

// A visible top-level window of the process with that window class.
std::function<bool(HWND)> VisibleOfClass(DWORD pid, const char* className)
{
    return [=](HWND w) { return ProcessOf(w) == pid && ClassOf(w) == className && IsWindowVisible(w); };
}
} // namespace

HWND FindProcessWindow(DWORD pid, const char* title)
{
    return FirstWindow(nullptr, [&](HWND w) {
        char text[256] = "";
        GetWindowTextA(w, text, sizeof text);
        return ProcessOf(w) == pid && strcmp(text, title) == 0;
    });
}

std::string Join(const std::vector<std::string>& items)
{
    std::string all;
    for (const std::string& item : items)
        all += (all.empty() ? "" : " | ") + item;
    return all;
}

long long SecondsFromNow(const std::string& clock)
{
    SYSTEMTIME t = {};
    if (sscanf(clock.c_str(), "%hu.%hu.%hu %hu:%hu:%hu", &t.wDay, &t.wMonth, &t.wYear, &t.wHour, &t.wMinute,
               &t.wSecond) != 6)
        return 1LL << 40;
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME a, b;
    SystemTimeToFileTime(&t, &a);
    SystemTimeToFileTime(&now, &b);
    long long ta = ((long long)a.dwHighDateTime << 32) | a.dwLowDateTime;
    long long tb = ((long long)b.dwHighDateTime << 32) | b.dwLowDateTime;
    return (ta - tb) / 10000000;
}

std::string Profile(const std::string& folder, const char* section, const char* key)
{
    char value[512] = "";
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, (folder + "\\Halvex.ini").c_str());
    return value;
}

std::string ProgramProcess::FreshFolder(const std::string& root, const std::string& name, const std::string& program)
{
    std::string folder = BinaryDir() + "\\" + root + "\\" + name;
    CreateDirectoryA((BinaryDir() + "\\" + root).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::string exe = program.substr(program.find_last_of('\\') + 1);
    CopyFileA((BinaryDir() + "\\" + program).c_str(), (folder + "\\" + exe).c_str(), FALSE);
    return folder;
}

std::string ServerProcess::MakeFolder(const std::string& name, const std::string& ini)
{
    std::string folder = FreshFolder("app-e2e", name, "server\\app\\Halvex.exe");
    if (!ini.empty())
        WriteFileBytes(folder + "\\Halvex.ini", ini);
    return folder;
}

ProgramProcess::~ProgramProcess()
{
    Release();
}

void ProgramProcess::Release()
{
    if (m_pi.hProcess) {
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_pi.hProcess, 99);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
    m_pi = {};
}

bool ProgramProcess::Start(const std::string& arguments)
{
    Release();
    std::string exe = m_folder + "\\" + m_exeName;
    STARTUPINFOA si = { sizeof(si) };
    std::string cmd = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    return CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(), &si, &m_pi) !=
           FALSE;
}

HWND ServerProcess::StartForMainWindow(const std::string& arguments)
{
    return Start(arguments) ? WaitForMainWindow() : nullptr;
}

HWND ServerProcess::WaitForMainWindow(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND w = FindProcessWindow(m_pi.dwProcessId, "Halvex");
        if (w && IsWindowVisible(w))
            return m_main = w;
        if (WaitForSingleObject(m_pi.hProcess, 100) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}

int ProgramProcess::WaitForEnd(DWORD timeoutMs)
{
    if (WaitForSingleObject(m_pi.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_pi.hProcess, &code);
    return (int)code;
}

int ServerProcess::Exit(DWORD timeoutMs)
{
    HWND w = m_main ? m_main : FindProcessWindow(m_pi.dwProcessId, "Halvex");
    if (w)
        PostMessageA(w, WM_COMMAND, ID_APP_EXIT, 0);
    return WaitForEnd(timeoutMs);
}

HWND ServerProcess::WaitForWindow(const char* title, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND w = FindProcessWindow(m_pi.dwProcessId, title);
        if (w && IsWindowVisible(w))
            return w;
        if (GetTickCount() - start >= timeoutMs || WaitForSingleObject(m_pi.hProcess, 50) == WAIT_OBJECT_0)
            return nullptr;
    }
}

namespace {
const UINT AnswerTimeoutMs = 5000;

bool Ask(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(wnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, AnswerTimeoutMs, &answer))
        return false;
    result = (LRESULT)answer;
    return true;
}

const size_t TextRoom = 512;
} // namespace

HWND ServerProcess::Control(int id)
{
    HWND main = m_main ? m_main : FindProcessWindow(m_pi.dwProcessId, "Halvex");
    return main ? FirstWindow(main, [id](HWND w) { return GetDlgCtrlID(w) == id; }) : nullptr;
}

// ---- windows of another process -------------------------------------------

namespace {
std::string TextOf(HWND wnd)
{
    char text[1024] = "";
    // Bounded: a window of a busy process must not hang the caller.
    DWORD_PTR length = 0;
    SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}
} // namespace

HWND FindChildControl(HWND parent, int id, const char* className)
{
    return FirstWindow(parent,
                       [&](HWND w) { return GetDlgCtrlID(w) == id && _stricmp(ClassOf(w).c_str(), className) == 0; });
}

std::vector<HWND> ProcessDialogs(DWORD pid)
{
    return Windows(nullptr, VisibleOfClass(pid, "#32770"));
}

std::string WindowTexts(HWND window)
{
    std::string all = TextOf(window) + "\n";
    for (HWND child : Windows(window, [](HWND) { return true; }))
        all += TextOf(child) + "\n";
    return all;
}

HWND FindProcessMenu(DWORD pid)
{
    return FirstWindow(nullptr, VisibleOfClass(pid, "#32768"));
}

HWND WaitForProcessDialog(DWORD pid, const std::string& text, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        for (HWND dialog : ProcessDialogs(pid))
            if (WindowTexts(dialog).find(text) != std::string::npos)
                return dialog;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

bool PressButton(HWND dialog, int id, DWORD closeTimeoutMs)
{
    HWND button = GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
    DWORD start = GetTickCount();
    while (IsWindow(dialog) && IsWindowVisible(dialog)) {
        if (GetTickCount() - start >= closeTimeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

namespace {
// A message the server does not answer within a few seconds gives 0.
LRESULT Sent(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    return Ask(wnd, msg, wParam, lParam, result) ? result : 0;
}

HTREEITEM NextItem(HWND tree, UINT relation, HTREEITEM item)
{
    return (HTREEITEM)Sent(tree, TVM_GETNEXTITEM, relation, (LPARAM)item);
}
} // namespace

bool RemoteTree::GetItem(TVITEMA& item, std::string* text) const
{
    RemoteBlock remote(m_process, sizeof item + TextRoom);
    if (text) {
        item.mask |= TVIF_TEXT;
        item.pszText = remote.At(0) + sizeof item;
        item.cchTextMax = (int)TextRoom;
    }
    if (!remote.Write(0, &item, sizeof item) ||
        !Sent(m_tree, TVM_GETITEMA, 0, (LPARAM)remote.At(0)) || !remote.Read(0, &item, sizeof item))
        return false;
    if (text) {
        char buffer[TextRoom] = "";
        if (!remote.Read(sizeof item, buffer, TextRoom))
            return false;
        buffer[TextRoom - 1] = 0;
        *text = buffer;
    }
    return true;
}

std::vector<HTREEITEM> RemoteTree::Roots() const
{
    std::vector<HTREEITEM> items;
    for (HTREEITEM item = NextItem(m_tree, TVGN_ROOT, nullptr); item; item = NextItem(m_tree, TVGN_NEXT, item))
        items.push_back(item);
    return items;
}

std::vector<HTREEITEM> RemoteTree::Children(HTREEITEM parent) const
{
    std::vector<HTREEITEM> items;
    for (HTREEITEM item = NextItem(m_tree, TVGN_CHILD, parent); item; item = NextItem(m_tree, TVGN_NEXT, item))
        items.push_back(item);
    return items;
}

std::string RemoteTree::Text(HTREEITEM handle) const
{
    TVITEMA item = {};
    item.hItem = handle;
    std::string text;
    return GetItem(item, &text) ? text : std::string("<unreadable>");
}

int RemoteTree::Image(HTREEITEM handle) const
{
    TVITEMA item = {};
    item.mask = TVIF_IMAGE;
    item.hItem = handle;
    return GetItem(item, nullptr) ? item.iImage : -1;
}

bool RemoteTree::Expanded(HTREEITEM item) const
{
    return (Sent(m_tree, TVM_GETITEMSTATE, (WPARAM)item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

bool RemoteTree::ItemRect(HTREEITEM item, RECT* rect) const
{
    // The item goes in where the rectangle comes out.
    RemoteBlock remote(m_process, sizeof(RECT) + sizeof(HTREEITEM));
    return remote.Write(0, &item, sizeof item) &&
           Sent(m_tree, TVM_GETITEMRECT, TRUE, (LPARAM)remote.At(0)) &&
           remote.Read(0, rect, sizeof *rect);
}

int RemoteTree::Count() const
{
    return (int)Sent(m_tree, TVM_GETCOUNT, 0, 0);
}

HTREEITEM RemoteTree::Selected() const
{
    return NextItem(m_tree, TVGN_CARET, nullptr);
}

bool RemoteTree::Select(HTREEITEM item) const
{
    Sent(m_tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    return Selected() == item;
}

std::vector<std::string> RemoteTree::RootTexts() const
{
    std::vector<std::string> texts;
    for (HTREEITEM item : Roots())
        texts.push_back(Text(item));
    return texts;
}

HTREEITEM RemoteTree::FindRoot(const std::string& text) const
{
    for (HTREEITEM item : Roots())
        if (Text(item) == text)
            return item;
    return nullptr;
}

int RemoteList::Count() const
{
    LRESULT count = -1;
    return Ask(m_list, LVM_GETITEMCOUNT, 0, 0, count) ? (int)count : -1;
}

int RemoteList::Image(int row) const
{
    RemoteBlock remote(m_process, sizeof(LVITEMA));
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (!remote.Write(0, &item, sizeof item) || !Sent(m_list, LVM_GETITEMA, 0, (LPARAM)remote.At(0)) ||
        !remote.Read(0, &item, sizeof item))
        return -1;
    return item.iImage;
}

int RemoteList::TopIndex() const
{
    LRESULT top = -1;
    return Ask(m_list, LVM_GETTOPINDEX, 0, 0, top) ? (int)top : -1;
}

int RemoteList::RowsPerPage() const
{
    LRESULT rows = -1;
    return Ask(m_list, LVM_GETCOUNTPERPAGE, 0, 0, rows) ? (int)rows : -1;
}

std::string RemoteList::Text(int row, int column) const
{
    LVITEMA item = {};
    RemoteBlock remote(m_process, sizeof item + TextRoom);
    item.iSubItem = column;
    item.pszText = remote.At(0) + sizeof item;
    item.cchTextMax = (int)TextRoom;
    char buffer[TextRoom] = "";
    if (!remote.Write(0, &item, sizeof item))
        return "<unreadable>";
    Sent(m_list, LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)remote.At(0));
    if (!remote.Read(sizeof item, buffer, TextRoom))
        return "<unreadable>";
    buffer[TextRoom - 1] = 0;
    return buffer;
}

std::vector<std::string> RemoteList::Row(int row, int columns) const
{
    std::vector<std::string> cells;
    for (int c = 0; c < columns; ++c)
        cells.push_back(Text(row, c));
    return cells;
}

std::vector<std::string> RemoteList::Column(int column) const
{
    std::vector<std::string> cells;
    for (int row = 0, n = Count(); row < n; ++row)
        cells.push_back(Text(row, column));
    return cells;
}

std::string RemoteList::Heading(int column) const
{
    LVCOLUMNA col = {};
    RemoteBlock remote(m_process, sizeof col + TextRoom);
    col.mask = LVCF_TEXT;
    col.pszText = remote.At(0) + sizeof col;
    col.cchTextMax = (int)TextRoom;
    char buffer[TextRoom] = "";
    if (!remote.Write(0, &col, sizeof col) ||
        !Sent(m_list, LVM_GETCOLUMNA, (WPARAM)column, (LPARAM)remote.At(0)) ||
        !remote.Read(sizeof col, buffer, TextRoom))
        return "";
    buffer[TextRoom - 1] = 0;
    return buffer;
}
