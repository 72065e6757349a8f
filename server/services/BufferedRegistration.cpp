#include "server/services/BufferedRegistration.h"

#include <cstdio>
#include <vector>

#include "server/services/SQLiteDatabase.h"

const char* const CreateBufferTable =
    "create table tblRegBC( RegID integer primary key, nDay integer, nMonth integer, "
    "nYear integer, nHour integer, nMinute integer, nSecond integer, strDate varchar(50), "
    "strTime varchar(50), strDateTime varchar(50), strMediaID varchar(50), "
    "strEventID varchar(50), nEventID integer, nTermID integer, nCommPort integer, "
    "strRawData varchar(256) )";

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args)
{
    int n = snprintf(nullptr, 0, format, args...);
    std::vector<char> buf(n > 0 ? n + 1 : 1, '\0');
    if (n > 0)
        snprintf(buf.data(), buf.size(), format, args...);
    return std::string(buf.data());
}

} // namespace

std::string FormatStoredProcedureCall(const BufferedRegistration& r)
{
    const std::string& media = r.mediaId;
    std::string card = media.size() > 8 ? media.substr(media.size() - 8) : media;
    std::string dateTime = r.dateText + " " + r.timeText;
    return Format("exec spDorvikReg2 '%s', '%s', '%s', '999', %d, %d, '%02X'",
                  SQLite::EscapeText(card.c_str()).c_str(),
                  SQLite::EscapeText(r.dateText.c_str()).c_str(),
                  SQLite::EscapeText(dateTime.c_str()).c_str(), r.deviceId, r.eventCode,
                  (unsigned)r.eventCode);
}

std::string FormatBufferInsert(const BufferedRegistration& r)
{
    auto q = [](const std::string& s) { return SQLite::EscapeText(s.c_str()); };
    return Format("insert into tblRegBC values(NULL, %d, %d, %d, %d, %d, %d, '%s', '%s', '%s', "
                  "'%s', '%s', %d, %d, %d, '%s')",
                  r.day, r.month, r.year, r.hour, r.minute, r.second, q(r.dateText).c_str(),
                  q(r.timeText).c_str(), q(r.dateTimeText).c_str(), q(r.mediaId).c_str(),
                  q(r.eventCodeText).c_str(), r.eventCode, r.deviceId, r.port,
                  q(r.rawData).c_str());
}
