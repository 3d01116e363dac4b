// Files by descriptor, as the shared layer writes and reads them: the record
// file appended line by line, firmware images read whole, small files
// replaced at once. Every failure is an errno code (the C run-time's on
// Windows), so that the file errors read the same on both systems.
// Descriptors are binary, never inherited by programs this one starts, and
// an open never waits on a pipe or a device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace plat {

enum class FileOpening {
    readOnly,
    createNew,        // read and write; fails with EEXIST when the file exists
    createOrTruncate, // read and write; an existing file is emptied
};

// A descriptor, or -1 with errno set.
int OpenFile(const std::string& path, FileOpening opening);
void CloseFile(int fd);

// Bytes read or written (a part when interrupted), or -1 with errno set.
std::ptrdiff_t ReadFromFile(int fd, void* buffer, std::size_t size);
std::ptrdiff_t WriteToFile(int fd, const void* data, std::size_t size);
// Writes all of text: 0, or the errno of the failure (ENOSPC when nothing
// more could be written).
int WriteAllToFile(int fd, std::string_view text);

// The position from the start, or -1 with errno set.
std::int64_t FilePosition(int fd);
// Cuts the file to length and puts the position there; false with errno set.
bool TruncateFileAt(int fd, std::int64_t length);

struct FileStatus {
    bool regular = false;
    bool directory = false;
    std::uint64_t size = 0;
    std::time_t modified = 0;
};
// False with errno set when the file's status cannot be had.
bool StatusOfFile(int fd, FileStatus& status);
bool StatusOfPath(const std::string& path, FileStatus& status);
// True when something has that name, a dangling symbolic link included.
bool PathExists(const std::string& path);

// Renames without replacing a file that has the new name: 0, or the errno of
// the failure (EEXIST when the name is taken).
int RenameWithoutReplacing(const std::string& from, const std::string& to);

// Replaces the file (creating it) with text at once: a temporary file in the
// same folder, flushed to disk, takes the file's name (and, on Linux, its
// permissions), so a reader sees the old file or the new one, after a power
// cut too. 0, or the
// errno of the failure, and the file is then as it was.
int ReplaceFileContents(const std::string& path, std::string_view text);

} // namespace plat
