#include "bus/EventArgs.h"

#include "bus/BusErrors.h"

#include <cstdio>
#include <tuple>

namespace VTMultiDrop {

namespace {

int DigitValue(char c, int base)
{
    if (c >= '0' && c <= '9')
        return c - '0' < base ? c - '0' : -1;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool ParseField(const std::string& text, size_t pos, size_t count, int base, int& value)
{
    if (pos + count > text.size())
        return false;
    int result = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return false;
        result = result * base + digit;
    }
    value = result;
    return true;
}

std::string Format(const char* format, int a, int b, int c)
{
    char text[64];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string DateTimeText(int year, int month, int day, int hour, int minute, int second)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return text;
}

SYSTEMTIME CurrentLocalTime()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

bool ParseDecimalField(const std::string& text, size_t pos, size_t count, int& value)
{
    return ParseField(text, pos, count, 10, value);
}

bool ParseHexField(const std::string& text, size_t pos, size_t count, int& value)
{
    return ParseField(text, pos, count, 16, value);
}

bool IsValidDateTime(int year, int month, int day, int hour, int minute, int second)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    const int last = days[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0);
    return day <= last && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

int ResolveYear(int yearDigits, int month, int day, int hour, int minute, int second, const SYSTEMTIME& now)
{
    const int remainder = ((yearDigits % 4) + 4) % 4;

    // A controller clock may run a little ahead of ours; more than a day ahead
    // means the date belongs to the previous cycle of four years. The latest
    // moment allowed may already lie in the next year (a controller past
    // midnight while our clock still shows 31 December), so the year is
    // counted back from that moment.
    FILETIME file;
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart += 24ULL * 3600 * 10000000;
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME limit;
    FileTimeToSystemTime(&file, &limit);
    int year = limit.wYear - (((limit.wYear - remainder) % 4) + 4) % 4;
    const auto latest = std::make_tuple(int(limit.wYear), int(limit.wMonth), int(limit.wDay), int(limit.wHour),
                                        int(limit.wMinute), int(limit.wSecond));
    if (std::make_tuple(year, month, day, hour, minute, second) > latest)
        year -= 4;
    return year;
}

EventArgRegistration::EventArgRegistration()
    : m_Hour(0), m_Minute(0), m_Second(0), m_Day(0), m_Month(0), m_Year(0), m_EventCode(0), m_Valid(false)
{
}

EventArgRegistration::EventArgRegistration(int port, int deviceId, const std::string& rawData)
    : EventArgRegistration()
{
    Parse(port, deviceId, rawData);
}

void EventArgRegistration::Parse(int port, int deviceId, const std::string& rawData)
{
    Parse(port, deviceId, rawData, CurrentLocalTime());
}

void EventArgRegistration::Parse(int port, int deviceId, const std::string& rawData, const SYSTEMTIME& now)
{
    m_Port = port;
    m_DeviceId = deviceId;
    m_RawData = rawData;

    bool read = rawData.size() == 14 || rawData.size() == 26;
    m_EventCodeText = rawData.substr(0, 2);
    m_EventCode = 0;
    read = ParseHexField(rawData, 0, 2, m_EventCode) && read;
    m_EventName = read ? GetEventName(m_EventCode) : std::string();

    int yearDigits = 0;
    int* fields[] = {&m_Day, &m_Month, &yearDigits, &m_Hour, &m_Minute, &m_Second};
    for (int i = 0; i < 6; ++i) {
        *fields[i] = 0;
        read = ParseDecimalField(rawData, 2 + 2 * i, 2, *fields[i]) && read;
    }
    // The controller keeps the year modulo 4.
    read = read && yearDigits <= 3;
    m_Year = ResolveYear(yearDigits, m_Month, m_Day, m_Hour, m_Minute, m_Second, now);

    m_DateText = Format("%04d-%02d-%02d", m_Year, m_Month, m_Day);
    m_TimeText = Format("%02d:%02d:%02d", m_Hour, m_Minute, m_Second);
    m_DateTimeText = DateTimeText(m_Year, m_Month, m_Day, m_Hour, m_Minute, m_Second);

    if (read && m_EventCode >= 128)
        m_MediaId = "000000000000";
    else
        m_MediaId = rawData.size() >= 26 ? rawData.substr(14, 12) : std::string();

    m_Valid = read && IsValidDateTime(m_Year, m_Month, m_Day, m_Hour, m_Minute, m_Second);
}

EventArgStatus::EventArgStatus()
    : m_Hour(0), m_Minute(0), m_Second(0), m_Day(0), m_Month(0), m_Year(0), m_Flag(0)
{
}

bool EventArgStatus::Parse(int port, int deviceId, const std::string& data, const SYSTEMTIME& now)
{
    if (data.size() != 22)
        return false;
    int yearDigits = 0;
    if (!ParseDecimalField(data, 5, 2, m_Day) || !ParseDecimalField(data, 7, 2, m_Month) ||
        !ParseDecimalField(data, 9, 2, yearDigits) || !ParseDecimalField(data, 11, 2, m_Hour) ||
        !ParseDecimalField(data, 13, 2, m_Minute) || !ParseDecimalField(data, 15, 2, m_Second))
        return false;
    m_Port = port;
    m_DeviceId = deviceId;
    m_RawData = data;
    m_Head = data.substr(0, 2);
    m_Firmware = data.substr(2, 3);
    m_Flag = data[17];
    m_Counter = data.substr(18, 4);
    m_Year = ResolveYear(yearDigits, m_Month, m_Day, m_Hour, m_Minute, m_Second, now);
    m_DateText = Format("%04d-%02d-%02d", m_Year, m_Month, m_Day);
    m_TimeText = Format("%02d:%02d:%02d", m_Hour, m_Minute, m_Second);
    m_DateTimeText = DateTimeText(m_Year, m_Month, m_Day, m_Hour, m_Minute, m_Second);
    return true;
}

bool EventArgDiagnostics::Parse(int port, int deviceId, const std::string& data)
{
    if (data.size() != 12)
        return false;
    m_Port = port;
    m_DeviceId = deviceId;
    m_RawData = data;
    m_CT = data.substr(0, 4);
    m_RD = data.substr(4, 4);
    m_WR = data.substr(8, 4);
    return true;
}

bool EventArgEEPROMLoc::Parse(int port, int deviceId, const std::string& data)
{
    int location = 0, word = 0;
    if (data.size() != 8 || !ParseHexField(data, 0, 4, location) || !ParseHexField(data, 4, 4, word))
        return false;
    m_Port = port;
    m_DeviceId = deviceId;
    m_RawData = data;
    m_Location = static_cast<unsigned short>(location);
    m_Word = static_cast<unsigned short>(word);
    return true;
}

}  // namespace VTMultiDrop
