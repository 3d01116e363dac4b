#include "support/ChildProcess.h"

#include "support/TestSupport.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vxtest {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& outputDir, const std::string& tag,
                           const std::vector<std::string>& extraEnvironment)
    : m_outPath(outputDir + "/" + tag + ".out"), m_errPath(outputDir + "/" + tag + ".err") {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment(extraEnvironment);
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        envp.push_back(*e);
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, m_outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, m_errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        m_pid = pid;
        m_started = true;
    }
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && Wait(0) == -1) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void ChildProcess::Signal(int signal) {
    if (m_pid > 0)
        ::kill(m_pid, signal);
}

void ChildProcess::Interrupt() {
    Signal(SIGINT);
}

int ChildProcess::Wait(int timeoutMs) {
    if (m_pid <= 0)
        return -1;
    int status = 0;
    rusage usage{};
    const bool ended =
        WaitFor([&] { return ::wait4(m_pid, &status, WNOHANG, &usage) == m_pid; }, timeoutMs);
    if (!ended)
        return -1;
    m_pid = -1;
    m_processorSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                         usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string ChildProcess::Out() const {
    return ReadFile(m_outPath);
}

std::string ChildProcess::Err() const {
    return ReadFile(m_errPath);
}

} // namespace vxtest
