// Messages the bus posts: thread messages to the event thread (the
// registration consumer) and the state message to the server view's window.
#pragma once
#include <windows.h>
#include <string>

const UINT WM_BUS_REGISTRATION = WM_APP + 0x01;  // wParam port, lParam ring slot
const UINT WM_BUS_STATUS = WM_APP + 0x02;        // wParam port, lParam device id
const UINT WM_BUS_EEPROM_READ = WM_APP + 0x03;   // wParam device id, lParam location
const UINT WM_BUS_EEPROM_WRITE = WM_APP + 0x04;  // wParam device id, lParam location
// An awaited command ended without its answer: dropped after its re-sends or
// failures, its reply could not be read, or its controller was removed.
const UINT WM_BUS_COMMAND_FAILED = WM_APP + 0x05;  // wParam port, lParam PackFailedCommand
const UINT WM_BUS_DIAGNOSTICS = WM_APP + 0x06;   // wParam port, lParam device id
const UINT WM_DEVICE_STATE = WM_APP + 0x0C;      // wParam device id, lParam new state

// What a failed command was: its controller (an id fits a byte), its code
// ("ST", "RE" or "WE": the ones a requester awaits) and, for "RE" and "WE",
// its location, packed into one message parameter.
struct FailedCommand {
    int deviceId;
    std::string code;  // empty for any other code
    int location;
};

inline LPARAM PackFailedCommand(int deviceId, const std::string& code, int location)
{
    const unsigned kind = code == "ST" ? 1u : code == "RE" ? 2u : code == "WE" ? 3u : 0u;
    return static_cast<LPARAM>((static_cast<unsigned>(deviceId) & 0xFFu) | (kind << 8) |
                               ((static_cast<unsigned>(location) & 0xFFFFu) << 16));
}

inline FailedCommand UnpackFailedCommand(LPARAM packed)
{
    static const char* const codes[] = {"", "ST", "RE", "WE"};
    const unsigned value = static_cast<unsigned>(packed);
    return FailedCommand{static_cast<int>(value & 0xFFu), codes[(value >> 8) & 3u], static_cast<int>(value >> 16)};
}
