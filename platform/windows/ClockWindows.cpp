#include "platform/windows/Win32.h"

#include "platform/Clock.h"

namespace plat {
namespace {

std::int64_t CounterFrequency() {
    static const std::int64_t frequency = [] {
        LARGE_INTEGER value{};
        ::QueryPerformanceFrequency(&value);
        return static_cast<std::int64_t>(value.QuadPart);
    }();
    return frequency;
}

} // namespace

std::int64_t TickUs() {
    LARGE_INTEGER count{};
    ::QueryPerformanceCounter(&count);
    const std::int64_t frequency = CounterFrequency();
    return count.QuadPart / frequency * 1000000 + count.QuadPart % frequency * 1000000 / frequency;
}

std::int64_t TickMs() {
    return TickUs() / 1000;
}

void Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    ::localtime_s(&local, &moment);
    return local;
}

std::tm UniversalTime(std::time_t moment) {
    std::tm utc{};
    ::gmtime_s(&utc, &moment);
    return utc;
}

} // namespace plat
