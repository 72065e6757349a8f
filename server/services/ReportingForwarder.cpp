#include "server/services/ReportingForwarder.h"

#include <sqlite3.h>
#include <cstdio>
#include <cstdlib>

CReportingForwarder::CReportingForwarder(IReportingLink& link, const ReportingHooks& hooks,
                                         const std::string& bufferPath)
    : m_link(link), m_hooks(hooks), m_strBufferPath(bufferPath), m_bConnected(false)
{
}

CReportingForwarder::~CReportingForwarder()
{
    m_buffer.Close();
}

void CReportingForwarder::Log(int image, UINT id) const
{
    if (m_hooks.log)
        m_hooks.log(image, id);
}

void CReportingForwarder::SetConnected(bool connected)
{
    m_bConnected = connected;
    if (m_hooks.connected)
        m_hooks.connected(connected);
}

bool CReportingForwarder::UseDatabase() const
{
    return m_hooks.useDatabase && m_hooks.useDatabase();
}

void CReportingForwarder::Start()
{
    m_buffer.Open(m_strBufferPath.c_str());
    m_buffer.DirectStatement(CreateBufferTable); // fails harmlessly when it exists
    Connect();
}

void CReportingForwarder::Shutdown()
{
    Disconnect();
    m_buffer.Close();
}

void CReportingForwarder::Disconnect()
{
    Log(1, IDS_DB_DISCONNECTED);
    SetConnected(false);
    m_link.Close();
}

void CReportingForwarder::Connect()
{
    Disconnect();
    if (!UseDatabase())
        return;
    SetConnected(m_link.Open(m_hooks.connectionString ? m_hooks.connectionString() : ""));
    Log(m_bConnected ? 1 : 0, m_bConnected ? IDS_DB_CONNECTED : IDS_DB_UNABLE_TO_CONNECT);
}

void CReportingForwarder::Reconnect()
{
    if (!UseDatabase() || m_bConnected)
        return;
    m_link.Close();
    Log(1, IDS_DB_TRYING_TO_CONNECT);
    SetConnected(m_link.Open(m_hooks.connectionString ? m_hooks.connectionString() : ""));
    Log(m_bConnected ? 1 : 0, m_bConnected ? IDS_DB_CONNECTED : IDS_DB_UNABLE_TO_CONNECT);
}

bool CReportingForwarder::ExecStoredProcedure(const BufferedRegistration& r)
{
    return m_link.Execute(FormatStoredProcedureCall(r));
}

bool CReportingForwarder::InsertIntoBuffer(const BufferedRegistration& r)
{
    const std::string sql = FormatBufferInsert(r);
    // The buffer may have been unavailable when it was opened (or lost since):
    // one fresh open before the registration is given up.
    bool ok = m_buffer.DirectStatement(sql.c_str()) == SQLITE_OK;
    if (!ok && m_buffer.Open(m_strBufferPath.c_str()) == SQLITE_OK) {
        m_buffer.DirectStatement(CreateBufferTable);
        ok = m_buffer.DirectStatement(sql.c_str()) == SQLITE_OK;
    }
    // Said only once the row is in: whoever sees the line finds the row in
    // the file. A registration the buffer cannot take is in the monthly file
    // only, and the operator is told so.
    Log(ok ? 2 : 0, ok ? IDS_DB_WRITING_TO_BUFFER : IDS_DB_NOT_BUFFERED);
    return ok;
}

void CReportingForwarder::OnRegistration(const BufferedRegistration& r)
{
    if (!UseDatabase())
        return;
    if (m_bConnected) {
        if (ExecStoredProcedure(r))
            return;
        Disconnect();
        InsertIntoBuffer(r);
        Log(0, IDS_DB_UNABLE_TO_WRITE);
        return;
    }
    InsertIntoBuffer(r);
}

int CReportingForwarder::CountRows(SQLite::Database& db) const
{
    SQLite::TablePtr t = db.Query("select count(*) as N from tblRegBC");
    if (!t || !t->ResetRow())
        return 0;
    const char* n = t->GetValue("N");
    return n ? atoi(n) : 0;
}

void CReportingForwarder::Flush(const std::atomic<bool>& keepGoing)
{
    if (!UseDatabase() || !m_bConnected)
        return;
    // No transaction spans the flush: each row is deleted, and the deletion
    // committed, as soon as its call succeeded. A crash, or a deletion that
    // cannot be committed, leaves at most the row in hand to be sent again.
    SQLite::Database db;
    if (db.Open(m_strBufferPath.c_str()) != SQLITE_OK)
        return;
    SQLite::TablePtr rows = db.Query("select * from tblRegBC order by RegID");
    if (!rows || !rows->ResetRow())
        return; // empty, or unreadable now: the next flush tries again
    if (m_hooks.bufferCount)
        m_hooks.bufferCount(rows->GetRowCount());
    Log(1, IDS_DB_EMPTYING_BUFFER);
    do {
        if (!keepGoing.load())
            break;
        int port = 0, deviceId = 0, year = 0;
        const char* regId = rows->GetValue("RegID");
        const char* portText = rows->GetValue("nCommPort");
        const char* idText = rows->GetValue("nTermID");
        const char* yearText = rows->GetValue("nYear");
        const char* raw = rows->GetValue("strRawData");
        if (!regId || !portText || !idText || !yearText || !raw)
            break; // not the buffer's table
        sscanf(portText, "%d", &port);
        sscanf(idText, "%d", &deviceId);
        sscanf(yearText, "%d", &year);
        BufferedRegistration r;
        if (!m_hooks.rebuild || !m_hooks.rebuild(port, deviceId, raw, year, r)) {
            // Kept, since nothing leaves the buffer unsent, and passed over,
            // so that the rows after it still go out; said once.
            if (m_unreadableRows.insert(regId).second)
                Log(0, IDS_DB_ROW_UNREADABLE);
            continue;
        }
        if (!ExecStoredProcedure(r))
            break;
        std::string del = "delete from tblRegBC where RegID = '";
        del += SQLite::EscapeText(regId) + "'";
        if (db.DirectStatement(del.c_str()) != SQLITE_OK)
            break; // sent but kept: stop, so that only this row goes out again
    } while (rows->MoveNext());
    if (m_hooks.bufferCount)
        m_hooks.bufferCount(CountRows(db));
}
