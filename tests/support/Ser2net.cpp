#include "support/Ser2net.h"

#include "platform/Clock.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vxtest {
namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 3000;
constexpr int kStartAttempts = 3;

std::string ProgramPath() {
    const char* path = std::getenv("PATH");
    std::string dirs = std::string(path ? path : "") + ":/usr/sbin:/usr/local/sbin:/sbin";
    std::istringstream in(dirs);
    for (std::string dir; std::getline(in, dir, ':');) {
        const std::string candidate = dir + "/ser2net";
        if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// Waits for the child to end, up to timeoutMs; true when it did.
bool Reap(pid_t pid, int timeoutMs) {
    const std::int64_t end = plat::TickMs() + timeoutMs;
    do {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return true;
        plat::Sleep(5);
    } while (plat::TickMs() < end);
    return false;
}

} // namespace

std::uint16_t FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool LinkPort(const std::string& portsDir, const std::string& name, const std::string& target) {
    const std::string link = portsDir + "/" + name;
    ::unlink(link.c_str());
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

SimLink::Route Ser2net::RouteAs(const std::string& portName) {
    return [this, portName](sim::SimulatedUnit& unit, const std::string& portsDir) {
        if (!Start(unit.SlavePath()) || !LinkPort(portsDir, portName, Address()))
            return std::string();
        return portName;
    };
}

bool Ser2net::Installed() {
    return !ProgramPath().empty();
}

const char* Ser2net::SkipReason() {
    return "ser2net is not installed (scripts/install-deps.sh installs it): the tests through a "
           "serial device server cannot run";
}

Ser2net::Ser2net(Options options) : m_options(options) {}

Ser2net::~Ser2net() {
    Stop();
}

std::string Ser2net::Address() const {
    return std::string(m_options.rfc2217 ? "rfc2217" : "tcp") +
           "://127.0.0.1:" + std::to_string(m_port);
}

bool Ser2net::WriteConfig(const std::string& devicePath) const {
    std::ofstream config(m_dir.File("ser2net.yaml"));
    config << "%YAML 1.1\n---\n"
           << "connection: &vx18d\n"
           << "    accepter: " << (m_options.rfc2217 ? "telnet(rfc2217),tcp," : "tcp,")
           << "127.0.0.1," << m_port << "\n"
           << "    connector: serialdev(nouucplock=true)," << devicePath << "," << m_options.baud
           << "n81,local,nobreak\n";
    if (!m_options.charDelay)
        config << "    options:\n      chardelay: false\n";
    return static_cast<bool>(config.flush());
}

// A listening socket on 127.0.0.1:port in the kernel's table, found without
// connecting: a connection would be a client the server then serves.
bool Ser2net::Listening() const {
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", m_port);
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line); // heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, localAddress, remoteAddress, state;
        fields >> slot >> localAddress >> remoteAddress >> state;
        if (localAddress == local && state == "0A")
            return true;
    }
    return false;
}

bool Ser2net::Start(const std::string& devicePath) {
    Stop();
    m_devicePath = devicePath;
    const std::string program = ProgramPath();
    if (program.empty()) {
        m_lastError = "ser2net is not installed";
        return false;
    }
    const bool keepPort = m_port != 0;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (!keepPort)
            m_port = FreeLoopbackPort();
        if (!WriteConfig(devicePath)) {
            m_lastError = "cannot write " + m_dir.File("ser2net.yaml");
            return false;
        }
        const std::string log = m_dir.File("ser2net.log");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        const std::string config = m_dir.File("ser2net.yaml");
        const char* argv[] = {program.c_str(), "-n", "-d", "-c", config.c_str(), nullptr};
        const int spawned = ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr,
                                          const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            m_pid = -1;
            m_lastError = "cannot start ser2net";
            return false;
        }
        const std::int64_t end = plat::TickMs() + kStartTimeoutMs;
        while (plat::TickMs() < end) {
            if (Listening())
                return true;
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1; // it ended: most likely the port was taken meanwhile
                break;
            }
            plat::Sleep(10);
        }
        Stop();
    }
    m_lastError = "ser2net did not listen on 127.0.0.1:" + std::to_string(m_port);
    return false;
}

void Ser2net::Stop() {
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    if (!Reap(m_pid, kStopTimeoutMs)) {
        ::kill(m_pid, SIGKILL);
        Reap(m_pid, kStopTimeoutMs);
    }
    m_pid = -1;
}

std::string Ser2net::Log() const {
    std::ifstream in(m_dir.File("ser2net.log"));
    std::stringstream text;
    text << in.rdbuf();
    return m_lastError + (m_lastError.empty() ? "" : "\n") + text.str();
}

} // namespace vxtest
