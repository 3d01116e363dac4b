// Files on Windows through the C run-time's descriptors (binary, not
// inherited), so that failures are errno codes as on Linux. Renames go
// through MoveFileEx: a rename that must not replace fails when the new name
// is taken, and a replacing one takes the place of the old file at once.
#include "platform/windows/Win32.h"

#include "platform/Files.h"
#include "platform/Win32Types.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace plat {
namespace {

void Fill(const struct _stat64& st, FileStatus& status) {
    status.regular = (st.st_mode & _S_IFMT) == _S_IFREG;
    status.directory = (st.st_mode & _S_IFMT) == _S_IFDIR;
    status.size = static_cast<std::uint64_t>(st.st_size);
    status.modified = static_cast<std::time_t>(st.st_mtime);
}

int ErrnoFromWin32(::DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EIO;
    }
}

int Move(const std::string& from, const std::string& to, ::DWORD flags) {
    if (::MoveFileExA(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH))
        return 0;
    return ErrnoFromWin32(::GetLastError());
}

} // namespace

int OpenFile(const std::string& path, FileOpening opening) {
    // A folder does not open on Windows; it is named as Linux names it.
    const ::DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return -1;
    }
    int flags = _O_BINARY | _O_NOINHERIT;
    switch (opening) {
    case FileOpening::readOnly:
        flags |= _O_RDONLY;
        break;
    case FileOpening::createNew:
        flags |= _O_RDWR | _O_CREAT | _O_EXCL;
        break;
    case FileOpening::createOrTruncate:
        flags |= _O_RDWR | _O_CREAT | _O_TRUNC;
        break;
    }
    return ::_open(path.c_str(), flags, _S_IREAD | _S_IWRITE);
}

void CloseFile(int fd) {
    if (fd >= 0)
        ::_close(fd);
}

std::ptrdiff_t ReadFromFile(int fd, void* buffer, std::size_t size) {
    constexpr std::size_t kMost = 1u << 30;
    return ::_read(fd, buffer, static_cast<unsigned>(size < kMost ? size : kMost));
}

std::ptrdiff_t WriteToFile(int fd, const void* data, std::size_t size) {
    constexpr std::size_t kMost = 1u << 30;
    return ::_write(fd, data, static_cast<unsigned>(size < kMost ? size : kMost));
}

std::int64_t FilePosition(int fd) {
    return ::_lseeki64(fd, 0, SEEK_CUR);
}

bool TruncateFileAt(int fd, std::int64_t length) {
    if (const errno_t error = ::_chsize_s(fd, length); error != 0) {
        errno = error;
        return false;
    }
    return ::_lseeki64(fd, length, SEEK_SET) == length;
}

bool StatusOfFile(int fd, FileStatus& status) {
    if (fd < 0) {
        errno = EBADF; // the run-time's check of the descriptor does not say so
        return false;
    }
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0)
        return false;
    Fill(st, status);
    return true;
}

bool StatusOfPath(const std::string& path, FileStatus& status) {
    struct _stat64 st {};
    if (::_stat64(path.c_str(), &st) != 0)
        return false;
    Fill(st, status);
    return true;
}

bool PathExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int RenameWithoutReplacing(const std::string& from, const std::string& to) {
    return Move(from, to, 0);
}

int ReplaceFileContents(const std::string& path, std::string_view text) {
    // A name of its own beside the file: the process and a counter.
    static std::atomic<unsigned> counter{0};
    const std::string temporary = path + "." + std::to_string(::GetCurrentProcessId()) + "-" +
                                  std::to_string(++counter) + ".tmp";
    const int fd = OpenFile(temporary, FileOpening::createNew);
    if (fd < 0)
        return errno;
    int failure = WriteAllToFile(fd, text);
    if (failure == 0 && ::_commit(fd) != 0)
        failure = errno;
    if (::_close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0)
        failure = Move(temporary, path, MOVEFILE_REPLACE_EXISTING);
    if (failure != 0)
        ::DeleteFileA(temporary.c_str());
    return failure;
}

} // namespace plat
