// A built program run as a child process, its standard output and error in
// files, for tests that need signals or several programs at once.
#pragma once

#include <string>
#include <vector>

namespace vxtest {

class ChildProcess {
public:
    // Runs program with args; output goes to outputDir/TAG.out and TAG.err.
    // extraEnvironment holds "NAME=VALUE" entries added to this process's own.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& outputDir, const std::string& tag = "child",
                 const std::vector<std::string>& extraEnvironment = {});
    ~ChildProcess(); // kills a child that is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_started; }
    void Signal(int signal);
    void Interrupt(); // SIGINT
    // Waits for the exit status (128 + signal for a signal; -1 when the
    // process did not end in time).
    int Wait(int timeoutMs);
    std::string Out() const;
    std::string Err() const;
    // User and system time of the child, once Wait has seen it end.
    double ProcessorSeconds() const { return m_processorSeconds; }

private:
    int m_pid = -1;
    bool m_started = false;
    std::string m_outPath;
    std::string m_errPath;
    double m_processorSeconds = 0;
};

} // namespace vxtest
