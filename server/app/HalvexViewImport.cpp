// The Import registrations command: the chosen period of a registration file
// sent to the reporting database in one transaction, on the GUI thread,
// with a progress window that can cancel it. The service threads only post
// to this thread, so none of them waits while the import holds it.
#include "server/app/HalvexView.h"
#include "server/app/D_ImportReg.h"
#include "server/app/D_Progress.h"
#include "server/app/RegistrationImport.h"
#include "server/app/resource.h"
#include "server/services/AdoConnection.h"

namespace {

class CAdoImportDatabase : public IImportDatabase
{
public:
    explicit CAdoImportDatabase(CAdoConnection& connection) : m_connection(connection) {}
    bool BeginTrans() override { return m_connection.BeginTrans() != FALSE; }
    bool Execute(const std::string& statement) override { return m_connection.Execute(statement.c_str()) != FALSE; }
    bool CommitTrans() override { return m_connection.CommitTrans() != FALSE; }
    bool RollbackTrans() override { return m_connection.RollbackTrans() != FALSE; }
    std::string LastError() override { return std::string(m_connection.GetLastErrorText().GetString()); }

private:
    CAdoConnection& m_connection;
};

class CProgressSteps : public IImportProgress
{
public:
    explicit CProgressSteps(CD_Progress& progress) : m_progress(progress) {}
    bool Step(int imported, int read) override
    {
        CString text;
        text.Format("%d / %d", imported, read);
        m_progress.SetText(text);
        return m_progress.CheckCancel() != FALSE;
    }

private:
    CD_Progress& m_progress;
};

} // namespace

void C_HalvexView::OnUpdateImport(CCmdUI* cmdUI)
{
    cmdUI->Enable(m_bDatabaseConnected);
}

void C_HalvexView::OnImportRegistrations()
{
    CD_ImportReg dlg(AfxGetApp()->m_pszProfileName);
    if (dlg.DoModal() != IDOK)
        return;
    const ImportPeriod period = { std::string(CD_ImportReg::PeriodText(dlg.m_fromDate, dlg.m_fromTime).GetString()),
                                  std::string(CD_ImportReg::PeriodText(dlg.m_toDate, dlg.m_toTime).GetString()) };

    CD_Progress progress(IDS_IMPORT_CAPTION);
    if (!progress.Create())
        return;
    progress.m_progress.ShowWindow(SW_HIDE);
    progress.ShowWindow(SW_SHOW);

    CAdoConnection connection;
    ImportResult result;
    if (connection.Open(ConnStr().c_str(), "", "")) {
        CAdoImportDatabase db(connection);
        CProgressSteps steps(progress);
        result = ImportRegistrations(db, steps, std::string(dlg.m_strFilePath.GetString()), period);
    } else {
        result.error = std::string(connection.GetLastErrorText().GetString());
    }
    // Every way out enables the main window again and ends the connection.
    progress.DestroyWindow();
    connection.Close();
    if (!result.error.empty())
        AfxMessageBox(result.error.c_str(), MB_OK | MB_ICONERROR);
    if (result.committed) {
        CString text;
        text.Format(IDS_IMPORTED, result.imported, result.read);
        AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
    }
}
