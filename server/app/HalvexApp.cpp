#include "server/app/HalvexApp.h"
#include "bus/VTMultiDrop.h"
#include "common/D_Language.h"
#include "server/app/HalvexDoc.h"
#include "server/app/HalvexView.h"
#include "server/app/MainFrame.h"
#include "server/app/resource.h"
#include "server/services/ServerSettings.h"
#include "server/services/SingleInstance.h"
#include "skin/skindialog.h"
#include "skin/skinlib.h"
#include <commctrl.h>
#include <ole2.h>

int g_nCommandTimeOut = 5000;

namespace {
const char* const InstanceMutexName = "75C57BC1-E844-456c-A568-7B0C0282792A";
const char* const VersionText = "3, 1, 0, 1";

class C_AboutDlg : public CSkinDialog
{
public:
    C_AboutDlg() : CSkinDialog(IDD_ABOUTBOX) {}
    CString m_strVersion;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        CSkinDialog::DoDataExchange(dx);
        DDX_Text(dx, IDC_VERSION, m_strVersion);
    }
};
} // namespace

C_HalvexApp theApp;

C_HalvexApp& HalvexApp()
{
    return theApp;
}

BEGIN_MESSAGE_MAP(C_HalvexApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_UPDATE_COMMAND_UI(ID_APP_ABOUT, OnUpdateAppAbout)
    ON_COMMAND(ID_LANGUAGE, OnLanguage)
    ON_UPDATE_COMMAND_UI(ID_LANGUAGE, OnUpdateLanguage)
    ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, CWinApp::OnFileOpen)
    ON_COMMAND(ID_APP_EXIT, CWinApp::OnAppExit)
END_MESSAGE_MAP()

C_HalvexApp::C_HalvexApp()
    : m_wsaData(), m_bAboutOpen(false), m_pView(nullptr), m_bClosing(false), m_bOleStarted(false),
      m_bProfileSet(false), m_bWinsockStarted(false)
{
}

C_HalvexApp::~C_HalvexApp()
{
}

bool C_HalvexApp::BeginClosing()
{
    if (m_bClosing)
        return false;
    m_bClosing = true;
    return true;
}

BOOL C_HalvexApp::InitInstance()
{
    CSingleInstance checker;
    if (checker.PreviousInstanceRunning() && checker.ActivatePrevious() != nullptr)
        return FALSE;
    // Created in one step: of two processes starting together only one passes.
    if (!AcquireInstanceMutex(InstanceMutexName))
        return FALSE;

    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES };
    InitCommonControlsEx(&icc);
    CWinApp::InitInstance();

    SetMenuDrawMode(2);
    SetSelectDisabledItems(0);
    SetIconShadeAmount(0);
    SetUseShadedIcons(1);

    if (FAILED(OleInitialize(nullptr))) {
        AfxMessageBox(IDS_OLE_INIT_FAILED);
        return FALSE;
    }
    m_bOleStarted = true;

    char path[2048] = "";
    GetModuleFileNameA(m_hInstance, path, sizeof(path));
    CString full(path);
    int slash = full.ReverseFind('\\');
    m_strAppFolder = slash >= 0 ? full.Left(slash + 1) : CString();
    free((void*)m_pszProfileName);
    m_pszProfileName = _strdup(m_strAppFolder + "Halvex.ini");
    m_bProfileSet = true;
    g_nCommandTimeOut = ReadCommandTimeOut(CIniFile(m_pszProfileName));

    // Before the document template: the frame and view load their resources
    // from the chosen language already.
    m_languages.LoadLanguages(this, m_strAppFolder, "GetLanguageNameForHalvex");

    m_bWinsockStarted = WSAStartup(MAKEWORD(2, 2), &m_wsaData) == 0;

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(C_HalvexDoc), RUNTIME_CLASS(C_MainFrame),
                                          RUNTIME_CLASS(C_HalvexView)));
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo))
        return FALSE;

    m_pMainWnd->CenterWindow();
    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();

    POSITION tp = GetFirstDocTemplatePosition();
    CDocTemplate* docTemplate = GetNextDocTemplate(tp);
    POSITION dp = docTemplate->GetFirstDocPosition();
    CDocument* doc = docTemplate->GetNextDoc(dp);
    POSITION vp = doc ? doc->GetFirstViewPosition() : nullptr;
    m_pView = vp ? static_cast<C_HalvexView*>(doc->GetNextView(vp)) : nullptr;
    if (m_pView == nullptr)
        return FALSE;
    m_pView->ConnectBus();

    if (!checker.PreviousInstanceRunning())
        checker.PublishMainWindow(m_pMainWnd->GetSafeHwnd());
    return TRUE;
}

int C_HalvexApp::ExitInstance()
{
    // Only what the start-up got to is undone: after an early end the
    // settings file was never chosen and Winsock may never have started.
    if (m_bProfileSet)
        WriteCommandTimeOut(CIniFile(m_pszProfileName), g_nCommandTimeOut);
    if (m_bWinsockStarted) {
        WSACleanup();
        m_bWinsockStarted = false;
    }
    m_dlgClosing.Close();
    // Last: the windows that drew from the language DLL are gone.
    m_languages.Save();
    if (m_bOleStarted) {
        OleUninitialize();
        m_bOleStarted = false;
    }
    return CWinApp::ExitInstance();
}

void C_HalvexApp::OnAppAbout()
{
    C_AboutDlg about;
    about.m_strVersion = ShortVersionString(VersionText);
    m_bAboutOpen = true;
    about.DoModal();
    m_bAboutOpen = false;
}

void C_HalvexApp::OnUpdateAppAbout(CCmdUI* cmdUI)
{
    cmdUI->Enable(!m_bAboutOpen);
}

void C_HalvexApp::OnLanguage()
{
    ChooseLanguage(m_languages, IDD_LANGUAGE, IDS_RESTART_NEEDED);
}

void C_HalvexApp::OnUpdateLanguage(CCmdUI* cmdUI)
{
    cmdUI->Enable(m_languages.HasChoice());
}

CString ShortVersionString(const CString& version)
{
    CString text = version;
    text.Remove(' ');
    text.Replace(',', '.');
    int dot = text.ReverseFind('.');
    return dot >= 0 ? text.Left(dot) : text;
}
