#include "cli/FirmwareImageText.h"

#include "files/FileException.h"

#include <cstring>

namespace vx::cli {
namespace {

using Step = FirmwareFileFailure::Step;

std::string FileFailureText(const std::string& path, const FirmwareFileFailure& failure,
                            std::uint64_t length) {
    if (failure.step == Step::EndOfFile)
        return path + ": the file ended before its " + std::to_string(length) +
               " bytes were read (" + FileCauseName(FileError::endOfFile) + ")";
    const char* doing = failure.step == Step::Open     ? "open"
                        : failure.step == Step::Length ? "measure"
                                                       : "read";
    return path + ": cannot " + doing +
           " the file: " + FileCauseName(FileCauseFromErrno(failure.osError)) + " (" +
           std::strerror(failure.osError) + ")";
}

} // namespace

std::string FirmwareImageProblem(const std::string& path, const FirmwareLoadOutcome& outcome) {
    switch (outcome.result) {
    case FirmwareResult::FileError:
        // The first failure is the cause: an unopened file cannot be measured either.
        return outcome.fileFailures.empty()
                   ? path + ": cannot read the file"
                   : FileFailureText(path, outcome.fileFailures.front(), outcome.fileLength);
    case FirmwareResult::TooBig:
        return path + ": The File size exceeds the buffer size in the DSP. (" +
               std::to_string(outcome.fileLength) + " bytes; at most " +
               std::to_string(kFirmwareSizeLimit) + ")";
    case FirmwareResult::AllocationFailed:
        return path + ": no memory for the image (" + std::to_string(outcome.fileLength) +
               " bytes)";
    case FirmwareResult::EmptyImage:
        return path + ": the file is empty; there is no image to load";
    case FirmwareResult::Done:
    case FirmwareResult::BlockRefused:
    case FirmwareResult::Cancelled:
        break;
    }
    return {};
}

} // namespace vx::cli
