// The server's form view: the controller tree, the registration list and the
// message list. It owns the run-time settings, the service threads and the
// controller list saved at shutdown. Worker threads reach it only through
// IHalvexView and the bus's IBusView; every change to a control they cause is
// posted to the GUI thread, and none of them ever waits for that thread.
#pragma once
#include <winsock2.h>
#include "bus/VTMultiDrop.h"
#include "framework/framework.h"
#include "server/services/BusServices.h"
#include "server/services/HalvexServices.h"
#include "server/services/HalvexViewLog.h"
#include "server/services/HalvexViewServices.h"
#include "server/services/SetTimeThreads.h"
#include "server/services/UserLog.h"
#include <atomic>
#include <deque>
#include <string>
#include <utility>
#include <vector>

struct ControllerCommand;

class C_HalvexView : public CFormView, public IHalvexView, public VTMultiDrop::IBusView
{
    DECLARE_DYNCREATE(C_HalvexView)
protected:
    C_HalvexView();

public:
    ~C_HalvexView() override;

    // ---- run-time settings ([Controllers], [Database], [Misc]) -------------
    std::atomic<bool> m_bRunning;
    bool m_bOnLine;
    // Written on the GUI thread, read by the reporting-database thread when it
    // connects: through SetConnStr and ConnStr only, under m_connStrLock.
    CString m_strConnStr;
    std::atomic<bool> m_bUseBCDB;
    std::atomic<bool> m_bDatabaseConnected; // the reporting-database thread's connection is open
    std::atomic<int> m_nAutoSetTime;
    int m_nTestMenu;
    std::atomic<int> m_nSelectPollInfo;
    std::atomic<int> m_nAutoSetTimeInterval;
    int m_nTCPPort;

    CListCtrl m_listRegistrations;
    CListCtrl m_listMessages;
    CTreeCtrl m_tree;
    CImageList m_imagesTree;
    CImageList m_imagesMessages;
    CImageList m_imagesRegistrations;
    CUserLog m_userLog;
    // The services' way to the bus; the service threads end before it goes.
    CBusServices m_busServices;
    CHalvexServices m_services;
    CHalvexViewSetTime m_setTime;
    CHalvexViewLog m_log;

    // ---- controllers and the tree (GUI thread) ------------------------------
    // Registers the controller with the bus and adds its tree items; a bus
    // error is shown with its text and nothing is added.
    void AddController(const CString& name, int port, int id);
    HTREEITEM FindControllerItem(int port, int id);
    VTMultiDrop::Device* GetSelectedDevice();
    HTREEITEM GetSelectedControllerItem();
    // Removes the controller of a root item from the bus and the tree (the
    // operator's Remove; a bus error is shown). The bus threads are kept out
    // of the message list meanwhile, and the GUI thread keeps serving
    // messages (with commands blocked) while it waits. Removals asked during
    // it wait in a queue and run, in order, after it; so does a close.
    // The bus error code; on an error the item stays.
    int RemoveControllerItem(HTREEITEM root);
    // One removal runs at a time: asked over TCP ("DD") while one runs, the
    // next waits for it.
    bool RemovalRunning() const { return m_nBusy > 0; }
    // A close (Exit, WM_CLOSE, the session's end) asked while a removal runs
    // is carried out once the removals are done, never inside one.
    void DeferClose() { m_bCloseDeferred = true; }
    // Root items sorted by text, and the copy the worker threads read.
    void SortControllers();
    void OnLine();
    void EnableRegistrationList();

    // Reads the settings, adds the configured controllers, starts the threads.
    void StartServices();
    // After the start-up has stored the view pointer: the bus reaches the
    // view and posts its events to the consumer from now on.
    void ConnectBus();
    // Saves the settings and stops every port and thread, once.
    void SaveAndStop();
    // While the shutdown or a removal runs, commands are refused (Exit
    // during a removal is deferred instead, by the frame).
    bool CommandsBlocked() const { return m_bShuttingDown || m_nBusy > 0; }
    bool ShuttingDown() const { return m_bShuttingDown; }

    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override;

