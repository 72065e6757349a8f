// What the reporting database and the registration buffer need of one
// registration, as plain values (the forwarding logic stays independent of the
// bus record type).
#pragma once
#include <string>

struct BufferedRegistration {
    int port = 0;
    int deviceId = 0;
    std::string rawData;
    int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    std::string dateText;     // "%04d-%02d-%02d"
    std::string timeText;     // "%02d:%02d:%02d"
    std::string dateTimeText; // date text, blank, time text
    std::string mediaId;      // 12 characters
    std::string eventCodeText;
    int eventCode = 0;
};

// "exec spDorvikReg2 ..." for one registration.
std::string FormatStoredProcedureCall(const BufferedRegistration& r);
// "insert into tblRegBC values(NULL, ...)" for one registration.
std::string FormatBufferInsert(const BufferedRegistration& r);

// The statement that creates the buffer table (fails harmlessly when it exists).
extern const char* const CreateBufferTable;
