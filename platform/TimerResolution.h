// The system timer resolution that the 1 ms sleeps of the port's write pacing
// and the status worker rely on. Results follow the multimedia timer API:
// 0 (TIMERR_NOERROR) on success, 97 (TIMERR_NOCANDO) when the resolution
// cannot be had.
#pragma once

#include "platform/Win32Types.h"

namespace plat {

inline constexpr UINT TIMERR_NOERROR = 0;
inline constexpr UINT TIMERR_NOCANDO = 97;

UINT timeBeginPeriod(UINT periodMs);
UINT timeEndPeriod(UINT periodMs);

} // namespace plat
