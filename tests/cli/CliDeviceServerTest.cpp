// vx18dctl --port with the address of a serial device server: ser2net in
// front of the simulated unit, reached with RFC 2217 and as raw TCP; a
// malformed address is a usage error before anything is opened, an address
// that cannot be reached a port that could not be opened.
#include "cli/CliTestSupport.h"
#include "support/Ser2net.h"

#include <gtest/gtest.h>

using namespace vxtest;

TEST(CliDeviceServer, PortTakesAServersAddress) {
    if (!Ser2net::Installed())
        GTEST_SKIP() << Ser2net::SkipReason();
    for (const bool rfc2217 : {true, false}) {
        CliSession session;
        Ser2net server({.rfc2217 = rfc2217});
        ASSERT_TRUE(server.Start(session.Unit().SlavePath())) << server.Log();
        const std::string address = server.Address();

        const CliResult ping = session.RunPlain({"--port", address, "--baud", "115200", "ping"});
        EXPECT_EQ(ping.status, 0) << ping.err;
        EXPECT_EQ(ping.out, address + ": online\n");
        // The rate reaches the pseudo-terminal only where the server is told it.
        EXPECT_EQ(session.Unit().PacingRate(), rfc2217 ? 115200u : 57600u) << address;

        const CliResult info = session.RunPlain({"--port", address, "--json", "info"});
        EXPECT_EQ(info.status, 0) << info.err;
        EXPECT_EQ(info.Json()["serial_number"], "0012-ABCD") << address;
    }
}

TEST(CliDeviceServer, MalformedAddressEndsWithStatus2BeforeAnythingOpens) {
    CliSession session;
    const std::pair<const char*, const char*> cases[] = {
        {"rfc2217://127.0.0.1", "no port"},
        {"tcp://127.0.0.1:0", "port 0 is outside 1 to 65535"},
        {"tcp://127.0.0.1:70000", "port 70000 is outside 1 to 65535"},
        {"telnet://127.0.0.1:23", "unknown scheme \"telnet\""},
        {"rfc2217://:4001", "no host"},
    };
    for (const auto& [value, reason] : cases) {
        const CliResult result = session.RunPlain({"--port", value, "ping"});
        EXPECT_EQ(result.status, 2) << value;
        EXPECT_NE(result.err.find("--port \"" + std::string(value) + "\": " + reason +
                                  ". Accepted: rfc2217://HOST:PORT or tcp://HOST:PORT"),
                  std::string::npos)
            << result.err;
    }
    EXPECT_TRUE(session.Requests().empty());
    EXPECT_FALSE(session.Unit().PortOpen());
}

TEST(CliDeviceServer, UnreachableAddressEndsWithStatus3) {
    CliSession session;
    const std::string refused = "rfc2217://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    const CliResult noServer = session.RunPlain({"--port", refused, "--json", "ping"});
    EXPECT_EQ(noServer.status, 3);
    EXPECT_EQ(noServer.Json()["exit_status"], 3);
    EXPECT_NE(noServer.err.find("cannot open " + refused + ": DEVICE (" + refused +
                                "): connection refused"),
              std::string::npos)
        << noServer.err;

    const CliResult unknown = session.RunPlain({"--port", "tcp://rack3-ts.invalid:4001", "ping"});
    EXPECT_EQ(unknown.status, 3);
    EXPECT_NE(unknown.err.find("unknown host \"rack3-ts.invalid\""), std::string::npos)
        << unknown.err;
}
