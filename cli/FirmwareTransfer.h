// The DSP firmware load over the protocol object's block and commit
// operations, in the communications page's order: the image is read whole
// and checked against the DSP's buffer before anything is sent; the blocks
// of at most 128 bytes go out in file order; the commit follows only a
// transfer in which every block was accepted and no stop was asked for;
// then the unit gets 60 s to program the image.
//
// Kept apart from the commands so that the core's own firmware loader can
// take its place once it exists: same checks, same order, same waits.
#pragma once

#include "protocol/CVX18D3_Comm.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vx::cli {

class FirmwareTransfer {
public:
    static constexpr std::uint64_t kImageLimit = 0x100000; // the DSP's image buffer
    static constexpr std::uint32_t kBlockSize = 128;
    static constexpr unsigned kProgrammingSeconds = 60;

    // Reads the whole image. Throws UsageError naming the file and the
    // reason: it cannot be opened or read, it is empty, it is larger than
    // the DSP's buffer (checked on the file's full 64-bit length before any
    // memory is taken), or it ended before its length.
    static std::vector<std::uint8_t> ReadImage(const std::string& path);

    struct Hooks {
        std::function<void(std::uint32_t blocks, std::uint64_t bytes)> progress;
        std::function<void(unsigned secondsLeft)> programming;
        // Sleeps one second of the programming wait; the default sleeps for real.
        std::function<void()> sleepOneSecond;
        const std::atomic<bool>* stop = nullptr;
    };

    struct Result {
        std::uint32_t blocks = 0;     // blocks in the image
        std::uint32_t blocksSent = 0; // blocks the unit accepted
        bool transferred = false;     // every block accepted
        bool committed = false;       // the commit was sent
        bool commitAnswered = false;
        bool interrupted = false; // a stop ended the transfer or the wait
        bool waited = false;      // the whole programming wait passed
    };

    static Result Load(CVX18D3_Comm& comm, const std::vector<std::uint8_t>& image,
                       const Hooks& hooks);
};

} // namespace vx::cli
