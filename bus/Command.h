// One queued command: code, data text and its ready-built frame.
#pragma once
#include "bus/BusFrame.h"

#include <windows.h>
#include <atomic>
#include <string>

namespace VTMultiDrop {

// Process-wide: each new command takes the incremented value as its id.
extern std::atomic<LONG> g_CommandCounter;

class Command {
public:
    // `awaited`: a requester waits for the answer, and hears when the
    // command ends without one (WM_BUS_COMMAND_FAILED).
    Command(const std::string& code, const std::string& data, bool awaited = false);
    virtual ~Command() {}

    int GetId() const { return m_Id; }
    std::string GetCode() const { return m_Code; }
    std::string GetData() const { return m_Data; }
    const char* GetFrame() const { return m_Frame; }
    // False when the data could not form a frame (the frame is empty then).
    bool HasFrame() const { return m_Frame[0] != 0; }

    char m_Frame[FrameBufferSize];
    std::string m_Code;
    std::string m_Data;
    int m_Id;
    // Deliveries the controller took without the awaited reply coming back.
    int m_Deliveries;
    bool m_Awaited;
};

}  // namespace VTMultiDrop
