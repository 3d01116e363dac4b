#include "app/ProgramRestart.h"

#include "platform/DebugOutput.h"
#include "platform/ProgramStart.h"

#include <atomic>
#include <cstdlib>

namespace vx {
namespace {

std::atomic<bool> g_restartRequested{false};

// Set for the new run by the run that starts it.
constexpr const char* kRestartedRun = "VX18D_RESTARTED_RUN";

} // namespace

void RequestProgramRestart() {
    g_restartRequested = true;
}

bool ProgramRestartRequested() {
    return g_restartRequested;
}

void RestartProgram(const std::vector<std::string>& arguments) {
    plat::SetEnvironmentVariable(kRestartedRun, "1");
    const std::string failure = plat::StartProgramAgain(arguments);
    if (!failure.empty())
        plat::OutputDebugString("VX18D: the program could not be started again: " + failure +
                                "\r\n");
}

bool IsRestartedRun() {
    const char* value = std::getenv(kRestartedRun);
    return value && *value;
}

} // namespace vx
