#include "bus/Device.h"

#include "bus/CommPort.h"

#include <cstdio>

namespace VTMultiDrop {

Device::Device(CommPort* port, int deviceId, bool online, const std::string& name)
    : m_State(DEVICE_NEW), m_FailureCounter(0), m_Port(port), m_PortNumber(port ? port->GetPortNumber() : 0),
      m_DeviceId(deviceId), m_OnLine(online), m_Name(name), m_PollDue(true)
{
    InitializeCriticalSection(&m_OnLineLock);
    InitializeCriticalSection(&m_CommandLock);
}

Device::~Device()
{
    SetOnLine(false);
    {
        AutoLockCommand lock(this);
        for (auto& entry : m_Commands)
            delete entry.second;
        m_Commands.clear();
    }
    DeleteCriticalSection(&m_CommandLock);
    DeleteCriticalSection(&m_OnLineLock);
}

Device::AutoLockOnLine::AutoLockOnLine(Device* device) : m_Device(device)
{
    EnterCriticalSection(&m_Device->m_OnLineLock);
}

Device::AutoLockOnLine::~AutoLockOnLine()
{
    LeaveCriticalSection(&m_Device->m_OnLineLock);
}

Device::AutoLockCommand::AutoLockCommand(Device* device) : m_Device(device)
{
    EnterCriticalSection(&m_Device->m_CommandLock);
}

Device::AutoLockCommand::~AutoLockCommand()
{
    LeaveCriticalSection(&m_Device->m_CommandLock);
}

std::string Device::GetName()
{
    AutoLockOnLine lock(this);
    return m_Name;
}

void Device::SetName(const std::string& name)
{
    AutoLockOnLine lock(this);
    m_Name = name;
}

bool Device::IsOnLine()
{
    AutoLockOnLine lock(this);
    return m_OnLine;
}

void Device::SetOnLine(bool online)
{
    AutoLockOnLine lock(this);
    m_OnLine = online;
}

bool Device::IsPollDue()
{
    AutoLockOnLine lock(this);
    return m_PollDue;
}

void Device::SetPollDue(bool due)
{
    AutoLockOnLine lock(this);
    m_PollDue = due;
}

int Device::QueueCommand(const std::string& code, const std::string& data, bool awaited)
{
    Command* command = new Command(code, data, awaited);
    AutoLockCommand lock(this);
    m_Commands[command->GetId()] = command;
    return 0;
}

Command* Device::GetFirstCommand()
{
    AutoLockCommand lock(this);
    return m_Commands.empty() ? nullptr : m_Commands.begin()->second;
}

void Device::CompleteCommand(Command* command)
{
    if (command == nullptr)
        return;
    AutoLockCommand lock(this);
    auto it = m_Commands.find(command->GetId());
    if (it != m_Commands.end() && it->second == command) {
        delete it->second;
        m_Commands.erase(it);
    }
}

bool Device::HasCommands()
{
    AutoLockCommand lock(this);
    return !m_Commands.empty();
}

int Device::QueueStatus() { return QueueStatus(false); }
int Device::QueueStatus(bool awaited) { return QueueCommand("ST", "", awaited); }
int Device::QueueDiagnostics() { return QueueCommand("DG", ""); }
int Device::QueueReset() { return QueueCommand("RS", ""); }
int Device::QueuePack() { return QueueCommand("PD", ""); }

int Device::QueueSetTime()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return QueueCommand("WT", SetTimeText(now));
}

int Device::QueueReadEEPROM(unsigned short location, bool awaited)
{
    char data[8];
    std::snprintf(data, sizeof data, "%04X", location);
    return QueueCommand("RE", data, awaited);
}

int Device::QueueWriteEEPROM(unsigned short location, unsigned short value, bool awaited)
{
    char data[12];
    std::snprintf(data, sizeof data, "%04X%04X", location, value);
    return QueueCommand("WE", data, awaited);
}

std::string SetTimeText(const SYSTEMTIME& local)
{
    // SYSTEMTIME counts Sunday 0; the controller counts Monday 0.
    const int weekday = (local.wDayOfWeek + 6) % 7;
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%02d%d%02d:%02d:%02d", local.wDay, local.wMonth, local.wYear % 4,
                  weekday, local.wHour, local.wMinute, local.wSecond);
    return text;
}

}  // namespace VTMultiDrop
