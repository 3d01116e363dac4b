#include "cli/FirmwareTransfer.h"

#include "cli/ExitStatus.h"
#include "ui/FileException.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vx::cli {
namespace {

const char* const kTooBig = "The File size exceeds the buffer size in the DSP.";

[[noreturn]] void FileFailure(const std::string& path, const char* doing, int error) {
    throw UsageError(path + ": cannot " + doing +
                     " the file: " + ui::FileCauseName(ui::FileCauseFromErrno(error)) + " (" +
                     std::strerror(error) + ")");
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

bool Stopped(const std::atomic<bool>* stop) {
    return stop && stop->load();
}

} // namespace

std::vector<std::uint8_t> FirmwareTransfer::ReadImage(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        FileFailure(path, "open", errno);
    FileDescriptor file(fd);

    struct stat info {};
    if (::fstat(file.Get(), &info) != 0)
        FileFailure(path, "read", errno);
    if (S_ISDIR(info.st_mode))
        FileFailure(path, "read", EISDIR);
    // The whole 64-bit length counts: a file of 4 GiB + 1 byte is not a 1-byte image.
    const auto length = static_cast<std::uint64_t>(info.st_size);
    if (length > kImageLimit)
        throw UsageError(path + ": " + kTooBig + " (" + std::to_string(length) +
                         " bytes; at most " + std::to_string(kImageLimit) + ")");
    if (length == 0)
        throw UsageError(path + ": the file is empty; there is no image to load");

    std::vector<std::uint8_t> image(static_cast<std::size_t>(length));
    std::size_t got = 0;
    while (got < image.size()) {
        const ssize_t n = ::read(file.Get(), image.data() + got, image.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            FileFailure(path, "read", errno);
        if (n == 0)
            throw UsageError(path + ": the file ended after " + std::to_string(got) + " of " +
                             std::to_string(image.size()) + " bytes");
        got += static_cast<std::size_t>(n);
    }
    return image;
}

FirmwareTransfer::Result FirmwareTransfer::Load(CVX18D3_Comm& comm,
                                                const std::vector<std::uint8_t>& image,
                                                const Hooks& hooks) {
    Result result;
    result.blocks = static_cast<std::uint32_t>((image.size() + kBlockSize - 1) / kBlockSize);

    bool refused = image.empty();
    std::uint64_t offset = 0;
    while (offset < image.size()) {
        if (Stopped(hooks.stop)) {
            result.interrupted = true;
            break;
        }
        const auto n =
            static_cast<UINT>(std::min<std::uint64_t>(kBlockSize, image.size() - offset));
        if (!comm.SendFlashBlock(image.data() + offset, n)) {
            // A refused block ends the transfer: the image is never committed.
            refused = true;
            break;
        }
        offset += n;
        ++result.blocksSent;
        if (hooks.progress)
            hooks.progress(result.blocksSent, offset);
    }
    result.transferred = !refused && !result.interrupted && offset == image.size();

    if (result.transferred && !Stopped(hooks.stop)) {
        result.commitAnswered = comm.CommitFlashImage() != 0;
        result.committed = true;
        result.waited = true;
        for (unsigned left = kProgrammingSeconds; left > 0; --left) {
            if (Stopped(hooks.stop)) {
                result.interrupted = true;
                result.waited = false;
                break;
            }
            if (hooks.programming)
                hooks.programming(left);
            if (hooks.sleepOneSecond) {
                hooks.sleepOneSecond();
            } else {
                for (int step = 0; step < 10 && !Stopped(hooks.stop); ++step)
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
    } else if (result.transferred) {
        result.interrupted = true;
    }
    comm.MarkTraceBreak();
    return result;
}

} // namespace vx::cli
