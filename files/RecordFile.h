// The RSSI record file: created, or emptied when it exists, and written line
// by line straight to the operating system without a buffer in the program,
// so a line is in the file as soon as it has been written and a crash of the
// program loses no recorded sample. A line reaches the file whole or not at
// all: part of a line left behind by a full disk would join the next line
// into one that reads as data.
#pragma once

#include "files/FileException.h"

#include <string>
#include <string_view>

namespace vx {

class RecordFile {
public:
    RecordFile() = default;
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Creates or empties the file for reading and writing. On failure the
    // file stays closed and error says why.
    bool Open(const std::string& path, FileError& error);
    bool IsOpen() const { return m_fd >= 0; }
    enum class AppendResult {
        written, // the whole line is in the file
        lost,    // none of it is: the file is as it was before
        torn,    // part of it is, and the file could not be cut back
    };
    // Appends one line. When the file system takes only part of it, the
    // file is cut back to where the line began. Unless the whole line was
    // written, error says why the write failed.
    AppendResult Append(std::string_view line, FileError& error);
    void Close();

private:
    int m_fd = -1;
    std::string m_path;
};

} // namespace vx
