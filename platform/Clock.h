// Time services: a monotonic millisecond tick for reply deadlines and port
// waits, and the millisecond sleep. Windows code used clock() for deadlines,
// which on Linux counts processor time and would never pass while the
// program waits on the line; every deadline here is wall time.
#pragma once

#include <cstdint>
#include <ctime>

namespace plat {

// Milliseconds since an arbitrary fixed point, from the monotonic clock.
std::int64_t TickMs();

// Microseconds since the same kind of fixed point (for pacing and benchmarks).
std::int64_t TickUs();

// Sleeps for the given number of milliseconds (Sleep(0) yields).
void Sleep(std::uint32_t milliseconds);

// The calendar time of a moment, local and in UTC.
std::tm LocalTime(std::time_t moment);
std::tm UniversalTime(std::time_t moment);

} // namespace plat
