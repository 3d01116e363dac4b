// vx18d-sim: a simulated unit on a pseudo-terminal, published as a port name
// in the ports folder so that the program can open it like a serial adapter.
#include "platform/ConfigPaths.h"
#include "sim/FaultOptions.h"
#include "sim/SimulatedUnit.h"
#include "vx18d/Version.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <pthread.h>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: vx18d-sim [options]\n"
    "Runs a simulated unit on a pseudo-terminal until interrupted.\n"
    "\n"
    "  --port NAME          port name to publish (default COM7)\n"
    "  --ports-dir DIR      folder of port links (default: the program's ports folder)\n"
    "  --baud N             pace replies at N baud instead of the rate set on the line\n"
    "  --requests FILE      when stopped, write every request received to FILE, one\n"
    "                       packet a line in hexadecimal\n"
    "  --companion          companion board fitted\n"
    "  --rf-switch          RF switch fitted\n"
    "  --firmware DATE      firmware date code (default 0x20180309)\n"
    "  --no-rx1, --no-rx2   first or second receiver without bands\n"
    "  --serial XXXX-XXXX   serial number words, hexadecimal (default 0012-ABCD)\n"
    "  --fault KIND[:VALUE][@EVERY]\n"
    "                       misbehave once, on the next answer, or on every EVERY-th\n"
    "                       answer; may be given more than once, for instance\n"
    "                       --fault late:450 or --fault corrupt:7@20\n"
    "  --help               show this text\n"
    "  --version            show the version\n"
    "\n"
    "Faults:\n";

std::string Usage() {
    return kUsage + sim::FaultHelp();
}

struct CommandLine {
    std::string port = "COM7";
    std::string portsDir;
    std::uint32_t baud = 0;
    std::string requestsFile;
    sim::UnitOptions options;
    std::vector<sim::FaultSpec> faults;
};

std::optional<unsigned long> ParseNumber(const std::string& text, int base) {
    if (text.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, base);
    if (*end != '\0') {
        return std::nullopt;
    }
    return value;
}

bool ParseSerial(const std::string& text, sim::UnitOptions& options) {
    const auto dash = text.find('-');
    if (dash == std::string::npos) {
        return false;
    }
    const auto first = ParseNumber(text.substr(0, dash), 16);
    const auto second = ParseNumber(text.substr(dash + 1), 16);
    if (!first || !second || *first > 0xFFFF || *second > 0xFFFF) {
        return false;
    }
    options.serialWord1 = static_cast<std::uint16_t>(*first);
    options.serialWord2 = static_cast<std::uint16_t>(*second);
    return true;
}

// Returns the parsed command line, or the exit status when the program should stop.
std::optional<CommandLine> Parse(int argc, char** argv, int& exitStatus) {
    CommandLine cl;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage().c_str(), stdout);
            exitStatus = 0;
            return std::nullopt;
        } else if (arg == "--version") {
            std::printf("vx18d-sim %s\n", vx::kVersion);
            exitStatus = 0;
            return std::nullopt;
        } else if (arg == "--port") {
            const auto v = value();
            ok = v && !v->empty() && v->find('/') == std::string::npos;
            if (ok) {
                cl.port = *v;
            }
        } else if (arg == "--ports-dir") {
            const auto v = value();
            ok = v && !v->empty();
            if (ok) {
                cl.portsDir = *v;
            }
        } else if (arg == "--baud") {
            const auto v = value();
            const auto n = v ? ParseNumber(*v, 10) : std::nullopt;
            ok = n && *n > 0 && *n <= 4000000;
            if (ok) {
                cl.baud = static_cast<std::uint32_t>(*n);
            }
        } else if (arg == "--requests") {
            const auto v = value();
            ok = v.has_value() && !v->empty();
            if (ok) {
                cl.requestsFile = *v;
            }
        } else if (arg == "--companion") {
            cl.options.companionBoard = true;
        } else if (arg == "--rf-switch") {
            cl.options.rfSwitch = true;
        } else if (arg == "--firmware") {
            const auto v = value();
            const auto n = v ? ParseNumber(*v, 16) : std::nullopt;
            ok = n && *n <= 0xFFFFFFFFul;
            if (ok) {
                cl.options.firmwareDate = static_cast<std::uint32_t>(*n);
            }
        } else if (arg == "--no-rx1") {
            cl.options.receiverHasBands[0] = false;
        } else if (arg == "--no-rx2") {
            cl.options.receiverHasBands[1] = false;
        } else if (arg == "--serial") {
            const auto v = value();
            ok = v && ParseSerial(*v, cl.options);
        } else if (arg == "--fault") {
            const auto v = value();
            std::string error = "no fault given";
            const auto fault = v ? sim::ParseFault(*v, error) : std::nullopt;
            if (!fault) {
                std::fprintf(stderr, "vx18d-sim: --fault %s: %s\n\n%s", v ? v->c_str() : "",
                             error.c_str(), Usage().c_str());
                exitStatus = 2;
                return std::nullopt;
            }
            cl.faults.push_back(*fault);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "vx18d-sim: bad or incomplete option %s\n\n%s", arg.c_str(),
                         Usage().c_str());
            exitStatus = 2;
            return std::nullopt;
        }
    }
    return cl;
}

// One request a line: its bytes in upper-case hexadecimal, separated by spaces.
bool WriteRequests(const std::string& path,
                   const std::vector<std::vector<std::uint8_t>>& requests) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        return false;
    }
    for (const auto& request : requests) {
        for (std::size_t i = 0; i < request.size(); ++i) {
            std::fprintf(file, i ? " %02X" : "%02X", request[i]);
        }
        std::fputc('\n', file);
    }
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv) {
    int exitStatus = 0;
    std::optional<CommandLine> cl = Parse(argc, argv, exitStatus);
    if (!cl) {
        return exitStatus;
    }
    if (cl->portsDir.empty()) {
        cl->portsDir = plat::PortsDir();
    }
    if (!plat::EnsureDirectory(cl->portsDir)) {
        std::fprintf(stderr, "vx18d-sim: cannot create the ports folder %s\n",
                     cl->portsDir.c_str());
        return 1;
    }

    // Signals are taken by sigwait below; the service thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::SimulatedUnit unit(cl->options);
    unit.SetBaudRate(cl->baud);
    for (const sim::FaultSpec& fault : cl->faults) {
        sim::ArmFault(unit, fault);
    }
    if (!unit.Start(cl->portsDir, cl->port)) {
        std::fprintf(stderr, "vx18d-sim: %s\n", unit.LastError().c_str());
        return 1;
    }
    std::printf("%s -> %s\n", unit.LinkPath().c_str(), unit.SlavePath().c_str());
    std::printf("port %s on %s; stop with Ctrl+C\n", cl->port.c_str(), unit.SlavePath().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    unit.Stop();
    std::printf("stopped, %zu exchanges\n", unit.ExchangeCount());
    if (!cl->requestsFile.empty() && !WriteRequests(cl->requestsFile, unit.Requests())) {
        std::fprintf(stderr, "vx18d-sim: cannot write %s\n", cl->requestsFile.c_str());
        return 1;
    }
    return 0;
}
