// The controller commands of the document: each sends text commands to the
// server, which answers on the tool's reply port (the frame takes the answers).
#include "configtool/D_SelectFromHalvex.h"
#include "configtool/MainFrame.h"
#include "configtool/OrimbelDoc.h"
#include "configtool/ServerLink.h"
#include "configtool/ServerProtocol.h"
#include "configtool/V_Common.h"
#include "configtool/resource.h"

BEGIN_MESSAGE_MAP(C_OrimbelDoc, CDocument)
    ON_COMMAND(ID_CONTROLLER_STATUS, ReadStatus)
    ON_COMMAND(ID_EEPROM_READ, ReadEeprom)
    ON_COMMAND(ID_EEPROM_WRITE, WriteEeprom)
    ON_COMMAND(ID_CONTROLLER_SETTIME, SetControllerTime)
    ON_COMMAND(ID_SELECT_FROM_HALVEX, SelectFromServerIni)
    ON_COMMAND(ID_RESET_PAGE, OnResetPage)
END_MESSAGE_MAP()

int C_OrimbelDoc::SendServerCommand(LPCSTR command, int arg1, int arg2) {
    if (m_bUnreachable) return -1;
    if (ServerLink::SendFrame(ServerProtocol::CommandFrame(m_nComPort, m_nControllerId, command, arg1, arg2)))
        return 0;
    m_bUnreachable = TRUE;
    if (C_MainFrame* frame = TheMainFrame()) frame->m_dlgProgress.DestroyWindow();
    AfxMessageBox(IDS_HALVEX_UNREACHABLE, MB_OK | MB_ICONERROR);
    return 0;
}

void C_OrimbelDoc::BeginCommandSequence() {
    m_bUnreachable = FALSE;
    m_bErrorShown = FALSE;
}

void C_OrimbelDoc::OpenProgress() {
    C_MainFrame* frame = TheMainFrame();
    if (!frame) return;
    CProgressDlg& progress = frame->m_dlgProgress;
    progress.DestroyWindow();
    progress.SetRange(ConfigWords::FirstLocation, ConfigWords::LastLocation);
    if (!progress.Create(frame)) return;
    progress.SetPos(ConfigWords::FirstLocation);
    progress.SetStep(1);
    progress.SetActiveWindow();
}

void C_OrimbelDoc::ReadStatus() {
    BeginCommandSequence();
    CWaitCursor wait;
    SendServerCommand("ST", 0, 0);
}

void C_OrimbelDoc::SetControllerTime() {
    BeginCommandSequence();
    if (AfxMessageBox(IDS_ASK_SET_TIME, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    CWaitCursor wait;
    SendServerCommand("SETTIME", 0, 0);
}

void C_OrimbelDoc::ReadEeprom() {
    BeginCommandSequence();
    OpenProgress();
    // No answer is waited for: they arrive at the frame while this still sends.
    for (int location = ConfigWords::FirstLocation; location <= ConfigWords::LastLocation; ++location)
        SendServerCommand("RE", location, 0);
}

void C_OrimbelDoc::WriteEeprom() {
    BeginCommandSequence();
    C_MainFrame* frame = TheMainFrame();
    if (!frame) return;
    // The window stays as it is until every word is sent.
    CProgressDlg::CHold hold(frame->m_dlgProgress);
    OpenProgress();
    for (int location = ConfigWords::FirstLocation; location <= ConfigWords::LastLocation; ++location)
        SendServerCommand("WE", location, (int)m_wWords[location]);
}

void C_OrimbelDoc::SelectFromServerIni() {
    C_MainFrame* frame = TheMainFrame();
    CD_SelectFromHalvex picker(frame);
    picker.m_strIniPath = m_strServerIni;
    if (picker.DoModal() != IDOK) return;
    m_strServerIni = picker.m_strIniPath;
    if (frame) frame->m_wndBarStatus.SelectController(picker.m_nComPort - 1, picker.m_nControllerId - 1);
    m_nComPort = picker.m_nComPort;
    m_nControllerId = picker.m_nControllerId;
}

void C_OrimbelDoc::OnResetPage() {
    C_MainFrame* frame = TheMainFrame();
    if (CV_Common* page = frame ? frame->CurrentPage() : nullptr) page->ResetPage();
}
