#include "server/app/D_Controller.h"
#include "server/app/OperatorDialogsRes.h"
#include "server/services/ServerSettings.h"
#include <stdio.h>

namespace {
const int HighestNumber = 255; // COM ports and bus addresses both run 1..255

void FillNumbers(CComboBox& list)
{
    list.ResetContent();
    for (int n = 1; n <= HighestNumber; ++n) {
        char text[8];
        snprintf(text, sizeof text, "%d", n);
        list.AddString(text);
    }
}

int InList(int index)
{
    return index >= 0 && index < HighestNumber ? index : 0;
}
} // namespace

BEGIN_MESSAGE_MAP(CD_Controller, CSkinDialog)
    ON_CBN_SELCHANGE(IDC_COMM_PORT, OnSelChangePort)
END_MESSAGE_MAP()

CD_Controller::CD_Controller(CWnd* parent, BOOL edit, const CString& name, int port, int controllerId)
    : CSkinDialog(IDD_CONTROLLER, parent), m_nPortIndex(port - 1), m_nControllerIndex(controllerId - 1), m_strName(name),
      m_bEdit(edit), m_strSettingsPath(SettingsFilePath())
{
}

void CD_Controller::DoDataExchange(CDataExchange* pDX)
{
    CSkinDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_COMM_PORT, m_portList);
    DDX_CBIndex(pDX, IDC_COMM_PORT, m_nPortIndex);
    DDX_Control(pDX, IDC_CONTROLLER_ID, m_controllerList);
    DDX_CBIndex(pDX, IDC_CONTROLLER_ID, m_nControllerIndex);
    DDX_Text(pDX, IDC_CONTROLLER_NAME, m_strName);
}

BOOL CD_Controller::OnInitDialog()
{
    // The base attaches the lists while they are still empty; the values are
    // shown again once they are filled and the indexes chosen.
    BOOL result = CSkinDialog::OnInitDialog();
    FillNumbers(m_portList);
    FillNumbers(m_controllerList);
    CString caption;
    if (m_bEdit) {
        caption.LoadString(IDS_EDIT_CONTROLLER);
        m_portList.EnableWindow(FALSE);
        m_controllerList.EnableWindow(FALSE);
    } else {
        caption.LoadString(IDS_ADD_CONTROLLER);
        // An index outside the lists (a hand-edited file) would leave the
        // list without a selection and give port or address 0.
        AddDialogChoice last = ReadAddDialogChoice(CIniFile(m_strSettingsPath));
        m_nPortIndex = InList(last.commPort);
        m_nControllerIndex = InList(last.controller);
    }
    SetWindowText(caption);
    UpdateData(FALSE);
    return result;
}

void CD_Controller::OnSelChangePort()
{
    UpdateData(TRUE);
}

void CD_Controller::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_strName.Trim();
    if (m_strName.IsEmpty()) {
        AfxMessageBox(IDS_NO_NAME, MB_ICONSTOP);
        GetDlgItem(IDC_CONTROLLER_NAME)->SetFocus();
        return;
    }
    if (!m_bEdit) {
        AddDialogChoice choice;
        choice.commPort = m_nPortIndex;
        choice.controller = m_nControllerIndex;
        WriteAddDialogChoice(CIniFile(m_strSettingsPath), choice);
    }
    EndDialog(IDOK);
}
