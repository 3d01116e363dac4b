// The system beep on Windows: Beep itself.
#include "platform/windows/Win32.h"

#include "platform/DefaultOutputs.h"

namespace plat {

BOOL PlayDefaultTone(DWORD frequencyHz, DWORD durationMs) {
    return ::Beep(frequencyHz, durationMs) ? TRUE : FALSE;
}

} // namespace plat
