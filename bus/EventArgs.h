// Decoded controller replies: registrations, status, diagnostics and EEPROM
// words. Fields hold exactly what the reply's fixed-width fields say.
#pragma once
#include <windows.h>
#include <string>

namespace VTMultiDrop {

class EventArg {
public:
    EventArg() : m_Port(0), m_DeviceId(0) {}
    EventArg(int port, int deviceId, const std::string& rawData)
        : m_Port(port), m_DeviceId(deviceId), m_RawData(rawData) {}
    virtual ~EventArg() {}
    // Deletes the object when it is not null.
    static void Delete(EventArg* arg) { delete arg; }

    int m_Port;
    int m_DeviceId;
    std::string m_RawData;  // the reply data exactly as received
};

// A badge event from a controller's memory: "SD" data of 14 or 26 characters
// (event code hex, dd mm yy hh mm ss, media id).
class EventArgRegistration : public EventArg {
public:
    EventArgRegistration();
    // Decodes at once (used to rebuild registrations from stored raw data).
    EventArgRegistration(int port, int deviceId, const std::string& rawData);

    // Replaces every field; the year is chosen from the local clock.
    void Parse(int port, int deviceId, const std::string& rawData);
    // The same against a given local time (`now`).
    void Parse(int port, int deviceId, const std::string& rawData, const SYSTEMTIME& now);

    int m_Hour, m_Minute, m_Second, m_Day, m_Month, m_Year;
    int m_EventCode;               // 0-255
    std::string m_EventCodeText;   // the two hexadecimal characters as received
    std::string m_EventName;       // empty when the code has no name
    std::string m_DateText;        // "%04d-%02d-%02d"
    std::string m_TimeText;        // "%02d:%02d:%02d"
    std::string m_DateTimeText;    // "%04d-%02d-%02d %02d:%02d:%02d"
    std::string m_MediaId;         // 12 characters; "000000000000" without a card
    bool m_Valid;                  // every field read and a real date and time
};

// "ST" data of 22 characters.
class EventArgStatus : public EventArg {
public:
    EventArgStatus();
    EventArgStatus(const EventArgStatus&) = default;
    EventArgStatus& operator=(const EventArgStatus&) = default;

    // Returns false (and leaves the fields undefined) unless the data has 22
    // characters whose date and time fields are decimal digits.
    bool Parse(int port, int deviceId, const std::string& data, const SYSTEMTIME& now);

    int m_Hour, m_Minute, m_Second, m_Day, m_Month, m_Year;
    std::string m_DateText, m_TimeText, m_DateTimeText;
    std::string m_Head;      // 2 characters
    std::string m_Firmware;  // 3 characters
    char m_Flag;             // stored, read by nobody
    std::string m_Counter;   // 4 characters
};

// "DG" data of 12 characters.
class EventArgDiagnostics : public EventArg {
public:
    EventArgDiagnostics() {}
    EventArgDiagnostics(const EventArgDiagnostics&) = default;
    EventArgDiagnostics& operator=(const EventArgDiagnostics&) = default;

    // False unless the data has 12 characters.
    bool Parse(int port, int deviceId, const std::string& data);

    std::string m_CT, m_RD, m_WR;
};

// "RE"/"WE" data: location and word, four hexadecimal digits each.
class EventArgEEPROMLoc : public EventArg {
public:
    EventArgEEPROMLoc() : m_Location(0), m_Word(0) {}

    // False unless the data is exactly eight hexadecimal digits.
    bool Parse(int port, int deviceId, const std::string& data);

    unsigned short m_Location;
    unsigned short m_Word;
};

// Strict field readers: exactly `count` digits from `pos`, nothing else
// (no blanks, signs or "0x"). False when the text is too short or a
// character is not a digit of the base.
bool ParseDecimalField(const std::string& text, size_t pos, size_t count, int& value);
bool ParseHexField(const std::string& text, size_t pos, size_t count, int& value);

// The full year of a controller date whose year is kept modulo 4: the latest
// year not after `now` (allowing one day of clock skew) with that remainder.
int ResolveYear(int yearDigits, int month, int day, int hour, int minute, int second, const SYSTEMTIME& now);

bool IsValidDateTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace VTMultiDrop
