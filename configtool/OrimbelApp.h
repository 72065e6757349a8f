// The configuration tool's application object: start-up of the process and
// the exit that undoes it.
#pragma once
#include <winsock2.h>
#include "common/LanguageManager.h"
#include "framework/framework.h"

class C_OrimbelApp : public CWinApp {
public:
    C_OrimbelApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The folder of the program file with its trailing backslash.
    CString m_strAppFolder;
    // The language DLLs beside the program; the chosen one gives the resources.
    CLanguageManager m_languages;
    WSADATA m_wsaData;

protected:
    void OnAppAbout();
    void OnLanguage();
    void OnUpdateLanguage(CCmdUI* cmdUI);

    DECLARE_MESSAGE_MAP()

private:
    bool m_bWinsockStarted;
};
