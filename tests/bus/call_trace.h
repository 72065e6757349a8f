// Watches the Win32 calls the bus makes, without changing the bus: the
// program's own import table is pointed at recording wrappers of the serial
// line calls, of Sleep and of EnterCriticalSection. Each call is kept with
// its thread, start and end. For the benchmark's time breakdown only.
#pragma once
#include <windows.h>

#include <vector>

namespace call_trace {

enum Kind { Sleep, Enter, Read, Write, SetState, Purge, Escape, Mark };

struct Call {
    DWORD thread;
    Kind kind;
    LONGLONG start, end;  // performance-counter ticks
    ULONG_PTR arg;        // Sleep: ms; Enter: the section; SetState: the parity; Purge, Escape: the flags
    DWORD bytes;          // Read: bytes delivered; Write: bytes asked to write
    unsigned char first;  // Read, Write: the first byte
};

// Patches the import table once; false when an import was not found.
// Recording starts with Start.
bool Install();
void Start();
// Stops recording and hands over what was recorded since Start.
std::vector<Call> Stop();
// A mark on the calling thread's record (the start of an exchange done by hand).
void MarkHere();
double Ms(LONGLONG ticks);

}  // namespace call_trace
