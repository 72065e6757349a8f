// The poll and select threads of a port: each visits one controller per
// cycle, in ascending id order, holding the port lock for the whole
// transaction and releasing it only for the cycle pause.
#include "bus/CommPort.h"

#include "bus/BusErrors.h"
#include "bus/BusView.h"
#include "bus/EventArgs.h"
#include "bus/Registry.h"
#include "bus/messages.h"

#include <atomic>

namespace VTMultiDrop {

std::atomic<LONG> g_PauseMachine(1);
int g_FailingThreshold = 10;
int g_OfflineThreshold = 20;
int g_FailureCap = 100;
int g_MaxCommandDeliveries = 10;
int g_ReopenIntervalMs = 1000;

namespace {

std::atomic<IBusView*> g_BusView(nullptr);

bool IsDeliveredOnly(const std::string& code)
{
    return code == "WE" || code == "WT" || code == "RS" || code == "PD";
}

}  // namespace

void SetBusView(IBusView* view)
{
    g_BusView = view;
}

IBusView* GetBusView()
{
    return g_BusView;
}

int CommPort::StartThreads()
{
    if (!m_PollThread.GetHandle())
        m_PollThread.Start([this] { RunCycle(false); });
    if (!m_SelectThread.GetHandle())
        m_SelectThread.Start([this] { RunCycle(true); });
    return BUS_OK;
}

int CommPort::StopThreads()
{
    m_Open = false;
    // A bus thread stopping its own port does not wait for its own end
    // (the join refuses); its handle goes with the port.
    m_PollThread.Join();
    m_SelectThread.Join();
    return BUS_OK;
}

void CommPort::RunCycle(bool select)
{
    CSingleLock lock(&m_Lock, TRUE);
    unsigned seen = m_DeviceGeneration;
    bool restart = true;
    int position = 0;
    while (m_Open) {
        lock.Unlock();
        Sleep(static_cast<DWORD>(g_PauseMachine));
        lock.Lock();
        if (!m_Open)
            break;
        if (select)
            RetryReopen();
        // Any change of the device set skips this cycle and restarts the walk
        // at the lowest id, so the held position never names a removed device.
        if (m_Devices.empty() || m_DeviceGeneration != seen) {
            seen = m_DeviceGeneration;
            restart = true;
            continue;
        }
        if (restart) {
            restart = false;
            position = m_Devices.begin()->first;
        }
        auto it = m_Devices.find(position);
        if (it == m_Devices.end()) {
            restart = true;
            continue;
        }
        if (select)
            SelectTransaction(it->second);
        else
            PollTransaction(it->second);
        ++it;
        if (it == m_Devices.end())
            it = m_Devices.begin();
        position = it->first;
    }
}

void CommPort::Log(const std::string& text)
{
    IBusView* view = GetBusView();
    if (view && view->SelectPollInfo())
        view->AddLogMessage(text, 1);
}

void CommPort::PostState(int deviceId, int state)
{
    IBusView* view = GetBusView();
    if (view)
        PostMessageA(view->GetStateWindow(), WM_DEVICE_STATE, static_cast<WPARAM>(deviceId), state);
}

void CommPort::FailureStep(Device* device)
{
    const int id = device->GetDeviceId();
    const int count = device->m_FailureCounter + 1;
    device->SetFailureCounter(count);
    if (count > g_FailingThreshold) {
        if (device->GetState() != DEVICE_FAILING)
            PostState(id, DEVICE_FAILING);
        device->SetState(DEVICE_FAILING);
    }
    if (count > g_OfflineThreshold) {
        if (device->GetState() != DEVICE_OFFLINE)
            PostState(id, DEVICE_OFFLINE);
        device->SetState(DEVICE_OFFLINE);
        if (count > g_FailureCap)
            device->SetFailureCounter(g_FailureCap);
    }
}

void CommPort::DropCommand(Device* device, Command* command)
{
    if (command->m_Awaited) {
        // "RE" and "WE" data begin with the location; "ST" has none.
        int location = 0;
        ParseHexField(command->GetData(), 0, 4, location);
        PostEvent(WM_BUS_COMMAND_FAILED, PackFailedCommand(device->GetDeviceId(), command->GetCode(), location),
                  static_cast<WPARAM>(m_PortNumber));
    }
    device->CompleteCommand(command);
}

void CommPort::SelectTransaction(Device* device)
{
    const int id = device->GetDeviceId();
    Command* command = device->GetFirstCommand();
    if (command == nullptr) {
        // Registrations are fetched only once there is a thread to take them:
        // a fetched record is acknowledged and gone from the controller.
        if (!device->IsOnLine() || HasPendingCommand() || device->GetState() == DEVICE_OFFLINE ||
            g_EventThreadId == 0)
            return;
        const int result = SendCommand(id, m_IdleFrame);
        device->SetPollDue(true);
        if (result == BUS_OK) {
            device->SetFailureCounter(0);
            if (GetBusView() != nullptr) {
                if (device->GetState() != DEVICE_RESPONDING)
                    PostState(id, DEVICE_RESPONDING);
                device->SetState(DEVICE_RESPONDING);
            }
        } else {
            FailureStep(device);
            if (device->GetFailureCounter() > g_OfflineThreshold)
                device->SetPollDue(false);
        }
        return;
    }

    if (!command->HasFrame()) {
        // Data too long for a frame: nothing could ever deliver it.
        DropCommand(device, command);
        return;
    }
    const int result = SendCommand(id, command->GetFrame());
    device->SetPollDue(true);
    if (result != BUS_OK) {
        FailureStep(device);
        if (device->GetFailureCounter() > g_OfflineThreshold) {
            DropCommand(device, command);
            device->SetPollDue(false);
        }
        return;
    }

    device->SetFailureCounter(0);
    const int state = device->GetState();
    if (state == DEVICE_FAILING || state == DEVICE_OFFLINE)
        PostState(id, DEVICE_RESPONDING);
    device->SetState(DEVICE_RESPONDING);
    const std::string code = command->GetCode();
    if (code == "WE")
        DispatchReply(id, code, command->GetData());
    Log("Select: " + code + " " + command->GetFrame());
    if (IsDeliveredOnly(code)) {
        device->CompleteCommand(command);
        device->SetPollDue(false);
    } else if (++command->m_Deliveries >= g_MaxCommandDeliveries) {
        // Taken again and again but never answered with its code: drop it so
        // that the line's idle requests go on. The poll still fetches what the
        // last delivery brings.
        DropCommand(device, command);
    }
}

void CommPort::PollTransaction(Device* device)
{
    if (!device->IsPollDue())
        return;
    const int id = device->GetDeviceId();
    char payload[FrameBufferSize];
    const int result = ReadReply(id, payload);
    device->SetPollDue(false);
    if (result != BUS_OK)
        return;

    const std::string reply(payload);
    const std::string code = reply.substr(0, 2);
    const std::string data = reply.size() > 3 ? reply.substr(3) : std::string();
    if (code != "SD")
        Log("Poll: " + code + " " + data);

    bool handedOn = false;
    const int dispatched = DispatchReply(id, code, data, handedOn);
    if (dispatched == BUS_OK && !handedOn) {
        // Nobody took the event: leave the reply with the controller, which
        // gives it again at a later poll.
        return;
    }
    Command* first = device->GetFirstCommand();
    if (first != nullptr && first->GetCode() == code) {
        // Its reply came; one that could not be read answers it as failed.
        if (dispatched == BUS_OK)
            device->CompleteCommand(first);
        else
            DropCommand(device, first);
    }
    SendAck(id);
}

}  // namespace VTMultiDrop
