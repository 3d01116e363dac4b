// The progress of a firmware load: blocks, bytes, rate and time left. On a
// terminal one line rewritten in place; elsewhere (a log, a pipe) a plain
// line now and then, so that logs stay readable.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace vx::cli {

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(std::ostream& out, bool terminal, std::uint32_t totalBlocks,
                 std::uint64_t totalBytes);

    void Update(std::uint32_t blocks, std::uint64_t bytes);
    // The unit programming the image: seconds left of the wait.
    void Programming(unsigned secondsLeft);
    // Ends the line on a terminal.
    void Finish();

    // "block 12/300  1536/38400 bytes  5.1 kB/s  0:07 left"
    static std::string Text(std::uint32_t blocks, std::uint32_t totalBlocks, std::uint64_t bytes,
                            std::uint64_t totalBytes, double seconds);

private:
    void Show(const std::string& text, bool final);

    std::ostream& m_out;
    bool m_terminal;
    std::uint32_t m_totalBlocks;
    std::uint64_t m_totalBytes;
    Clock::time_point m_start;
    Clock::time_point m_lastShown;
    bool m_open = false;
};

} // namespace vx::cli
