// The system beep: a tone of a frequency and duration. The Linux
// implementation plays it on the sound device when there is one and returns
// quickly when there is none; tests install a recorder.
#pragma once

#include "platform/Win32Types.h"

#include <functional>

namespace plat {

using ToneHandler = std::function<void(DWORD frequencyHz, DWORD durationMs)>;

// Sounds the tone; returns TRUE when it was handed to an output.
BOOL Beep(DWORD frequencyHz, DWORD durationMs);

// Installs a handler and returns the previous one; an empty handler restores
// the sound device.
ToneHandler SetToneHandler(ToneHandler handler);

} // namespace plat
