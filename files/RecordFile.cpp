#include "files/RecordFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

RecordFile::~RecordFile() {
    Close();
}

bool RecordFile::Open(const std::string& path, FileError& error, Existing existing) {
    Close();
    const int how = existing == Existing::replace ? O_TRUNC : O_EXCL;
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | how | O_CLOEXEC, 0644);
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

namespace {

// Renames without replacing a file that has the new name; false with errno
// set (EEXIST when the name is taken).
bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: a second name, then the first one goes.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

} // namespace

std::string EarlierRecordingName(const std::string& path, std::time_t modified, unsigned copy) {
    const std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = path.size();
    std::tm local{};
    ::localtime_r(&modified, &local);
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::string name = path.substr(0, dot) + stamp;
    if (copy > 1)
        name += "-" + std::to_string(copy);
    return name + path.substr(dot);
}

bool KeepEarlierRecording(const std::string& path, FileError& error, std::string& keptAs) {
    keptAs.clear();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
        return true; // nothing recorded there; opening the file says what is wrong with it
    constexpr unsigned kMostCopies = 1000;
    for (unsigned copy = 1; copy <= kMostCopies; ++copy) {
        std::string candidate = EarlierRecordingName(path, st.st_mtime, copy);
        if (RenameNoReplace(path, candidate)) {
            keptAs = std::move(candidate);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = FileError{FileCauseFromErrno(errno), errno, path};
    return false;
}

} // namespace vx
