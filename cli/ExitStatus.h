// What vx18dctl tells the calling script, and the failures that carry an
// exit status of their own.
#pragma once

#include <stdexcept>
#include <string>

namespace vx::cli {

enum ExitStatus : int {
    kExitSuccess = 0,
    kExitUnitFailed = 1,   // the unit did not answer, or refused
    kExitUsage = 2,        // unknown command or option, bad value
    kExitPortFailed = 3,   // the port could not be opened or configured
    kExitInterrupted = 130 // stopped by Ctrl-C before the work was done (128 + SIGINT)
};

// A value that cannot be used: the message names the value and what is
// allowed. Raised before anything of the value reaches the unit.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The unit did not answer or refused; the message says what failed.
class UnitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The port could not be opened or configured; the message says why.
class PortError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vx::cli
