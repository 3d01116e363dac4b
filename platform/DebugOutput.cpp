#include "platform/DebugOutput.h"

#include "platform/DefaultOutputs.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>

namespace plat {
namespace {

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

DebugSink& CurrentSink() {
    static DebugSink sink;
    return sink;
}

} // namespace

void OutputDebugString(std::string_view text) {
    std::lock_guard lock(SinkMutex());
    if (CurrentSink())
        CurrentSink()(text);
    else
        WriteDefaultDebugText(text);
}

void OutputDebugFormat(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    OutputDebugString(buffer);
}

DebugSink SetDebugSink(DebugSink sink) {
    std::lock_guard lock(SinkMutex());
    DebugSink previous = std::move(CurrentSink());
    CurrentSink() = std::move(sink);
    return previous;
}

struct DebugCapture::State {
    std::mutex mutex;
    std::string text;
};

DebugCapture::DebugCapture() : m_state(std::make_shared<State>()) {
    auto state = m_state;
    m_previous = SetDebugSink([state](std::string_view text) {
        std::lock_guard lock(state->mutex);
        state->text.append(text);
    });
}

DebugCapture::~DebugCapture() {
    SetDebugSink(std::move(m_previous));
}

std::string DebugCapture::Text() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->text;
}

bool DebugCapture::Contains(std::string_view needle) const {
    return Text().find(needle) != std::string::npos;
}

void DebugCapture::Clear() {
    std::lock_guard lock(m_state->mutex);
    m_state->text.clear();
}

} // namespace plat
