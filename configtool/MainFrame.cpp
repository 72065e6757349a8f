#include "configtool/MainFrame.h"
#include "configtool/ConsumerThread.h"
#include "configtool/OrimbelDoc.h"
#include "configtool/ToolMessages.h"
#include "configtool/ToolSettings.h"
#include "configtool/V_Common.h"
#include "configtool/V_Left.h"
#include "configtool/resource.h"
#include <memory>

IMPLEMENT_DYNCREATE(C_MainFrame, CSkinFrameWnd)

BEGIN_MESSAGE_MAP(C_MainFrame, CSkinFrameWnd)
    ON_WM_CREATE()
    ON_WM_SHOWWINDOW()
    ON_MESSAGE(WM_TOOL_STATUS, OnStatusReceived)
    ON_MESSAGE(WM_TOOL_EEPROM_READ, OnEepromValueRead)
    ON_MESSAGE(WM_TOOL_EEPROM_WRITTEN, OnEepromValueWritten)
    ON_MESSAGE(WM_TOOL_CONTROLLER_ERROR, OnControllerError)
END_MESSAGE_MAP()

namespace {
const UINT StatusIndicators[] = {ID_SEPARATOR};
const COLORREF ToolbarTransparent = RGB(255, 0, 255);
}  // namespace

C_MainFrame::C_MainFrame() : m_nListeningPort(ServerProtocol::DefaultReplyPort) {}

C_MainFrame::~C_MainFrame() { StopListener(); }

BOOL C_MainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!CSkinFrameWnd::PreCreateWindow(cs)) return FALSE;
    cs.style &= ~FWS_ADDTOTITLE;  // the title stays the program's
    return TRUE;
}

BOOL C_MainFrame::OnCreateClient(LPCREATESTRUCTA, CCreateContext* context) {
    if (!m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST)) return FALSE;
    int treeWidth = (int)AfxGetApp()->GetProfileInt(ToolSettings::Section, ToolSettings::LeftView, DefaultTreeWidth);
    if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CV_Left), CSize(treeWidth, 0), context) ||
        !m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CV_Welcome), CSize(0, 0), context))
        return FALSE;
    m_wndSplitter.RecalcLayout();
    return TRUE;
}

int C_MainFrame::OnCreate(LPCREATESTRUCTA cs) {
    if (CSkinFrameWnd::OnCreate(cs) == -1) return -1;
    // The menu bar first: it takes the frame's menu at the first idle pass
    // and lies above the other bars.
    if (!m_wndMenuBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC,
                             AFX_IDW_MENUBAR))
        return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM | CBRS_FLYBY |
                                   CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC,
                               CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME) ||
        !m_wndToolBar.LoadToolBarBitmap(IDB_TOOLBAR, ToolbarTransparent))
        return -1;
    // The menu items show the images of their toolbar buttons.
    if (!m_defaultMenu.LoadToolBar(IDR_MAINFRAME, IDB_TOOLBAR, ToolbarTransparent)) return -1;
    if (!m_wndBarStatus.CreateBar(this, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM | CBRS_SIZE_DYNAMIC,
                                  IDW_BAR_STATUS))
        return -1;
    CWinApp* app = AfxGetApp();
    int comPortIndex = (int)app->GetProfileInt(ToolSettings::Section, ToolSettings::ComPort, 0);
    int controllerIndex = (int)app->GetProfileInt(ToolSettings::Section, ToolSettings::TermId, 0);
    m_wndBarStatus.SelectController(comPortIndex, controllerIndex);
    if (C_OrimbelDoc* doc = TheDocument()) {
        doc->m_nComPort = comPortIndex + 1;
        doc->m_nControllerId = controllerIndex + 1;
    }
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(StatusIndicators, 1))
        return -1;
    m_nListeningPort =
        (int)app->GetProfileInt(ToolSettings::MiscSection, ToolSettings::TcpPort, ServerProtocol::DefaultReplyPort);
    LoadBarState(ToolSettings::BarsSection);
    // Without a listener the tool works on and hears no answers.
    StartListener();
    return 0;
}

void C_MainFrame::StartListener() {
    HWND frame = m_hWnd;
    USHORT port = (USHORT)m_nListeningPort;
    if (!m_listener.Start<CConsumerThread>([frame, port](CConsumerThread* thread) {
            thread->m_hFrame = frame;
            thread->m_nListeningPort = port;
        }))
        return;
    // The thread's queue exists already: the message is not lost.
    m_listener.PostThreadMessage(WM_TOOL_START_RECEIVING);
}

void C_MainFrame::StopListener() {
    // The accept loop sees WM_QUIT within a moment and the thread ends; one
    // that does not end in time is left to the end of the process.
    if (m_listener.PostThreadMessage(WM_QUIT)) m_listener.Join(ListenerStopMs);
    // Status answers still queued for this window go with it.
    MSG msg;
    while (m_hWnd && ::PeekMessageA(&msg, m_hWnd, WM_TOOL_STATUS, WM_TOOL_STATUS, PM_REMOVE))
        delete reinterpret_cast<ServerProtocol::CStatusTexts*>(msg.lParam);
}

void C_MainFrame::OnShowWindow(BOOL show, UINT status) {
    if (!m_bShownOnce) {
        m_bShownOnce = true;
        RestorePlacement();
    }
    CSkinFrameWnd::OnShowWindow(show, status);
}

