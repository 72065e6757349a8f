// One controller on one port: its address, health state, the operator's
// online switch and its queue of commands.
#pragma once
#include "bus/Command.h"
#include "framework/sync.h"

#include <windows.h>
#include <atomic>
#include <map>
#include <string>

namespace VTMultiDrop {

class CommPort;

enum DeviceState {
    DEVICE_NEW = 0,
    DEVICE_RESPONDING = 1,
    DEVICE_FAILING = 2,
    DEVICE_OFFLINE = 3,
    DEVICE_SWITCHED_OFF = 4,
};

class Device {
public:
    Device(CommPort* port, int deviceId, bool online, const std::string& name);
    virtual ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    std::string GetName();
    void SetName(const std::string& name);
    CommPort* GetCommPort() const { return m_Port; }
    int GetPortNumber() const { return m_PortNumber; }
    int GetDeviceId() const { return m_DeviceId; }
    int GetState() const { return m_State; }
    void SetState(int state) { m_State = state; }
    int GetFailureCounter() const { return m_FailureCounter; }
    void SetFailureCounter(int count) { m_FailureCounter = count; }

    bool IsOnLine();
    void SetOnLine(bool online);
    bool IsPollDue();
    void SetPollDue(bool due);

    // Queues a command and returns 0 at once; the select thread sends it.
    // `awaited`: a requester waits for its answer (see Command).
    int QueueCommand(const std::string& code, const std::string& data, bool awaited = false);
    // The oldest queued command (it stays queued), or null.
    Command* GetFirstCommand();
    // Deletes the command when it is still queued.
    void CompleteCommand(Command* command);
    bool HasCommands();

    int QueueStatus();
    int QueueStatus(bool awaited);
    int QueueDiagnostics();
    int QueueSetTime();
    int QueueReadEEPROM(unsigned short location, bool awaited = false);
    int QueueWriteEEPROM(unsigned short location, unsigned short value, bool awaited = false);
    int QueueReset();
    int QueuePack();

    std::atomic<int> m_State;
    std::atomic<int> m_FailureCounter;
    CommPort* m_Port;
    int m_PortNumber;
    int m_DeviceId;
    bool m_OnLine;
    // Every access to the name and flags holds the first, to the queue the second.
    CCriticalSection m_OnLineLock;
    CCriticalSection m_CommandLock;
    std::map<int, Command*> m_Commands;
    std::string m_Name;
    bool m_PollDue;
};

// The set-time data text "dd.mm.yy" + weekday + "hh:mm:ss" for a local time:
// year modulo 4, weekday digit Monday 0 .. Saturday 5, Sunday 6.
std::string SetTimeText(const SYSTEMTIME& local);

}  // namespace VTMultiDrop
