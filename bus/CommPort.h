// One open serial port with the controllers on its RS-485 line: the byte-level
// bus operations, the poll and select threads and the reply dispatch.
//
// Lock order of the bus (outer to inner): the registry's change lock, the
// registry lock, a port lock, a device's online or command lock; the result
// map lock is a leaf. Bus threads take only a port lock and what lies inside
// it, so whoever holds an outer lock may wait for them.
#pragma once
#include "bus/Device.h"
#include "bus/SerialLine.h"
#include "framework/ownedthread.h"
#include "framework/sync.h"

#include <windows.h>
#include <atomic>
#include <map>
#include <memory>
#include <string>

namespace VTMultiDrop {

// Cycle pause of every bus thread (ms); set by each successful controller add.
extern std::atomic<LONG> g_PauseMachine;
extern int g_FailingThreshold;  // more consecutive failures: state 2
extern int g_OfflineThreshold;  // more: state 3, and the command being sent is dropped
extern int g_FailureCap;        // the failure counter never exceeds this
// A command the controller takes this many times without answering with its
// reply code is dropped, so that the idle requests of the line can go on.
extern int g_MaxCommandDeliveries;
// While a port's line is down, it is opened again at most this often (ms).
extern int g_ReopenIntervalMs;

class CommPort {
public:
    // `line` null: the Win32 serial line.
    CommPort(int portNumber, int readTimeout, ISerialLine* line = nullptr);
    virtual ~CommPort();
    CommPort(const CommPort&) = delete;
    CommPort& operator=(const CommPort&) = delete;

    bool IsOpen() const { return m_Open; }
    // True while the line is down (a reopen failed): the threads go on, every
    // transaction fails as with a silent controller, and the select thread
    // opens the line again at most every g_ReopenIntervalMs.
    bool IsLineDown() const { return m_LineDown; }
    int GetPortNumber() const { return m_PortNumber; }
    std::map<int, Device*>& GetDevices() { return m_Devices; }
    CCriticalSection& GetLock() { return m_Lock; }

    // Port life.
    int OpenPort();
    // Stops and joins the threads and closes the line, also while it is down.
    int ClosePort();
    int ReopenPort();
    int StartThreads();
    int StopThreads();

    // Byte-level operations (callers hold the port lock).
    int SetParity(BYTE parity);
    int SelectAddress(int deviceId);
    int WriteEchoed(const char* bytes);
    int WriteEchoed(const unsigned char* bytes, size_t count);
    int WaitForSOH();
    int ReadExact(unsigned char* buffer, int count);
    int SendCommand(int deviceId, const char* frame);
    // Reads one reply payload (zero-terminated into `buffer`, which holds at
    // least FrameBufferSize bytes) and acknowledges it.
    int PollDevice(int deviceId, char* buffer);
    // PollDevice without the acknowledgement.
    int ReadReply(int deviceId, char* buffer);
    int SendAck(int deviceId);

    // The device set (takes the port lock).
    int AddDevice(int deviceId, Device** device, bool online, const std::string& name);
    int DetachDevice(Device* device);
    void DeleteDevices();
    Device* FindDevice(int deviceId);
    // True when any device of the port has a queued command (lock held).
    bool HasPendingCommand();

    // Replies, dispatched by the poll thread (and the local "WE" after delivery).
    int DispatchReply(int deviceId, const std::string& code, const std::string& data);
    // The same, telling whether the event reached the event thread.
    int DispatchReply(int deviceId, const std::string& code, const std::string& data, bool& handedOn);
    int OnRegistrationReply(int deviceId, const std::string& data, bool& handedOn);
    int OnStatusReply(int deviceId, const std::string& data, bool& handedOn);
    int OnDiagnosticsReply(int deviceId, const std::string& data, bool& handedOn);
    int OnReadEEPROMReply(int deviceId, const std::string& data, bool& handedOn);
    int OnWriteEEPROMReply(int deviceId, const std::string& data, bool& handedOn);
    // Posts to the event thread; false when there is none or the post failed.
    bool PostEvent(UINT message, LPARAM lParam, WPARAM wParam);

    // One transaction of each thread for one device (lock held).
    void SelectTransaction(Device* device);
    void PollTransaction(Device* device);
    // Counts a failed transaction and reports the state changes.
    void FailureStep(Device* device);
    // Ends a command that will get no answer; the event thread hears of it
    // when a requester awaits it (WM_BUS_COMMAND_FAILED).
    void DropCommand(Device* device, Command* command);

    int m_ReadTimeout;
    int m_PauseBetweenReads;
    COwnedThread m_PollThread;
    COwnedThread m_SelectThread;
    // Lives as long as the port: the threads and the registry use it also
    // while the line is closed.
    CCriticalSection m_Lock;
    std::atomic<bool> m_Open;
    std::atomic<bool> m_LineDown;
    DWORD m_LastReopen;  // tick of the last attempt (port lock held)
    int m_PortNumber;
    DCB m_DCB;
    std::unique_ptr<ISerialLine> m_Line;
    std::map<int, Device*> m_Devices;
    // Bumped by every addition and removal, so a thread's walk restarts.
    unsigned m_DeviceGeneration;
    char m_IdleFrame[FrameBufferSize];

private:
    int ConfigureLine();
    // Opens and configures the line; closed again when a step fails.
    int OpenLine();
    // The select thread's retry while the line is down (lock held).
    void RetryReopen();
    // After a reopen: failing and offline controllers get requests again.
    void ReviveDevices();
    void RunCycle(bool select);
    void Log(const std::string& text);
    void PostState(int deviceId, int state);
};

}  // namespace VTMultiDrop
