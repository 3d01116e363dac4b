// The server's log: one line per event on standard error (or a sink of the
// caller's). Under systemd (JOURNAL_STREAM or INVOCATION_ID set) the
// journal stamps the time and reads the level from a "<N>" prefix, so lines
// carry that prefix and no time; elsewhere they begin with the local time.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace vx::server {

class ServerLog {
public:
    enum class Level { Error = 3, Warning = 4, Info = 6 };
    enum class Style { TimeStamped, Journal };
    using Sink = std::function<void(std::string_view line)>; // a whole line with its "\n"

    ServerLog(Style style, Sink sink);

    // The style for this process: Journal when it runs under systemd.
    static Style StyleFromEnvironment();

    void Info(std::string_view text) { Write(Level::Info, text); }
    void Warning(std::string_view text) { Write(Level::Warning, text); }
    void Error(std::string_view text) { Write(Level::Error, text); }
    void Write(Level level, std::string_view text);

private:
    Style m_style;
    Sink m_sink;
    std::mutex m_mutex;
};

} // namespace vx::server
