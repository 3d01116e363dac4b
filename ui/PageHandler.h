// The shape every control handler of the tab pages shares: call one protocol
// operation and keep its result, mark a trace break, redraw the affected
// controls from the protocol object's cache, and sound a tone that tells
// success from failure. Tone tables are data: each page keeps its own.
#pragma once

#include "platform/Win32Types.h"

#include <functional>

namespace vx {
class CVX18D3_Comm;
}

namespace vx::ui {

struct Tone {
    plat::DWORD frequencyHz;
    plat::DWORD durationMs;
};

// The tone on success and on failure. A command whose result is not examined
// has the same tone on both.
struct TonePair {
    Tone success;
    Tone failure;
};

inline constexpr Tone kToneFailure{100, 100};

// The system beep.
void Sound(Tone tone);

enum class TraceBreak { Mark, Skip };

// Runs one handler: operation, trace break, redisplay, tone. Returns the
// operation's result. The redisplay runs whatever the result, so the
// controls always show what the cache holds.
plat::BOOL RunHandler(CVX18D3_Comm& comm, const std::function<plat::BOOL()>& operation,
                      const std::function<void()>& redisplay, TonePair tones,
                      TraceBreak traceBreak = TraceBreak::Mark);

} // namespace vx::ui
