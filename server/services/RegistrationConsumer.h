// What the consumer thread does with each bus event; the thread shell feeds
// it from its message queue.
#pragma once
#include "server/services/PendingRequests.h"
#include "server/services/RegistrationFile.h"
#include "server/services/ServiceView.h"
#include <string>

// The fields of a ring record the consumer reads.
struct RegistrationRecord {
    int port = 0;
    int id = 0;
    std::string raw, mediaId, dateTime, eventCode;
    bool valid = false;
};

class CRegistrationConsumerCore
{
public:
    explicit CRegistrationConsumerCore(IServiceView& view) : m_view(view), m_databaseThreadId(0)
    {
        InitializeCriticalSection(&m_lock);
    }
    ~CRegistrationConsumerCore() { DeleteCriticalSection(&m_lock); }

    // Opens the file of the month of `now` in `folder`; the thread runs on
    // without a file when that fails.
    bool OpenFile(const std::string& folder, const SYSTEMTIME& now);
    const std::string& FileName() const { return m_fileName; }
    void SetDatabaseThreadId(DWORD id) { m_databaseThreadId = id; }

    void OnRegistration(int slot, const RegistrationRecord& record, const SYSTEMTIME& now);
    // `status` holds the texts of the reply just stored, kept for the answer.
    void OnStatus(int port, int id, const StatusSnapshot& status);
    void OnEEPROMRead(int id, int location);
    void OnEEPROMWrite(int id, int location);
    void OnDiagnostics(int port, int id);
    // Closes the file (the stop handler's first step).
    void CloseFile();

    CRITICAL_SECTION& Lock() { return m_lock; }

private:
    void PostToDispatcher(UINT message, WPARAM wParam, LPARAM lParam);

    IServiceView& m_view;
    std::string m_fileName;
    CRegistrationFile m_file;
    DWORD m_databaseThreadId;
    CRITICAL_SECTION m_lock;
};
