#include "bus/BusErrors.h"

namespace VTMultiDrop {

std::map<int, std::string> g_ErrorTexts;
std::map<int, std::string> g_EventNames;

void FillErrorTexts()
{
    static const struct {
        int code;
        const char* text;
    } texts[] = {
        {0, "OK"},
        {1, "No SOH"},
        {2, "SetCommState error"},
        {3, "EscapeCommFunction error"},
        {4, "RxSTR error"},
        {5, "Invalid data len"},
        {6, "Comm port already opened"},
        {7, "Unable to open comm port"},
        {8, "GetCommState error"},
        {9, "GetCommTImeouts error"},
        {10, "SetCommTimeouts error"},
        {11, "SetupComm error"},
        {12, "SetCommMask error"},
        {13, "PurgeComm error"},
        {14, "Comm port already closed"},
        {15, "Unable to close comm port"},
        {16, "Device already exists"},
        {17, "Device doesn't exist"},
        {18, "Unknown event"},
        {19, "TimeOut"},
    };
    for (const auto& t : texts)
        g_ErrorTexts.insert({t.code, t.text});
}

void FillEventNames()
{
    static const struct {
        int code;
        const char* name;
    } names[] = {
        {0x00, "T1"}, {0x01, "T1A"}, {0x10, "T2"}, {0x11, "T2A"},
        {0x80, "SO"}, {0x81, "SC"}, {0x88, "EO"}, {0x89, "EC"},
        {0x96, "AFE"}, {0x9A, "ADOTL"}, {0xAE, "AO"}, {0xAF, "AC"},
    };
    for (const auto& n : names)
        g_EventNames.insert({n.code, n.name});
}

// Filled as the program loads, not first by Initialize: the server adds its
// configured controllers before it initialises the bus, and an error of such
// an add must still be shown with its text.
const bool g_TablesFilled = (FillErrorTexts(), FillEventNames(), true);

std::string GetErrorText(int code)
{
    auto it = g_ErrorTexts.find(code);
    return it == g_ErrorTexts.end() ? std::string() : it->second;
}

std::string GetEventName(int eventCode)
{
    auto it = g_EventNames.find(eventCode);
    return it == g_EventNames.end() ? std::string() : it->second;
}

}  // namespace VTMultiDrop
