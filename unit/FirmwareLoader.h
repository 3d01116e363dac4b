// Loading a DSP firmware image into the unit: the image file is measured and
// read whole (at most the DSP's image buffer, 1 MiB), sent in blocks of 128
// bytes in file order, committed, and the unit is then given one minute to
// program it, as sixty one-second waits.
//
// The loader says nothing to the operator: it reports its progress through a
// callback and its outcome as a value, and each front end turns them into its
// own messages, tones and lines. It runs on whatever thread calls Load; while
// it runs, nothing else may use the protocol object.
//
// Sound rules it keeps whoever calls it:
// - the size limit is checked on the file's whole 64-bit length before any
//   memory is taken or any byte read, and never more than the limit is read;
// - a file that yields fewer bytes than its length is a failed read: only
//   bytes actually read are ever sent;
// - the transfer stops at the first block the unit refuses, and the image is
//   committed only after every block was accepted;
// - a cancel request is honoured between blocks, before anything is committed;
//   the programming wait that follows a commit cannot be cut short.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vx {

class CVX18D3_Comm;

inline constexpr std::uint64_t kFirmwareSizeLimit = 0x100000; // the DSP's image buffer
inline constexpr std::size_t kFirmwareBlockSize = 128;
inline constexpr int kProgrammingWaitSteps = 60; // one-second waits after the commit
inline constexpr std::uint32_t kProgrammingWaitStepMs = 1000;

enum class FirmwarePhase {
    Sending,     // blocks are going out; a cancel request is honoured
    Programming, // committed; the unit programs its flash
};

struct FirmwareProgress {
    FirmwarePhase phase = FirmwarePhase::Sending;
    std::size_t blocksSent = 0; // accepted by the unit
    std::size_t blocksTotal = 0;
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesTotal = 0;
    std::int64_t elapsedMs = 0; // since the phase began
    int waitStepsDone = 0;      // Programming: one-second waits completed
};

// A failed step on the image file.
struct FirmwareFileFailure {
    enum class Step {
        Open,      // the file could not be opened (osError says why)
        Length,    // its length could not be taken (an unopened file gives EBADF)
        Read,      // reading failed (osError says why)
        EndOfFile, // the file ended before its length was read; osError is 0
    };
    Step step = Step::Open;
    int osError = 0; // errno of the failed call
};

enum class FirmwareResult {
    Done,             // every block accepted, committed, programming wait over
    FileError,        // see fileFailures
    TooBig,           // longer than kFirmwareSizeLimit; no block was sent
    AllocationFailed, // no memory for the image; no block was sent
    EmptyImage,       // a file of length 0; no block was sent
    BlockRefused,     // the unit did not accept block blocksSent (counting from 0)
    Cancelled,        // cancelled between blocks; nothing was committed
};

struct FirmwareLoadOutcome {
    FirmwareResult result = FirmwareResult::FileError;
    // Every file failure in the order it happened: a file that cannot be
    // opened gives the open's failure and then the length's (EBADF).
    std::vector<FirmwareFileFailure> fileFailures;
    std::uint64_t fileLength = 0; // the whole length, as the file system reports it
    std::size_t blocksSent = 0;   // blocks the unit accepted
    std::size_t blocksTotal = 0;

    bool Succeeded() const { return result == FirmwareResult::Done; }
};

// An image file as read: its bytes, and the outcome of reading them.
struct FirmwareImage {
    FirmwareLoadOutcome outcome;
    std::vector<std::uint8_t> bytes;
};

class FirmwareLoader {
public:
    // How the loader waits and reads the time. The program always uses the
    // system's sleep and monotonic clock; tests and benchmarks may shorten
    // the programming wait by giving their own.
    struct Timing {
        std::function<void(std::uint32_t milliseconds)> sleep;
        std::function<std::int64_t()> tickMs;
    };
    static Timing SystemTiming();

    using ProgressHandler = std::function<void(const FirmwareProgress&)>;

    explicit FirmwareLoader(CVX18D3_Comm& comm, Timing timing = SystemTiming());

    // Opens, measures and reads the image, and sends nothing. Its outcome is
    // Done (with fileLength and blocksTotal) when the image can be sent,
    // otherwise the outcome a load of the file ends with. Lets a front end
    // refuse an unusable file before it talks to the unit.
    static FirmwareImage ReadImage(const std::string& path);

    // Sends an image that ReadImage found usable, commits it and waits for
    // the unit to program it. progress, when set, is called on the calling
    // thread: once before the first block, after every accepted block, once
    // right after the commit (Programming, 0 waits done; a front end sounds
    // its "committed" tone there) and after each one-second wait. cancel is
    // read before each block.
    FirmwareLoadOutcome Send(const FirmwareImage& image, const ProgressHandler& progress,
                             const std::atomic<bool>& cancel);

    // ReadImage, then Send when the image is usable (a path in the file
    // system's encoding).
    FirmwareLoadOutcome Load(const std::string& path, const ProgressHandler& progress,
                             const std::atomic<bool>& cancel);

private:
    CVX18D3_Comm& m_comm;
    Timing m_timing;
};

} // namespace vx
