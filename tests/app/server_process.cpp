#include "server_process.h"
#include <fstream>
#include <sstream>

namespace {
std::string BinaryDir()
{
    const char* dir = getenv("HALVEX_BINARY_DIR");
    return dir ? dir : ".";
}

struct FindData {
    DWORD pid;
    const char* title;
    HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND wnd, LPARAM param)
{
    FindData* d = reinterpret_cast<FindData*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char text[256] = "";
    GetWindowTextA(wnd, text, sizeof text);
    if (pid == d->pid && strcmp(text, d->title) == 0) {
        d->found = wnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND FindProcessWindow(DWORD pid, const char* title)
{
    FindData d = { pid, title, nullptr };
    EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&d));
    return d.found;
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ServerProcess::MakeFolder(const std::string& name, const std::string& ini)
{
    std::string folder = BinaryDir() + "\\app-e2e\\" + name;
    CreateDirectoryA((BinaryDir() + "\\app-e2e").c_str(), nullptr);
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
    CopyFileA((BinaryDir() + "\\server\\app\\Halvex.exe").c_str(), (folder + "\\Halvex.exe").c_str(), FALSE);
    if (!ini.empty())
        std::ofstream(folder + "\\Halvex.ini", std::ios::binary) << ini;
    return folder;
}

ServerProcess::~ServerProcess()
{
    if (m_pi.hProcess) {
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_pi.hProcess, 99);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
}

bool ServerProcess::Start()
{
    std::string exe = m_folder + "\\Halvex.exe";
    STARTUPINFOA si = { sizeof(si) };
    std::string cmd = "\"" + exe + "\"";
    return CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(), &si, &m_pi) !=
           FALSE;
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

int ServerProcess::WaitForEnd(DWORD timeoutMs)
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
        PostMessageA(w, WM_COMMAND, 57665, 0);
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
struct FindChild {
    int id;
    HWND found;
};

BOOL CALLBACK FindChildWithId(HWND wnd, LPARAM param)
{
    FindChild* f = reinterpret_cast<FindChild*>(param);
    if (GetDlgCtrlID(wnd) == f->id) {
        f->found = wnd;
        return FALSE;
    }
    return TRUE;
}

const UINT AnswerTimeoutMs = 5000;

// Memory in the server process for one structure and the text it points to.
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
        return WriteProcessMemory(m_process, At(offset), data, size, &done) && done == size;
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        SIZE_T done = 0;
        return ReadProcessMemory(m_process, At(offset), data, size, &done) && done == size;
    }

private:
    HANDLE m_process;
    void* m_base;
};

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
    if (!main)
        return nullptr;
    FindChild f = { id, nullptr };
    EnumChildWindows(main, FindChildWithId, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

int ServerProcess::ListCount(HWND list)
{
    LRESULT count = -1;
    return Ask(list, LVM_GETITEMCOUNT, 0, 0, count) ? (int)count : -1;
}

std::string ServerProcess::ListText(HWND list, int row, int column)
{
    RemoteBlock block(m_pi.hProcess, sizeof(LVITEMA) + TextRoom);
    if (!block.Ok())
        return std::string();
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = block.At(sizeof item);
    item.cchTextMax = (int)TextRoom;
    char text[TextRoom] = "";
    LRESULT length = 0;
    if (!block.Write(0, &item, sizeof item) || !block.Write(sizeof item, text, 1) ||
        !Ask(list, LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)block.At(0), length) ||
        !block.Read(sizeof item, text, TextRoom))
        return std::string();
    text[TextRoom - 1] = 0;
    return text;
}

int ServerProcess::ListImage(HWND list, int row)
{
    RemoteBlock block(m_pi.hProcess, sizeof(LVITEMA));
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    LRESULT ok = 0;
    if (!block.Ok() || !block.Write(0, &item, sizeof item) ||
        !Ask(list, LVM_GETITEMA, 0, (LPARAM)block.At(0), ok) || !ok || !block.Read(0, &item, sizeof item))
        return -1;
    return item.iImage;
}

int ServerProcess::ListTopIndex(HWND list)
{
    LRESULT top = -1;
    return Ask(list, LVM_GETTOPINDEX, 0, 0, top) ? (int)top : -1;
}

int ServerProcess::ListRowsPerPage(HWND list)
{
    LRESULT rows = -1;
    return Ask(list, LVM_GETCOUNTPERPAGE, 0, 0, rows) ? (int)rows : -1;
}

std::vector<ServerProcess::TreeItem> ServerProcess::TreeRoots(HWND tree)
{
    std::vector<TreeItem> roots;
    RemoteBlock block(m_pi.hProcess, sizeof(TVITEMA) + TextRoom);
    if (!block.Ok())
        return roots;
    LRESULT next = 0;
    if (!Ask(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0, next))
        return roots;
    while (next) {
        TVITEMA item = {};
        item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE;
        item.hItem = (HTREEITEM)next;
        item.pszText = block.At(sizeof item);
        item.cchTextMax = (int)TextRoom;
        char text[TextRoom] = "";
        LRESULT ok = 0;
        if (!block.Write(0, &item, sizeof item) || !Ask(tree, TVM_GETITEMA, 0, (LPARAM)block.At(0), ok) || !ok ||
            !block.Read(0, &item, sizeof item) || !block.Read(sizeof item, text, TextRoom))
            break;
        text[TextRoom - 1] = 0;
        roots.push_back({ (HTREEITEM)next, text, item.iImage });
        if (!Ask(tree, TVM_GETNEXTITEM, TVGN_NEXT, next, next))
            break;
    }
    return roots;
}

bool ServerProcess::SelectTreeItem(HWND tree, HTREEITEM item)
{
    LRESULT ok = 0;
    return Ask(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item, ok) && ok;
}
