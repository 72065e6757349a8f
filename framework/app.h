// CWinApp (the part without windows): application object, names, profile settings.
#pragma once
#include "framework/thread.h"
#include "framework/string.h"
#include <vector>

class CDocTemplate;
class CDocument;
struct __POSITION;

// What the command line asks for: a new document (no file name) or a file.
class CCommandLineInfo : public CObject {
public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };
    int m_nShellCommand = FileNew;
    BOOL m_bShowSplash = TRUE;
    CString m_strFileName;
    // One argument; flag means it started with '/' or '-' (removed).
    virtual void ParseParam(const char* param, BOOL flag, BOOL last);
};

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    // Profile settings. With a registry key set they live under
    // HKCU\Software\<key>\<app name>\<section>; otherwise in the ini file
    // m_pszProfileName (a bare name means the Windows folder, as the system does).
    UINT GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nValue);
    CString GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault = nullptr);
    // A null entry removes the section, a null value removes the entry.
    BOOL WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue);
    // *ppData is allocated with new BYTE[]; the caller delete[]s it.
    BOOL GetProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE* ppData, UINT* pBytes);
    BOOL WriteProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE pData, UINT nBytes);

    // Registry keys of the profile (caller closes); null without a registry key.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCSTR lpszSection);

    // The strings below are malloc'd (free/_strdup), so a program may replace
    // them as with the system's own framework.
    LPCSTR m_pszAppName = nullptr;
    LPCSTR m_pszExeName = nullptr;
    LPCSTR m_pszHelpFilePath = nullptr;
    LPCSTR m_pszProfileName = nullptr;
    LPCSTR m_pszRegistryKey = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;

    // ---- window half: documents, commands, the message loop ----------------
    // The message loop is CWinThread's; the window half hooks accelerators and
    // idle-time updates into its PreTranslateMessage and OnIdle.
    BOOL InitInstance() override { return TRUE; }
    int ExitInstance() override;

    void AddDocTemplate(CDocTemplate* pTemplate);  // owned by the application
    __POSITION* GetFirstDocTemplatePosition() const;
    CDocTemplate* GetNextDocTemplate(__POSITION*& pos) const;
    virtual CDocument* OpenDocumentFile(LPCSTR lpszFileName);
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);
    // File dialog of the first template's filter; FALSE when cancelled.
    virtual BOOL DoPromptFileName(CString& fileName, BOOL bOpen, CDocTemplate* pTemplate);

    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

    // Recent-file list kept in the profile section "Recent File List".
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    virtual void AddToRecentFileList(LPCSTR lpszPathName);
    const std::vector<CString>& GetRecentFiles() const { return m_recentFiles; }

    // Registers each template's file type for the shell's "open": the type
    // and its name, the default icon, the open command and the extension.
    // After EnableShellOpen the command starts the program with /dde and the
    // file comes by DDE ("ddeexec" [open("%1")]), so a running program opens
    // it itself; otherwise the file name is the command's argument.
    void RegisterShellFileTypes(BOOL bCompat = FALSE);
    // The main frame then answers DDE on the program's name and the topic "System".
    void EnableShellOpen();
    BOOL IsShellOpenEnabled() const { return m_atomApp != 0; }
    ATOM m_atomApp = 0, m_atomSystemTopic = 0;
    // A DDE command of the shell: [open("path")] opens the file. TRUE when understood.
    virtual BOOL OnDDECommand(LPSTR lpszCommand);

    void OnFileNew();
    void OnFileOpen();
    void OnAppExit();
    void OnOpenRecentFile(UINT nID);
    void OnUpdateRecentFileMenu(class CCmdUI* pCmdUI);

protected:
    std::vector<CDocTemplate*> m_templates;
    std::vector<CString> m_recentFiles;
    UINT m_nMaxMRU = 0;
    void SaveRecentFileList();
    DECLARE_MESSAGE_MAP()

    void SetRegistryKey(LPCSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
};

CWinApp* AfxGetApp();
// The calling thread's main window, else the application's; null before one exists.
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);
// The module that holds a resource: the resource module (a language DLL),
// then the program; null when neither has it.
HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType);
// The same for a string-table entry (strings are stored in blocks of 16).
HINSTANCE AfxFindStringResourceHandle(UINT nID);
// Fills the application object's instance, command line and default names.
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The body of a program's WinMain: InitInstance, then Run (or ExitInstance
// when InitInstance fails). The library's WinMain calls it.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
