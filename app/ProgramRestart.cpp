#include "app/ProgramRestart.h"

#include "platform/DebugOutput.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace vx {
namespace {

std::atomic<bool> g_restartRequested{false};

} // namespace

void RequestProgramRestart() {
    g_restartRequested = true;
}

bool ProgramRestartRequested() {
    return g_restartRequested;
}

void RestartProgram(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // The program file itself, wherever it was started from.
    ::execv("/proc/self/exe", argv.data());
    plat::OutputDebugString(std::string("VX18D: the program could not be started again: ") +
                            std::strerror(errno) + "\r\n");
}

} // namespace vx
