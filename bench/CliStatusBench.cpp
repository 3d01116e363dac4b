// vx18dctl status --watch against the simulated unit at 57600 baud: the
// samples per second achieved against the chosen rate, and the processor
// time vx18dctl spends per sample (its own process, measured by the kernel,
// start-up read-out included).
//
// The simulated unit answers in this process; vx18dctl runs as a child
// process as a script would start it, and stops on Ctrl-C (SIGINT).
//
// Usage: vx18d-bench-cli-status [seconds, default 30] [rate, default 10]
#include "BenchSupport.h"
#include "platform/Clock.h"
#include "sim/SimulatedUnit.h"
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kBaud = 57600;

// Seconds since midnight of an ISO time "YYYY-MM-DDTHH:MM:SS.mmmZ".
double SecondsOfDay(const std::string& iso) {
    return std::stoi(iso.substr(11, 2)) * 3600.0 + std::stoi(iso.substr(14, 2)) * 60.0 +
           std::stod(iso.substr(17, 6));
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const int rate = argc > 2 ? std::atoi(argv[2]) : 10;
    if (seconds <= 0 || rate < 1 || rate > 10) {
        std::fprintf(stderr, "usage: vx18d-bench-cli-status [seconds] [rate 1-10]\n");
        return 2;
    }

    vxtest::IsolatedConfig config;
    sim::SimulatedUnit unit;
    if (!vxbench::StartUnit(unit, config))
        return 1;

    vxtest::ChildProcess ctl(VX18DCTL_PATH,
                             {"--port", "COM7", "--baud", std::to_string(kBaud), "--json", "status",
                              "--watch", "--rate", std::to_string(rate)},
                             config.Path(), "status");
    if (!ctl.Started()) {
        std::fprintf(stderr, "cannot start %s\n", VX18DCTL_PATH);
        return 1;
    }

    plat::Sleep(static_cast<std::uint32_t>(seconds) * 1000u);
    ctl.Interrupt();
    const int exitStatus = ctl.Wait(30000);
    unit.Stop();

    std::vector<double> times;
    int failed = 0;
    std::istringstream in(ctl.Out());
    for (std::string line; std::getline(in, line);) {
        const auto sample = nlohmann::json::parse(line);
        times.push_back(SecondsOfDay(sample["time"].get<std::string>()));
        if (!sample["ok"].get<bool>())
            ++failed;
    }
    if (times.size() < 2) {
        std::fprintf(stderr, "vx18dctl gave %zu samples (exit status %d)\n", times.size(),
                     exitStatus);
        return 1;
    }
    const double span = times.back() - times.front();
    const double achieved = (times.size() - 1) / span;
    const double cpu = ctl.ProcessorSeconds();
    // One status cycle on the line: the poll (6 + 15 bytes); the AM counter
    // of receiver 1 (10 + 10) on the simulator's strong AM carrier.
    const double lineSeconds = vxbench::LineSeconds(6 + 15 + 10 + 10, kBaud);

    std::printf("vx18dctl status --watch --rate %d, %d s, %u baud (simulated unit)\n", rate,
                seconds, kBaud);
    std::printf("  samples                 %zu (%d without an answer), exit status %d\n",
                times.size(), failed, exitStatus);
    std::printf("  achieved rate           %.3f samples/s, %.4f of the chosen %d/s\n", achieved,
                achieved / rate, rate);
    std::printf("  line time per cycle     %.2f ms of the %.1f ms slot (%.3f)\n",
                lineSeconds * 1000.0, 1000.0 / rate, lineSeconds * rate);
    std::printf("  processor time          %.3f s in all, %.3f ms per sample, %.2f %% of a core\n",
                cpu, cpu * 1000.0 / times.size(), cpu * 100.0 / seconds);
    return 0;
}
