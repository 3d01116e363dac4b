#include "platform/Clock.h"

#include <cerrno>
#include <ctime>
#include <sched.h>

namespace plat {

std::int64_t TickUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

std::int64_t TickMs() {
    return TickUs() / 1000;
}

void Sleep(std::uint32_t milliseconds) {
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec ts{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    ::localtime_r(&moment, &local);
    return local;
}

std::tm UniversalTime(std::time_t moment) {
    std::tm utc{};
    ::gmtime_r(&moment, &utc);
    return utc;
}

} // namespace plat
