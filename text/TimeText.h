// Times as the front ends print them: the local time of day for people and the
// trace, UTC in ISO 8601 for JSON.
#pragma once

#include <chrono>
#include <string>

namespace vx {

// "HH:MM:SS" and fractionDigits (3 or 6) digits of the second.
std::string LocalTimeOfDay(std::chrono::system_clock::time_point time, int fractionDigits);

// "2024-05-01T12:34:56.789Z"
std::string UtcTimeText(std::chrono::system_clock::time_point time);

} // namespace vx
