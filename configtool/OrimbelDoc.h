// The tool's one document: the image of the controller's configuration
// words, the controller the commands address and the path of the server's
// settings file. It is saved as an ".orimb" file: the magic string
// "Orimbel", the version 1 and the words of locations 496 to 508.
#pragma once
#include "framework/framework.h"
#include "configtool/ConfigWords.h"

class C_MainFrame;

class C_OrimbelDoc : public CDocument {
    DECLARE_DYNCREATE(C_OrimbelDoc)
public:
    C_OrimbelDoc();
    ~C_OrimbelDoc() override;

    BOOL OnNewDocument() override;
    // A file whose magic or version is refused, or that ends too early,
    // leaves the document as it was: words, path and title.
    BOOL OnOpenDocument(LPCSTR path) override;
    void Serialize(CArchive& ar) override;

    // Sends one command frame to the server: -1 when the server was found
    // unreachable earlier in this command sequence (nothing is sent), else 0.
    // A failure says "Halvex unreachable..." once and closes the progress window.
    int SendServerCommand(LPCSTR command, int arg1, int arg2);

    WORD m_wWords[ConfigWords::ImageSize];  // by location; 496 to 508 are used
    BOOL m_bUnreachable;  // the server could not be reached in this command sequence
    BOOL m_bErrorShown;   // "Controller is not found..." was shown in this command sequence
    int m_nComPort;       // of the controller the commands address
    int m_nControllerId;
    CString m_strServerIni;

    static const char* const Magic;
    static const int FormatVersion = 1;

protected:
    // The controller commands of the menu.
    void ReadStatus();
    void ReadEeprom();
    void WriteEeprom();
    void SetControllerTime();
    void SelectFromServerIni();
    void OnResetPage();

private:
    void BeginCommandSequence();
    // The progress window over the main window for locations 496 to 508.
    void OpenProgress();
    void LoadWords(CArchive& ar);
    BOOL m_bLoadRefused;
    DECLARE_MESSAGE_MAP()
};

// The application's one document (null before it exists).
C_OrimbelDoc* TheDocument();
// The main frame, null before it exists.
C_MainFrame* TheMainFrame();
