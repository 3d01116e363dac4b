// vx18dctl status --count 1 against the simulated unit at 57600 baud, as a
// script starts it: cold (no configuration cache, the whole start-up
// read-out) and with the unit's fixed tables in the cache. Per run: wall time
// from start to exit, the exchanges on the line and their line time.
//
// The simulated unit answers in this process; vx18dctl runs as a child
// process.
//
// Usage: vx18d-bench-cli-cache [runs, default 5]
#include "BenchSupport.h"
#include "platform/Clock.h"
#include "sim/SimulatedUnit.h"
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kBaud = 57600;

struct Run {
    int exitStatus = -1;
    double seconds = 0;
    std::size_t exchanges = 0;
    double lineSeconds = 0;
};

Run StatusOnce(sim::SimulatedUnit& unit, const std::string& outputDir) {
    unit.ClearRequests();
    Run run;
    const std::int64_t start = plat::TickMs();
    vxtest::ChildProcess ctl(
        VX18DCTL_PATH,
        {"--port", "COM7", "--baud", std::to_string(kBaud), "--json", "status", "--count", "1"},
        outputDir, "status");
    run.exitStatus = ctl.Wait(60000);
    run.seconds = (plat::TickMs() - start) / 1000.0;
    const auto requests = unit.Requests();
    run.exchanges = requests.size();
    run.lineSeconds = vxbench::LineSeconds(vxbench::ExchangeLineBytes(requests), kBaud);
    return run;
}

void Print(const char* name, const std::vector<Run>& runs) {
    double total = 0;
    double best = runs.front().seconds;
    int failed = 0;
    for (const Run& run : runs) {
        total += run.seconds;
        best = std::min(best, run.seconds);
        failed += run.exitStatus != 0;
    }
    std::printf("  %-12s %4zu exchanges  %7.1f ms line time  %7.1f ms mean, %7.1f ms best  "
                "(%d of %zu runs failed)\n",
                name, runs.front().exchanges, runs.front().lineSeconds * 1000.0,
                total * 1000.0 / runs.size(), best * 1000.0, failed, runs.size());
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    if (runs < 1) {
        std::fprintf(stderr, "usage: vx18d-bench-cli-cache [runs]\n");
        return 2;
    }
    vxtest::IsolatedConfig config;
    sim::SimulatedUnit unit;
    if (!vxbench::StartUnit(unit, config))
        return 1;

    std::vector<Run> cold;
    std::vector<Run> cached;
    for (int i = 0; i < runs; ++i) {
        std::filesystem::remove_all(config.CacheDir());
        cold.push_back(StatusOnce(unit, config.Path()));
        cached.push_back(StatusOnce(unit, config.Path())); // the cold run left the cache
    }
    unit.Stop();

    std::printf("vx18dctl status --count 1, %u baud (simulated unit), %d runs each\n", kBaud, runs);
    Print("cold", cold);
    Print("cached", cached);
    return 0;
}
