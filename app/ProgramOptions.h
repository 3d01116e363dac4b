// The window program's command line: everything vx18d needs for its work is
// in the stored settings; --help and --version answer without opening a
// window or a port, and --trace FILE writes every exchange of the run to
// FILE, for a bug report.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace vx {

struct ProgramOptions {
    std::string traceFile; // empty: no trace file
};

// Parses argv into options; an exit status when the program has nothing more
// to do (0 after --help or --version, 2 after an unknown option or --trace
// without a file, with a line on err), or nothing when the window is to run.
std::optional<int> ParseProgramOptions(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err, ProgramOptions& options);

} // namespace vx
