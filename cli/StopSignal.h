// Ctrl-C for the commands (platform/Console.h): the first stop request only raises a flag,
// which the commands look at between exchanges (record closes its file,
// flash stops sending and never commits). A second one ends the program at
// once, as if nothing had been installed.
#pragma once

#include <atomic>

namespace vx::cli {

void InstallStopSignal();

// The flag; lock-free, so that the signal handler may set it.
std::atomic<bool>& StopFlag();

inline bool StopRequested() {
    return StopFlag().load();
}

} // namespace vx::cli
