#include "cli/ProgressLine.h"

#include <cstdio>

namespace vx::cli {
namespace {
// How often a terminal line and a plain line are refreshed.
constexpr auto kTerminalInterval = std::chrono::milliseconds(100);
constexpr auto kPlainInterval = std::chrono::seconds(5);
} // namespace

ProgressLine::ProgressLine(std::ostream& out, bool terminal, std::uint32_t totalBlocks,
                           std::uint64_t totalBytes)
    : m_out(out), m_terminal(terminal), m_totalBlocks(totalBlocks), m_totalBytes(totalBytes),
      m_start(Clock::now()), m_lastShown(m_start) {}

std::string ProgressLine::Text(std::uint32_t blocks, std::uint32_t totalBlocks, std::uint64_t bytes,
                               std::uint64_t totalBytes, double seconds) {
    const double rate = seconds > 0 ? bytes / seconds : 0.0;
    char left[32] = "--:--";
    if (rate > 0) {
        const auto remaining = static_cast<unsigned long>((totalBytes - bytes) / rate + 0.5);
        std::snprintf(left, sizeof left, "%lu:%02lu", remaining / 60, remaining % 60);
    }
    char text[160];
    std::snprintf(text, sizeof text, "block %u/%u  %llu/%llu bytes  %.1f kB/s  %s left", blocks,
                  totalBlocks, static_cast<unsigned long long>(bytes),
                  static_cast<unsigned long long>(totalBytes), rate / 1000.0, left);
    return text;
}

void ProgressLine::Update(std::uint32_t blocks, std::uint64_t bytes) {
    const Clock::time_point now = Clock::now();
    const bool final = blocks == m_totalBlocks;
    if (!final && now - m_lastShown < (m_terminal ? kTerminalInterval : kPlainInterval))
        return;
    m_lastShown = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    Show(Text(blocks, m_totalBlocks, bytes, m_totalBytes, seconds), final);
}

void ProgressLine::Programming(unsigned secondsLeft) {
    const Clock::time_point now = Clock::now();
    if (!m_terminal && secondsLeft % 10 != 0)
        return;
    m_lastShown = now;
    char text[96];
    std::snprintf(text, sizeof text, "the unit is programming the image: %u s left", secondsLeft);
    Show(text, false);
}

void ProgressLine::Show(const std::string& text, bool final) {
    if (m_terminal) {
        m_out << "\r\033[K" << text;
        m_open = true;
        if (final)
            Finish();
    } else {
        m_out << text << '\n';
    }
    m_out.flush();
}

void ProgressLine::Finish() {
    if (m_open) {
        m_out << '\n';
        m_open = false;
    }
    m_out.flush();
}

} // namespace vx::cli
