// Documents reaching a single-document program from the shell, and the
// splitter frame they open in: files dropped on the frame, the shell's DDE
// open command, an empty file, a file whose contents do not load, the
// frame's first pane inside a splitter as its view, a pane made later.
#include "framework/framework.h"
#include <gtest/gtest.h>
#include "DialogScript.h"
#include "pump_until.h"
#include <ddeml.h>
#include <shlobj.h>
#include <fstream>
#include <string>

namespace {

using namespace dialog_script;

const UINT IDR_SHELLDOC = 128;

class CShellDoc : public CDocument {
    DECLARE_DYNCREATE(CShellDoc)
public:
    int m_value = 0;
    int m_loads = 0;
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar << m_value;
        } else {
            ++m_loads;
            ar >> m_value;
        }
    }
};
IMPLEMENT_DYNCREATE(CShellDoc, CDocument)

class CPaneView : public CTreeView {
    DECLARE_DYNCREATE(CPaneView)
public:
    int m_initialUpdates = 0;
    void OnInitialUpdate() override {
        ++m_initialUpdates;
        CTreeView::OnInitialUpdate();
    }
};
IMPLEMENT_DYNCREATE(CPaneView, CTreeView)

class CSplitFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CSplitFrame)
public:
    CSplitterWnd m_splitter;
    BOOL OnCreateClient(LPCREATESTRUCTA, CCreateContext* context) override {
        return m_splitter.CreateStatic(this, 1, 2) &&
               m_splitter.CreateView(0, 0, RUNTIME_CLASS(CPaneView), CSize(100, 0), context) &&
               m_splitter.CreateView(0, 1, RUNTIME_CLASS(CPaneView), CSize(0, 0), context);
    }
};
IMPLEMENT_DYNCREATE(CSplitFrame, CFrameWnd)

class CShellApp : public CWinApp {
public:
    CShellApp() : CWinApp("Shell test") {}
};
CShellApp theApp;

std::string Folder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of("\\/"));
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
    std::string path = Folder() + "\\" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    char full[MAX_PATH];
    GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return full;
}

HDDEDATA CALLBACK NoDdeCallbacks(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

std::string IntBytes(int value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

class ShellDocs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        AfxWinInit(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOW);
        theApp.AddDocTemplate(new CSingleDocTemplate(IDR_SHELLDOC, RUNTIME_CLASS(CShellDoc),
                                                     RUNTIME_CLASS(CSplitFrame), RUNTIME_CLASS(CPaneView)));
        theApp.EnableShellOpen();
        ASSERT_NE(nullptr, theApp.OpenDocumentFile(nullptr));
    }
    static CShellDoc* Doc() {
        POSITION tp = theApp.GetFirstDocTemplatePosition();
        CDocTemplate* t = theApp.GetNextDocTemplate(tp);
        POSITION dp = t->GetFirstDocPosition();
        return static_cast<CShellDoc*>(t->GetNextDoc(dp));
    }
    static CSplitFrame* Frame() { return static_cast<CSplitFrame*>(theApp.m_pMainWnd); }
};

// The frame's view is the first pane inside the splitter, which has the pane id too.
TEST_F(ShellDocs, TheFirstPaneOfTheSplitterIsTheActiveView) {
    ASSERT_NE(nullptr, Frame());
    EXPECT_EQ(Frame()->m_splitter.GetPane(0, 0), (CWnd*)Frame()->GetActiveView());
    EXPECT_EQ(Doc(), Frame()->GetActiveDocument());
}

// A pane replaced later, without a creation context, shows the active view's
// document and gets its initial update.
TEST_F(ShellDocs, APaneMadeLaterGetsTheDocumentAndItsInitialUpdate) {
    Frame()->m_splitter.DeleteView(0, 1);
    ASSERT_TRUE(Frame()->m_splitter.CreateView(0, 1, RUNTIME_CLASS(CPaneView), CSize(0, 0), nullptr));
    CPaneView* pane = dynamic_cast<CPaneView*>(Frame()->m_splitter.GetPane(0, 1));
    ASSERT_NE(nullptr, pane);
    EXPECT_EQ(Doc(), pane->GetDocument());
    EXPECT_EQ(1, pane->m_initialUpdates);
}

