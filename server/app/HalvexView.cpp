#include "server/app/HalvexView.h"
#include "server/app/HalvexApp.h"
#include "server/app/resource.h"
#include "server/services/ServerSettings.h"
#include "server/services/ServiceMessages.h"

IMPLEMENT_DYNCREATE(C_HalvexView, CFormView)

const UINT C_HalvexView::WM_VIEW_REGISTRATIONS = RegisterWindowMessageA("Halvex.View.Registrations");
const UINT C_HalvexView::WM_VIEW_STATUS = RegisterWindowMessageA("Halvex.View.Status");
const UINT C_HalvexView::WM_VIEW_REMOVE = RegisterWindowMessageA("Halvex.View.Remove");

BEGIN_MESSAGE_MAP(C_HalvexView, CFormView)
    ON_MESSAGE(WM_LOG_STRING, OnLogString)
    ON_MESSAGE(WM_BUFFER_COUNT, OnBufferCount)
    ON_MESSAGE(WM_BUS_DIAGNOSTICS, OnIgnored)
    ON_MESSAGE(WM_DEVICE_STATE, OnDeviceState)
    ON_REGISTERED_MESSAGE(CHalvexViewLog::WM_ADD_LOG_LINE, OnAddLogLine)
    ON_REGISTERED_MESSAGE(WM_VIEW_REGISTRATIONS, OnQueuedRegistrations)
    ON_REGISTERED_MESSAGE(WM_VIEW_STATUS, OnStatusReply)
    ON_REGISTERED_MESSAGE(WM_VIEW_REMOVE, OnRemoveRequest)
    ON_NOTIFY(NM_RCLICK, IDC_TREE, OnTreeRightClick)
    // Operator commands.
    ON_COMMAND(ID_ONLINE, OnLine)
    ON_UPDATE_COMMAND_UI(ID_ONLINE, OnUpdateOnLine)
    ON_COMMAND(ID_CONTROLLER_ADD, OnAdd)
    ON_COMMAND(ID_CONTROLLER_EDIT, OnEdit)
    ON_COMMAND(ID_CONTROLLER_REMOVE, OnRemove)
    ON_COMMAND(ID_CONTROLLER_STATUS, OnStatus)
    ON_COMMAND(ID_STATUS_ALL, OnStatusAll)
    ON_COMMAND(ID_CONTROLLER_DIAGNOSTICS, OnDiagnostics)
    ON_COMMAND(ID_CONTROLLER_SETTIME, OnSetTime)
    ON_COMMAND(ID_SETTIME_ALL, OnSetTimeToAll)
    ON_COMMAND(ID_CONTROLLER_RESET, OnReset)
    ON_COMMAND(ID_CONTROLLER_PACK, OnPack)
    ON_COMMAND(ID_EXPAND_ALL, OnExpandAll)
    ON_COMMAND(ID_COLLAPSE_ALL, OnCollapseAll)
    ON_COMMAND(ID_SHOW_USER_LOG, OnShowUserLog)
    ON_COMMAND(ID_SETTINGS, OnSettings)
    ON_COMMAND(ID_IMPORT_REGISTRATIONS, OnImportRegistrations)
    ON_UPDATE_COMMAND_UI(ID_IMPORT_REGISTRATIONS, OnUpdateImport)
    ON_COMMAND(ID_TEST_READ_EEPROM, OnTestReadEEPROM)
    ON_COMMAND(ID_TEST_WRITE_EEPROM, OnTestWriteEEPROM)
    ON_UPDATE_COMMAND_UI(ID_CONTROLLER_EDIT, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_CONTROLLER_REMOVE, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_CONTROLLER_STATUS, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_STATUS_ALL, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_CONTROLLER_DIAGNOSTICS, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_CONTROLLER_SETTIME, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_CONTROLLER_RESET, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_CONTROLLER_PACK, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_SETTIME_ALL, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_EXPAND_ALL, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_COLLAPSE_ALL, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_TEST_READ_EEPROM, OnUpdateControllerCommand)
    ON_UPDATE_COMMAND_UI(ID_TEST_WRITE_EEPROM, OnUpdateControllerCommand)
END_MESSAGE_MAP()


