// The unit server's metrics on the simulated unit:
//
// - the duration of a scrape (the status poll read through the exchange
//   queue), and of the first one, which reads the calibration, against the
//   line time of the bytes each exchanged;
// - the status poll rate a window on the server keeps (the window's status
//   cycle through the program's RFC 2217 port, at the window's highest rate
//   of 10 a second and as fast as replies come) with no scrapes and while
//   Debian's Prometheus scrapes the server every second, with the longest
//   status cycle seen.
//
// Usage: vx18d-bench-metrics [seconds-per-run]   (default 10)
#include "BenchSupport.h"
#include "platform/Clock.h"
#include "server/MetricsEndpoint.h"
#include "support/PrometheusInstance.h"
#include "support/Ser2net.h"
#include "support/ServerHarness.h"
#include "unit/Readouts.h"
#include "unit/StatusPoll.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr int kScrapes = 20;
constexpr unsigned kWindowRate = 10; // the window's highest status rate, per second

struct ScrapeTimes {
    double firstSeconds = 0;
    std::uint64_t firstBytes = 0;
    vxbench::Timing later;
    std::uint64_t laterBytes = 0; // per scrape
};

ScrapeTimes TimeScrapes(vxtest::ServerHarness& server) {
    vx::server::UnitCollector collector(server.Server().Exchanges(), 1000ms, [] { return 0; });
    ScrapeTimes times;
    server.Unit().ClearRequests();
    const auto start = plat::TickUs();
    collector.Collect();
    times.firstSeconds = static_cast<double>(plat::TickUs() - start) / 1e6;
    times.firstBytes = vxbench::ExchangeLineBytes(server.Unit().Requests());
    server.Unit().ClearRequests();
    times.later = vxbench::TimeRuns(kScrapes, [&] { return !collector.Collect().empty(); });
    times.laterBytes = vxbench::ExchangeLineBytes(server.Unit().Requests()) / (kScrapes + 1);
    return times;
}

struct PollRate {
    double perSecond = 0;
    double longestSeconds = 0;
    int failed = 0;
};

// The window's status cycle on comm for seconds, paced at rate (0: as fast
// as replies come).
PollRate Polls(vx::CVX18D3_Comm& comm, unsigned rate, double seconds) {
    PollRate result;
    int cycles = 0;
    const auto start = plat::TickUs();
    const auto end = start + static_cast<std::int64_t>(seconds * 1e6);
    auto next = start;
    for (auto now = start; now < end; now = plat::TickUs()) {
        if (rate != 0) {
            if (now < next) {
                std::this_thread::sleep_for(std::chrono::microseconds(next - now));
                continue;
            }
            next += 1'000'000 / rate;
        }
        const auto cycleStart = plat::TickUs();
        if (!vx::StatusCycle(comm).ok)
            ++result.failed;
        ++cycles;
        result.longestSeconds =
            std::max(result.longestSeconds, static_cast<double>(plat::TickUs() - cycleStart) / 1e6);
    }
    result.perSecond = cycles / (static_cast<double>(plat::TickUs() - start) / 1e6);
    return result;
}

void PrintPolls(const char* scrapes, unsigned rate, const PollRate& r) {
    std::printf("%-22s %10s %12.1f %14.2f %7d\n", scrapes,
                rate ? (std::to_string(rate) + "/s").c_str() : "flat out", r.perSecond,
                r.longestSeconds * 1000.0, r.failed);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;

    vxbench::PrintHeader("Scrape of /metrics read through the server's queue (the first reads "
                         "the calibration; ratio = time / line time of its bytes)");
    for (std::uint32_t baud : {57600u, 921600u}) {
        vxtest::ServerSetup setup;
        setup.baud = baud;
        setup.config.unit = vx::server::UnitTimings{};
        vxtest::ServerHarness server(setup);
        if (!server.Ready()) {
            std::printf("%u baud: %s\n", baud, server.Error().c_str());
            return 1;
        }
        const ScrapeTimes t = TimeScrapes(server);
        vxbench::Timing first;
        first.runs = 1;
        first.meanSeconds = first.minSeconds = t.firstSeconds;
        vxbench::PrintRow("first scrape (" + std::to_string(t.firstBytes) + " bytes)", baud, first,
                          vxbench::LineSeconds(t.firstBytes, baud));
        vxbench::PrintRow("scrape (" + std::to_string(t.laterBytes) + " bytes)", baud, t.later,
                          vxbench::LineSeconds(t.laterBytes, baud));
    }

    constexpr std::uint32_t kBaud = 57600;
    std::printf("\nThe window's status cycle through vx18d-server at %u baud, %.0f s each, with "
                "and without Prometheus scraping the server every second\n",
                kBaud, seconds);
    std::unique_ptr<vxtest::PortServer> server;
    vxtest::ServerSetup setup;
    setup.baud = kBaud;
    setup.config.unit = vx::server::UnitTimings{};
    vxtest::SimLink link({}, kBaud, "COM7", vxtest::ThroughServer(server, setup));
    if (!vxbench::LinkReady(link, kBaud))
        return 1;
    vx::CVX18D3_Comm& comm = link.Comm();
    vx::StartUpReadout(comm);
    vx::TuningReadback(comm);

    vx::server::ExchangeMetrics exchanges;
    vx::server::MetricsEndpoint endpoint(
        std::make_shared<vx::server::UnitCollector>(server->Server().Exchanges(), 1000ms,
                                                    [&] { return server->Server().ClientCount(); }),
        exchanges);
    std::string error;
    if (!endpoint.Listen({"127.0.0.1", vxtest::FreeLoopbackPort()}, error)) {
        std::printf("%s\n", error.c_str());
        return 1;
    }
    std::printf("%-22s %10s %12s %14s %7s\n", "scrapes", "asked", "cycles/s", "longest (ms)",
                "failed");
    for (unsigned rate : {kWindowRate, 0u})
        PrintPolls("none", rate, Polls(comm, rate, seconds));
    vxtest::PrometheusInstance prometheus(endpoint.Port());
    if (!prometheus.WaitReady(30000) ||
        !vxtest::WaitFor([&] { return prometheus.Value("vx18d_up") == 1.0; }, 15000)) {
        std::printf("Prometheus did not start scraping:\n%s\n", prometheus.Log().c_str());
        return 1;
    }
    for (unsigned rate : {kWindowRate, 0u})
        PrintPolls("Prometheus every 1 s", rate, Polls(comm, rate, seconds));
    const auto scrape = prometheus.Value("vx18d_scrape_duration_seconds");
    if (scrape)
        std::printf("(last scrape while polling: %.1f ms)\n", *scrape * 1000.0);
    return 0;
}
