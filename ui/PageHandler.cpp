#include "ui/PageHandler.h"

#include "platform/Beep.h"
#include "protocol/CVX18D3_Comm.h"

namespace vx::ui {

void Sound(Tone tone) {
    plat::Beep(tone.frequencyHz, tone.durationMs);
}

plat::BOOL RunHandler(CVX18D3_Comm& comm, const std::function<plat::BOOL()>& operation,
                      const std::function<void()>& redisplay, TonePair tones,
                      TraceBreak traceBreak) {
    const plat::BOOL result = operation();
    if (traceBreak == TraceBreak::Mark)
        comm.MarkTraceBreak();
    if (redisplay)
        redisplay();
    Sound(result ? tones.success : tones.failure);
    return result;
}

} // namespace vx::ui
