// vx18dctl's command line: the global options, the command and its
// arguments, parsed with CLI11 into an Invocation. Syntax errors (unknown
// command or option, a value outside what the option allows) end with the
// message and exit status 2 before anything is opened.
#pragma once

#include "cli/LinkSession.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vx::cli {

struct Invocation {
    enum class Command { Ping, Info, Status, Get, Set, Unit, Record, Flash };

    LinkOptions link;
    bool json = false;
    bool trace = false;
    Command command = Command::Ping;
    unsigned receiver = 1;                 // get, set: 1 or 2
    std::vector<std::string> settings;     // set, unit: NAME=VALUE as given
    bool watch = false;                    // status
    std::optional<unsigned> rate;          // status, record: samples per second
    std::optional<std::uint32_t> count;    // status: number of samples
    std::string file;                      // record, flash
    std::optional<double> durationSeconds; // record
    bool force = false;                    // record: an existing FILE may be overwritten
    bool noCache = false;                  // the whole read-out from the unit, cache or not
};

struct ParsedCommandLine {
    std::optional<Invocation> invocation; // none: stop with exitStatus (help shown, or an error)
    int exitStatus = 0;
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                   std::ostream& err);

} // namespace vx::cli
