// Debugger output: the one channel for low-level failure lines. Every line
// goes to one sink; by default that is standard error, and tests install
// their own sink to read what was written.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace plat {

using DebugSink = std::function<void(std::string_view)>;

// Writes text to the current sink, unchanged (callers end their lines with "\r\n").
void OutputDebugString(std::string_view text);

// printf-style convenience over OutputDebugString.
void OutputDebugFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Installs a sink and returns the previous one; an empty sink restores standard error.
DebugSink SetDebugSink(DebugSink sink);

// Collects every debugger line written while it lives; restores the previous sink after.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::string Text() const;
    bool Contains(std::string_view needle) const;
    void Clear();

private:
    struct State;
    std::shared_ptr<State> m_state;
    DebugSink m_previous;
};

} // namespace plat
