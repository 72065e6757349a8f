#include "bus/Registrations.h"

namespace VTMultiDrop {

EventArgRegistration g_Registrations[RegistrationRingSize];
std::atomic<LONG> g_NextRegistration(0);

int StoreRegistration(int port, int deviceId, const std::string& rawData)
{
    // The counter runs on; its low bits are the slot.
    const LONG taken = g_NextRegistration.fetch_add(1);
    const int slot = static_cast<int>(taken & RegistrationRingMask);
    g_Registrations[slot].Parse(port, deviceId, rawData);
    return slot;
}

}  // namespace VTMultiDrop
