#include "platform/windows/Win32.h"

#include "platform/TimerResolution.h"

namespace plat {

UINT timeBeginPeriod(UINT periodMs) {
    return ::timeBeginPeriod(periodMs);
}

UINT timeEndPeriod(UINT periodMs) {
    return ::timeEndPeriod(periodMs);
}

} // namespace plat
