#include "configtool/OrimbelDoc.h"
#include "configtool/MainFrame.h"
#include "configtool/ToolSettings.h"
#include "configtool/resource.h"

IMPLEMENT_DYNCREATE(C_OrimbelDoc, CDocument)

const char* const C_OrimbelDoc::Magic = "Orimbel";

C_OrimbelDoc::C_OrimbelDoc()
    : m_wWords(), m_bUnreachable(FALSE), m_bErrorShown(FALSE), m_nComPort(0), m_nControllerId(0),
      m_bLoadRefused(FALSE) {
    if (CWinApp* app = AfxGetApp())
        m_strServerIni = app->GetProfileString(ToolSettings::Section, ToolSettings::ServerIni, "");
}

C_OrimbelDoc::~C_OrimbelDoc() {
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileString(ToolSettings::Section, ToolSettings::ServerIni, m_strServerIni);
}

BOOL C_OrimbelDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return FALSE;
    for (WORD& word : m_wWords) word = 0;
    for (int location = ConfigWords::FirstLocation; location <= ConfigWords::LastLocation; ++location)
        m_wWords[location] = ConfigWords::NewDocumentWord;
    return TRUE;
}

BOOL C_OrimbelDoc::OnOpenDocument(LPCSTR path) {
    m_bLoadRefused = FALSE;
    if (CDocument::OnOpenDocument(path) && !m_bLoadRefused) return TRUE;
    // Nothing of the file reached the image: unmodified by the attempt, the
    // document keeps its words, path and title.
    SetModifiedFlag(FALSE);
    return FALSE;
}

void C_OrimbelDoc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << CString(Magic);
        ar << (int)FormatVersion;
        for (int location = ConfigWords::FirstLocation; location <= ConfigWords::LastLocation; ++location)
            ar << m_wWords[location];
        return;
    }
    LoadWords(ar);
}

void C_OrimbelDoc::LoadWords(CArchive& ar) {
    // The length is checked before any character is read: a damaged prefix
    // costs nothing.
    bool wide = false;
    DWORD length = ar.ReadStringLength(wide);
    CString magic;
    if (length == (DWORD)lstrlenA(Magic)) ar.ReadStringChars(length, wide, magic);
    if (magic != Magic) {
        m_bLoadRefused = TRUE;
        AfxMessageBox(IDS_INVALID_FILE, MB_OK | MB_ICONERROR);
        return;
    }
    int version = 0;
    ar >> version;
    if (version != FormatVersion) {
        m_bLoadRefused = TRUE;
        AfxMessageBox(IDS_INVALID_FILE_VERSION, MB_OK | MB_ICONERROR);
        return;
    }
    // All words or none: a file that ends early changes nothing.
    WORD words[ConfigWords::WordCount];
    for (WORD& word : words) ar >> word;
    for (int i = 0; i < ConfigWords::WordCount; ++i) m_wWords[ConfigWords::FirstLocation + i] = words[i];
}

C_OrimbelDoc* TheDocument() {
    CWinApp* app = AfxGetApp();
    POSITION tp = app ? app->GetFirstDocTemplatePosition() : nullptr;
    CDocTemplate* docTemplate = tp ? app->GetNextDocTemplate(tp) : nullptr;
    POSITION dp = docTemplate ? docTemplate->GetFirstDocPosition() : nullptr;
    return dp ? dynamic_cast<C_OrimbelDoc*>(docTemplate->GetNextDoc(dp)) : nullptr;
}

C_MainFrame* TheMainFrame() { return dynamic_cast<C_MainFrame*>(AfxGetMainWnd()); }
