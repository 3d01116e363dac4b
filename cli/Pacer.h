// The rhythm of status --watch and record: one poll every 1/rate seconds on
// a fixed grid from the first poll, so the rate asked for is the rate
// achieved as long as a poll fits in its slot. A poll that overruns its
// slot (a silent unit waits out the reply time-out) skips the slots it
// missed instead of catching up in a burst. A stop request ends the wait at
// once.
#pragma once

#include <atomic>
#include <chrono>

namespace vx::cli {

class Pacer {
public:
    using Clock = std::chrono::steady_clock;

    Pacer(unsigned samplesPerSecond, const std::atomic<bool>& stop);

    // Waits for the next slot; false when a stop was asked for instead.
    bool WaitNext();

private:
    Clock::duration m_period;
    Clock::time_point m_next;
    bool m_started = false;
    const std::atomic<bool>& m_stop;
};

} // namespace vx::cli
