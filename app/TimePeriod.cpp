#include "app/TimePeriod.h"

#include "platform/DebugOutput.h"
#include "platform/TimerResolution.h"

namespace vx {

TimePeriod::TimePeriod() {
    switch (plat::timeBeginPeriod(1)) {
    case plat::TIMERR_NOERROR:
        plat::OutputDebugString(
            "***** TIMERR_NOERROR: TimePeriod::TimePeriod() ::timeBeginPeriod() succeeded.\r\n");
        break;
    case plat::TIMERR_NOCANDO:
        plat::OutputDebugString(
            "***** TIMERR_NOCANDO: TimePeriod::TimePeriod() ::timeBeginPeriod() failed.\r\n");
        break;
    default:
        plat::OutputDebugString(
            "***** Unknown return value: TimePeriod::TimePeriod() ::timeBeginPeriod() failed.\r\n");
        break;
    }
}

TimePeriod::~TimePeriod() {
    switch (plat::timeEndPeriod(1)) {
    case plat::TIMERR_NOERROR:
        plat::OutputDebugString(
            "***** TIMERR_NOERROR: TimePeriod::~TimePeriod() ::timeEndPeriod() succeeded.\r\n");
        break;
    case plat::TIMERR_NOCANDO:
        plat::OutputDebugString(
            "***** TIMERR_NOCANDO: TimePeriod::~TimePeriod() ::timeEndPeriod() failed.\r\n");
        break;
    default:
        plat::OutputDebugString(
            "***** Unknown return value: TimePeriod::TimePeriod() ::timeEndPeriod() failed.\r\n");
        break;
    }
}

} // namespace vx
