// The bus layer as the service threads read it: the registration ring
// g_Registrations, the stored status texts and EEPROM words. The server's
// start-up points g_pServiceBus at the implementation over VTMultiDrop; tests
// point it at their own.
#pragma once
#include "server/services/BufferedRegistration.h"
#include "server/services/CommandProtocol.h"
#include "server/services/PendingRequests.h"
#include <string>

// The fields of a ring record the consumer reads.
struct RegistrationRecord {
    int port = 0;
    int id = 0;
    std::string raw, mediaId, dateTime, eventCode;
    bool valid = false;
};

class IServiceBus
{
public:
    virtual ~IServiceBus() {}
    // The record in ring slot `index`, in the consumer's and the database
    // thread's shape, and as the registration push needs it.
    virtual bool ReadRegistration(int index, RegistrationRecord& record) = 0;
    virtual bool ReadBufferedRegistration(int index, BufferedRegistration& record) = 0;
    virtual bool ReadReg2Fields(int index, CommandProtocol::Reg2Fields& fields) = 0;
    // A buffered registration rebuilt from its stored port, device id and raw
    // data, dated in the stored year; false when the raw data does not decode.
    virtual bool RebuildRegistration(int port, int id, const char* raw, int year, BufferedRegistration& out) = 0;
    // The stored status texts of a controller (date-time, head, firmware).
    virtual StatusSnapshot CurrentStatus(int id) = 0;
    // Removes and returns the stored word; 0xFFFF when none is stored.
    virtual unsigned TakeEEPROMWord(int id, int location) = 0;
};

extern IServiceBus* g_pServiceBus;
