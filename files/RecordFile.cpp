#include "files/RecordFile.h"

#include "platform/Clock.h"
#include "platform/Files.h"

#include <cerrno>
#include <cstdio>

namespace vx {

RecordFile::~RecordFile() {
    Close();
}

bool RecordFile::Open(const std::string& path, FileError& error, Existing existing) {
    Close();
    const int fd =
        plat::OpenFile(path, existing == Existing::replace ? plat::FileOpening::createOrTruncate
                                                           : plat::FileOpening::createNew);
    if (fd < 0) {
        error = FileError{FileCauseFromErrno(errno), errno, path};
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

RecordFile::AppendResult RecordFile::Append(std::string_view line, FileError& error) {
    if (m_fd < 0) {
        error = FileError{FileError::invalidFile, EBADF, m_path};
        return AppendResult::lost;
    }
    const std::int64_t start = plat::FilePosition(m_fd);
    std::size_t done = 0;
    while (done < line.size()) {
        const std::ptrdiff_t written =
            plat::WriteToFile(m_fd, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int cause = written < 0 ? errno : ENOSPC;
            error = FileError{FileCauseFromErrno(cause), cause, m_path};
            break;
        }
        done += static_cast<std::size_t>(written);
    }
    if (done == line.size())
        return AppendResult::written;
    if (done == 0)
        return AppendResult::lost;
    if (start >= 0 && plat::TruncateFileAt(m_fd, start))
        return AppendResult::lost;
    return AppendResult::torn;
}

void RecordFile::Close() {
    if (m_fd >= 0) {
        plat::CloseFile(m_fd);
        m_fd = -1;
    }
}

std::string EarlierRecordingName(const std::string& path, std::time_t modified, unsigned copy) {
    const std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = path.size();
    const std::tm local = plat::LocalTime(modified);
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::string name = path.substr(0, dot) + stamp;
    if (copy > 1)
        name += "-" + std::to_string(copy);
    return name + path.substr(dot);
}

bool KeepEarlierRecording(const std::string& path, FileError& error, std::string& keptAs) {
    keptAs.clear();
    plat::FileStatus status;
    if (!plat::StatusOfPath(path, status) || !status.regular || status.size == 0)
        return true; // nothing recorded there; opening the file says what is wrong with it
    constexpr unsigned kMostCopies = 1000;
    int failure = EEXIST;
    for (unsigned copy = 1; copy <= kMostCopies && failure == EEXIST; ++copy) {
        std::string candidate = EarlierRecordingName(path, status.modified, copy);
        failure = plat::RenameWithoutReplacing(path, candidate);
        if (failure == 0) {
            keptAs = std::move(candidate);
            return true;
        }
    }
    error = FileError{FileCauseFromErrno(failure), failure, path};
    return false;
}

} // namespace vx
