// The built vx18d-server as systemd or an operator runs it: its command
// line, its log lines for the journal, and a clean end on SIGTERM in the
// middle of traffic.
#include "ServerTestSupport.h"

#include "server/ServerCommandLine.h"
#include "support/ChildProcess.h"
#include "support/Ser2net.h"
#include "vx18d/Version.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <regex>
#include <sstream>
#include <thread>

using namespace vxtest;

namespace {

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(ServerProcess, SigtermDuringTrafficEndsItCleanly) {
    IsolatedConfig config;
    sim::SimulatedUnit unit;
    ASSERT_TRUE(unit.Start(config.PortsDir(), "COM7")) << unit.LastError();
    const std::uint16_t port = FreeLoopbackPort();
    ChildProcess server(
        VX18D_SERVER_PATH,
        {"--port", "COM7", "--baud", "921600", "--listen", "127.0.0.1:" + std::to_string(port)},
        config.Path(), "server", {"INVOCATION_ID=0123456789abcdef"});
    ASSERT_TRUE(WaitFor([&] { return server.Err().find("is open") != std::string::npos; }, 5000))
        << server.Err();

    std::atomic<int> answered{0};
    std::atomic<int> closed{0};
    std::vector<std::thread> pollers;
    for (int i = 0; i < 2; ++i) {
        pollers.emplace_back([&] {
            Rfc2217TestClient client(port);
            client.WaitNegotiated(2000);
            while (client.Exchange(StatusRequest(), kStatusReplyLength, 2000))
                ++answered;
            closed += client.WaitClosed(2000);
        });
    }
    ASSERT_TRUE(WaitFor([&] { return answered >= 20; }, 5000)) << server.Err();
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(5000), 0) << server.Err();
    for (std::thread& poller : pollers)
        poller.join();
    EXPECT_EQ(closed, 2);
    EXPECT_TRUE(WaitFor([&] { return !unit.PortOpen(); }, 2000));
    EXPECT_TRUE(OnlyWholeRequests(unit.Requests()));

    // For the journal: a level prefix and no time of day on every line.
    const std::vector<std::string> lines = LinesOf(server.Err());
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, std::regex("<[346]>[^0-9].*"))) << line;
    const std::string log = server.Err();
    EXPECT_NE(log.find("<6>stopping on SIGTERM"), std::string::npos) << log;
    EXPECT_NE(log.find("disconnected: the server is stopping"), std::string::npos) << log;
    EXPECT_NE(log.find("<6>COM7 released; stopped"), std::string::npos) << log;
}

TEST(ServerProcess, TheCommandLineTakesListenAddressesAndRefusesMistakes) {
    // The accepted forms of --listen.
    std::string error;
    const auto v4 = vx::server::ParseListenAddress("0.0.0.0:7005", error);
    ASSERT_TRUE(v4);
    EXPECT_EQ(v4->host, "0.0.0.0");
    EXPECT_EQ(v4->port, 7005);
    const auto v6 = vx::server::ParseListenAddress("[::1]:7006", error);
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "::1");
    EXPECT_TRUE(vx::server::IsLoopback(v6->host));
    const auto bare = vx::server::ParseListenAddress("7007", error);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->host, "127.0.0.1");
    EXPECT_FALSE(vx::server::IsLoopback("192.168.1.20"));
    EXPECT_FALSE(vx::server::ParseListenAddress(":7001", error));
    EXPECT_FALSE(vx::server::ParseListenAddress("host:", error));

    TempDir dir;
    {
        ChildProcess version(VX18D_SERVER_PATH, {"--version"}, dir.Path(), "version");
        EXPECT_EQ(version.Wait(5000), 0);
        EXPECT_EQ(version.Out(), std::string("vx18d-server ") + vx::kVersion + "\n");
    }
    const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes{
        {{"--listen", "127.0.0.1:70000"}, "the port must be a number from 1 to 65535"},
        {{"--listen", "fd00::1:7001"}, "give HOST:PORT, [IPV6]:PORT or PORT"},
        {{"--max-clients", "0"}, "--max-clients"},
        {{"--baud", "12345"}, "--baud"},
        {{"--port", "COM1234"}, "a port name has 1 to 6 characters"},
        {{"--metrics", "127.0.0.1:0"}, "--metrics 127.0.0.1:0: the port must be a number"},
        {{"--metrics", "fd00::1:9118"}, "--metrics fd00::1:9118: give HOST:PORT"},
    };
    for (const auto& [args, message] : mistakes) {
        ChildProcess child(VX18D_SERVER_PATH, args, dir.Path(), "mistake");
        EXPECT_EQ(child.Wait(5000), vx::server::kServerExitUsage) << args.back();
        EXPECT_NE(child.Err().find(message), std::string::npos) << child.Err();
    }
}

TEST(ServerProcess, AnAddressInUseEndsItWithTheReason) {
    IsolatedConfig config;
    ServerHarness running;
    ASSERT_TRUE(running.Ready()) << running.Error();
    ChildProcess second(
        VX18D_SERVER_PATH,
        {"--port", "COM8", "--listen", "127.0.0.1:" + std::to_string(running.Port())},
        config.Path(), "second");
    EXPECT_EQ(second.Wait(5000), vx::server::kServerExitCannotListen);
    EXPECT_NE(second.Err().find("cannot listen on 127.0.0.1:"), std::string::npos) << second.Err();

    // The metrics address, too: in use, or not an address of this machine.
    const std::string busy = "127.0.0.1:" + std::to_string(running.Port());
    for (const std::string& address : {busy, std::string("192.0.2.1:9118")}) {
        ChildProcess metrics(VX18D_SERVER_PATH,
                             {"--port", "COM8", "--listen",
                              "127.0.0.1:" + std::to_string(FreeLoopbackPort()), "--metrics",
                              address},
                             config.Path(), "metrics");
        EXPECT_EQ(metrics.Wait(5000), vx::server::kServerExitCannotListen) << address;
        EXPECT_NE(metrics.Err().find("cannot serve metrics on " + address + ": "),
                  std::string::npos)
            << metrics.Err();
    }
}
