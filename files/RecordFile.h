// The RSSI record file: created (or emptied when it exists, where the caller
// allows it) and written line by line straight to the operating system
// without a buffer in the program,
// so a line is in the file as soon as it has been written and a crash of the
// program loses no recorded sample. A line reaches the file whole or not at
// all: part of a line left behind by a full disk would join the next line
// into one that reads as data.
#pragma once

#include "files/FileException.h"

#include <ctime>
#include <string>
#include <string_view>

namespace vx {

class RecordFile {
public:
    RecordFile() = default;
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    enum class Existing {
        replace, // an existing file is emptied
        refuse,  // an existing file is left alone and the open fails (EEXIST)
    };
    // Creates the file for reading and writing. On failure the file stays
    // closed and error says why.
    bool Open(const std::string& path, FileError& error, Existing existing = Existing::replace);
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

// Keeps the recording a file holds before a new one takes its name: a file
// at path that is not empty is renamed to the same name with its
// modification time (local time) before the extension, and -2, -3 ... after
// that when the name is taken: "VX18D_0012-ABCD.csv" becomes
// "VX18D_0012-ABCD-20240517-143005.csv". No file, or an empty one, needs no
// rename. True when nothing needed keeping or it was kept (keptAs then names
// the new file, or is empty); false, with error, when the rename failed and
// the file is where it was.
bool KeepEarlierRecording(const std::string& path, FileError& error, std::string& keptAs);

// The name an earlier recording is kept under: its first choice (copy 1),
// then the names with -2, -3 ...
std::string EarlierRecordingName(const std::string& path, std::time_t modified, unsigned copy = 1);

} // namespace vx
