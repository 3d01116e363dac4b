#include "support/TestSupport.h"

#include "platform/Clock.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <linux/fs.h>
#include <mutex>
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

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
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

IsolatedConfig::IsolatedConfig()
    : m_config("VX18D_CONFIG_DIR", m_dir.Path()), m_data("VX18D_DATA_DIR", m_dir.Path() + "/data"),
      m_cache("VX18D_CACHE_DIR", m_dir.Path() + "/cache") {
    std::filesystem::create_directories(PortsDir());
}

RecordedBoxes::RecordedBoxes() : m_boxes(std::make_shared<std::vector<plat::MessageBoxRequest>>()) {
    auto boxes = m_boxes;
    auto answer = m_answer;
    m_previous =
        plat::SetMessageBoxHandler([boxes, answer](const plat::MessageBoxRequest& request) {
            boxes->push_back(request);
            return (request.type & 0xF) == plat::MB_YESNO ? *answer : plat::IDOK;
        });
}

RecordedBoxes::~RecordedBoxes() {
    plat::SetMessageBoxHandler(std::move(m_previous));
}

struct RecordedTones::State {
    std::mutex mutex;
    std::vector<Tone> tones;
};

RecordedTones::RecordedTones() : m_state(std::make_shared<State>()) {
    auto state = m_state;
    m_previous = plat::SetToneHandler([state](plat::DWORD frequency, plat::DWORD duration) {
        std::lock_guard lock(state->mutex);
        state->tones.push_back({frequency, duration});
    });
}

RecordedTones::~RecordedTones() {
    plat::SetToneHandler(std::move(m_previous));
}

std::vector<RecordedTones::Tone> RecordedTones::Tones() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->tones;
}

void RecordedTones::Clear() {
    std::lock_guard lock(m_state->mutex);
    m_state->tones.clear();
}

plat::BOOL ScriptedPort::WriteByte(plat::BYTE value) {
    return Write(&value, 1);
}

plat::BOOL ScriptedPort::Write(const plat::BYTE* data, int length) {
    if (failWrites || length < 0)
        return plat::FALSE;
    Bytes packet(data, data + length);
    written.push_back(packet);
    if (onWrite)
        onWrite(packet, *this);
    return plat::TRUE;
}

plat::BOOL ScriptedPort::ReadByte(plat::BYTE* out) {
    if (input.empty()) {
        ++readTimeouts;
        plat::Sleep(1); // as a port's read wait would, without spinning the deadline loop
        return plat::FALSE;
    }
    *out = input.front();
    input.pop_front();
    return plat::TRUE;
}

void ScriptedPort::AnswerEvery(std::uint8_t r1, std::uint8_t r2, std::uint8_t r3) {
    onWrite = [=](const Bytes& packet, ScriptedPort& port) {
        if (packet[2] == 0x01 && packet[3] == 0x10)
            port.Queue(ShortReply(packet[6], r1, r2, r3));
        else
            port.Queue({0x27, 0, packet[2], packet[3], 0, 0});
    };
}

plat::DWORD ScriptedPort::DiscardPendingInput() {
    const auto count = static_cast<plat::DWORD>(input.size());
    input.clear();
    return count;
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

Bytes ShortReply(std::uint8_t commandByte, std::uint8_t r1, std::uint8_t r2, std::uint8_t r3) {
    return {0x27, 0x00, 0x01, 0x10, 0x04, 0x00, commandByte, r1, r2, r3};
}

Bytes ShortRequest(std::uint8_t commandByte, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3) {
    return {0x27, 0x00, 0x01, 0x10, 0x04, 0x00, commandByte, a1, a2, a3};
}

} // namespace vxtest
