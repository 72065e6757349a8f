// What the services need of the server view. The view implements it; every
// call may come from a worker thread, so list and tree changes are posted to
// the GUI thread and no call waits for it.
#pragma once
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

class IServiceView
{
public:
    virtual ~IServiceView() {}
    virtual bool IsRunning() const = 0;  // cleared by the shutdown
    virtual bool UseBCDB() const = 0;    // [Database] UseBCDB
    virtual int AutoSetTime() const = 0;
    virtual int AutoSetTimeInterval() const = 0; // minutes
    virtual DWORD DispatcherThreadId() const = 0;

    // One time-stamped line in the message list; image 0 failure, 1 information.
    virtual void AddLogMessage(const std::string& text, int image) = 0;
    // A row of the registration list for the record in ring slot `slot`.
    virtual void AddRegistration(int slot) = 0;
    // Rewrites the controller's tree lines from its stored status.
    virtual void UpdateControllerStatus(int id, int port) = 0;
    // The diagnostics line of a controller; drops its stored diagnostics.
    virtual void AddDiagnosticsLine(int id, int port) = 0;
    // The controllers of the tree as (port, id), in tree order, copied.
    virtual std::vector<std::pair<int, int>> ControllersInTreeOrder() = 0;
    // A string resource of the current language; empty when it has none.
    virtual std::string LoadResourceString(UINT id) = 0;
    // User event log entry (Log.sqlite).
    virtual void LogUserEvent(int eventId, int port, int id, const std::string& description) = 0;
    // Asks the GUI thread to refresh the command states (WM_IDLEUPDATECMDUI).
    virtual void RefreshCommandStates() = 0;
};
