#include "configtool/D_SelectFromHalvex.h"
#include "configtool/resource.h"
#include <stdio.h>

namespace {
const char* const Section = "Controllers";

int NumberOf(const CString& text) {
    int value = 0;
    return sscanf(text, "%d", &value) == 1 ? value : 0;
}
}  // namespace

CD_SelectFromHalvex::CD_SelectFromHalvex(CWnd* parent)
    : CSkinDialog(IDD_SELECT_FROM_HALVEX, parent), m_nComPort(0), m_nControllerId(0) {}

BEGIN_MESSAGE_MAP(CD_SelectFromHalvex, CSkinDialog)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
END_MESSAGE_MAP()

void CD_SelectFromHalvex::DoDataExchange(CDataExchange* dx) {
    CSkinDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_HALVEX_FILE, m_strIniPath);
    DDX_Control(dx, IDC_CONTROLLER_LIST, m_list);
}

BOOL CD_SelectFromHalvex::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    CString heading;
    heading.LoadString(IDS_COL_NAME);
    m_list.InsertColumn(0, heading, LVCFMT_LEFT, 200);
    heading.LoadString(IDS_COL_PORT);
    m_list.InsertColumn(1, heading, LVCFMT_RIGHT, 48);
    heading.LoadString(IDS_COL_ID);
    m_list.InsertColumn(2, heading, LVCFMT_RIGHT, 48);
    LoadServerIni();
    return TRUE;
}

void CD_SelectFromHalvex::LoadServerIni() {
    CFile probe;
    if (m_strIniPath.IsEmpty() || !probe.Open(m_strIniPath, CFile::modeRead | CFile::shareDenyNone)) return;
    probe.Close();
    LPCSTR path = m_strIniPath;
    int count = (int)::GetPrivateProfileIntA(Section, "Count", -1, path);
    m_list.DeleteAllItems();
    for (int i = 0; i < count && i < MaxEntries; ++i) {
        CString key;
        char name[256] = "";
        key.Format("Name%d", i);
        ::GetPrivateProfileStringA(Section, key, "", name, sizeof name, path);
        key.Format("Controller%d", i);
        int controller = (int)::GetPrivateProfileIntA(Section, key, -1, path);
        key.Format("CommPort%d", i);
        int port = (int)::GetPrivateProfileIntA(Section, key, -1, path);
        CString text;
        int row = m_list.InsertItem(i, name);
        text.Format("%d", port);
        m_list.SetItemText(row, 1, text);
        text.Format("%d", controller);
        m_list.SetItemText(row, 2, text);
    }
}

void CD_SelectFromHalvex::OnBrowse() {
    CFileDialog dialog(TRUE, "ini", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "INI file (*.ini\xA1)|*.ini||",
                       this);
    if (dialog.DoModal() != IDOK) return;
    m_strIniPath = dialog.GetPathName();
    UpdateData(FALSE);
    LoadServerIni();
}

void CD_SelectFromHalvex::OnOK() {
    int row = m_list.GetSelectionMark();
    if (row < 0) {
        AfxMessageBox(IDS_NOTHING_SELECTED, MB_OK | MB_ICONERROR);
        return;
    }
    m_nComPort = NumberOf(m_list.GetItemText(row, 1));
    m_nControllerId = NumberOf(m_list.GetItemText(row, 2));
    CSkinDialog::OnOK();
}
