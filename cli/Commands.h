// vx18dctl's commands: the whole program between the command line and the
// exit status, with its streams handed in so that tests can run it in the
// test process.
#pragma once

#include <functional>
#include <ostream>

namespace vx::cli {

struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false; // the firmware progress line rewrites itself on a terminal
    // One second of the unit's programming wait after a firmware commit;
    // empty sleeps for real (tests make it pass at once).
    std::function<void()> programmingSecond;
};

// Runs one command line; returns the exit status.
int Run(int argc, const char* const* argv, Console& console);

} // namespace vx::cli
