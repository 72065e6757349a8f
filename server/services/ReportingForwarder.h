// Forwarding of registrations to the reporting database, with the local
// buffer Buffer.sqlite (table tblRegBC) while the database cannot be reached.
// Every operation runs on one thread, the database thread: the connection, the
// connected flag and the buffer connection have no other user, so they need
// no lock.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>

#include "server/services/BufferedRegistration.h"
#include "server/services/SQLiteDatabase.h"

// The reporting database connection as the forwarder uses it.
class IReportingLink {
public:
    virtual ~IReportingLink() {}
    virtual bool Open(const std::string& connectionString) = 0; // empty user and password
    virtual bool Execute(const std::string& sql) = 0;
    virtual void Close() = 0;
};

// Where the forwarder reports and what it asks of its owner; each setting is
// read afresh at every use.
struct ReportingHooks {
    std::function<bool()> useDatabase;             // the owner's UseBCDB
    std::function<std::string()> connectionString; // the owner's ConnStr
    std::function<void(bool connected)> connected;  // each change of the connection
    std::function<void(int image, UINT textId)> log;
    std::function<void(int rows)> bufferCount;
    // Rebuilds a buffered registration from its stored port, device id, raw
    // data and year; false when the raw data does not decode.
    std::function<bool(int port, int deviceId, const char* raw, int year,
                       BufferedRegistration& out)> rebuild;
};

// Message-list lines (string-resource ids) and their list images.
enum ReportingText : UINT {
    IDS_DB_CONNECTED = 138,
    IDS_DB_UNABLE_TO_CONNECT = 139,
    IDS_DB_UNABLE_TO_WRITE = 140,
    IDS_DB_DISCONNECTED = 141,
    IDS_DB_WRITING_TO_BUFFER = 142,
    IDS_DB_TRYING_TO_CONNECT = 145,
    IDS_DB_EMPTYING_BUFFER = 147,
    IDS_DB_NOT_BUFFERED = 159,   // the registration is in the monthly file only
    IDS_DB_ROW_UNREADABLE = 160, // a buffered row that no longer rebuilds
};

class CReportingForwarder {
public:
    CReportingForwarder(IReportingLink& link, const ReportingHooks& hooks,
                        const std::string& bufferPath);
    ~CReportingForwarder();

    // Opens the buffer, creates its table, then Connect.
    void Start();
    // Disconnects and closes the buffer.
    void Shutdown();

    void Disconnect();
    void Connect();
    bool IsConnected() const { return m_bConnected; }

    // A new valid registration: send it, or buffer it when that is not possible.
    void OnRegistration(const BufferedRegistration& r);
    // The reconnect tick: tries to connect when enabled and not connected.
    void Reconnect();
    // The flush tick: sends buffered rows in RegID order while enabled and
    // connected, deleting each (committed at once) after its call succeeded.
    // A row that no longer rebuilds is kept and passed over. Stops at the
    // first failed call or deletion, and between rows as soon as keepGoing
    // turns false.
    void Flush(const std::atomic<bool>& keepGoing);

    bool ExecStoredProcedure(const BufferedRegistration& r);
    bool InsertIntoBuffer(const BufferedRegistration& r);

private:
    void SetConnected(bool connected); // tells the owner of each change
    void Log(int image, UINT id) const;
    bool UseDatabase() const;
    int CountRows(SQLite::Database& db) const;

    IReportingLink& m_link;
    ReportingHooks m_hooks;
    std::string m_strBufferPath;
    bool m_bConnected;
    SQLite::Database m_buffer;
    std::set<std::string> m_unreadableRows; // RegIDs already reported
};
