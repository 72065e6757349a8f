#include "server/services/CommandParser.h"
#include "server/services/CommandProtocol.h"
#include "server/services/PendingRequests.h"
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>

namespace {

// A decimal field as "%d" reads it (leading blanks skipped, trailing text
// ignored); false when it holds no number or one beyond an int, which "%d"
// would wrap onto another controller or location.
bool ReadNumber(const std::string& field, int& value)
{
    const char* text = field.c_str();
    char* end = nullptr;
    errno = 0;
    long long number = strtoll(text, &end, 10);
    if (end == text || errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return false;
    value = (int)number;
    return true;
}

// EEPROM locations and words are 16-bit on the bus.
bool ReadWord(const std::string& field, int& value)
{
    return ReadNumber(field, value) && value >= 0 && value <= 0xFFFF;
}

const std::string& Field(const std::vector<std::string>& fields, size_t i)
{
    static const std::string empty;
    return i < fields.size() ? fields[i] : empty;
}

// The requester hears "ERR" for a frame that is not carried out.
void AnswerError(const std::string& requester, int port, int id, ICommandTarget& target)
{
    PendingRequests().AddError(requester, port, id);
    target.PostErrorReply(port, id);
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
        AnswerError(requester, port, id, target);
        return false;
    }

    // Pending values name the controller and location as read, so that the
    // answer, which the dispatcher formats from the numbers, finds them even
    // when the client wrote "05" or "+5".
    const std::string& command = Field(f, 6);
    int location = 0, value = 0;
    if (command == "CD") {
        target.AddController(port, id, Field(f, 7));
    } else if (command == "ST") {
        PendingRequests().Add(PendingKind::Status, requester, CommandProtocol::AwaitedValue(id, 0));
        target.QueueStatus(port, id);
    } else if (command == "SETTIME") {
        // No answer follows a set-time, so no requester is recorded: an entry
        // would wait for, and steal, a later write answer for location 0.
        target.QueueSetTime(port, id);
    } else if (command == "CS") {
        target.EraseStatus(id);
    } else if (command == "RE") {
        if (ReadWord(Field(f, 7), location)) {
            PendingRequests().Add(PendingKind::Read, requester, CommandProtocol::AwaitedValue(id, location));
            target.QueueReadEEPROM(port, id, location);
        } else {
            // Missing or beyond 16 bits: the bus would cut it to another
            // location, whose answer this requester would never match.
            AnswerError(requester, port, id, target);
        }
    } else if (command == "WE") {
        if (ReadWord(Field(f, 7), location) && ReadWord(Field(f, 8), value)) {
            PendingRequests().Add(PendingKind::Write, requester, CommandProtocol::AwaitedValue(id, location));
            target.QueueWriteEEPROM(port, id, location, value);
        } else {
            AnswerError(requester, port, id, target);
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
