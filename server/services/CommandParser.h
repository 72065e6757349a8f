// Turns one TCP request (one or more "VeTr ... VTEnd" frames) into pending
// entries and controller commands.
#pragma once
#include <string>
#include <vector>

// What a frame may ask of the server. The server's glue implements it over
// the bus layer and the view; tests implement it with a recorder.
class ICommandTarget
{
public:
    virtual ~ICommandTarget() {}
    virtual bool ControllerExists(int port, int id) = 0;
    virtual void AddController(int port, int id, const std::string& name) = 0;
    virtual void QueueStatus(int port, int id) = 0;
    virtual void QueueSetTime(int port, int id) = 0;
    virtual void EraseStatus(int id) = 0;
    virtual void QueueReadEEPROM(int port, int id, int location) = 0;
    virtual void QueueWriteEEPROM(int port, int id, int location, int value) = 0;
    // Carried out later on the GUI thread, which owns the controller tree.
    virtual void RemoveController(int port, int id) = 0;
    // Asks the reply dispatcher for the "ERR" answer (the requester is queued).
    virtual void PostErrorReply(int port, int id) = 0;
};

// Blank-separated fields of one frame; two blanks make an empty field.
std::vector<std::string> SplitFrameFields(const std::string& frame);

// The frames of a request: each "VeTr" paired with the next "VTEnd" after it,
// the frame running up to (not including) that "VTEnd".
std::vector<std::string> ExtractFrames(const char* text, size_t length);

// Parses a request of `length` bytes (it ends earlier at a NUL byte); reads
// nothing beyond `length`. `peerHost` is the requester's dotted address.
void ParseCommandFrames(const char* text, size_t length, const std::string& peerHost, ICommandTarget& target);
