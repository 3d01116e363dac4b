// The RSSI record file: created, or emptied when it exists, and written line
// by line straight to the operating system without a buffer in the program,
// so a line is in the file as soon as it has been written and a crash of the
// program loses no recorded sample.
#pragma once

#include "ui/FileException.h"

#include <string>
#include <string_view>

namespace vx::ui {

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
    // Writes every byte of text; on failure error says why.
    bool Write(std::string_view text, FileError& error);
    void Close();

private:
    int m_fd = -1;
    std::string m_path;
};

} // namespace vx::ui
