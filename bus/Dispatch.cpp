// Replies become events: registrations into the ring, the other replies into
// the result maps, each announced to the event thread.
#include "bus/CommPort.h"

#include "bus/BusErrors.h"
#include "bus/Registrations.h"
#include "bus/Registry.h"
#include "bus/ResultMaps.h"
#include "bus/messages.h"

namespace VTMultiDrop {

bool CommPort::PostEvent(UINT message, LPARAM lParam, WPARAM wParam)
{
    const DWORD thread = g_EventThreadId;
    return thread != 0 && PostThreadMessageA(thread, message, wParam, lParam) != 0;
}

int CommPort::DispatchReply(int deviceId, const std::string& code, const std::string& data)
{
    bool handedOn = false;
    return DispatchReply(deviceId, code, data, handedOn);
}

int CommPort::DispatchReply(int deviceId, const std::string& code, const std::string& data, bool& handedOn)
{
    handedOn = false;
    if (code == "SD" && data != "*")
        return OnRegistrationReply(deviceId, data, handedOn);
    if (code == "ST")
        return OnStatusReply(deviceId, data, handedOn);
    if (code == "RE")
        return OnReadEEPROMReply(deviceId, data, handedOn);
    if (code == "WE")
        return OnWriteEEPROMReply(deviceId, data, handedOn);
    if (code == "DG")
        return OnDiagnosticsReply(deviceId, data, handedOn);
    return BUS_UNKNOWN_EVENT;
}

int CommPort::OnRegistrationReply(int deviceId, const std::string& data, bool& handedOn)
{
    if (data.size() != 14 && data.size() != 26)
        return BUS_INVALID_DATA_LEN;
    const int slot = StoreRegistration(m_PortNumber, deviceId, data);
    handedOn = PostEvent(WM_BUS_REGISTRATION, slot, static_cast<WPARAM>(m_PortNumber));
    return BUS_OK;
}

int CommPort::OnStatusReply(int deviceId, const std::string& data, bool& handedOn)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    EventArgStatus status;
    if (!status.Parse(m_PortNumber, deviceId, data, now))
        return BUS_INVALID_DATA_LEN;
    InsertStatus(deviceId, status);
    handedOn = PostEvent(WM_BUS_STATUS, deviceId, static_cast<WPARAM>(m_PortNumber));
    return BUS_OK;
}

int CommPort::OnDiagnosticsReply(int deviceId, const std::string& data, bool& handedOn)
{
    EventArgDiagnostics diagnostics;
    if (!diagnostics.Parse(m_PortNumber, deviceId, data))
        return BUS_INVALID_DATA_LEN;
    InsertDiagnostics(deviceId, diagnostics);
    handedOn = PostEvent(WM_BUS_DIAGNOSTICS, deviceId, static_cast<WPARAM>(m_PortNumber));
    return BUS_OK;
}

int CommPort::OnReadEEPROMReply(int deviceId, const std::string& data, bool& handedOn)
{
    EventArgEEPROMLoc location;
    if (!location.Parse(m_PortNumber, deviceId, data))
        return BUS_INVALID_DATA_LEN;
    InsertEEPROMWord(deviceId, location.m_Location, location.m_Word);
    handedOn = PostEvent(WM_BUS_EEPROM_READ, location.m_Location, static_cast<WPARAM>(deviceId));
    return BUS_OK;
}

int CommPort::OnWriteEEPROMReply(int deviceId, const std::string& data, bool& handedOn)
{
    EventArgEEPROMLoc location;
    if (!location.Parse(m_PortNumber, deviceId, data))
        return BUS_INVALID_DATA_LEN;
    InsertEEPROMWord(deviceId, location.m_Location, location.m_Word);
    handedOn = PostEvent(WM_BUS_EEPROM_WRITE, location.m_Location, static_cast<WPARAM>(deviceId));
    return BUS_OK;
}

}  // namespace VTMultiDrop
