#include "configtool/D_BarStatus.h"
#include "configtool/OrimbelDoc.h"
#include "configtool/ToolSettings.h"
#include "configtool/resource.h"

namespace {
const UINT LabelIds[] = {IDC_LABEL_COM_PORT, IDC_LABEL_CONTROLLER, IDC_LABEL_DEVICE, IDC_LABEL_VERSION,
                         IDC_LABEL_DATE,     IDC_LABEL_TIME,       IDC_DEVICE_TEXT,  IDC_VERSION_TEXT,
                         IDC_DATE_TEXT,      IDC_TIME_TEXT};
}  // namespace

CD_BarStatus::CD_BarStatus() : m_nComPortIndex(0), m_nControllerIndex(0) {}

BEGIN_MESSAGE_MAP(CD_BarStatus, CSkinDialogBar)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_CBN_SELCHANGE(IDC_COM_PORT, OnSelectionChange)
    ON_CBN_SELCHANGE(IDC_CONTROLLER, OnSelectionChange)
END_MESSAGE_MAP()

BOOL CD_BarStatus::CreateBar(CWnd* parent, UINT style, UINT id) {
    if (!Create(parent, IDD_BAR_STATUS, style, id)) return FALSE;
    for (size_t i = 0; i < sizeof LabelIds / sizeof LabelIds[0]; ++i) m_labels[i].SubclassDlgItem(LabelIds[i], this);
    UpdateData(FALSE);
    FillCombos();
    Refresh();
    return TRUE;
}

int CD_BarStatus::OnCreate(LPCREATESTRUCTA cs) {
    if (CSkinDialogBar::OnCreate(cs) == -1) return -1;
    m_nComPortIndex = m_nControllerIndex = 0;
    return 0;
}

void CD_BarStatus::DoDataExchange(CDataExchange* dx) {
    CSkinDialogBar::DoDataExchange(dx);
    DDX_Text(dx, IDC_DEVICE_TEXT, m_strDevice);
    DDX_Text(dx, IDC_VERSION_TEXT, m_strVersion);
    DDX_Text(dx, IDC_DATE_TEXT, m_strDate);
    DDX_Text(dx, IDC_TIME_TEXT, m_strTime);
    DDX_Control(dx, IDC_COM_PORT, m_cbComPort);
    DDX_Control(dx, IDC_CONTROLLER, m_cbController);
    DDX_CBIndex(dx, IDC_COM_PORT, m_nComPortIndex);
    DDX_CBIndex(dx, IDC_CONTROLLER, m_nControllerIndex);
}

void CD_BarStatus::FillCombos() {
    m_cbComPort.ResetContent();
    m_cbController.ResetContent();
    for (int number = 1; number <= Highest; ++number) {
        CString text;
        text.Format("%d", number);
        m_cbComPort.SetItemData(m_cbComPort.AddString(text), (DWORD_PTR)number);
        m_cbController.SetItemData(m_cbController.AddString(text), (DWORD_PTR)number);
    }
}

void CD_BarStatus::Refresh() {
    UpdateData(FALSE);
    Invalidate(TRUE);
}

void CD_BarStatus::SetStatus(const ServerProtocol::CStatusTexts& status) {
    m_strDate = status.date;
    m_strTime = status.time;
    m_strDevice = status.device;
    m_strVersion = status.version;
}

void CD_BarStatus::SelectController(int comPortIndex, int controllerIndex) {
    m_nComPortIndex = comPortIndex;
    m_nControllerIndex = controllerIndex;
    Refresh();
}

void CD_BarStatus::OnSelectionChange() {
    UpdateData(TRUE);
    if (C_OrimbelDoc* doc = TheDocument()) {
        doc->m_nComPort = m_nComPortIndex + 1;
        doc->m_nControllerId = m_nControllerIndex + 1;
    }
}

void CD_BarStatus::OnDestroy() {
    if (CWinApp* app = AfxGetApp()) {
        app->WriteProfileInt(ToolSettings::Section, ToolSettings::ComPort, m_nComPortIndex);
        app->WriteProfileInt(ToolSettings::Section, ToolSettings::TermId, m_nControllerIndex);
    }
    CSkinDialogBar::OnDestroy();
}
