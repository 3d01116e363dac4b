// Timer resolution on Linux. The kernel's high-resolution timers already
// give sleeps of about 1 ms; what can still stretch them is the thread's
// timer slack (50 us by default, more for background processes). Raising the
// resolution therefore checks that the monotonic clock resolves the period
// and sets the slack to 1 us; lowering it restores the slack it found.
#include "platform/TimerResolution.h"

#include <atomic>
#include <ctime>
#include <sys/prctl.h>

namespace plat {
namespace {
std::atomic<long> g_savedSlackNs{-1};
}

UINT timeBeginPeriod(UINT periodMs) {
    timespec resolution{};
    if (periodMs == 0 || clock_getres(CLOCK_MONOTONIC, &resolution) != 0)
        return TIMERR_NOCANDO;
    const long periodNs = static_cast<long>(periodMs) * 1000000L;
    if (resolution.tv_sec != 0 || resolution.tv_nsec > periodNs)
        return TIMERR_NOCANDO;
    const int slack = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    if (slack < 0 || prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0) != 0)
        return TIMERR_NOCANDO;
    long expected = -1;
    g_savedSlackNs.compare_exchange_strong(expected, slack);
    return TIMERR_NOERROR;
}

UINT timeEndPeriod(UINT periodMs) {
    const long saved = g_savedSlackNs.exchange(-1);
    if (periodMs == 0 || saved < 0)
        return TIMERR_NOCANDO;
    return prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(saved), 0, 0, 0) == 0
               ? TIMERR_NOERROR
               : TIMERR_NOCANDO;
}

} // namespace plat
