#include "files/WholeFile.h"

#include "platform/FileText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {
namespace {

FileError ErrorFor(const std::string& path, int error) {
    return FileError{FileCauseFromErrno(error), error, path};
}

// Writes all of text; the errno of the failure otherwise.
int WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& text, FileError& error) {
    if (const int failure = plat::ReadRegularFile(path, text)) {
        error = ErrorFor(path, failure);
        return false;
    }
    return true;
}

bool ReplaceWholeFile(const std::string& path, std::string_view text, FileError& error) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = ErrorFor(path, errno);
        return false;
    }
    int failure = WriteAll(fd, text);
    if (failure == 0 && ::fchmod(fd, 0644) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temporary.c_str());
        error = ErrorFor(path, failure);
        return false;
    }
    return true;
}

} // namespace vx
