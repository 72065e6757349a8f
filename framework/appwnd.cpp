// CWinApp, window half: document templates, shell commands, the recent-file
// list, and the window parts of every GUI thread's message loop (accelerators
// and other frame keys before dispatch; command-UI updates and temporary-map
// cleanup at idle time).
#include "framework/app.h"
#include "framework/docview.h"
#include "framework/cmdui.h"
#include "framework/menu.h"
#include <commdlg.h>
#include <stdlib.h> // __argc, __argv

namespace {

BOOL WindowPreTranslate(CWinThread* thread, MSG* msg) {
    CWnd* main = thread->GetMainWnd();
    HWND stop = main ? main->GetSafeHwnd() : nullptr;
    if (msg->hwnd && CWnd::WalkPreTranslateTree(stop, msg)) return TRUE;
    // Keys for windows outside the main frame's tree still reach its accelerators.
    if (main && msg->hwnd && stop && msg->hwnd != stop && !::IsChild(stop, msg->hwnd) &&
        ::GetAncestor(msg->hwnd, GA_ROOT) == stop)
        return main->PreTranslateMessage(msg);
    return FALSE;
}

BOOL WindowIdle(CWinThread* thread, LONG count) {
    if (count <= 0) {
        // Menus are updated when they open; bars and the frame are updated here.
        CWnd* main = thread->GetMainWnd();
        if (main && main->GetSafeHwnd() && main->IsWindowVisible()) {
            main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
            main->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
        }
        return TRUE;
    }
    AfxDeleteTempMaps();
    return FALSE;
}

// Installed before main runs, for every thread that pumps through CWinThread::Run.
const bool s_hooksInstalled = (AfxSetThreadHooks(&WindowPreTranslate, &WindowIdle), true);

}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
    ON_COMMAND_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
END_MESSAGE_MAP()

CWnd* AfxGetMainWnd() {
    CWinThread* thread = AfxGetThread();
    if (thread && thread->m_pMainWnd) return thread->m_pMainWnd;
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}

int CWinApp::ExitInstance() {
    SaveRecentFileList();
    return CWinThread::ExitInstance();
}

// ---- document templates ----------------------------------------------------------

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
    if (pTemplate) m_templates.push_back(pTemplate);
}

__POSITION* CWinApp::GetFirstDocTemplatePosition() const {
    return m_templates.empty() ? nullptr : reinterpret_cast<__POSITION*>(static_cast<size_t>(1));
}

CDocTemplate* CWinApp::GetNextDocTemplate(__POSITION*& pos) const {
    size_t i = reinterpret_cast<size_t>(pos) - 1;
    if (!pos || i >= m_templates.size()) {
        pos = nullptr;
        return nullptr;
    }
    pos = i + 1 < m_templates.size() ? reinterpret_cast<__POSITION*>(i + 2) : nullptr;
    return m_templates[i];
}

CDocument* CWinApp::OpenDocumentFile(LPCSTR lpszFileName) {
    if (m_templates.empty()) return nullptr;
    return m_templates.front()->OpenDocumentFile(lpszFileName);
}

BOOL CWinApp::SaveAllModified() {
    for (CDocTemplate* t : m_templates)
        if (!t->SaveAllModified()) return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession) {
    for (CDocTemplate* t : m_templates) t->CloseAllDocuments(bEndSession);
}

