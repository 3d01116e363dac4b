#include "app/ProgramRestart.h"

#include "platform/DebugOutput.h"
#include "platform/ProgramStart.h"

#include <atomic>

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
    const std::string failure = plat::StartProgramAgain(arguments);
    if (!failure.empty())
        plat::OutputDebugString("VX18D: the program could not be started again: " + failure +
                                "\r\n");
}

} // namespace vx
