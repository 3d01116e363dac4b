#include "ui/main/RecordFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vx::ui {

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

bool RecordFile::Write(std::string_view text, FileError& error) {
    if (m_fd < 0) {
        error = FileError{FileError::invalidFile, EBADF, m_path};
        return false;
    }
    while (!text.empty()) {
        const ssize_t written = ::write(m_fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = FileError{FileCauseFromErrno(errno), errno, m_path};
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void RecordFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace vx::ui
