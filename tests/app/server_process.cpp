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
    DeleteFileA((folder + "\\Halvex.ini").c_str());
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
