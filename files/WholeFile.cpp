#include "files/WholeFile.h"

#include "platform/FileText.h"
#include "platform/Files.h"

namespace vx {
namespace {

FileError ErrorFor(const std::string& path, int error) {
    return FileError{FileCauseFromErrno(error), error, path};
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& text, FileError& error) {
    if (const int failure = plat::ReadRegularFile(path, text)) {
        error = ErrorFor(path, failure);
        return false;
    }
    return true;
}

bool ReplaceWholeFile(const std::string& path, std::string_view text, FileError& error) {
    if (const int failure = plat::ReplaceFileContents(path, text)) {
        error = ErrorFor(path, failure);
        return false;
    }
    return true;
}

} // namespace vx
