#include "cli/StopSignal.h"

#include "platform/Console.h"

namespace vx::cli {

void InstallStopSignal() {
    plat::InstallStopRequest();
}

std::atomic<bool>& StopFlag() {
    return plat::StopRequestFlag();
}

} // namespace vx::cli
