// The console a command-line front end runs in: whether its standard error
// is a terminal (progress lines are drawn only there), and the operator's
// request to stop (Ctrl-C, or the system ending the program).
#pragma once

#include <atomic>

namespace plat {

bool StandardErrorIsTerminal();

// From now on the first stop request (Ctrl-C, Ctrl-Break, SIGINT, SIGTERM,
// the console window closed) only raises the flag, which long work looks at
// between steps; a second one ends the program at once, as if nothing had
// been installed. On Linux the request also makes waits return early.
void InstallStopRequest();

// The flag; lock-free, so that a signal handler may set it.
std::atomic<bool>& StopRequestFlag();

} // namespace plat