    // ---- IHalvexView (any thread) ------------------------------------------
    bool IsRunning() const override { return m_bRunning; }
    bool UseBCDB() const override { return m_bUseBCDB; }
    void DatabaseConnected(bool connected) override { m_bDatabaseConnected = connected; }
    std::string ConnStr() const override;
    void SetConnStr(const CString& text);
    int AutoSetTime() const override { return m_nAutoSetTime; }
    int AutoSetTimeInterval() const override { return m_nAutoSetTimeInterval; }
    int TCPPort() const override { return m_nTCPPort; }
    DWORD DispatcherThreadId() const override { return m_services.DispatcherThreadId(); }
    HWND GetSafeHwnd() const override { return CWnd::GetSafeHwnd(); }
    // A removal asked over TCP: carried out on this window's thread.
    void RemoveController(int port, int id) override
    {
        ::PostMessageA(CWnd::GetSafeHwnd(), WM_VIEW_REMOVE, (WPARAM)port, (LPARAM)id);
    }
    void AddLogMessage(const std::string& text, int image) override;
    void AddRegistration(int slot) override;
    void UpdateControllerStatus(int id, int port) override;
    void AddDiagnosticsLine(int id, int port) override;
    std::vector<std::pair<int, int>> ControllersInTreeOrder() override;
    std::string LoadResourceString(UINT id) override;
    void LogUserEvent(int eventId, int port, int id, const std::string& description) override;
    void RefreshCommandStates() override;

    // ---- IBusView (bus threads) --------------------------------------------
    HWND GetStateWindow() override { return m_hWnd; }
    bool SelectPollInfo() override { return m_nSelectPollInfo != 0; }

    static const int MaxRegistrationRows = 300;
    // Registered messages of this window (no clash with the numbered ones).
    static const UINT WM_VIEW_REGISTRATIONS; // queued rows wait
    static const UINT WM_VIEW_STATUS;        // wParam id, lParam port
    static const UINT WM_VIEW_REMOVE;        // wParam port, lParam id (TCP "DD")

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnInitialUpdate() override;

    LRESULT OnLogString(WPARAM wParam, LPARAM lParam);
    LRESULT OnBufferCount(WPARAM wParam, LPARAM lParam);
    LRESULT OnIgnored(WPARAM, LPARAM) { return 0; }
    LRESULT OnDeviceState(WPARAM wParam, LPARAM lParam);
    LRESULT OnAddLogLine(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueuedRegistrations(WPARAM, LPARAM);
    LRESULT OnStatusReply(WPARAM wParam, LPARAM lParam);
    LRESULT OnRemoveRequest(WPARAM wParam, LPARAM lParam);
    void OnTreeRightClick(NMHDR* nm, LRESULT* result);
    void OnUpdateOnLine(CCmdUI* cmdUI);

    // Operator commands (HalvexViewCommands.cpp).
    void OnAdd();
    void OnEdit();
    void OnRemove();
    void OnStatus();
    void OnStatusAll();
    void OnDiagnostics();
    void OnSetTime();
    void OnSetTimeToAll();
    void OnReset();
    void OnPack();
    void OnExpandAll();
    void OnCollapseAll();
    void OnShowUserLog();
    void OnSettings();
    void OnImportRegistrations();
    void OnUpdateImport(CCmdUI* cmdUI);
    void OnTestReadEEPROM();
    void OnTestWriteEEPROM();
    void OnUpdateControllerCommand(CCmdUI* cmdUI);
    DECLARE_MESSAGE_MAP()

private:
    // The device of a tree item, or null when it has none or is going away.
    VTMultiDrop::Device* DeviceOf(HTREEITEM item) const;
    // The controller at (port, id), looked up again after a question or a
    // dialog: it may have been removed meanwhile.
    VTMultiDrop::Device* FindDevice(int port, int id);
    // Asks, queues the bus command on the selected controller, logs it.
    void RunControllerCommand(const ControllerCommand& command);
    static void InsertRegistrationRow(CListCtrl& list, const VTMultiDrop::EventArgRegistration& r);
    void LoadImageList(CImageList& list, UINT bitmapId);
    // The removal of one root item: the bus error code.
    int RemoveControllerQuietly(HTREEITEM root);
    // Runs the removals queued meanwhile, in order, then a deferred close.
    void FinishRemovals();
    // Runs `job` on a helper thread while this thread keeps pumping messages.
    static void RunPumped(void (*job)(void*), void* arg);
    static void PumpedPause(DWORD milliseconds);

    bool m_bInitialised;                  // the first OnInitialUpdate has run
    bool m_bShuttingDown;
    int m_nBusy;                          // removals under way
    std::deque<std::pair<int, int>> m_removals; // (port, id) asked meanwhile
    bool m_bCloseDeferred;
    VTMultiDrop::Device* m_pRemoving;     // the device a removal is freeing
    HWND m_hFrame;                        // for RefreshCommandStates

    mutable CCriticalSection m_connStrLock;
    CCriticalSection m_lock;              // guards m_treeOrder
    std::vector<std::pair<int, int>> m_treeOrder; // (port, id) of the root items
    // Rows copied from the ring by the consumer, shown by this thread.
    CListRowBatch<VTMultiDrop::EventArgRegistration> m_registrationRows;
};
