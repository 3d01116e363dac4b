// The printed form of the traffic, one line per exchange, shared by
// vx18dctl --trace, vx18d --trace FILE and the traffic monitor's copy and
// Save as text. Fields are separated by " | ":
//
//       12.3 | 27 00 00 00 00 00 | 27 00 00 00 00 00 | 1.1 ms | link test
//     2104.9 | 27 00 01 10 04 00 10 74 00 00 | 27 00 01 10 04 00 10 74 12 00 | 2.0 ms | register
//     rx1: read 52 = 0x0012 2107.0 | -- end of action -- 2210.4 | 27 00 00 20 00 00 | 27 00 00 |
//     300.4 ms | status poll | SHORT REPLY: 3 of 15 bytes
//
// the time the request went out (ms since the trace began), the request and
// the reply (two upper-case hexadecimal digits a byte, separated by single
// spaces; "-" for no reply), the time from the request to the reply's last
// byte (or, when the reply did not come whole, to the last read), the packet
// in words, and then, where there is one, the failure and a note on stale
// input discarded before the request.
#pragma once

#include "trace/TrafficEntry.h"

#include <cstdint>
#include <string>

namespace vx {

std::string FormatTrafficLine(const TrafficEntry& entry);

// The failure in capitals ("NO REPLY", "SHORT REPLY: 3 of 15 bytes", "NOT
// WRITTEN"); empty when the exchange succeeded.
std::string FaultText(const TrafficEntry& entry);

// Bytes of earlier replies that were discarded before the request; empty when none were.
std::string StaleText(const TrafficEntry& entry);

// Microseconds as milliseconds with one decimal, with a point whatever the
// locale: 2104937 is "2104.9".
std::string MillisecondsText(std::int64_t microseconds);

// The line that stands for exchanges no longer held.
std::string FellOutText(std::uint64_t count);

inline constexpr const char* kActionBreakText = "-- end of action --";

} // namespace vx
