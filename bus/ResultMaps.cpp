#include "bus/ResultMaps.h"

#include "bus/BusLock.h"

namespace VTMultiDrop {

std::map<int, EventArgStatus> g_StatusResults;
std::map<int, EventArgDiagnostics> g_DiagnosticsResults;
std::map<unsigned, unsigned short> g_EEPROMWords;
CRITICAL_SECTION g_ResultLock;

namespace {

struct ResultLockInit {
    ResultLockInit() { InitializeCriticalSection(&g_ResultLock); }
} resultLockInit;

template <class Field>
std::string StatusField(int deviceId, Field field)
{
    BusLock lock(g_ResultLock);
    auto it = g_StatusResults.find(deviceId);
    return it == g_StatusResults.end() ? std::string() : it->second.*field;
}

template <class Field>
std::string DiagnosticsField(int deviceId, Field field)
{
    BusLock lock(g_ResultLock);
    auto it = g_DiagnosticsResults.find(deviceId);
    return it == g_DiagnosticsResults.end() ? std::string() : it->second.*field;
}

}  // namespace

void InsertStatus(int deviceId, const EventArgStatus& status)
{
    BusLock lock(g_ResultLock);
    g_StatusResults[deviceId] = status;
}

void InsertDiagnostics(int deviceId, const EventArgDiagnostics& diagnostics)
{
    BusLock lock(g_ResultLock);
    g_DiagnosticsResults[deviceId] = diagnostics;
}

void InsertEEPROMWord(int deviceId, int location, unsigned short word)
{
    BusLock lock(g_ResultLock);
    g_EEPROMWords[EEPROMKey(deviceId, location)] = word;
}

std::string GetStatusTime(int deviceId) { return StatusField(deviceId, &EventArgStatus::m_TimeText); }
std::string GetStatusDate(int deviceId) { return StatusField(deviceId, &EventArgStatus::m_DateText); }
std::string GetStatusDateTime(int deviceId) { return StatusField(deviceId, &EventArgStatus::m_DateTimeText); }
std::string GetStatusHead(int deviceId) { return StatusField(deviceId, &EventArgStatus::m_Head); }
std::string GetStatusFirmware(int deviceId) { return StatusField(deviceId, &EventArgStatus::m_Firmware); }
std::string GetStatusCounter(int deviceId) { return StatusField(deviceId, &EventArgStatus::m_Counter); }

bool GetStatus(int deviceId, EventArgStatus& status)
{
    BusLock lock(g_ResultLock);
    auto it = g_StatusResults.find(deviceId);
    if (it == g_StatusResults.end())
        return false;
    status = it->second;
    return true;
}

std::string GetDiagnosticsCT(int deviceId) { return DiagnosticsField(deviceId, &EventArgDiagnostics::m_CT); }
std::string GetDiagnosticsRD(int deviceId) { return DiagnosticsField(deviceId, &EventArgDiagnostics::m_RD); }
std::string GetDiagnosticsWR(int deviceId) { return DiagnosticsField(deviceId, &EventArgDiagnostics::m_WR); }

void EraseStatus(int deviceId)
{
    BusLock lock(g_ResultLock);
    g_StatusResults.erase(deviceId);
}

void EraseDiagnostics(int deviceId)
{
    BusLock lock(g_ResultLock);
    g_DiagnosticsResults.erase(deviceId);
}

unsigned short TakeEEPROMWord(int deviceId, int location)
{
    BusLock lock(g_ResultLock);
    auto it = g_EEPROMWords.find(EEPROMKey(deviceId, location));
    if (it == g_EEPROMWords.end())
        return 0xFFFF;
    const unsigned short word = it->second;
    g_EEPROMWords.erase(it);
    return word;
}

}  // namespace VTMultiDrop
