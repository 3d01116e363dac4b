// vx18dctl's commands: the whole program between the command line and the
// exit status, with its streams handed in so that tests can run it in the
// test process.
#pragma once

#include "unit/FirmwareLoader.h"

#include <ostream>

namespace vx::cli {

struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false; // the firmware progress line rewrites itself on a terminal
    // How a firmware load waits for the unit to program the image; empty
    // members use the system's sleep and clock (tests make the wait pass at once).
    FirmwareLoader::Timing firmwareTiming;
};

// Runs one command line; returns the exit status.
int Run(int argc, const char* const* argv, Console& console);

} // namespace vx::cli
