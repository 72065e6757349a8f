#include "bus/Registry.h"

#include "bus/BusErrors.h"

namespace VTMultiDrop {

std::map<int, CommPort*> g_Ports;
CCriticalSection g_RegistryLock;
std::atomic<DWORD> g_EventThreadId(0);
int g_DefaultReadTimeout = 16;

namespace {

// Serialises additions and removals as a whole, including the opening and
// closing of ports, which may wait for bus threads. Only registry changes
// take it; lookups (and the bus threads) never do, so the wait cannot block
// them.
CCriticalSection g_ChangeLock;

CommPort* FindPortLocked(int portNumber)
{
    auto it = g_Ports.find(portNumber);
    return it == g_Ports.end() ? nullptr : it->second;
}

// Closes a port that is no longer registered: its threads are joined without
// the registry lock held.
void DiscardPort(CommPort* port)
{
    port->ClosePort();
    port->DeleteDevices();
    delete port;
}

}  // namespace

int Initialize(DWORD threadId)
{
    FillEventNames();
    FillErrorTexts();
    g_EventThreadId = threadId;
    return BUS_OK;
}

int AddDevice(int portNumber, int deviceId, Device** device, const std::string& name, bool online, int readTimeout)
{
    if (device)
        *device = nullptr;
    if (deviceId < 1 || deviceId > 255)
        return BUS_DEVICE_DOESNT_EXIST;
    CSingleLock change(&g_ChangeLock, TRUE);
    CommPort* port = nullptr;
    {
        CSingleLock lock(&g_RegistryLock, TRUE);
        for (auto& entry : g_Ports)
            if (entry.second->FindDevice(deviceId) != nullptr)
                return BUS_DEVICE_EXISTS;
        port = FindPortLocked(portNumber);
    }
    bool created = false;
    if (port == nullptr) {
        port = new CommPort(portNumber, readTimeout == -1 ? g_DefaultReadTimeout : readTimeout);
        const int opened = port->OpenPort();
        if (opened != BUS_OK) {
            delete port;
            return opened;
        }
        created = true;
        CSingleLock lock(&g_RegistryLock, TRUE);
        g_Ports[portNumber] = port;
    }
    const int added = port->AddDevice(deviceId, device, online, name);
    if (added != BUS_OK && created) {
        {
            CSingleLock lock(&g_RegistryLock, TRUE);
            g_Ports.erase(portNumber);
        }
        DiscardPort(port);
    }
    return added;
}

int RemoveDevice(Device* device)
{
    if (device == nullptr)
        return BUS_DEVICE_DOESNT_EXIST;
    CSingleLock change(&g_ChangeLock, TRUE);
    CommPort* emptied = nullptr;
    {
        CSingleLock lock(&g_RegistryLock, TRUE);
        CommPort* port = nullptr;
        for (auto& entry : g_Ports)
            if (entry.second == device->GetCommPort())
                port = entry.second;
        if (port == nullptr)
            return BUS_DEVICE_DOESNT_EXIST;
        const int detached = port->DetachDevice(device);
        if (detached != BUS_OK)
            return detached;
        if (port->GetDevices().empty()) {
            g_Ports.erase(port->GetPortNumber());
            emptied = port;
        }
    }
    if (emptied)
        DiscardPort(emptied);
    return BUS_OK;
}

int RemoveDeviceById(int portNumber, int deviceId)
{
    CSingleLock change(&g_ChangeLock, TRUE);
    Device* device = nullptr;
    {
        CSingleLock lock(&g_RegistryLock, TRUE);
        CommPort* port = FindPortLocked(portNumber);
        if (port == nullptr)
            return BUS_PORT_ALREADY_CLOSED;
        device = port->FindDevice(deviceId);
        if (device == nullptr)
            return BUS_DEVICE_DOESNT_EXIST;
    }
    // The change lock keeps the device alive until RemoveDevice takes over.
    return RemoveDevice(device);
}

CommPort* FindCommPort(int portNumber)
{
    CSingleLock lock(&g_RegistryLock, TRUE);
    return FindPortLocked(portNumber);
}

Device* FindDevice(CommPort* port, int deviceId)
{
    return port ? port->FindDevice(deviceId) : nullptr;
}

bool WithDevice(int portNumber, int deviceId, const std::function<void(Device&)>& use)
{
    CSingleLock lock(&g_RegistryLock, TRUE);
    CommPort* port = FindPortLocked(portNumber);
    if (port == nullptr)
        return false;
    // Holding the port lock keeps the device in its port's map.
    CSingleLock portLock(&port->GetLock(), TRUE);
    auto it = port->GetDevices().find(deviceId);
    if (it == port->GetDevices().end())
        return false;
    use(*it->second);
    return true;
}

int CloseAll()
{
    CSingleLock change(&g_ChangeLock, TRUE);
    std::map<int, CommPort*> ports;
    {
        CSingleLock lock(&g_RegistryLock, TRUE);
        ports.swap(g_Ports);
    }
    for (auto& entry : ports)
        DiscardPort(entry.second);
    return BUS_OK;
}

}  // namespace VTMultiDrop
