// The process-wide ring of registrations. A reader reads the slot named in the
// message it received; the ring is deep enough that a slot is not rewritten
// before its reader has finished.
#pragma once
#include "bus/EventArgs.h"

#include <atomic>

namespace VTMultiDrop {

const int RegistrationRingSize = 8192;
const int RegistrationRingMask = RegistrationRingSize - 1;

extern EventArgRegistration g_Registrations[RegistrationRingSize];
// Index of the next slot to write; only StoreRegistration advances it.
extern std::atomic<LONG> g_NextRegistration;

// Takes the next slot (atomically: two writers never share one), decodes the
// data into it and returns its number.
int StoreRegistration(int port, int deviceId, const std::string& rawData);

}  // namespace VTMultiDrop
