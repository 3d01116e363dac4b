#include "cli/CliTestSupport.h"

#include "cli/Commands.h"
#include "cli/StopSignal.h"
#include "support/TestSupport.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>

namespace vxtest {

nlohmann::json CliResult::Json() const {
    const std::vector<std::string> lines = Lines(out);
    return lines.empty() ? nlohmann::json() : nlohmann::json::parse(lines.back());
}

CliSession::CliSession(sim::UnitOptions options) : m_unit(options) {
    m_unit.Start(m_config.PortsDir(), "COM7");
}

CliSession::~CliSession() {
    m_unit.Stop();
}

CliResult CliSession::Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--port", "COM7", "--baud", "921600"};
    all.insert(all.end(), args.begin(), args.end());
    return RunPlain(all);
}

CliResult CliSession::RunPlain(const std::vector<std::string>& args) {
    if (!m_keepCache)
        std::filesystem::remove_all(m_config.CacheDir());
    std::vector<const char*> argv{"vx18dctl"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    vx::cli::Console console{out, err, false, {}};
    std::uint64_t programmingMs = 0;
    console.firmwareTiming.sleep = [&programmingMs](std::uint32_t ms) { programmingMs += ms; };
    vx::cli::StopFlag() = false;
    result.status = vx::cli::Run(static_cast<int>(argv.size()), argv.data(), console);
    result.out = out.str();
    result.err = err.str();
    result.programmingSeconds = static_cast<int>(programmingMs / 1000);
    return result;
}

void QuietAmCounters(sim::SimulatedUnit& unit) {
    unit.WithModel([](sim::UnitModel& model) {
        model.ForceAmIndex(0, 5);
        model.ForceAmIndex(1, 5);
    });
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

bool HasRow(const std::string& out, const std::string& name, const std::string& value) {
    for (const std::string& line : Lines(out)) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos || line.compare(start, name.size(), name) != 0)
            continue;
        const std::size_t at = line.find_first_not_of(' ', start + name.size());
        if (at != start + name.size() && at != std::string::npos && line.substr(at) == value)
            return true;
    }
    return false;
}

} // namespace vxtest
