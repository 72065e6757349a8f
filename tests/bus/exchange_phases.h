// Where the time of each bus exchange goes, told from the calls the bus
// made (call_trace.h): the cycle pause before it, the wait for the port lock,
// the line settings and purges, writing with the echo read back, the wait
// for the first byte of the answer, reading the rest of it, and the handling
// after the last line call until the next pause.
#pragma once
#include "tests/bus/call_trace.h"

#include <vector>

namespace exchange_phases {

enum Phase { Pause, Lock, Settings, Echo, FirstByte, Rest, Handling, PhaseCount };
const char* Name(Phase phase);

// A command exchange: selection, frame, answer. A poll exchange: selection,
// poll, reply, selection and acknowledgement.
enum Kind { Command, Poll };

struct Exchange {
    Kind kind;
    double ms[PhaseCount];
};

// The exchanges of the bus threads (every thread but `exceptThread`): each
// cycle that put bytes on the line, begun by the pause and the wait for
// `portLock`.
std::vector<Exchange> OfBusThreads(const std::vector<call_trace::Call>& calls, DWORD exceptThread,
                                   const CRITICAL_SECTION* portLock);
// The exchanges `thread` made by hand, each begun with a mark.
std::vector<Exchange> OfMarks(const std::vector<call_trace::Call>& calls, DWORD thread);

struct Mean {
    int count = 0;
    double ms[PhaseCount] = {};
    double Total() const;
};
Mean Average(const std::vector<Exchange>& exchanges, Kind kind);

}  // namespace exchange_phases
