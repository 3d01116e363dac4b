#include "text/TimeText.h"

#include "platform/Clock.h"

#include <cstdio>
#include <ctime>

namespace vx {
namespace {

// Whole seconds and the microseconds past them, also before 1970.
std::pair<std::time_t, long long> Split(std::chrono::system_clock::time_point time) {
    const long long micros =
        std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count();
    long long seconds = micros / 1000000;
    long long rest = micros % 1000000;
    if (rest < 0) {
        rest += 1000000;
        --seconds;
    }
    return {static_cast<std::time_t>(seconds), rest};
}

} // namespace

std::string LocalTimeOfDay(std::chrono::system_clock::time_point time, int fractionDigits) {
    const auto [seconds, micros] = Split(time);
    const std::tm local = plat::LocalTime(seconds);
    char text[48];
    if (fractionDigits == 6)
        std::snprintf(text, sizeof text, "%02d:%02d:%02d.%06lld", local.tm_hour, local.tm_min,
                      local.tm_sec, micros);
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03lld", local.tm_hour, local.tm_min,
                      local.tm_sec, micros / 1000);
    return text;
}

std::string UtcTimeText(std::chrono::system_clock::time_point time) {
    const auto [seconds, micros] = Split(time);
    const std::tm utc = plat::UniversalTime(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03lldZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, micros / 1000);
    return text;
}

} // namespace vx
