#include "cli/CliTestSupport.h"

#include "cli/Commands.h"
#include "cli/StopSignal.h"
#include "support/TestSupport.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vxtest {

nlohmann::json CliResult::Json() const {
    const std::vector<std::string> lines = Lines(out);
    return lines.empty() ? nlohmann::json() : nlohmann::json::parse(lines.back());
}

CliSession::CliSession(sim::UnitOptions options) : m_unit(options) {
    m_unit.Start(m_config.PortsDir(), "COM7");
}

CliSession::~CliSession() {
    m_unit.Stop();
}

CliResult CliSession::Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--port", "COM7", "--baud", "921600"};
    all.insert(all.end(), args.begin(), args.end());
    return RunPlain(all);
}

CliResult CliSession::RunPlain(const std::vector<std::string>& args) {
    if (!m_keepCache)
        std::filesystem::remove_all(m_config.CacheDir());
    std::vector<const char*> argv{"vx18dctl"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    vx::cli::Console console{out, err, false, {}};
    std::uint64_t programmingMs = 0;
    console.firmwareTiming.sleep = [&programmingMs](std::uint32_t ms) { programmingMs += ms; };
    vx::cli::StopFlag() = false;
    result.status = vx::cli::Run(static_cast<int>(argv.size()), argv.data(), console);
    result.out = out.str();
    result.err = err.str();
    result.programmingSeconds = static_cast<int>(programmingMs / 1000);
    return result;
}

void QuietAmCounters(sim::SimulatedUnit& unit) {
    unit.WithModel([](sim::UnitModel& model) {
        model.ForceAmIndex(0, 5);
        model.ForceAmIndex(1, 5);
    });
}

CliProcess::CliProcess(const std::vector<std::string>& args, const std::string& outputDir)
    : m_outPath(outputDir + "/child.out"), m_errPath(outputDir + "/child.err") {
    std::vector<char*> argv;
    std::vector<std::string> all{VX18DCTL_PATH};
    all.insert(all.end(), args.begin(), args.end());
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, m_outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, m_errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        m_pid = pid;
    posix_spawn_file_actions_destroy(&actions);
}

CliProcess::~CliProcess() {
    if (m_pid > 0 && Wait(0) == -1) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void CliProcess::Interrupt() {
    if (m_pid > 0)
        ::kill(m_pid, SIGINT);
}

int CliProcess::Wait(int timeoutMs) {
    if (m_pid <= 0)
        return -1;
    int status = 0;
    const bool ended =
        WaitFor([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, timeoutMs);
    if (!ended)
        return -1;
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string CliProcess::Out() const {
    std::ifstream in(m_outPath);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string CliProcess::Err() const {
    std::ifstream in(m_errPath);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

bool HasRow(const std::string& out, const std::string& name, const std::string& value) {
    for (const std::string& line : Lines(out)) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos || line.compare(start, name.size(), name) != 0)
            continue;
        const std::size_t at = line.find_first_not_of(' ', start + name.size());
        if (at != start + name.size() && at != std::string::npos && line.substr(at) == value)
            return true;
    }
    return false;
}

} // namespace vxtest
