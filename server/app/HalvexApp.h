// The server's application object: start-up of the whole process, the exit
// that undoes what the start-up did, the About box.
#pragma once
#include <winsock2.h>

#include "framework/framework.h"
#include "common/LanguageManager.h"
#include "server/app/D_ClosingApp.h"


class C_HalvexView;

// How long a command may take, in milliseconds: 5000 until the start-up reads
// [Settings] CommandTimeOut, written back at exit.
extern int g_nCommandTimeOut;

class C_HalvexApp : public CWinApp
{
public:
    C_HalvexApp();
    ~C_HalvexApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The folder of the program file with its trailing backslash.
    CString m_strAppFolder;
    CD_ClosingApp m_dlgClosing;
    // The language DLL in force, chosen by [Settings] Language.
    CLanguageManager m_languages;
    WSADATA m_wsaData;
    bool m_bAboutOpen;
    // The one view, set once by the start-up; the bus threads reach the view
    // through it.
    C_HalvexView* m_pView;

    // Set when the shutdown begins: a second Exit or close request while its
    // waits pump messages is refused.
    bool IsClosing() const { return m_bClosing; }
    bool BeginClosing();

    void OnAppAbout();
    void OnUpdateAppAbout(CCmdUI* cmdUI);
    void OnLanguage();
    void OnUpdateLanguage(CCmdUI* cmdUI);

    DECLARE_MESSAGE_MAP()

private:
    // What the start-up has done, so that the exit undoes only that.
    bool m_bClosing;
    bool m_bOleStarted;
    bool m_bProfileSet;
    bool m_bWinsockStarted;
};

C_HalvexApp& HalvexApp();

// "3, 1, 0, 1" -> "3.1.0".
CString ShortVersionString(const CString& version);
