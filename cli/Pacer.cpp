#include "cli/Pacer.h"

#include <algorithm>
#include <thread>

namespace vx::cli {
namespace {
constexpr auto kStopCheck = std::chrono::milliseconds(10);
}

Pacer::Pacer(unsigned samplesPerSecond, const std::atomic<bool>& stop)
    : m_period(std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) /
               std::max(1u, samplesPerSecond)),
      m_stop(stop) {}

bool Pacer::WaitNext() {
    const Clock::time_point now = Clock::now();
    if (!m_started) {
        m_started = true;
        m_next = now;
    } else {
        m_next += m_period;
        if (m_next < now) // overran: the next slot still ahead
            m_next += ((now - m_next) / m_period + 1) * m_period;
    }
    while (!m_stop.load()) {
        const Clock::time_point current = Clock::now();
        if (current >= m_next)
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(m_next - current, kStopCheck));
    }
    return false;
}

} // namespace vx::cli
