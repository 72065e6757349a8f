// The user event log viewer: every row of tblLog, oldest first.
#pragma once
#include "framework/framework.h"
#include "skin/skindialog.h"

namespace SQLite {
class Database;
}

class CD_Log : public CSkinDialog {
public:
    CD_Log(SQLite::Database& log, CWnd* parent = nullptr);

    CListCtrl m_list;

protected:
    BOOL OnInitDialog() override;

private:
    void AddColumns();
    void AddRows();
    SQLite::Database& m_log;
};
