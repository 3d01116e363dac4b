// vx18dctl on a simulated unit: an isolated configuration with the simulator
// linked as COM7, and the program run either in the test process (its
// output captured) or as a child process (for Ctrl-C).
#pragma once

#include "sim/SimulatedUnit.h"
#include "support/ChildProcess.h"
#include "support/ExpectedTraffic.h"
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace vxtest {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
    int programmingSeconds = 0;  // seconds of the firmware programming wait that passed
    nlohmann::json Json() const; // the last line of out, parsed
};

class CliSession {
public:
    explicit CliSession(sim::UnitOptions options = {});
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Runs "vx18dctl --port COM7 --baud 921600 ARGS..." in the test process.
    // Each run finds the configuration cache empty, as on a computer that
    // never ran vx18dctl, unless the session keeps it.
    CliResult Run(const std::vector<std::string>& args);
    // Runs "vx18dctl ARGS..." without the port options.
    CliResult RunPlain(const std::vector<std::string>& args);

    // Runs from now on find the configuration cache as the runs before left it.
    void KeepCache() { m_keepCache = true; }

    sim::SimulatedUnit& Unit() { return m_unit; }
    traffic::Sequence Requests() const { return m_unit.Requests(); }
    const IsolatedConfig& Config() const { return m_config; }
    std::string File(const std::string& name) const { return m_config.Path() + "/" + name; }

private:
    IsolatedConfig m_config;
    sim::SimulatedUnit m_unit;
    bool m_keepCache = false;
};

// The default simulated unit with the signals steered so that no status
// cycle asks for the AM counter.
void QuietAmCounters(sim::SimulatedUnit& unit);

// A child process running the built vx18dctl with stdout and stderr in files.
class CliProcess : public ChildProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::string& outputDir,
               const std::string& tag = "child")
        : ChildProcess(VX18DCTL_PATH, args, outputDir, tag) {}
};

std::vector<std::string> Lines(const std::string& text);

// The text output has a line "NAME   VALUE" (name and value apart by blanks).
bool HasRow(const std::string& out, const std::string& name, const std::string& value);

} // namespace vxtest
