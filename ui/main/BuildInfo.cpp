#include "ui/main/BuildInfo.h"

#include "vx18d/Version.h"

#include <cstdio>
#include <cstring>

namespace vx::ui {

std::string FormatBuildStamp(const char* date, const char* time) {
    // date: "Mmm dd yyyy" with the day's tens blank below 10.
    std::string day(date, std::strlen(date));
    if (day.size() >= 6 && day[4] == ' ')
        day[4] = '0';
    return day + " - " + time;
}

std::string BuildStamp() {
    return FormatBuildStamp(__DATE__, __TIME__);
}

std::string BuildLine() {
    return std::string("Version ") + kVersion + " - " + BuildStamp();
}

std::string CompilerVersionLine() {
    char line[64];
#if defined(__clang__)
    std::snprintf(line, sizeof line, "Clang:%u.%u.%u", unsigned{__clang_major__},
                  unsigned{__clang_minor__}, unsigned{__clang_patchlevel__});
#elif defined(__GNUC__)
    std::snprintf(line, sizeof line, "GCC:%u.%u.%u", unsigned{__GNUC__}, unsigned{__GNUC_MINOR__},
                  unsigned{__GNUC_PATCHLEVEL__});
#elif defined(_MSC_VER)
    std::snprintf(line, sizeof line, "MSC_VER:%u", unsigned{_MSC_VER});
#else
    std::snprintf(line, sizeof line, "C++:%ld", long{__cplusplus});
#endif
    return line;
}

} // namespace vx::ui
