// The test helpers that stand on Linux's own calls: temporary folders,
// environment variables, folders made unwritable, threads' activity.
#include "support/TestSupport.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <linux/fs.h>
#include <sstream>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vxtest {

TempDir::TempDir() {
    char pattern[] = "/tmp/vx18d-test-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name))
        m_previous = old;
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (m_previous)
        setenv(m_name.c_str(), m_previous->c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

namespace {

bool SetImmutable(const std::string& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

LockedFolder::LockedFolder(std::string path) : m_path(std::move(path)) {
    m_byMode = ::chmod(m_path.c_str(), 0555) == 0 && ::access(m_path.c_str(), W_OK) != 0;
    if (!m_byMode) {
        ::chmod(m_path.c_str(), 0755);
        m_byFlag = SetImmutable(m_path, true);
    }
}

LockedFolder::~LockedFolder() {
    if (m_byFlag)
        SetImmutable(m_path, false);
    ::chmod(m_path.c_str(), 0755);
}

ThreadActivity ThreadActivityByName(const std::string& name) {
    ThreadActivity activity;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::string comm;
        std::getline(std::ifstream(task.path() / "comm"), comm);
        if (comm != name)
            continue;
        std::ifstream statFile(task.path() / "stat");
        const std::string stat((std::istreambuf_iterator<char>(statFile)),
                               std::istreambuf_iterator<char>());
        // After the name in parentheses: field 3 (state) onwards; utime is 14, stime 15.
        const auto close = stat.rfind(')');
        if (close == std::string::npos)
            return activity;
        std::istringstream fields(stat.substr(close + 2));
        std::string field;
        unsigned long long ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i >= 14)
                ticks += std::stoull(field);
        }
        activity.cpuSeconds = double(ticks) / double(sysconf(_SC_CLK_TCK));
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                activity.wakeUps = std::stol(line.substr(line.find(':') + 1));
        }
        activity.found = true;
        return activity;
    }
    return activity;
}

void ClearStoredSettings() {
    // The settings file is in the configuration folder, which is temporary.
}

} // namespace vxtest
