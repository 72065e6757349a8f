// The most registrations per second one 9600-baud line can carry with the
// bus's cycle pause: each registration costs one idle request and one poll,
// and each thread pauses before its own transaction. Shared by the bus
// benchmark and the benchmarks that compare against it.
#pragma once
#include <algorithm>

namespace bus_bound {

const double MsPerByte = 11.0 * 1000.0 / 9600.0; // 11 bits a character

// Bytes on the line for one registration: the idle request (address pair,
// 14-byte frame, 5-byte answer) and its poll (address pair, EOT, reply of
// SOH + 5 head + payload + 6 trailer, address pair, ACK EOT).
inline int SelectBytes() { return 2 + 14 + 5; }
inline int PollBytes(int payload) { return 2 + 1 + 1 + 5 + payload + 6 + 2 + 2; }

// Registrations per second of one line, for a 14-character registration.
inline double RegistrationsPerSecond(double pauseMs)
{
    const double selectMs = SelectBytes() * MsPerByte;
    const double pollMs = PollBytes(3 + 14) * MsPerByte;
    const double periodMs = std::max({ selectMs + pollMs, pauseMs + selectMs, pauseMs + pollMs });
    return 1000.0 / periodMs;
}

// Where the bus benchmark leaves its best measured rate for later benchmarks.
inline const char* RateFileName() { return "bus_benchmark_rate.txt"; }

} // namespace bus_bound
