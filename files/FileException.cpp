#include "files/FileException.h"

#include "platform/DebugOutput.h"

#include <array>
#include <cerrno>

namespace vx {
namespace {

constexpr std::array<const char*, 15> kCauseNames{
    "none",         "generic",          "fileNotFound",     "badPath",       "tooManyOpenFiles",
    "accessDenied", "invalidFile",      "removeCurrentDir", "directoryFull", "badSeek",
    "hardIO",       "sharingViolation", "lockViolation",    "diskFull",      "endOfFile",
};

struct ErrnoCause {
    int error;
    unsigned cause;
};

constexpr ErrnoCause kErrnoCauses[] = {
    {ENOENT, FileError::fileNotFound},
    {ENOTDIR, FileError::badPath},
    {ENAMETOOLONG, FileError::badPath},
    {ELOOP, FileError::badPath},
    {EMFILE, FileError::tooManyOpenFiles},
    {ENFILE, FileError::tooManyOpenFiles},
    {EACCES, FileError::accessDenied},
    {EPERM, FileError::accessDenied},
    {EROFS, FileError::accessDenied},
    {EISDIR, FileError::accessDenied},
    {EBADF, FileError::invalidFile},
    {ESPIPE, FileError::badSeek},
    {EIO, FileError::hardIO},
    {EBUSY, FileError::sharingViolation},
    {ETXTBSY, FileError::sharingViolation},
    {ENOLCK, FileError::lockViolation},
    {ENOSPC, FileError::diskFull},
#ifdef EDQUOT
    {EDQUOT, FileError::diskFull},
#endif
    {EFBIG, FileError::diskFull},
};

} // namespace

unsigned FileCauseFromErrno(int error) {
    for (const ErrnoCause& entry : kErrnoCauses) {
        if (entry.error == error)
            return entry.cause;
    }
    return FileError::genericException;
}

const char* FileCauseName(unsigned cause) {
    return cause < kCauseNames.size() ? kCauseNames[cause] : "";
}

void ReportFileExceptionCause(const FileError& error) {
    plat::OutputDebugString("CFileException Caught\r\n");
    plat::OutputDebugString(std::string("CFileException.m_cause = ") + FileCauseName(error.cause) +
                            ".\r\n");
}

} // namespace vx
