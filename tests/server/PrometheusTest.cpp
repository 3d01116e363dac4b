// Debian's Prometheus scraping the built vx18d-server in front of the
// simulated unit every second: what it stores is what vx18dctl status and
// get show through the same server, a retune shows in the next scrape, and a
// silent unit leaves vx18d_up 0 and no readings.
#include "ServerTestSupport.h"

#include "support/ChildProcess.h"
#include "support/PrometheusInstance.h"
#include "support/Ser2net.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>

using namespace vxtest;

namespace {

// vx18dctl through the server; its JSON lines.
std::vector<nlohmann::json> Vx18dctl(const std::string& dir, std::uint16_t serverPort,
                                     const std::vector<std::string>& command) {
    std::vector<std::string> args{"--port", "rfc2217://127.0.0.1:" + std::to_string(serverPort),
                                  "--baud", "921600",
                                  "--json", "--no-cache"};
    args.insert(args.end(), command.begin(), command.end());
    ChildProcess ctl(VX18DCTL_PATH, args, dir, "vx18dctl");
    EXPECT_EQ(ctl.Wait(20000), 0) << ctl.Err();
    return JsonLines(ctl.Out());
}

// Waits until Prometheus holds this value for the query.
bool Holds(PrometheusInstance& prometheus, const std::string& query, const std::string& receiver,
           double value, int timeoutMs) {
    return WaitFor(
        [&] {
            const auto stored = prometheus.Value(query, receiver);
            return stored && std::abs(*stored - value) < 1e-6;
        },
        timeoutMs);
}

} // namespace

TEST(ServerPrometheus, PrometheusStoresWhatVx18dctlShowsAndFollowsTheUnit) {
    IsolatedConfig config;
    sim::SimulatedUnit unit;
    ASSERT_TRUE(unit.Start(config.PortsDir(), "COM7")) << unit.LastError();
    const std::uint16_t serverPort = FreeLoopbackPort();
    const std::uint16_t metricsPort = FreeLoopbackPort();
    ChildProcess server(VX18D_SERVER_PATH,
                        {"--port", "COM7", "--baud", "921600", "--timeout", "300", "--listen",
                         "127.0.0.1:" + std::to_string(serverPort), "--metrics",
                         "127.0.0.1:" + std::to_string(metricsPort)},
                        config.Path(), "server");
    ASSERT_TRUE(WaitFor([&] { return server.Err().find("is open") != std::string::npos; }, 5000))
        << server.Err();
    PrometheusInstance prometheus(metricsPort);
    ASSERT_TRUE(prometheus.WaitReady(30000)) << prometheus.Log();
    ASSERT_TRUE(Holds(prometheus, "vx18d_up", "", 1.0, 15000)) << prometheus.Log();

    // The same signal through vx18dctl: status (RSSI, locks) and get (frequency).
    const auto status = Vx18dctl(config.Path(), serverPort, {"status"});
    ASSERT_EQ(status.size(), 1u);
    ASSERT_EQ(status[0]["receivers"].size(), 2u);
    for (const nlohmann::json& rx : status[0]["receivers"]) {
        const std::string r = std::to_string(rx["receiver"].get<int>());
        const auto rssi = prometheus.Value("vx18d_rssi_dbm", r);
        ASSERT_TRUE(rssi) << "receiver " << r;
        // vx18dctl rounds to a millionth.
        EXPECT_NEAR(*rssi, rx["rssi_dbm"].get<double>(), 1e-6) << "receiver " << r;
        EXPECT_EQ(prometheus.Value("vx18d_lo1_locked", r), rx["lo1_locked"].get<bool>() ? 1 : 0);
        EXPECT_EQ(prometheus.Value("vx18d_lo2_locked", r), rx["lo2_locked"].get<bool>() ? 1 : 0);
        const auto get = Vx18dctl(config.Path(), serverPort, {"get", r});
        ASSERT_EQ(get.size(), 1u);
        EXPECT_EQ(prometheus.Value("vx18d_tuned_frequency_hertz", r),
                  get[0]["frequency_hz"].get<double>());
    }

    // A retune through vx18dctl shows in the next scrape (one interval,
    // and a little for Prometheus to store it).
    Vx18dctl(config.Path(), serverPort, {"set", "2", "freq=2260MHz"});
    const auto retuned = std::chrono::steady_clock::now();
    EXPECT_TRUE(Holds(prometheus, "vx18d_tuned_frequency_hertz", "2", 2'260'000'000.0, 5000));
    EXPECT_LT(std::chrono::steady_clock::now() - retuned, std::chrono::milliseconds(2500));
    const auto after = Vx18dctl(config.Path(), serverPort, {"status"});
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(Holds(prometheus, "vx18d_rssi_dbm", "2",
                      after[0]["receivers"][1]["rssi_dbm"].get<double>(), 3000));

    // A silent unit: vx18d_up 0, and its readings gone from the latest scrape.
    unit.StopAfter(0);
    EXPECT_TRUE(Holds(prometheus, "vx18d_up", "", 0.0, 10000));
    for (const char* reading : {"vx18d_rssi_dbm", "vx18d_lo1_locked", "vx18d_tuned_frequency_hertz",
                                "vx18d_pll_synchronised", "vx18d_info"}) {
        const auto samples = prometheus.Query(reading);
        ASSERT_TRUE(samples) << reading;
        EXPECT_TRUE(samples->empty()) << reading;
    }
    EXPECT_TRUE(prometheus.Value("vx18d_scrape_duration_seconds"));

    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(10000), 0) << server.Err();
}
