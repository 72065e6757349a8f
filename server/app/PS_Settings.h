// The settings sheet of the command "Settings...": the reporting-database
// page and the miscellaneous page. The pages edit copies; the view takes
// the values back after OK.
#pragma once
#include "framework/framework.h"
#include "skin/skinpropsheet.h"

typedef CSkinPropertySheet CSettingsSheetBase;
typedef CSkinPropertyPage CSettingsPageBase;

class CPP_Database : public CSettingsPageBase
{
public:
    CPP_Database();

    CString m_strConnStr;
    int m_bUseBCDB;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnUseDatabase();
    void OnBuild();
    DECLARE_MESSAGE_MAP()

private:
    void EnableConnectionControls();
};

class CPP_Misc : public CSettingsPageBase
{
public:
    CPP_Misc();

    int m_bAutoSetTime;
    int m_nAutoSetTimeInterval; // minutes
    int m_nCommandTimeOut;      // seconds
    int m_nTCPPort;
    int m_bTestMenu;
    int m_bSelectPollInfo;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnAutoSetTime();
    DECLARE_MESSAGE_MAP()

private:
    void EnableIntervalControl();
};

class CPS_Settings : public CSettingsSheetBase
{
public:
    explicit CPS_Settings(CWnd* parent);

    CPP_Database m_pageDatabase;
    CPP_Misc m_pageMisc;
};