BOOL CWinApp::DoPromptFileName(CString& fileName, BOOL bOpen, CDocTemplate* pTemplate) {
    if (!pTemplate && !m_templates.empty()) pTemplate = m_templates.front();
    CString filterName, ext;
    if (pTemplate) {
        pTemplate->GetDocString(filterName, CDocTemplate::filterName);
        pTemplate->GetDocString(ext, CDocTemplate::filterExt);
    }
    // "Name\0*.ext\0All Files (*.*)\0*.*\0\0"
    std::vector<char> filter;
    auto add = [&filter](const CString& s) {
        filter.insert(filter.end(), s.GetString(), s.GetString() + s.GetLength());
        filter.push_back(0);
    };
    if (!filterName.IsEmpty() && !ext.IsEmpty()) {
        add(filterName);
        add("*" + ext);
    }
    add("All Files (*.*)");
    add("*.*");
    filter.push_back(0);
    char buffer[MAX_PATH] = "";
    lstrcpynA(buffer, fileName, MAX_PATH);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
    ofn.lpstrFilter = filter.data();
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = ext.IsEmpty() ? nullptr : ext.GetString() + (ext[0] == '.' ? 1 : 0);
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (bOpen ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
    BOOL ok = bOpen ? ::GetOpenFileNameA(&ofn) : ::GetSaveFileNameA(&ofn);
    if (ok) fileName = buffer;
    return ok;
}

void CWinApp::OnFileNew() {
    if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
    CString name;
    if (DoPromptFileName(name, TRUE, nullptr)) OpenDocumentFile(name);
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

// ---- command line --------------------------------------------------------------------

void CCommandLineInfo::ParseParam(const char* param, BOOL flag, BOOL) {
    if (flag) {
        if (lstrcmpiA(param, "nologo") == 0) m_bShowSplash = FALSE;
        else if (lstrcmpiA(param, "dde") == 0) m_nShellCommand = FileDDE;
        else if (lstrcmpiA(param, "regserver") == 0 || lstrcmpiA(param, "register") == 0) m_nShellCommand = AppRegister;
        else if (lstrcmpiA(param, "unregserver") == 0 || lstrcmpiA(param, "unregister") == 0)
            m_nShellCommand = AppUnregister;
        return;
    }
    if (m_strFileName.IsEmpty()) {
        m_strFileName = param;
        m_nShellCommand = FileOpen;
    }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    for (int i = 1; i < __argc; ++i) {
        const char* param = __argv[i];
        BOOL flag = param[0] == '-' || param[0] == '/';
        rCmdInfo.ParseParam(flag ? param + 1 : param, flag, i == __argc - 1);
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        // A program's own ID_FILE_NEW handler wins over the default.
        if (!OnCmdMsg(ID_FILE_NEW, 0, nullptr, nullptr)) OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::AppRegister:
        RegisterShellFileTypes();
        return FALSE;  // registering only: the program ends
    case CCommandLineInfo::FileDDE:
        // Started by the shell: a new document, and the file follows by DDE,
        // which the main frame answers.
        if (!OnCmdMsg(ID_FILE_NEW, 0, nullptr, nullptr)) OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::AppUnregister:
    case CCommandLineInfo::FileNothing:
    default:
        return rCmdInfo.m_nShellCommand != CCommandLineInfo::AppUnregister;
    }
}

// ---- recent files --------------------------------------------------------------------

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
    m_nMaxMRU = nMaxMRU > 16 ? 16 : nMaxMRU;
    m_recentFiles.clear();
    for (UINT i = 0; i < m_nMaxMRU; ++i) {
        char entry[16];
        wsprintfA(entry, "File%u", i + 1);
        CString name = GetProfileString("Recent File List", entry, "");
        if (!name.IsEmpty()) m_recentFiles.push_back(name);
    }
}

void CWinApp::AddToRecentFileList(LPCSTR lpszPathName) {
    if (!m_nMaxMRU || !lpszPathName || !*lpszPathName) return;
    for (size_t i = 0; i < m_recentFiles.size(); ++i)
        if (m_recentFiles[i].CompareNoCase(lpszPathName) == 0) {
            m_recentFiles.erase(m_recentFiles.begin() + (long)i);
            break;
        }
    m_recentFiles.insert(m_recentFiles.begin(), CString(lpszPathName));
    if (m_recentFiles.size() > m_nMaxMRU) m_recentFiles.resize(m_nMaxMRU);
}

void CWinApp::SaveRecentFileList() {
    if (!m_nMaxMRU) return;
    for (UINT i = 0; i < m_nMaxMRU; ++i) {
        char entry[16];
        wsprintfA(entry, "File%u", i + 1);
        WriteProfileString("Recent File List", entry, i < m_recentFiles.size() ? m_recentFiles[i].GetString() : nullptr);
    }
}

void CWinApp::OnOpenRecentFile(UINT nID) {
    size_t i = nID - ID_FILE_MRU_FILE1;
    if (i >= m_recentFiles.size()) return;
    CString name = m_recentFiles[i];
    if (!OpenDocumentFile(name)) {
        // A file that cannot be opened leaves the list.
        m_recentFiles.erase(m_recentFiles.begin() + (long)i);
    }
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
    CMenu* menu = pCmdUI->m_pMenu;
    if (!menu || pCmdUI->m_pSubMenu) {
        pCmdUI->Enable(!m_recentFiles.empty());
        return;
    }
    // The entry ID_FILE_MRU_FILE1 stands for the whole list: replace it (and
    // any entries of an earlier list) with the current files, or grey it.
    UINT pos = pCmdUI->m_nIndex;
    for (UINT id = ID_FILE_MRU_FILE1 + 1; id <= ID_FILE_MRU_FILE16; ++id) menu->DeleteMenu(id, MF_BYCOMMAND);
    if (m_recentFiles.empty()) {
        pCmdUI->Enable(FALSE);
        return;
    }
    menu->DeleteMenu(pos, MF_BYPOSITION);
    for (size_t i = 0; i < m_recentFiles.size(); ++i) {
        CString text;
        text.Format("&%u %s", (unsigned)(i + 1), m_recentFiles[i].GetString());
        menu->InsertMenu(pos + (UINT)i, MF_BYPOSITION | MF_STRING, ID_FILE_MRU_FILE1 + i, text);
    }
    pCmdUI->m_nIndex = pos + (UINT)m_recentFiles.size() - 1;
    pCmdUI->m_nIndexMax = (UINT)menu->GetMenuItemCount();
    pCmdUI->m_bEnableChanged = TRUE;
}

// ---- shell registration ----------------------------------------------------------------

void CWinApp::RegisterShellFileTypes(BOOL) {
    char exe[MAX_PATH];
    ::GetModuleFileNameA(m_hInstance ? m_hInstance : ::GetModuleHandleA(nullptr), exe, MAX_PATH);
    auto setValue = [](LPCSTR key, LPCSTR value) {
        HKEY h = nullptr;
        if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
            return;
        ::RegSetValueExA(h, nullptr, 0, REG_SZ, (const BYTE*)value, (DWORD)lstrlenA(value) + 1);
        ::RegCloseKey(h);
    };
    for (CDocTemplate* t : m_templates) {
        CString typeId, typeName, ext;
        if (!t->GetDocString(typeId, CDocTemplate::regFileTypeId) || typeId.IsEmpty()) continue;
        t->GetDocString(typeName, CDocTemplate::regFileTypeName);
        t->GetDocString(ext, CDocTemplate::filterExt);
        setValue(typeId, typeName.IsEmpty() ? typeId.GetString() : typeName.GetString());
        CString icon;
        icon.Format("%s,0", exe);
        setValue(typeId + "\\DefaultIcon", icon);
        CString open;
        if (IsShellOpenEnabled()) {
            open.Format("\"%s\" /dde", exe);
            setValue(typeId + "\\shell\\open\\ddeexec", "[open(\"%1\")]");
        } else {
            open.Format("\"%s\" \"%%1\"", exe);
        }
        setValue(typeId + "\\shell\\open\\command", open);
        if (!ext.IsEmpty()) setValue(ext, typeId);
    }
}

void CWinApp::EnableShellOpen() {
    if (m_atomApp) return;
    m_atomApp = ::GlobalAddAtomA(m_pszExeName ? m_pszExeName : "");
    m_atomSystemTopic = ::GlobalAddAtomA("System");
}

BOOL CWinApp::OnDDECommand(LPSTR lpszCommand) {
    CString command = lpszCommand ? lpszCommand : "";
    const char* const prefix = "[open(\"";
    if (command.Left(lstrlenA(prefix)).CompareNoCase(prefix) != 0) return FALSE;
    CString rest = command.Mid(lstrlenA(prefix));
    int end = rest.Find("\")]");
    if (end < 0) return FALSE;
    CString path = rest.Left(end);
    if (m_pMainWnd && m_pMainWnd->IsIconic()) m_pMainWnd->ShowWindow(SW_RESTORE);
    OpenDocumentFile(path);
    return TRUE;
}

// ---- the program's entry -------------------------------------------------------------

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app || !AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow)) return -1;
    int code;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->GetSafeHwnd()) app->m_pMainWnd->DestroyWindow();
        code = app->ExitInstance();
    } else {
        code = app->Run();
    }
    return code;
}

// The program's entry. It lives here, beside the CWinApp members every
// program's application object pulls in, so the linker always finds it;
// console test programs simply never call it.
extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
