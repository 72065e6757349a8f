#include "bus/Device.h"

#include "bus/CommPort.h"

#include <cstdio>

namespace VTMultiDrop {

Device::Device(CommPort* port, int deviceId, bool online, const std::string& name)
    : m_State(DEVICE_NEW), m_FailureCounter(0), m_Port(port), m_PortNumber(port ? port->GetPortNumber() : 0),
      m_DeviceId(deviceId), m_OnLine(online), m_Name(name), m_PollDue(true)
{
}

Device::~Device()
{
    SetOnLine(false);
    {
        CSingleLock lock(&m_CommandLock, TRUE);
        for (auto& entry : m_Commands)
            delete entry.second;
        m_Commands.clear();
    }
}

std::string Device::GetName()
{
    CSingleLock lock(&m_OnLineLock, TRUE);
    return m_Name;
}

void Device::SetName(const std::string& name)
{
    CSingleLock lock(&m_OnLineLock, TRUE);
    m_Name = name;
}

bool Device::IsOnLine()
{
    CSingleLock lock(&m_OnLineLock, TRUE);
    return m_OnLine;
}

void Device::SetOnLine(bool online)
{
    CSingleLock lock(&m_OnLineLock, TRUE);
    m_OnLine = online;
}

bool Device::IsPollDue()
{
    CSingleLock lock(&m_OnLineLock, TRUE);
    return m_PollDue;
}

void Device::SetPollDue(bool due)
{
    CSingleLock lock(&m_OnLineLock, TRUE);
    m_PollDue = due;
}

int Device::QueueCommand(const std::string& code, const std::string& data, bool awaited)
{
    Command* command = new Command(code, data, awaited);
    CSingleLock lock(&m_CommandLock, TRUE);
    m_Commands[command->GetId()] = command;
    return 0;
}

Command* Device::GetFirstCommand()
{
    CSingleLock lock(&m_CommandLock, TRUE);
    return m_Commands.empty() ? nullptr : m_Commands.begin()->second;
}

void Device::CompleteCommand(Command* command)
{
    if (command == nullptr)
        return;
    CSingleLock lock(&m_CommandLock, TRUE);
    auto it = m_Commands.find(command->GetId());
    if (it != m_Commands.end() && it->second == command) {
        delete it->second;
        m_Commands.erase(it);
    }
}

bool Device::HasCommands()
{
    CSingleLock lock(&m_CommandLock, TRUE);
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
