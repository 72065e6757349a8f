// Stored status, diagnostics and EEPROM replies, filled by the poll threads
// and read, taken and erased by the rest of the server. One leaf lock guards
// all three maps: nothing else is taken while it is held.
#pragma once
#include "bus/EventArgs.h"
#include "framework/sync.h"

#include <map>
#include <string>

namespace VTMultiDrop {

extern std::map<int, EventArgStatus> g_StatusResults;
extern std::map<int, EventArgDiagnostics> g_DiagnosticsResults;
extern std::map<unsigned, unsigned short> g_EEPROMWords;
extern CCriticalSection g_ResultLock;

inline unsigned EEPROMKey(int deviceId, int location)
{
    return (static_cast<unsigned>(deviceId) << 16) + static_cast<unsigned>(location & 0xFFFF);
}

// The newest reply wins: a stored status, diagnostics or EEPROM word is
// replaced by a newer one for the same key, so no stale text is shown or sent.
void InsertStatus(int deviceId, const EventArgStatus& status);
void InsertDiagnostics(int deviceId, const EventArgDiagnostics& diagnostics);
void InsertEEPROMWord(int deviceId, int location, unsigned short word);

// Copies of the stored texts; empty when nothing is stored.
std::string GetStatusTime(int deviceId);
std::string GetStatusDate(int deviceId);
std::string GetStatusDateTime(int deviceId);
std::string GetStatusHead(int deviceId);
std::string GetStatusFirmware(int deviceId);
std::string GetStatusCounter(int deviceId);
// The whole stored status; false when none is stored.
bool GetStatus(int deviceId, EventArgStatus& status);
std::string GetDiagnosticsCT(int deviceId);
std::string GetDiagnosticsRD(int deviceId);
std::string GetDiagnosticsWR(int deviceId);
void EraseStatus(int deviceId);
void EraseDiagnostics(int deviceId);
// The stored word, removed; 0xFFFF when none is stored.
unsigned short TakeEEPROMWord(int deviceId, int location);

}  // namespace VTMultiDrop