C_HalvexView::C_HalvexView()
    : CFormView(IDD_HALVEX_FORM), m_bRunning(true), m_bOnLine(true), m_bUseBCDB(false), m_bDatabaseConnected(false), m_nAutoSetTime(0),
      m_nTestMenu(0), m_nSelectPollInfo(0), m_nAutoSetTimeInterval(1), m_nTCPPort(65000), m_busServices(*this),
      m_setTime(*this, QueueSetTimeOnBus), m_bInitialised(false), m_bShuttingDown(false), m_nBusy(0),
      m_bCloseDeferred(false), m_pRemoving(nullptr), m_hFrame(nullptr),
      m_registrationRows(MaxRegistrationRows, &C_HalvexView::InsertRegistrationRow)
{
}

C_HalvexView::~C_HalvexView()
{
    if (VTMultiDrop::GetBusView() == this)
        VTMultiDrop::SetBusView(nullptr);
    if (HalvexApp().m_pView == this)
        HalvexApp().m_pView = nullptr;
}

void C_HalvexView::DoDataExchange(CDataExchange* dx)
{
    CFormView::DoDataExchange(dx);
    DDX_Control(dx, IDC_REGISTRATIONS, m_listRegistrations);
    DDX_Control(dx, IDC_TREE, m_tree);
    DDX_Control(dx, IDC_MESSAGES, m_listMessages);
}

void C_HalvexView::LoadImageList(CImageList& list, UINT bitmapId)
{
    list.Attach(ImageList_LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(bitmapId), 16, 1, RGB(255, 0, 255),
                                     IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

void C_HalvexView::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();
    // File New and File Open run this again: the controls, the controllers
    // and the services are set up once, by the first run.
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    CFrameWnd* frame = GetParentFrame();
    if (frame) {
        frame->RecalcLayout();
        m_hFrame = frame->m_hWnd;
    }
    ResizeParentToFit(FALSE);

    LoadImageList(m_imagesTree, IDB_TREE);
    m_tree.SetImageList(&m_imagesTree, TVSIL_NORMAL);
    m_tree.SendMessage(TVM_SETITEMHEIGHT, 18);

    LoadImageList(m_imagesRegistrations, IDB_REGISTRATIONS);
    m_listRegistrations.SetImageList(&m_imagesRegistrations, LVSIL_SMALL);
    const struct { UINT text; int width; } regColumns[] = {
        { IDS_COL_MEDIAID, 108 }, { IDS_COL_DATETIME, 124 }, { IDS_COL_PORT, 40 },
        { IDS_COL_CONTROLLER, 40 }, { IDS_COL_EVENT, 72 },
    };
    for (int i = 0; i < 5; ++i)
        m_listRegistrations.InsertColumn(i, LoadResourceString(regColumns[i].text).c_str(), LVCFMT_LEFT,
                                         regColumns[i].width);
    m_listRegistrations.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_registrationRows.Attach(&m_listRegistrations, m_hWnd, WM_VIEW_REGISTRATIONS);

    LoadImageList(m_imagesMessages, IDB_MESSAGES);
    m_listMessages.SetImageList(&m_imagesMessages, LVSIL_SMALL);
    m_listMessages.InsertColumn(0, LoadResourceString(IDS_COL_DATETIME).c_str(), LVCFMT_LEFT, 144);
    m_listMessages.InsertColumn(1, LoadResourceString(IDS_COL_DESCRIPTION).c_str(), LVCFMT_LEFT, 236);
    m_listMessages.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_log.Attach(&m_listMessages, m_hWnd);

    StartServices();

    m_bOnLine = !m_bOnLine;
    OnLine();
}

void C_HalvexView::StartServices()
{
    CIniFile ini(SettingsFilePath());
    ServiceSettings s = LoadServiceSettings(ini);
    m_bOnLine = s.online;
    m_nTestMenu = s.testMenu ? 1 : 0;
    m_nSelectPollInfo = s.selectPollInfo ? 1 : 0;
    m_bUseBCDB = s.useBCDB;
    SetConnStr(s.connStr.c_str());
    m_nAutoSetTime = s.autoSetTime;
    m_nAutoSetTimeInterval = s.autoSetTimeInterval;
    m_nTCPPort = s.tcpPort;
    for (const ControllerEntry& entry : s.controllers)
        AddController(entry.name.c_str(), entry.port, entry.id);

    m_services.StartServices(this, &m_busServices, &m_busServices, &m_setTime);
}

void C_HalvexView::ConnectBus()
{
    VTMultiDrop::SetBusView(this);
    VTMultiDrop::Initialize(m_services.ConsumerThreadId());
}

BOOL C_HalvexView::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    // During the shutdown and a removal the GUI thread pumps messages while
    // controllers go away: no command may reach them then. Exit stays open
    // during a removal: the frame defers it until the removal ends.
    const bool exitDuringRemoval = id == ID_APP_EXIT && !m_bShuttingDown;
    if (CommandsBlocked() && info == nullptr && !exitDuringRemoval) {
        if (code == (int)CN_UPDATE_COMMAND_UI) {
            static_cast<CCmdUI*>(extra)->Enable(FALSE);
            return TRUE;
        }
        if (code == CN_COMMAND)
            return TRUE;
    }
    return CFormView::OnCmdMsg(id, code, extra, info);
}

