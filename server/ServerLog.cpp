#include "server/ServerLog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace vx::server {

ServerLog::ServerLog(Style style, Sink sink) : m_style(style), m_sink(std::move(sink)) {}

ServerLog::Style ServerLog::StyleFromEnvironment() {
    return std::getenv("JOURNAL_STREAM") || std::getenv("INVOCATION_ID") ? Style::Journal
                                                                         : Style::TimeStamped;
}

void ServerLog::Write(Level level, std::string_view text) {
    std::string line;
    if (m_style == Style::Journal) {
        line = "<" + std::to_string(static_cast<int>(level)) + ">";
    } else {
        const auto now = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
            1000;
        std::tm local{};
        localtime_r(&seconds, &local);
        char stamp[40];
        const std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
        line.assign(stamp, length);
        char millis[8];
        std::snprintf(millis, sizeof millis, ".%03d ", static_cast<int>(ms));
        line += millis;
        if (level == Level::Warning)
            line += "warning: ";
        else if (level == Level::Error)
            line += "error: ";
    }
    line += text;
    line += '\n';
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sink(line);
}

} // namespace vx::server
