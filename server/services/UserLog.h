// The operator's interventions on controllers (time set, reset, pack), kept in
// Log.sqlite beside the program, table tblLog.
#pragma once
#include <windows.h>
#include "server/services/SQLiteDatabase.h"

class CUserLog {
public:
    // Opens Log.sqlite in the application folder.
    CUserLog();
    // Opens the given file instead (tests, tools).
    explicit CUserLog(const char* path);
    ~CUserLog();

    // Event text from the string resource of the current resource module.
    void LogEvent(UINT eventId, int port, int controller, const char* description);
    // Stamped with the current UTC time.
    bool Insert(const char* eventText, int port, int controller, const char* description);
    // Stamped with the given UTC time; a stamp already taken moves on by one
    // millisecond until a free one is found.
    bool InsertAt(const SYSTEMTIME& utc, const char* eventText, int port, int controller,
                  const char* description);

    // The log in the operator's modal viewer; the server program supplies it.
    void ShowLog();

    SQLite::Database& GetDatabase() { return m_db; }

private:
    CUserLog(const CUserLog&) = delete;
    CUserLog& operator=(const CUserLog&) = delete;
    void OpenAndCreate(const char* path);
    SQLite::Database m_db;
};