// ---- any thread ----------------------------------------------------------

std::string C_HalvexView::ConnStr() const
{
    CSingleLock lock(&m_connStrLock, TRUE);
    return std::string(m_strConnStr.GetString());
}

void C_HalvexView::SetConnStr(const CString& text)
{
    // A copy of its own: the reference-counted text is never shared across threads.
    CSingleLock lock(&m_connStrLock, TRUE);
    m_strConnStr = CString(text.GetString());
}

void C_HalvexView::AddLogMessage(const std::string& text, int image)
{
    m_log.AddLogMessage(text, image);
}

void C_HalvexView::AddRegistration(int slot)
{
    // The ring slot is copied now: it may be rewritten before the GUI thread
    // gets to it. Only the newest rows can be shown, so the queue is bounded.
    m_registrationRows.Queue(VTMultiDrop::g_Registrations[slot & VTMultiDrop::RegistrationRingMask]);
}

void C_HalvexView::UpdateControllerStatus(int id, int port)
{
    ::PostMessageA(m_hWnd, WM_VIEW_STATUS, (WPARAM)id, (LPARAM)port);
}

void C_HalvexView::AddDiagnosticsLine(int id, int port)
{
    std::string ct = VTMultiDrop::GetDiagnosticsCT(id);
    std::string rd = VTMultiDrop::GetDiagnosticsRD(id);
    std::string wr = VTMultiDrop::GetDiagnosticsWR(id);
    VTMultiDrop::EraseDiagnostics(id);
    m_log.AddDiagnosticsLine(id, port, ct, rd, wr);
}

std::vector<std::pair<int, int>> C_HalvexView::ControllersInTreeOrder()
{
    CSingleLock lock(&m_lock, TRUE);
    return m_treeOrder;
}

std::string C_HalvexView::LoadResourceString(UINT id)
{
    char text[1024] = "";
    LoadStringA(AfxGetResourceHandle(), id, text, sizeof(text));
    return text;
}

void C_HalvexView::LogUserEvent(int eventId, int port, int id, const std::string& description)
{
    m_userLog.LogEvent((UINT)eventId, port, id, description.c_str());
}

void C_HalvexView::RefreshCommandStates()
{
    if (m_hFrame != nullptr)
        ::PostMessageA(m_hFrame, WM_IDLEUPDATECMDUI, TRUE, 0);
}

// ---- GUI thread: messages --------------------------------------------------

LRESULT C_HalvexView::OnLogString(WPARAM wParam, LPARAM lParam)
{
    return m_log.OnLogString(wParam, lParam);
}

LRESULT C_HalvexView::OnBufferCount(WPARAM wParam, LPARAM lParam)
{
    return m_log.OnBufferCount(wParam, lParam);
}

LRESULT C_HalvexView::OnAddLogLine(WPARAM wParam, LPARAM lParam)
{
    return m_log.OnAddLogLine(wParam, lParam);
}

LRESULT C_HalvexView::OnQueuedRegistrations(WPARAM, LPARAM)
{
    m_registrationRows.OnWake();
    return 0;
}

void C_HalvexView::InsertRegistrationRow(CListCtrl& list, const VTMultiDrop::EventArgRegistration& r)
{
    int image = !r.m_Valid ? 0 : (r.m_EventCode < 128 ? 2 : 1);
    int row = list.InsertItem(list.GetItemCount(), r.m_MediaId.c_str(), image);
    CString text;
    list.SetItemText(row, 1, r.m_DateTimeText.c_str());
    text.Format("%d", r.m_Port);
    list.SetItemText(row, 2, text);
    text.Format("%d", r.m_DeviceId);
    list.SetItemText(row, 3, text);
    text.Format("[%s] %s", r.m_EventCodeText.c_str(), r.m_EventName.c_str());
    list.SetItemText(row, 4, text);
}

void C_HalvexView::OnUpdateOnLine(CCmdUI* cmdUI)
{
    cmdUI->SetCheck(m_bOnLine ? 1 : 0);
    cmdUI->Enable(TRUE);
}