// Next and previous pane: row order, round at the ends.
TEST_F(ShellDocs, NextAndPreviousPaneCommandsWrap) {
    CWnd* left = Frame()->m_splitter.GetPane(0, 0);
    CWnd* right = Frame()->m_splitter.GetPane(0, 1);
    Frame()->SetActiveView(static_cast<CView*>(left));
    Frame()->SendMessage(WM_COMMAND, ID_NEXT_PANE);
    EXPECT_EQ(right, (CWnd*)Frame()->GetActiveView());
    Frame()->SendMessage(WM_COMMAND, ID_NEXT_PANE);
    EXPECT_EQ(left, (CWnd*)Frame()->GetActiveView());
    Frame()->SendMessage(WM_COMMAND, ID_PREV_PANE);
    EXPECT_EQ(right, (CWnd*)Frame()->GetActiveView());
}

// The drop block as the shell hands it over: every file opens in turn (the
// last stays open), and the frame frees the block.
TEST_F(ShellDocs, DroppedFilesOpenOneAfterTheOther) {
    std::string first = WriteFile("first.shd", IntBytes(11));
    std::string second = WriteFile("second.shd", IntBytes(22));
    std::string names = first + '\0' + second + '\0' + '\0';
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block);
    int loads = Doc()->m_loads;
    Frame()->SendMessage(WM_DROPFILES, (WPARAM)block);
    EXPECT_EQ(loads + 2, Doc()->m_loads);
    EXPECT_EQ(22, Doc()->m_value);
    EXPECT_EQ(CString(second.c_str()), Doc()->GetPathName());
}

// The shell's DDE conversation on the program's name and "System".
TEST_F(ShellDocs, TheShellsDdeOpenCommandOpensTheFile) {
    std::string file = WriteFile("dde.shd", IntBytes(33));
    DWORD instance = 0;
    ASSERT_EQ(DMLERR_NO_ERROR, DdeInitializeA(&instance, NoDdeCallbacks, APPCMD_CLIENTONLY, 0));
    HSZ service = DdeCreateStringHandleA(instance, theApp.m_pszExeName, CP_WINANSI);
    HSZ system = DdeCreateStringHandleA(instance, "System", CP_WINANSI);
    HSZ other = DdeCreateStringHandleA(instance, "Other", CP_WINANSI);
    EXPECT_EQ(nullptr, DdeConnect(instance, service, other, nullptr)) << "no other topic is answered";
    HCONV conversation = DdeConnect(instance, service, system, nullptr);
    ASSERT_NE(nullptr, conversation);
    std::string command = "[open(\"" + file + "\")]";
    EXPECT_NE(nullptr, DdeClientTransaction((LPBYTE)command.c_str(), (DWORD)command.size() + 1, conversation, nullptr,
                                            0, XTYP_EXECUTE, 10000, nullptr));
    DdeDisconnect(conversation);
    EXPECT_TRUE(PumpUntil([&] { return Doc()->GetPathName() == file.c_str(); }));
    EXPECT_EQ(33, Doc()->m_value);
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, system);
    DdeFreeStringHandle(instance, other);
    DdeUninitialize(instance);
}

// An empty file holds nothing to load: it opens as it stands.
TEST_F(ShellDocs, AnEmptyFileOpensWithoutLoading) {
    Doc()->m_value = 44;
    int loads = Doc()->m_loads;
    std::string file = WriteFile("empty.shd", "");
    EXPECT_EQ(Doc(), theApp.OpenDocumentFile(file.c_str()));
    EXPECT_EQ(loads, Doc()->m_loads);
    EXPECT_EQ(44, Doc()->m_value);
    EXPECT_EQ(CString(file.c_str()), Doc()->GetPathName());
}

// A file that ends too early: "Unexpected file format.", and the document,
// half loaded, starts again as a new one.
TEST_F(ShellDocs, ATruncatedFileSaysUnexpectedFileFormat) {
    std::string file = WriteFile("short.shd", "ab");
    std::string said;
    Script script({[&] {
        HWND box = FindOtherDialog({});
        if (!box) return false;
        said = BoxText(box);
        Click(box, IDOK);
        return true;
    }});
    EXPECT_EQ(nullptr, theApp.OpenDocumentFile(file.c_str()));
    EXPECT_EQ("Unexpected file format.", said);
    EXPECT_TRUE(Doc()->GetPathName().IsEmpty());
}

}  // namespace
