#include "server/services/UserLog.h"
#include "framework/string.h"

#include <sqlite3.h>
#include <cstdio>
#include <string>

namespace {

const char* const CreateLogTable =
    "create table tblLog (LogDT varchar(50) primary key, EventID varchar(20), "
    "Port integer, Controller integer, Desc varchar(200))";

// Bound on the same-millisecond retry: a burst that still collides after a
// whole second of stamps is not a timing accident.
const int MaxStampRetries = 1000;

std::string ApplicationFolder()
{
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

SYSTEMTIME NextMillisecond(const SYSTEMTIME& t)
{
    FILETIME ft;
    SystemTimeToFileTime(&t, &ft);
    ULARGE_INTEGER v;
    v.LowPart = ft.dwLowDateTime;
    v.HighPart = ft.dwHighDateTime;
    v.QuadPart += 10000; // 100 ns units
    ft.dwLowDateTime = v.LowPart;
    ft.dwHighDateTime = v.HighPart;
    SYSTEMTIME next;
    FileTimeToSystemTime(&ft, &next);
    return next;
}

} // namespace

CUserLog::CUserLog()
{
    OpenAndCreate((ApplicationFolder() + "Log.sqlite").c_str());
}

CUserLog::CUserLog(const char* path)
{
    OpenAndCreate(path);
}

CUserLog::~CUserLog()
{
    m_db.Close();
}

void CUserLog::OpenAndCreate(const char* path)
{
    m_db.Open(path);
    m_db.DirectStatement(CreateLogTable); // fails harmlessly when the table exists
}

void CUserLog::LogEvent(UINT eventId, int port, int controller, const char* description)
{
    // The resource module in force: a language library names the events itself.
    CString text;
    text.LoadString(eventId);
    Insert(text, port, controller, description);
}

bool CUserLog::Insert(const char* eventText, int port, int controller, const char* description)
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    return InsertAt(now, eventText, port, controller, description);
}

bool CUserLog::InsertAt(const SYSTEMTIME& utc, const char* eventText, int port, int controller,
                        const char* description)
{
    const std::string ev = SQLite::EscapeText(eventText);
    const std::string desc = SQLite::EscapeText(description);
    SYSTEMTIME t = utc;
    for (int attempt = 0; attempt < MaxStampRetries; ++attempt) {
        char stamp[32];
        snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.wYear, t.wMonth,
                 t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
        std::string sql = "insert into tblLog values( '";
        sql += stamp;
        sql += "', '" + ev + "', " + std::to_string(port) + ", " + std::to_string(controller) +
               ", '" + desc + "' )";
        int rc = m_db.DirectStatement(sql.c_str());
        if (rc == SQLITE_OK)
            return true;
        if (rc != SQLITE_CONSTRAINT)
            return false;
        t = NextMillisecond(t);
    }
    return false;
}
