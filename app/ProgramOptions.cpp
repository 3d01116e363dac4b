#include "app/ProgramOptions.h"

#include "vx18d/Version.h"

#include <string_view>

namespace vx {

namespace {

constexpr std::string_view kUsage =
    "Usage: vx18d [--help] [--version]\n"
    "\n"
    "The control program of the Corvanta VX18D dual-channel telemetry receiver.\n"
    "It opens the serial port of the stored settings (the Com Port page sets\n"
    "them) and shows both receivers live.\n"
    "\n"
    "  --help      show this text\n"
    "  --version   show the version\n";

} // namespace

std::optional<int> ParseProgramOptions(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        }
        if (arg == "--version") {
            out << "vx18d " << kVersion << '\n';
            return 0;
        }
        // Qt's own options (-platform, -style ...) and their values are Qt's.
        if (arg.starts_with("--")) {
            err << "vx18d: " << arg << ": unknown option\n" << kUsage;
            return 2;
        }
    }
    return std::nullopt;
}

} // namespace vx
