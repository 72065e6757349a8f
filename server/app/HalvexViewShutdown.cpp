// The server's shutdown: save the settings, then stop every port and thread.
// Everything that could still reach a controller is stopped or cut off
// before the controllers are freed, and every wait keeps the GUI thread
// serving its messages, so no thread waiting on it can hold the shutdown up.
#include "server/app/HalvexView.h"
#include "server/app/HalvexApp.h"
#include "server/services/ServerSettings.h"

using VTMultiDrop::Device;

namespace {
DWORD PumpedWait(HANDLE* handle)
{
    return AfxWaitWithMessagePump(handle ? *handle : nullptr);
}
} // namespace

void C_HalvexView::RunPumped(void (*job)(void*), void* arg)
{
    COwnedThread helper;
    if (!helper.Start([job, arg] { job(arg); })) {
        job(arg); // no helper: do it here
        return;
    }
    helper.Join(AfxWaitWithMessagePump);
}

void C_HalvexView::PumpedPause(DWORD milliseconds)
{
    COwnedHandle timer(CreateWaitableTimerA(nullptr, TRUE, nullptr));
    LARGE_INTEGER due;
    due.QuadPart = -(LONGLONG)milliseconds * 10000;
    if (!timer.IsValid() || !SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        Sleep(milliseconds);
        return;
    }
    AfxWaitWithMessagePump(timer);
}

void C_HalvexView::SaveAndStop()
{
    if (m_bShuttingDown)
        return;
    // Commands are refused from here on, and the window takes no input.
    m_bShuttingDown = true;
    HalvexApp().m_dlgClosing.ShowNow();
    if (m_hFrame != nullptr)
        ::EnableWindow(m_hFrame, FALSE);
    m_nSelectPollInfo = 0;

    // The set-time threads queue on controllers: they end first.
    m_setTime.Stop(PumpedWait);

    // The settings, with the controllers as the tree holds them.
    ServiceSettings settings;
    settings.online = m_bOnLine;
    settings.testMenu = m_nTestMenu != 0;
    settings.selectPollInfo = false;
    settings.useBCDB = m_bUseBCDB;
    settings.connStr = ConnStr();
    settings.autoSetTime = m_nAutoSetTime;
    settings.autoSetTimeInterval = m_nAutoSetTimeInterval;
    settings.tcpPort = m_nTCPPort;
    std::vector<ControllerEntry> treeOrder;
    for (HTREEITEM item = m_tree.GetRootItem(); item; item = m_tree.GetNextSiblingItem(item))
        if (Device* device = DeviceOf(item))
            treeOrder.push_back({ device->GetDeviceId(), device->GetPortNumber(), device->GetName() });
    SaveServiceSettings(CIniFile(SettingsFilePath()), settings, treeOrder);

    // The tree forgets the controllers before they are freed.
    m_tree.DeleteAllItems();
    {
        CSingleLock lock(&m_lock, TRUE);
        m_treeOrder.clear();
    }

    // Closing the ports joins their threads; no bus event follows.
    RunPumped([](void*) { VTMultiDrop::CloseAll(); }, nullptr);
    VTMultiDrop::SetBusView(nullptr);

    // The consumer still runs with the running flag set, so every
    // registration the bus handed over is written before it stops.
    m_services.StopServices(PumpedWait);
    m_bRunning = false;
}
