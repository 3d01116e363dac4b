// File failures as the operator and the debugger output see them: a cause
// code from 0 to 14 with its name, the operating system's error and the file.
#pragma once

#include <string>

namespace vx {

struct FileError {
    enum Cause : unsigned {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    unsigned cause = none;
    long osError = -1; // errno of the failed call, -1 when there was none
    std::string fileName;
};

// The cause code for an errno value of a failed open, read or write.
unsigned FileCauseFromErrno(int error);

// "none" ... "endOfFile" for codes 0 to 14, an empty name for any other.
const char* FileCauseName(unsigned cause);

// Writes "CFileException Caught" and the cause's name to the debugger output.
void ReportFileExceptionCause(const FileError& error);

} // namespace vx
