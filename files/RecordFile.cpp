#include "files/RecordFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vx {

RecordFile::~RecordFile() {
    Close();
}

bool RecordFile::Open(const std::string& path, FileError& error) {
    Close();
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = FileError{FileCauseFromErrno(errno), errno, path};
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

RecordFile::AppendResult RecordFile::Append(std::string_view line, FileError& error) {
    if (m_fd < 0) {
        error = FileError{FileError::invalidFile, EBADF, m_path};
        return AppendResult::lost;
    }
    const off_t start = ::lseek(m_fd, 0, SEEK_CUR);
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t written = ::write(m_fd, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int cause = written < 0 ? errno : ENOSPC;
            error = FileError{FileCauseFromErrno(cause), cause, m_path};
            break;
        }
        done += static_cast<std::size_t>(written);
    }
    if (done == line.size())
        return AppendResult::written;
    if (done == 0)
        return AppendResult::lost;
    if (start >= 0 && ::ftruncate(m_fd, start) == 0 && ::lseek(m_fd, start, SEEK_SET) == start)
        return AppendResult::lost;
    return AppendResult::torn;
}

void RecordFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace vx