void C_MainFrame::RestorePlacement() {
    LPBYTE data = nullptr;
    UINT size = 0;
    if (!AfxGetApp()->GetProfileBinary(ToolSettings::Section, ToolSettings::Position, &data, &size)) return;
    std::unique_ptr<BYTE[]> owned(data);
    // A value of another size is not a placement: the window keeps the default place.
    if (size != sizeof(WINDOWPLACEMENT)) return;
    WINDOWPLACEMENT placement;
    memcpy(&placement, data, sizeof placement);
    placement.length = sizeof placement;
    SetWindowPlacement(&placement);
}

void C_MainFrame::SaveLayout() {
    CWinApp* app = AfxGetApp();
    SaveBarState(ToolSettings::BarsSection);
    WINDOWPLACEMENT placement;
    if (GetWindowPlacement(&placement))
        app->WriteProfileBinary(ToolSettings::Section, ToolSettings::Position, (LPBYTE)&placement, sizeof placement);
    // The width the pane was given, its edge included: the client width
    // would shrink the tree by the edge at every start.
    if (CWnd* tree = m_wndSplitter.GetSafeHwnd() ? m_wndSplitter.GetPane(0, 0) : nullptr) {
        CRect outer;
        tree->GetWindowRect(&outer);
        app->WriteProfileInt(ToolSettings::Section, ToolSettings::LeftView, outer.Width());
    }
}

BOOL C_MainFrame::PreTranslateMessage(MSG* msg) {
    // Alt, F10 and the mnemonics belong to the menu bar.
    if (m_wndMenuBar.GetSafeHwnd() && m_wndMenuBar.TranslateFrameMessage(msg)) return TRUE;
    return CSkinFrameWnd::PreTranslateMessage(msg);
}

BOOL C_MainFrame::DestroyWindow() {
    SaveLayout();
    StopListener();
    m_dlgProgress.DestroyWindow();
    return CSkinFrameWnd::DestroyWindow();
}

CV_Common* C_MainFrame::CurrentPage() const {
    CWnd* pane = m_wndSplitter.GetSafeHwnd() ? m_wndSplitter.GetPane(0, 1) : nullptr;
    return pane ? dynamic_cast<CV_Common*>(CWnd::FromHandlePermanent(pane->m_hWnd)) : nullptr;
}

void C_MainFrame::ShowPage(CRuntimeClass* pageClass) {
    // The new page takes the document of the active view: not of the one going.
    CWnd* right = m_wndSplitter.GetPane(0, 1);
    if (right && (CWnd*)GetActiveView() == right)
        SetActiveView(dynamic_cast<CView*>(CWnd::FromHandlePermanent(m_wndSplitter.GetPane(0, 0)->m_hWnd)), FALSE);
    m_wndSplitter.DeleteView(0, 1);
    m_wndSplitter.CreateView(0, 1, pageClass, CSize(0, 0), nullptr);
    m_wndSplitter.RecalcLayout();
}

// ---- the server's answers ------------------------------------------------------

LRESULT C_MainFrame::OnStatusReceived(WPARAM, LPARAM texts) {
    std::unique_ptr<ServerProtocol::CStatusTexts> status(reinterpret_cast<ServerProtocol::CStatusTexts*>(texts));
    if (status) m_wndBarStatus.SetStatus(*status);
    m_wndBarStatus.Refresh();
    return 0;
}

void C_MainFrame::ShowAnswerProgress(UINT formatId, int location) {
    // Left alone while the words are still being sent.
    if (!m_dlgProgress.IsOpen() || m_dlgProgress.IsHeld()) return;
    CString format, text;
    format.LoadString(formatId);
    text.Format(format, location);
    m_dlgProgress.SetStatusText(text);
    if (location != ConfigWords::FirstLocation) m_dlgProgress.StepIt();
}

void C_MainFrame::ReloadPage() {
    if (CV_Common* page = CurrentPage()) page->LoadPageFromDocument();
}

LRESULT C_MainFrame::OnEepromValueRead(WPARAM location, LPARAM value) {
    int at = (int)location;
    ShowAnswerProgress(IDS_READING_LOCATION, at);
    C_OrimbelDoc* doc = TheDocument();
    if (doc && at >= 0 && at < ConfigWords::ImageSize) doc->m_wWords[at] = (WORD)(value & 0xFFFF);
    if (at == ConfigWords::LastLocation) m_dlgProgress.DestroyWindow();
    ReloadPage();
    return 0;
}

LRESULT C_MainFrame::OnEepromValueWritten(WPARAM location, LPARAM) {
    int at = (int)location;
    ShowAnswerProgress(IDS_WRITING_LOCATION, at);
    if (at == ConfigWords::LastLocation) m_dlgProgress.DestroyWindow();
    ReloadPage();
    return 0;
}

LRESULT C_MainFrame::OnControllerError(WPARAM, LPARAM) {
    // Once a command sequence, however many answers say it.
    C_OrimbelDoc* doc = TheDocument();
    if (!doc || doc->m_bErrorShown) return 0;
    doc->m_bErrorShown = TRUE;
    m_dlgProgress.DestroyWindow();
    AfxMessageBox(IDS_CONTROLLER_NOT_FOUND, MB_OK | MB_ICONERROR);
    return 0;
}
