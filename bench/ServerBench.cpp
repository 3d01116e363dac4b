// The unit server's cost and throughput on the simulated unit: the round
// trip of a short command made by the protocol object through the server
// (the program's RFC 2217 port on loopback) against the same command made
// on the unit's port directly, and the exchanges per second that 1, 2, 4 and
// 8 clients polling the status at once get through it, against the line's
// limit (one status exchange, 6 + 15 bytes, after another).
//
// Usage: vx18d-bench-server [seconds-per-run]   (default 5)
#include "BenchSupport.h"
#include "platform/Clock.h"
#include "support/ServerHarness.h"
#include "support/SimLink.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int kRoundTrips = 200;
constexpr std::size_t kShortReplyLength = 10;
constexpr std::size_t kStatusReplyLength = 15;
constexpr std::uint64_t kStatusExchangeBytes = 6 + 15;

vxtest::Bytes AmCounterQuery() {
    return {0x27, 0x00, 0x01, 0x10, 0x04, 0x00, 0x38, 0x00, 0x00, 0x00};
}

// Short commands through the protocol object on a link to the simulated unit.
vxbench::Timing RoundTrips(vxtest::SimLink& link, std::uint32_t baud, bool& ready) {
    ready = vxbench::LinkReady(link, baud);
    if (!ready)
        return {};
    return vxbench::TimeRuns(kRoundTrips, [&] {
        vxtest::Bytes request = AmCounterQuery();
        vx::BYTE reply[10] = {};
        return link.Comm().Transact(request.data(), 4, reply, 4, 0) != 0;
    });
}

struct Throughput {
    double perSecond = 0;
    int failures = 0;
};

// clients poll the status as fast as their replies come, for seconds.
Throughput Polling(vxtest::ServerHarness& server, int clients, double seconds) {
    std::atomic<int> answered{0};
    std::atomic<int> failed{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&] {
            auto client = server.Connect();
            const vxtest::Bytes status{0x27, 0x00, 0x00, 0x20, 0x00, 0x00};
            while (!stop) {
                if (client->Exchange(status, kStatusReplyLength, 2000))
                    ++answered;
                else
                    ++failed;
            }
        });
    }
    const auto start = plat::TickUs();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (std::thread& t : threads)
        t.join();
    const double elapsed = static_cast<double>(plat::TickUs() - start) / 1e6;
    return {answered / elapsed, failed.load()};
}

// The server on the simulated unit with the program's own time-outs.
std::unique_ptr<vxtest::ServerHarness> ServerAt(std::uint32_t baud) {
    vxtest::ServerSetup setup;
    setup.baud = baud;
    setup.config.unit = vx::server::UnitTimings{};
    auto server = std::make_unique<vxtest::ServerHarness>(setup);
    if (server->Ready())
        return server;
    std::printf("%u baud: %s\n", baud, server->Error().c_str());
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;

    vxbench::PrintHeader("Short command (10 + 10 bytes) through CVX18D3_Comm: on the unit's "
                         "port, and through vx18d-server on loopback (ratio = mean / line time)");
    for (std::uint32_t baud : {57600u, 921600u}) {
        bool ready = false;
        vxbench::Timing direct;
        {
            vxtest::SimLink link({}, baud);
            direct = RoundTrips(link, baud, ready);
        }
        if (!ready)
            return 1;
        vxbench::PrintRow("direct", baud, direct, vxbench::LineSeconds(20, baud));

        std::unique_ptr<vxtest::PortServer> server;
        vxtest::ServerSetup setup;
        setup.baud = baud;
        setup.config.unit = vx::server::UnitTimings{};
        vxtest::SimLink link({}, baud, "COM7", vxtest::ThroughServer(server, setup));
        const vxbench::Timing through = RoundTrips(link, baud, ready);
        if (!ready)
            return 1;
        vxbench::PrintRow("through the server", baud, through, vxbench::LineSeconds(20, baud));
        std::printf("  at %u baud through the server / direct: %.2f (%+.3f ms)\n", baud,
                    through.meanSeconds / direct.meanSeconds,
                    (through.meanSeconds - direct.meanSeconds) * 1000.0);
    }

    std::printf("\nStatus polls through vx18d-server, every client (an RFC 2217 test client) "
                "polling as fast as its replies come, %.0f s each\n(limit = one 6 + 15 byte "
                "exchange after another "
                "on the line)\n",
                seconds);
    std::printf("%8s %8s %14s %14s %7s %s\n", "baud", "clients", "exchanges/s", "limit/s", "ratio",
                "failed");
    for (std::uint32_t baud : {57600u, 921600u}) {
        auto server = ServerAt(baud);
        if (!server)
            return 1;
        const double limit = 1.0 / vxbench::LineSeconds(kStatusExchangeBytes, baud);
        for (int clients : {1, 2, 4, 8}) {
            const Throughput t = Polling(*server, clients, seconds);
            std::printf("%8u %8d %14.1f %14.1f %7.2f %d\n", baud, clients, t.perSecond, limit,
                        t.perSecond / limit, t.failures);
            std::fflush(stdout);
        }
    }
    return 0;
}
