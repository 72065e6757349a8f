// The bus layer as the service threads read it: the registration ring
// g_Registrations, the stored status texts and EEPROM words. The server's
// start-up hands the implementation over VTMultiDrop to each service thread
// before it runs; tests hand them their own.
#pragma once
#include "server/services/BufferedRegistration.h"
#include "server/services/CommandProtocol.h"
#include "server/services/PendingRequests.h"
#include <string>

// A ring record as the consumer reads it: what the monthly file and the
// reporting database take of it, and whether its date and time are valid.
struct RegistrationRecord : BufferedRegistration {
    bool valid = false;
};

class IServiceBus
{
public:
    virtual ~IServiceBus() {}
    // The record in ring slot `index`, as the consumer and the registration
    // push need it.
    virtual bool ReadRegistration(int index, RegistrationRecord& record) = 0;
    virtual bool ReadReg2Fields(int index, CommandProtocol::Reg2Fields& fields) = 0;
    // A buffered registration rebuilt from its stored port, device id and raw
    // data, dated in the stored year; false when the raw data does not decode.
    virtual bool RebuildRegistration(int port, int id, const char* raw, int year, BufferedRegistration& out) = 0;
    // The stored status texts of a controller (date-time, head, firmware).
    virtual StatusSnapshot CurrentStatus(int id) = 0;
    // Removes and returns the stored word; 0xFFFF when none is stored.
    virtual unsigned TakeEEPROMWord(int id, int location) = 0;
};
