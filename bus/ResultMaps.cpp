#include "bus/ResultMaps.h"


namespace VTMultiDrop {

std::map<int, EventArgStatus> g_StatusResults;
std::map<int, EventArgDiagnostics> g_DiagnosticsResults;
std::map<unsigned, unsigned short> g_EEPROMWords;
CCriticalSection g_ResultLock;

namespace {

template <class Field>
std::string StatusField(int deviceId, Field field)
{
    CSingleLock lock(&g_ResultLock, TRUE);
    auto it = g_StatusResults.find(deviceId);
    return it == g_StatusResults.end() ? std::string() : it->second.*field;
}

template <class Field>
std::string DiagnosticsField(int deviceId, Field field)
{
    CSingleLock lock(&g_ResultLock, TRUE);
    auto it = g_DiagnosticsResults.find(deviceId);
    return it == g_DiagnosticsResults.end() ? std::string() : it->second.*field;
}

}  // namespace

void InsertStatus(int deviceId, const EventArgStatus& status)
{
    CSingleLock lock(&g_ResultLock, TRUE);
    g_StatusResults[deviceId] = status;
}

void InsertDiagnostics(int deviceId, const EventArgDiagnostics& diagnostics)
{
    CSingleLock lock(&g_ResultLock, TRUE);
    g_DiagnosticsResults[deviceId] = diagnostics;
}

void InsertEEPROMWord(int deviceId, int location, unsigned short word)
{
    CSingleLock lock(&g_ResultLock, TRUE);
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
    CSingleLock lock(&g_ResultLock, TRUE);
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
    CSingleLock lock(&g_ResultLock, TRUE);
    g_StatusResults.erase(deviceId);
}

void EraseDiagnostics(int deviceId)
{
    CSingleLock lock(&g_ResultLock, TRUE);
    g_DiagnosticsResults.erase(deviceId);
}

unsigned short TakeEEPROMWord(int deviceId, int location)
{
    CSingleLock lock(&g_ResultLock, TRUE);
    auto it = g_EEPROMWords.find(EEPROMKey(deviceId, location));
    if (it == g_EEPROMWords.end())
        return 0xFFFF;
    const unsigned short word = it->second;
    g_EEPROMWords.erase(it);
    return word;
}

}  // namespace VTMultiDrop
