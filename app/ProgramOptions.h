// The window program's command line: vx18d takes no options for its work
// (everything it needs is in the stored settings), only --help and
// --version, which answer without opening a window or a port.
#pragma once

#include <optional>
#include <ostream>

namespace vx {

// Parses argv; an exit status when the program has nothing more to do (0
// after --help or --version, 2 after an unknown option, with a line on
// err), or nothing when the window is to run.
std::optional<int> ParseProgramOptions(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err);

} // namespace vx
