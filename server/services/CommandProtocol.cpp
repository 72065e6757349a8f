#include "server/services/CommandProtocol.h"
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

namespace CommandProtocol {

namespace {
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}
} // namespace

int ReplyPortOfTag(const std::string& tag)
{
    static const struct { const char* tag; int port; } tags[] = {
        { "Brqv", 20000 }, { "Ob20", 65001 }, { "Ob21", 65002 }, { "Ob30", 65003 },
    };
    for (const auto& t : tags)
        if (tag == t.tag)
            return t.port;
    return 0;
}

std::string RequesterText(const std::string& host, int port)
{
    return host + ":" + std::to_string(port);
}

bool SplitRequester(const std::string& requester, std::string& host, int& port)
{
    size_t colon = requester.find(':');
    if (colon == std::string::npos)
        return false;
    host = requester.substr(0, colon);
    port = atoi(requester.c_str() + colon + 1);
    return true;
}

std::string AwaitedValue(int id, int second)
{
    return Format("%d:%d", id, second);
}

std::string StatusLine(const std::string& dateTime, const std::string& head, const std::string& firmware)
{
    return "ST " + dateTime + " " + head + " " + firmware;
}

std::string ReadLine(int id, int location, unsigned word)
{
    return Format("RE %d %d %d", id, location, (int)(word & 0xFFFF));
}

std::string WriteLine(int id, int location, unsigned word)
{
    return Format("WE %d %d %d", id, location, (int)(word & 0xFFFF));
}

std::string ErrorLine(int port, int id)
{
    return Format("ERR %d %d ", port, id);
}

std::string Reg2Payload(const Reg2Fields& r)
{
    return Format("%s,%02d.%02d.%02d,%02d:%02d:%02d,%02X,%02X.", r.mediaId.substr(0, 8).c_str(),
                  r.day, r.month, r.year % 100, r.hour, r.minute, 0, r.eventCode & 0xFF, r.id & 0xFF);
}

std::string Reg2Frame(const Reg2Fields& r)
{
    std::string payload = Reg2Payload(r);
    return Format("VeTr 1 %07d Hlvx %d REG2 ", (int)payload.size(), r.port) + payload;
}

} // namespace CommandProtocol
