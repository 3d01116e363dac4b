#include "platform/Beep.h"

#include "platform/DefaultOutputs.h"
#include "platform/HandlerSlot.h"

namespace plat {
namespace {

HandlerSlot<ToneHandler>& Tones() {
    static HandlerSlot<ToneHandler> slot;
    return slot;
}

} // namespace

BOOL Beep(DWORD frequencyHz, DWORD durationMs) {
    const ToneHandler handler = Tones().Get();
    if (handler) {
        handler(frequencyHz, durationMs);
        return TRUE;
    }
    return PlayDefaultTone(frequencyHz, durationMs);
}

ToneHandler SetToneHandler(ToneHandler handler) {
    return Tones().Swap(std::move(handler));
}

} // namespace plat
