// Bus error codes with their texts, and the names of controller events.
#pragma once
#include <map>
#include <string>

namespace VTMultiDrop {

enum BusError {
    BUS_OK = 0,
    BUS_NO_SOH = 1,
    BUS_SETCOMMSTATE = 2,
    BUS_ESCAPECOMMFUNCTION = 3,
    BUS_RXSTR = 4,
    BUS_INVALID_DATA_LEN = 5,
    BUS_PORT_ALREADY_OPENED = 6,
    BUS_UNABLE_TO_OPEN = 7,
    BUS_GETCOMMSTATE = 8,
    BUS_GETCOMMTIMEOUTS = 9,
    BUS_SETCOMMTIMEOUTS = 10,
    BUS_SETUPCOMM = 11,
    BUS_SETCOMMMASK = 12,
    BUS_PURGECOMM = 13,
    BUS_PORT_ALREADY_CLOSED = 14,
    BUS_UNABLE_TO_CLOSE = 15,
    BUS_DEVICE_EXISTS = 16,
    BUS_DEVICE_DOESNT_EXIST = 17,
    BUS_UNKNOWN_EVENT = 18,
    BUS_TIMEOUT = 19,
};

// Filled by Initialize; read-only afterwards.
extern std::map<int, std::string> g_ErrorTexts;
extern std::map<int, std::string> g_EventNames;

// Empty for a code not in the table (and before Initialize).
std::string GetErrorText(int code);
std::string GetEventName(int eventCode);

// Adds the table entries that are missing (used by Initialize).
void FillErrorTexts();
void FillEventNames();

}  // namespace VTMultiDrop
