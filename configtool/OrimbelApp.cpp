#include "configtool/OrimbelApp.h"
#include "configtool/AboutDlg.h"
#include "configtool/MainFrame.h"
#include "configtool/OrimbelDoc.h"
#include "configtool/OrimbelView.h"
#include "configtool/resource.h"
#include "common/D_Language.h"
#include "skin/skinlib.h"
#include <commctrl.h>

IMPLEMENT_DYNCREATE(C_OrimbelView, CView)

C_OrimbelApp theApp;

BEGIN_MESSAGE_MAP(C_OrimbelApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, CWinApp::OnFileOpen)
    ON_COMMAND(ID_APP_EXIT, CWinApp::OnAppExit)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_LANGUAGE, OnLanguage)
    ON_UPDATE_COMMAND_UI(ID_LANGUAGE, OnUpdateLanguage)
END_MESSAGE_MAP()

C_OrimbelApp::C_OrimbelApp() : m_wsaData(), m_bWinsockStarted(false) {}

BOOL C_OrimbelApp::InitInstance() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    CWinApp::InitInstance();

    m_bWinsockStarted = WSAStartup(MAKEWORD(2, 2), &m_wsaData) == 0;

    char path[2048] = "";
    GetModuleFileNameA(m_hInstance, path, sizeof path);
    CString full(path);
    int slash = full.ReverseFind('\\');
    m_strAppFolder = slash >= 0 ? full.Left(slash + 1) : CString();

    SetRegistryKey("Veltrane");
    LoadStdProfileSettings(4);
    m_languages.LoadLanguages(this, m_strAppFolder, "GetLanguageNameForOrimbel");

    SetMenuDrawMode(2);
    SetSelectDisabledItems(0);
    SetIconShadeAmount(0);
    SetUseShadedIcons(1);

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(C_OrimbelDoc), RUNTIME_CLASS(C_MainFrame),
                                          RUNTIME_CLASS(C_OrimbelView)));
    EnableShellOpen();
    RegisterShellFileTypes(TRUE);

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo)) return FALSE;

    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    m_pMainWnd->DragAcceptFiles();
    return TRUE;
}

void C_OrimbelApp::OnAppAbout() {
    CAboutDlg about;
    about.DoModal();
}

void C_OrimbelApp::OnLanguage() { ChooseLanguage(m_languages, IDD_LANGUAGE, IDS_RESTART_FOR_LANGUAGE); }

// Only a choice between languages makes the command worth offering.
void C_OrimbelApp::OnUpdateLanguage(CCmdUI* cmdUI) { cmdUI->Enable(m_languages.HasChoice()); }

int C_OrimbelApp::ExitInstance() {
    m_languages.Save();
    if (m_bWinsockStarted) {
        WSACleanup();
        m_bWinsockStarted = false;
    }
    return CWinApp::ExitInstance();
}
