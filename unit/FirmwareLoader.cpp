#include "unit/FirmwareLoader.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "protocol/CVX18D3_Comm.h"

#include <algorithm>
#include <cerrno>
#include <new>

namespace vx {
namespace {

using Step = FirmwareFileFailure::Step;

// An open file descriptor, closed when it goes; -1 when the open failed.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }
    void Close() {
        if (m_fd >= 0)
            plat::CloseFile(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

FirmwareLoadOutcome& Fail(FirmwareLoadOutcome& outcome, FirmwareResult result) {
    outcome.result = result;
    return outcome;
}

FirmwareLoadOutcome& FailFile(FirmwareLoadOutcome& outcome, Step step, int osError) {
    outcome.fileFailures.push_back({step, osError});
    return Fail(outcome, FirmwareResult::FileError);
}

// Opens, measures and reads the image. False, with the outcome filled in,
// when the image cannot be had.
bool ReadImage(const std::string& path, std::vector<std::uint8_t>& image,
               FirmwareLoadOutcome& outcome) {
    // A named pipe without a writer does not hang the open; it then has no
    // length and reads as an empty image.
    FileDescriptor file(plat::OpenFile(path, plat::FileOpening::readOnly));
    plat::FileStatus status;
    if (file.Get() < 0) {
        // Reported, and the load carries on to the length, which then fails too.
        outcome.fileFailures.push_back({Step::Open, errno});
    } else if (plat::StatusOfFile(file.Get(), status) && status.directory) {
        outcome.fileFailures.push_back({Step::Open, EISDIR});
        file.Close();
    }

    if (!plat::StatusOfFile(file.Get(), status)) {
        FailFile(outcome, Step::Length, errno);
        return false;
    }
    outcome.fileLength = status.size;
    if (outcome.fileLength > kFirmwareSizeLimit) {
        Fail(outcome, FirmwareResult::TooBig);
        return false;
    }

    const auto length = static_cast<std::size_t>(outcome.fileLength);
    try {
        image.resize(length);
    } catch (const std::bad_alloc&) {
        Fail(outcome, FirmwareResult::AllocationFailed);
        return false;
    }

    std::size_t got = 0;
    while (got < length) {
        const std::ptrdiff_t n = plat::ReadFromFile(file.Get(), image.data() + got, length - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            FailFile(outcome, Step::Read, errno);
            return false;
        }
        if (n == 0) {
            FailFile(outcome, Step::EndOfFile, 0);
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

// ReadImage, and an empty image refused. True when there are blocks to send.
bool ReadBlocks(const std::string& path, std::vector<std::uint8_t>& image,
                FirmwareLoadOutcome& outcome) {
    if (!ReadImage(path, image, outcome))
        return false;
    if (image.empty()) {
        Fail(outcome, FirmwareResult::EmptyImage);
        return false;
    }
    outcome.blocksTotal = (image.size() + kFirmwareBlockSize - 1) / kFirmwareBlockSize;
    return true;
}

} // namespace

FirmwareImage FirmwareLoader::ReadImage(const std::string& path) {
    FirmwareImage image;
    if (ReadBlocks(path, image.bytes, image.outcome))
        image.outcome.result = FirmwareResult::Done;
    return image;
}

FirmwareLoader::Timing FirmwareLoader::SystemTiming() {
    return Timing{[](std::uint32_t milliseconds) { plat::Sleep(milliseconds); }, plat::TickMs};
}

FirmwareLoader::FirmwareLoader(CVX18D3_Comm& comm, Timing timing)
    : m_comm(comm), m_timing(std::move(timing)) {
    const Timing system = SystemTiming();
    if (!m_timing.sleep)
        m_timing.sleep = system.sleep;
    if (!m_timing.tickMs)
        m_timing.tickMs = system.tickMs;
}

FirmwareLoadOutcome FirmwareLoader::Load(const std::string& path, const ProgressHandler& progress,
                                         const std::atomic<bool>& cancel) {
    const FirmwareImage image = ReadImage(path);
    if (!image.outcome.Succeeded())
        return image.outcome;
    return Send(image, progress, cancel);
}

FirmwareLoadOutcome FirmwareLoader::Send(const FirmwareImage& image,
                                         const ProgressHandler& progress,
                                         const std::atomic<bool>& cancel) {
    auto report = [&progress](const FirmwareProgress& state) {
        if (progress)
            progress(state);
    };

    if (!image.outcome.Succeeded())
        return image.outcome; // nothing to send
    FirmwareLoadOutcome outcome = image.outcome;
    const std::vector<std::uint8_t>& bytes = image.bytes;
    FirmwareProgress state;
    state.blocksTotal = outcome.blocksTotal;
    state.bytesTotal = bytes.size();
    std::int64_t start = m_timing.tickMs();
    report(state);
    for (std::size_t offset = 0; offset < bytes.size();) {
        if (cancel.load())
            return Fail(outcome, FirmwareResult::Cancelled);
        const std::size_t length = std::min(kFirmwareBlockSize, bytes.size() - offset);
        if (!m_comm.SendFlashBlock(bytes.data() + offset, static_cast<UINT>(length)))
            return Fail(outcome, FirmwareResult::BlockRefused);
        offset += length;
        ++outcome.blocksSent;
        state.blocksSent = outcome.blocksSent;
        state.bytesSent = offset;
        state.elapsedMs = m_timing.tickMs() - start;
        report(state);
    }

    // The reply to the commit says nothing the loader could act on: the unit
    // is given its minute whatever it answered.
    m_comm.CommitFlashImage();
    start = m_timing.tickMs();
    state.phase = FirmwarePhase::Programming;
    state.elapsedMs = 0;
    report(state);
    for (int step = 1; step <= kProgrammingWaitSteps; ++step) {
        m_timing.sleep(kProgrammingWaitStepMs);
        state.waitStepsDone = step;
        state.elapsedMs = m_timing.tickMs() - start;
        report(state);
    }
    outcome.result = FirmwareResult::Done;
    return outcome;
}

} // namespace vx
