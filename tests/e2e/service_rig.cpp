// The server's services as the server starts them, with a view of its own
// instead of the server's window: the settings file beside the program names
// the controllers and the TCP port; the real bus opens their COM ports (the
// simulated controllers of with-sim.sh); the four service threads start the
// way the view's first update starts them. Prints "LISTENING <port>" when
// the listener is up, "REMOVED <port> <id>" when a controller was removed
// over TCP, and "STOPPED" after the shutdown that closing stdin asks for.
#include "bus/VTMultiDrop.h"
#include "server/services/BusServices.h"
#include "server/services/HalvexServices.h"
#include "server/services/ServerSettings.h"
#include "server/services/ServiceMessages.h"
#include <stdio.h>
#include <atomic>
#include <string>
#include <vector>

namespace {

// Like the server's view, it drops a controller's stored status as soon as
// it has shown it, before the dispatcher answers.
class RigView : public IHalvexView, public VTMultiDrop::IBusView
{
public:
    explicit RigView(const ServiceSettings& settings) : m_settings(settings)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "ServiceRigView";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, (LONG_PTR)this);
    }
    ~RigView() override { DestroyWindow(m_hwnd); }

    bool IsRunning() const override { return m_running; }
    bool UseBCDB() const override { return m_settings.useBCDB; }
    std::string ConnStr() const override { return m_settings.connStr; }
    int AutoSetTime() const override { return m_settings.autoSetTime; }
    int AutoSetTimeInterval() const override { return m_settings.autoSetTimeInterval; }
    int TCPPort() const override { return m_settings.tcpPort; }
    DWORD DispatcherThreadId() const override { return services ? services->DispatcherThreadId() : 0; }
    HWND GetSafeHwnd() const override { return m_hwnd; }
    void AddLogMessage(const std::string&, int) override {}
    void AddRegistration(int) override {}
    void UpdateControllerStatus(int id, int) override { VTMultiDrop::EraseStatus(id); }
    void AddDiagnosticsLine(int id, int) override { VTMultiDrop::EraseDiagnostics(id); }
    std::vector<std::pair<int, int>> ControllersInTreeOrder() override
    {
        std::vector<std::pair<int, int>> tree;
        for (const ControllerEntry& c : m_settings.controllers)
            tree.push_back({ c.port, c.id });
        return tree;
    }
    std::string LoadResourceString(UINT) override { return "TimeSet"; }
    void LogUserEvent(int, int, int, const std::string&) override {}
    void RefreshCommandStates() override {}

    // IBusView
    HWND GetStateWindow() override { return m_hwnd; }
    bool SelectPollInfo() override { return false; }

    void Stop() { m_running = false; }
    CHalvexServices* services = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_REMOVE_CONTROLLER) {
            int result = VTMultiDrop::RemoveDeviceById((int)wParam, (int)lParam);
            printf("REMOVED %d %d %d\n", (int)wParam, (int)lParam, result);
            fflush(stdout);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    ServiceSettings m_settings;
    std::atomic<bool> m_running{ true };
    HWND m_hwnd;
};

HANDLE g_stdinClosed = NULL;

DWORD WINAPI WatchStdin(LPVOID)
{
    char line[256];
    while (fgets(line, sizeof line, stdin) != NULL) {
    }
    SetEvent(g_stdinClosed);
    return 0;
}

} // namespace

int main()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    // The first line on stdin says that the settings file is written.
    char go[64];
    if (fgets(go, sizeof go, stdin) == NULL)
        return 1;
    CIniFile ini(SettingsFilePath());
    ServiceSettings settings = LoadServiceSettings(ini);
    RigView view(settings);
    CBusServices bus(view);
    VTMultiDrop::SetBusView(&view);

    for (const ControllerEntry& c : settings.controllers) {
        VTMultiDrop::Device* device = nullptr;
        int result = VTMultiDrop::AddDevice(c.port, c.id, &device, c.name, settings.online);
        if (result != 0) {
            printf("ADD FAILED %d %d %d\n", c.port, c.id, result);
            return 1;
        }
    }
    CHalvexViewSetTime setTime(view, QueueSetTimeOnBus);
    CHalvexServices services;
    view.services = &services;
    services.StartServices(&view, &bus, &bus, &setTime);
    // The application names the consumer as the bus's event thread after the
    // view's first update.
    VTMultiDrop::Initialize(services.ConsumerThreadId());

    HANDLE listening = services.Listener().ListeningEvent();
    if (WaitForSingleObject(listening, 60000) != WAIT_OBJECT_0) {
        printf("NOT LISTENING\n");
        return 1;
    }
    printf("LISTENING %d\n", services.Listener().BoundPort());
    fflush(stdout);

    g_stdinClosed = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE watcher = CreateThread(NULL, 0, WatchStdin, NULL, 0, NULL);
    WaitWithMessagePump(&g_stdinClosed);

    // The shutdown's order: running flag, the service threads, then the bus.
    view.Stop();
    services.StopServices(WaitWithMessagePump);
    VTMultiDrop::CloseAll();
    VTMultiDrop::SetBusView(nullptr);
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    CloseHandle(g_stdinClosed);
    WSACleanup();
    printf("STOPPED\n");
    fflush(stdout);
    return 0;
}
