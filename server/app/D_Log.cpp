#include "server/app/D_Log.h"
#include "server/app/OperatorDialogsRes.h"
#include "server/services/SQLiteDatabase.h"
#include "server/services/UserLog.h"

namespace {
struct Column {
    UINT heading;
    int width; // pixels
    const char* field;
};
const Column Columns[] = {
    {IDS_COLUMN_DATETIME, 140, "LogDT"},
    {IDS_COLUMN_EVENT, 80, "EventID"},
    {IDS_COLUMN_PORT, 32, "Port"},
    {IDS_COLUMN_CONTROLLER, 32, "Controller"},
    {IDS_COLUMN_DESCRIPTION, 180, "Desc"},
};
const int ColumnCount = sizeof Columns / sizeof Columns[0];
} // namespace

CD_Log::CD_Log(SQLite::Database& log, CWnd* parent) : CSkinDialog(IDD_USER_LOG, parent), m_log(log)
{
}

BOOL CD_Log::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_USER_LOG_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    AddColumns();
    AddRows();
    return TRUE;
}

void CD_Log::AddColumns()
{
    for (int c = 0; c < ColumnCount; ++c) {
        CString heading;
        heading.LoadString(Columns[c].heading);
        m_list.InsertColumn(c, heading, LVCFMT_LEFT, Columns[c].width);
    }
}

void CD_Log::AddRows()
{
    // A log that could not be opened shows no rows.
    SQLite::TablePtr rows = m_log.Query("select * from tblLog order by LogDT");
    if (!rows || !rows->ResetRow())
        return;
    do {
        int row = m_list.GetItemCount();
        for (int c = 0; c < ColumnCount; ++c) {
            const char* value = rows->GetValue(Columns[c].field);
            if (!value)
                value = "";
            if (c == 0)
                row = m_list.InsertItem(row, value);
            else
                m_list.SetItemText(row, c, value);
        }
    } while (rows->MoveNext());
}

void CUserLog::ShowLog()
{
    CD_Log dialog(GetDatabase());
    dialog.DoModal();
}
