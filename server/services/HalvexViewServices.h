// What the service threads use of the server view C_HalvexView; the view
// implements it, and tests implement it without a window. Every call may come
// from a worker thread: list and tree changes are carried out by the GUI
// thread through window messages, and no call waits for it.
#pragma once
#include <windows.h>
#include "server/services/ServiceMessages.h"
#include <string>
#include <utility>
#include <vector>

class IHalvexView
{
public:
    virtual ~IHalvexView() {}
    virtual bool IsRunning() const = 0;  // the running flag, cleared by the shutdown
    virtual bool UseBCDB() const = 0;    // [Database] UseBCDB
    virtual std::string ConnStr() const = 0; // [Database] ConnStr
    virtual int AutoSetTime() const = 0;
    virtual int AutoSetTimeInterval() const = 0; // minutes
    virtual int TCPPort() const = 0;
    virtual DWORD DispatcherThreadId() const = 0; // of the CTH_TCPDispatcher
    // The view's window: target of WM_LOG_STRING and WM_BUFFER_COUNT.
    virtual HWND GetSafeHwnd() const = 0;
    // Called by the reporting-database thread whenever its connection opens
    // or goes; the view enables the import only while it is open.
    virtual void DatabaseConnected(bool connected) {}

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
    // From the TCP listener ("DD"): the controller leaves the tree and the
    // bus on the GUI thread, so nothing there keeps a freed controller. By
    // default WM_REMOVE_CONTROLLER is posted to the view's window, whose
    // handler does both.
    virtual void RemoveController(int port, int id)
    {
        ::PostMessageA(GetSafeHwnd(), WM_REMOVE_CONTROLLER, (WPARAM)port, (LPARAM)id);
    }
};
