#include "platform/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

void Fill(const struct stat& st, FileStatus& status) {
    status.regular = S_ISREG(st.st_mode);
    status.directory = S_ISDIR(st.st_mode);
    status.size = static_cast<std::uint64_t>(st.st_size);
    status.modified = st.st_mtime;
}

} // namespace

int OpenFile(const std::string& path, FileOpening opening) {
    int flags = O_CLOEXEC;
    switch (opening) {
    case FileOpening::readOnly:
        // Non-blocking, so that a named pipe without a writer cannot hang the open.
        flags |= O_RDONLY | O_NOCTTY | O_NONBLOCK;
        break;
    case FileOpening::createNew:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    case FileOpening::createOrTruncate:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    }
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void CloseFile(int fd) {
    if (fd >= 0)
        ::close(fd);
}

std::ptrdiff_t ReadFromFile(int fd, void* buffer, std::size_t size) {
    return ::read(fd, buffer, size);
}

std::ptrdiff_t WriteToFile(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

std::int64_t FilePosition(int fd) {
    return ::lseek(fd, 0, SEEK_CUR);
}

bool TruncateFileAt(int fd, std::int64_t length) {
    return ::ftruncate(fd, length) == 0 && ::lseek(fd, length, SEEK_SET) == length;
}

bool StatusOfFile(int fd, FileStatus& status) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    Fill(st, status);
    return true;
}

bool StatusOfPath(const std::string& path, FileStatus& status) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    Fill(st, status);
    return true;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

int RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a second name, then the first one goes.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

int ReplaceFileContents(const std::string& path, std::string_view text) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    // The file keeps its permissions; a new one is readable by all.
    struct stat st {};
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    int failure = WriteAllToFile(fd, text);
    if (failure == 0 && ::fchmod(fd, mode) != 0)
        failure = errno;
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temporary.c_str());
        return failure;
    }
    // Makes the rename itself durable.
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return 0;
}

} // namespace plat
