// The command "Settings...": the sheet edits copies of the view's run-time
// settings and the command time-out; after OK the view takes them back and
// the reporting-database thread connects again with them.
#include "server/app/HalvexView.h"
#include "server/app/HalvexApp.h"
#include "server/app/PS_Settings.h"

void C_HalvexView::OnSettings()
{
    CPS_Settings sheet(GetParentFrame());
    CPP_Database& database = sheet.m_pageDatabase;
    CPP_Misc& misc = sheet.m_pageMisc;
    database.m_bUseBCDB = m_bUseBCDB ? 1 : 0;
    database.m_strConnStr = ConnStr().c_str();
    misc.m_bAutoSetTime = m_nAutoSetTime;
    misc.m_nAutoSetTimeInterval = m_nAutoSetTimeInterval;
    misc.m_nCommandTimeOut = g_nCommandTimeOut / 1000;
    misc.m_nTCPPort = m_nTCPPort;
    misc.m_bTestMenu = m_nTestMenu;
    misc.m_bSelectPollInfo = m_nSelectPollInfo;
    if (sheet.DoModal() != IDOK)
        return;

    m_bUseBCDB = database.m_bUseBCDB != 0;
    SetConnStr(database.m_strConnStr);
    m_nAutoSetTime = misc.m_bAutoSetTime;
    m_nAutoSetTimeInterval = misc.m_nAutoSetTimeInterval;
    g_nCommandTimeOut = misc.m_nCommandTimeOut * 1000;
    // The listener binds its port once: the new one is used after a restart.
    m_nTCPPort = misc.m_nTCPPort;
    m_nTestMenu = misc.m_bTestMenu;
    m_nSelectPollInfo = misc.m_bSelectPollInfo;
    m_services.ReconnectDatabase();
}
