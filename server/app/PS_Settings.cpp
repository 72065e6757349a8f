#include "server/app/PS_Settings.h"
#include "server/app/DataSourceLocator.h"
#include "server/app/SettingsSheetRes.h"
#include <cstdio>

// ---- reporting database ------------------------------------------------------

BEGIN_MESSAGE_MAP(CPP_Database, CSettingsPageBase)
    ON_BN_CLICKED(IDC_USE_DATABASE, OnUseDatabase)
    ON_BN_CLICKED(IDC_BUILD_CONNECTION, OnBuild)
END_MESSAGE_MAP()

CPP_Database::CPP_Database() : CSettingsPageBase(IDD_PAGE_DATABASE), m_bUseBCDB(0)
{
}

void CPP_Database::DoDataExchange(CDataExchange* dx)
{
    CSettingsPageBase::DoDataExchange(dx);
    DDX_Check(dx, IDC_USE_DATABASE, m_bUseBCDB);
    DDX_Text(dx, IDC_CONNECTION_STRING, m_strConnStr);
}

BOOL CPP_Database::OnInitDialog()
{
    CSettingsPageBase::OnInitDialog();
    EnableConnectionControls();
    return TRUE;
}

void CPP_Database::EnableConnectionControls()
{
    const BOOL use = IsDlgButtonChecked(IDC_USE_DATABASE) == BST_CHECKED;
    for (int id : {IDC_CONNECTION_STRING, IDC_BUILD_CONNECTION})
        if (CWnd* control = GetDlgItem(id))
            control->EnableWindow(use);
}

void CPP_Database::OnUseDatabase()
{
    EnableConnectionControls();
}

void CPP_Database::OnBuild()
{
    CString text;
    if (CWnd* edit = GetDlgItem(IDC_CONNECTION_STRING)) {
        const int length = edit->GetWindowTextLength();
        edit->GetWindowText(text.GetBuffer(length + 1), length + 1);
        text.ReleaseBuffer();
    }
    CDataSourceLocator locator(m_hWnd);
    const BOOL built = text.IsEmpty() ? locator.PromptNew() : locator.PromptEdit(text);
    if (built) {
        SetDlgItemText(IDC_CONNECTION_STRING, locator.GetConnectionString());
        return;
    }
    // A cancel keeps the text silently; a failure says why, and keeps it too.
    const HRESULT hr = locator.GetLastResult();
    if (hr == S_FALSE || SUCCEEDED(hr))
        return;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", (unsigned long)hr);
    AfxMessageBox(AfxFormatString1(IDS_DATA_LINK_FAILED, code), MB_OK | MB_ICONEXCLAMATION);
}

// ---- miscellaneous -----------------------------------------------------------

BEGIN_MESSAGE_MAP(CPP_Misc, CSettingsPageBase)
    ON_BN_CLICKED(IDC_AUTO_SET_TIME, OnAutoSetTime)
END_MESSAGE_MAP()

CPP_Misc::CPP_Misc()
    : CSettingsPageBase(IDD_PAGE_MISC), m_bAutoSetTime(0), m_nAutoSetTimeInterval(1), m_nCommandTimeOut(0),
      m_nTCPPort(65000), m_bTestMenu(1), m_bSelectPollInfo(1)
{
}

void CPP_Misc::DoDataExchange(CDataExchange* dx)
{
    CSettingsPageBase::DoDataExchange(dx);
    DDX_Check(dx, IDC_AUTO_SET_TIME, m_bAutoSetTime);
    DDX_Text(dx, IDC_AUTO_SET_INTERVAL, m_nAutoSetTimeInterval);
    DDV_MinMaxInt(dx, m_nAutoSetTimeInterval, 1, 32767);
    DDX_Text(dx, IDC_COMMAND_TIMEOUT, m_nCommandTimeOut);
    DDV_MinMaxInt(dx, m_nCommandTimeOut, 1, 65535);
    DDX_Text(dx, IDC_TCP_PORT, m_nTCPPort);
    DDV_MinMaxInt(dx, m_nTCPPort, 1, 65535);
    DDX_Check(dx, IDC_TEST_MENU, m_bTestMenu);
    DDX_Check(dx, IDC_SELECT_POLL_INFO, m_bSelectPollInfo);
}

BOOL CPP_Misc::OnInitDialog()
{
    CSettingsPageBase::OnInitDialog();
    EnableIntervalControl();
    return TRUE;
}

void CPP_Misc::EnableIntervalControl()
{
    if (CWnd* interval = GetDlgItem(IDC_AUTO_SET_INTERVAL))
        interval->EnableWindow(IsDlgButtonChecked(IDC_AUTO_SET_TIME) == BST_CHECKED);
}

void CPP_Misc::OnAutoSetTime()
{
    EnableIntervalControl();
}

// ---- the sheet ---------------------------------------------------------------

CPS_Settings::CPS_Settings(CWnd* parent) : CSettingsSheetBase(IDS_SETTINGS, parent)
{
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    AddPage(&m_pageDatabase);
    AddPage(&m_pageMisc);
}
