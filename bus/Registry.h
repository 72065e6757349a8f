// The bus seen by the rest of the server: the registry of open ports, in
// which the first controller of a COM port opens it and the last one closes
// it, and the start-up call that names the event thread.
#pragma once
#include "bus/CommPort.h"

#include <atomic>
#include <functional>
#include <map>
#include <string>

namespace VTMultiDrop {

extern std::map<int, CommPort*> g_Ports;
extern CCriticalSection g_RegistryLock;
extern std::atomic<DWORD> g_EventThreadId;
extern int g_DefaultReadTimeout;

// Stores the event thread and fills the name tables; 0.
int Initialize(DWORD threadId);

// Opens the port when needed and adds controller `deviceId` (1..255) to it.
// readTimeout -1: g_DefaultReadTimeout.
int AddDevice(int portNumber, int deviceId, Device** device, const std::string& name, bool online,
              int readTimeout = -1);
int RemoveDevice(Device* device);
// Removes exactly controller `deviceId` of port `portNumber`: 14 when no such
// port is registered, 17 when it has no such controller.
int RemoveDeviceById(int portNumber, int deviceId);
CommPort* FindCommPort(int portNumber);
// The device with exactly that id on that port, or null; valid until the
// device is removed, so only the thread that removes devices may keep it.
Device* FindDevice(CommPort* port, int deviceId);
// Finds the controller and runs `use` on it as one operation: it cannot be
// removed meanwhile. False when there is no such controller. `use` must not
// call back into the registry.
bool WithDevice(int portNumber, int deviceId, const std::function<void(Device&)>& use);
int CloseAll();

}  // namespace VTMultiDrop

// Waits for the handle while dispatching the calling thread's messages, in
// the framework's bounded passes (AfxWaitWithMessagePump). Returns the last
// wait result (WAIT_OBJECT_0 when the handle was signalled, WAIT_FAILED when
// the wait failed). A WM_QUIT met meanwhile is posted again before returning.
DWORD WaitWithMessagePump(HANDLE* handle);
