#include "server/app/D_ImportReg.h"
#include "server/app/OperatorDialogsRes.h"
#include "server/app/RegistrationImport.h"
#include "server/services/IniFile.h"
#include "server/services/ServerSettings.h"
#include <cstdio>

BEGIN_MESSAGE_MAP(CD_ImportReg, CSkinDialog)
    ON_BN_CLICKED(IDC_IMPORT_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CD_ImportReg::CD_ImportReg(const CString& iniPath, CWnd* parent)
    : CSkinDialog(IDD_IMPORT_REGS, parent), m_strIniPath(iniPath)
{
    m_strFilePath = ReadImportFilePath(CIniFile((LPCSTR)iniPath)).c_str();
    CTime now = CTime::GetCurrentTime();
    CTime today(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0);
    m_fromDate = today - CTimeSpan(30, 0, 0, 0);
    m_fromTime = today;
    m_toDate = today;
    m_toTime = CTime(now.GetYear(), now.GetMonth(), now.GetDay(), 23, 59, 59);
}

CString CD_ImportReg::PeriodText(const CTime& date, const CTime& time)
{
    char text[32];
    snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", date.GetYear(), date.GetMonth(), date.GetDay(),
             time.GetHour(), time.GetMinute(), time.GetSecond());
    return text;
}

void CD_ImportReg::DoDataExchange(CDataExchange* dx)
{
    CSkinDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_IMPORT_FILE, m_strFilePath);
    DDX_DateTimeCtrl(dx, IDC_IMPORT_FROM_DATE, m_fromDate);
    DDX_DateTimeCtrl(dx, IDC_IMPORT_TO_DATE, m_toDate);
    DDX_DateTimeCtrl(dx, IDC_IMPORT_FROM_TIME, m_fromTime);
    DDX_DateTimeCtrl(dx, IDC_IMPORT_TO_TIME, m_toTime);
}

void CD_ImportReg::OnBrowse()
{
    CFileDialog dlg(TRUE, "regQv", nullptr, OFN_HIDEREADONLY, "Halvex reg files(*.regQv)|*.regQv||", this);
    if (dlg.DoModal() == IDOK)
        SetDlgItemText(IDC_IMPORT_FILE, dlg.GetPathName());
}

void CD_ImportReg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_strFilePath.Trim();
    if (m_strFilePath.IsEmpty())
        return;
    std::string error;
    if (!OpenImportFile((LPCSTR)m_strFilePath, error).IsValid()) {
        AfxMessageBox(error.c_str(), MB_OK | MB_ICONERROR);
        return;
    }
    WriteImportFilePath(CIniFile((LPCSTR)m_strIniPath), (LPCSTR)m_strFilePath);
    EndDialog(IDOK);
}
