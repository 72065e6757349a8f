// The registration consumer thread: receives every event the controller bus
// posts (see ServiceMessages.h) and hands it on: registrations to the reply
// dispatcher, the view's list, the reporting-database thread and the monthly
// file; status, EEPROM and diagnostics events to the dispatcher and the view.
// It starts and stops the reporting-database thread CTH_DatabaseBC.
#pragma once
#include "framework/framework.h"
#include "server/services/HalvexViewServices.h"
#include "server/services/IniFile.h"
#include "server/services/PendingRequests.h"
#include "server/services/RegistrationFile.h"
#include "server/services/RegistrationQueue.h"
#include "server/services/ServiceBus.h"
#include "server/services/TH_DatabaseBC.h"
#include <string>

class CTH_Consumer : public CWorkerThread
{
    DECLARE_DYNCREATE(CTH_Consumer)
public:
    CTH_Consumer();
    ~CTH_Consumer() override;

    BOOL InitInstance() override;

    // Message handlers (wParam and lParam as the bus posts them).
    void OnRegistration(WPARAM port, LPARAM ringIndex);
    void OnStatus(WPARAM port, LPARAM id);
    void OnEEPROMRead(WPARAM id, LPARAM address);
    void OnEEPROMWrite(WPARAM id, LPARAM address);
    void OnDiagnostics(WPARAM port, LPARAM id);
    void OnCommandFailed(WPARAM port, LPARAM failed);
    // The settings changed: the database thread disconnects and connects again.
    void OnReconnectDatabase(WPARAM, LPARAM);
    void OnStop(WPARAM, LPARAM);

    // The handlers' work with the record and the clock given: the file of the
    // month of `now` in `folder` (the thread runs on without a file when the
    // open fails), one registration, one status reply with its texts.
    bool OpenFile(const std::string& folder, const SYSTEMTIME& now);
    void HandleRegistration(int ringIndex, const RegistrationRecord& record, const SYSTEMTIME& now);
    void HandleStatus(int port, int id, const StatusSnapshot& status);
    void CloseFile();
    const std::string& FileName() const { return m_strFileName; }

    // Set before the thread is resumed.
    IHalvexView* m_pOwnerView;
    IServiceBus* m_pBus;              // the ring and the stored status texts
    // Handed to the database thread when it starts; the defaults unless set.
    DatabaseThreadSettings m_databaseSettings;
    std::string m_strFileName;        // fixed in InitInstance
    CRegistrationFile m_regFile;
    CTH_DatabaseBC* m_pDatabaseBC;    // auto-deleting; started in InitInstance
    CThreadLink m_databaseLink;       // waited on when it stops
    CRegistrationQueue* m_pDatabaseQueue; // its queue: valid registrations, copied
    CCriticalSection m_lock;

private:
    void PostToDispatcher(UINT message, WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
