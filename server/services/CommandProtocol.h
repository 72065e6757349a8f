// Texts of the TCP command protocol as the server speaks it.
#pragma once
#include <string>

namespace CommandProtocol {

const int MaxRequestBytes = 10240;

// Reply port of a client tag, 0 for a tag the server does not serve.
int ReplyPortOfTag(const std::string& tag);
// "host:port", the key of every pending entry.
std::string RequesterText(const std::string& host, int port);
// Splits a requester text at its first colon; false when it has none.
bool SplitRequester(const std::string& requester, std::string& host, int& port);
// Awaited values: "id:0" for status and error, "id:location" for read and write.
std::string AwaitedValue(int id, int second);

std::string StatusLine(const std::string& dateTime, const std::string& head, const std::string& firmware);
std::string ReadLine(int id, int location, unsigned word);
std::string WriteLine(int id, int location, unsigned word);
std::string ErrorLine(int port, int id);

// The registration push: payload and its frame.
struct Reg2Fields {
    std::string mediaId; // the first eight characters are sent
    int day, month, year, hour, minute;
    int eventCode, id, port;
};
std::string Reg2Payload(const Reg2Fields& r);
std::string Reg2Frame(const Reg2Fields& r);

} // namespace CommandProtocol
