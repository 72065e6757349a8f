#include "server/services/CommandParser.h"
#include "server/services/CommandProtocol.h"
#include "server/services/PendingRequests.h"
#include <stdio.h>
#include <string.h>

namespace {

// A decimal field as "%d" reads it; false when it holds no number.
bool ReadNumber(const std::string& field, int& value)
{
    return sscanf(field.c_str(), "%d", &value) == 1;
}

const std::string& Field(const std::vector<std::string>& fields, size_t i)
{
    static const std::string empty;
    return i < fields.size() ? fields[i] : empty;
}

// Handles one frame; false ends the parsing of the request.
bool HandleFrame(const std::string& frame, const std::string& peerHost, ICommandTarget& target)
{
    std::vector<std::string> f = SplitFrameFields(frame);
    int replyPort = CommandProtocol::ReplyPortOfTag(Field(f, 3));
    if (replyPort == 0)
        return true;
    std::string requester = CommandProtocol::RequesterText(peerHost, replyPort);

    int port = 0, id = 0;
    bool numbers = ReadNumber(Field(f, 4), port) & ReadNumber(Field(f, 5), id);
    if (!numbers || !target.ControllerExists(port, id)) {
        PendingRequests().AddError(requester, port, id);
        target.PostErrorReply(port, id);
        return false;
    }

    const std::string& command = Field(f, 6);
    const std::string& idText = Field(f, 5);
    int location = 0, value = 0;
    if (command == "CD") {
        target.AddController(port, id, Field(f, 7));
    } else if (command == "ST") {
        PendingRequests().Add(PendingKind::Status, requester, idText + ":0");
        target.QueueStatus(port, id);
    } else if (command == "SETTIME") {
        // No answer follows a set-time, so no requester is recorded: an entry
        // would wait for, and steal, a later write answer for location 0.
        target.QueueSetTime(port, id);
    } else if (command == "CS") {
        target.EraseStatus(id);
    } else if (command == "RE") {
        if (ReadNumber(Field(f, 7), location)) {
            PendingRequests().Add(PendingKind::Read, requester, idText + ":" + Field(f, 7));
            target.QueueReadEEPROM(port, id, location);
        }
    } else if (command == "WE") {
        if (ReadNumber(Field(f, 7), location) && ReadNumber(Field(f, 8), value)) {
            PendingRequests().Add(PendingKind::Write, requester, idText + ":" + Field(f, 7));
            target.QueueWriteEEPROM(port, id, location, value);
        }
    } else if (command == "DD") {
        target.RemoveController(port, id);
    }
    return true;
}

} // namespace

std::vector<std::string> SplitFrameFields(const std::string& frame)
{
    std::vector<std::string> fields;
    size_t begin = 0;
    for (;;) {
        size_t blank = frame.find(' ', begin);
        if (blank == std::string::npos) {
            fields.push_back(frame.substr(begin));
            return fields;
        }
        fields.push_back(frame.substr(begin, blank - begin));
        begin = blank + 1;
    }
}

std::vector<std::string> ExtractFrames(const char* text, size_t length)
{
    std::string request(text, strnlen(text, length));
    std::vector<std::string> frames;
    size_t from = 0;
    for (;;) {
        size_t start = request.find("VeTr", from);
        if (start == std::string::npos)
            break;
        size_t end = request.find("VTEnd", start + 4);
        if (end == std::string::npos)
            break;
        frames.push_back(request.substr(start, end - start));
        from = end + 5;
    }
    return frames;
}

void ParseCommandFrames(const char* text, size_t length, const std::string& peerHost, ICommandTarget& target)
{
    for (const std::string& frame : ExtractFrames(text, length))
        if (!HandleFrame(frame, peerHost, target))
            break;
}
