// Network addresses as port names: what the parser accepts and refuses (and
// that a refusal names the value and the accepted forms), and how a link in
// the ports folder to an address reaches the probe and the device calls
// without connecting to anything.
#include "platform/NetworkAddress.h"
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/PortNames.h"
#include "platform/PortProbe.h"
#include "platform/SerialDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <unistd.h>
#endif

using plat::NetworkScheme;

TEST(NetworkAddress, AcceptedFormsAndTheirText) {
    struct Case {
        const char* text;
        NetworkScheme scheme;
        const char* host;
        std::uint16_t port;
        const char* normalised;
    };
    const Case cases[] = {
        {"rfc2217://rack3-ts:4001", NetworkScheme::Rfc2217, "rack3-ts", 4001,
         "rfc2217://rack3-ts:4001"},
        {"tcp://10.0.0.7:23", NetworkScheme::RawTcp, "10.0.0.7", 23, "tcp://10.0.0.7:23"},
        {"RFC2217://Rack3-TS.station.example:65535", NetworkScheme::Rfc2217,
         "Rack3-TS.station.example", 65535, "rfc2217://Rack3-TS.station.example:65535"},
        {"tcp://[fd00::17]:4001", NetworkScheme::RawTcp, "fd00::17", 4001, "tcp://[fd00::17]:4001"},
        {"rfc2217://[::1]:1", NetworkScheme::Rfc2217, "::1", 1, "rfc2217://[::1]:1"},
        {"tcp://ts_07:004001", NetworkScheme::RawTcp, "ts_07", 4001, "tcp://ts_07:4001"},
    };
    for (const Case& c : cases) {
        const auto parsed = plat::ParseNetworkAddress(c.text);
        ASSERT_TRUE(parsed.address) << c.text << ": " << parsed.error;
        EXPECT_EQ(parsed.address->scheme, c.scheme) << c.text;
        EXPECT_EQ(parsed.address->host, c.host) << c.text;
        EXPECT_EQ(parsed.address->port, c.port) << c.text;
        EXPECT_EQ(parsed.address->Text(), c.normalised) << c.text;
        EXPECT_TRUE(parsed.error.empty()) << c.text;
    }
}

TEST(NetworkAddress, MalformedAddressesAreRefusedWithTheValueAndTheAcceptedForms) {
    const std::pair<const char*, const char*> cases[] = {
        {"rfc2217://rack3-ts", "no port"},
        {"rfc2217://rack3-ts:", "no port"},
        {"tcp://rack3-ts:0", "port 0 is outside 1 to 65535"},
        {"tcp://rack3-ts:65536", "outside 1 to 65535"},
        {"tcp://rack3-ts:99999999999999999999", "outside 1 to 65535"},
        {"tcp://rack3-ts:40a1", "port \"40a1\" is not a number"},
        {"tcp://rack3-ts:4001/", "is not a number"},
        {"telnet://rack3-ts:23", "unknown scheme \"telnet\""},
        {"tcp://:4001", "no host"},
        {"tcp://", "no host"},
        {"tcp://[]:4001", "no host"},
        {"tcp://fd00::17:4001", "an IPv6 address must be written in brackets"},
        {"tcp://[fd00::17]", "no port"},
        {"tcp://[fd00::17:4001", "has no ]"},
        {"tcp://[fd00::17]4001", "after a colon"},
        {"tcp://[rack3]:4001", "is not an IPv6 address"},
        {"tcp://300.1.2.3:4001", "neither a host name nor an IPv4 address"},
        {"tcp://rack 3:4001", "neither a host name nor an IPv4 address"},
        {"tcp://rack3..ts:4001", "neither a host name nor an IPv4 address"},
        {"tcp://user@rack3:4001", "neither a host name nor an IPv4 address"},
    };
    for (const auto& [text, reason] : cases) {
        const auto parsed = plat::ParseNetworkAddress(text);
        EXPECT_FALSE(parsed.address) << text;
        EXPECT_EQ(parsed.error.rfind("\"" + std::string(text) + "\": ", 0), 0u) << parsed.error;
        EXPECT_NE(parsed.error.find(reason), std::string::npos) << parsed.error;
        EXPECT_NE(parsed.error.find(plat::kNetworkAddressForms), std::string::npos) << text;
    }
}

TEST(NetworkAddress, OnlySchemeSlashSlashIsMeantAsAnAddress) {
    for (const char* text : {"rfc2217://rack3-ts:4001", "tcp://x", "ftp://x", "a+b.c-d://"})
        EXPECT_TRUE(plat::LooksLikeNetworkAddress(text)) << text;
    for (const char* text : {"COM7", "/dev/ttyUSB0", "serial/by-id/usb-FTDI", "://x", "1tcp://x",
                             "tc p://x", "tcp:/x"})
        EXPECT_FALSE(plat::LooksLikeNetworkAddress(text)) << text;
}

#ifndef _WIN32 // links in the ports folder name the ports on Linux
TEST(NetworkPortName, ALinkToAnAddressIsAPortProbedWithoutConnecting) {
    vxtest::IsolatedConfig config;
    std::filesystem::create_directories(config.PortsDir());
    ASSERT_EQ(::symlink("rfc2217://rack3-ts:4001", (config.PortsDir() + "/COM9").c_str()), 0);
    ASSERT_EQ(::symlink("tcp://rack3-ts", (config.PortsDir() + "/COM10").c_str()), 0);

    EXPECT_EQ(plat::ResolvePortName("com9"), "rfc2217://rack3-ts:4001");
    const auto port = plat::ProbeSerialPort("COM9");
    ASSERT_TRUE(port);
    EXPECT_TRUE(port->networkAddress);
    EXPECT_FALSE(port->pseudoTerminal);
    EXPECT_EQ(plat::DescribeForOperator(*port), "rfc2217://rack3-ts:4001 (serial device server)");

    // The communications page lists names whose default configuration it can get.
    plat::COMMCONFIG config9;
    plat::DWORD size = 52;
    ASSERT_TRUE(plat::GetDefaultCommConfig("COM9", &config9, &size));
    EXPECT_EQ(config9.dwProviderSubType, plat::PST_RS232);

    // A malformed address is no port: left out of the list, refused at open.
    EXPECT_FALSE(plat::ProbeSerialPort("COM10"));
    EXPECT_FALSE(plat::GetDefaultCommConfig("COM10", &config9, &size));
    plat::DebugCapture debug;
    EXPECT_EQ(plat::CreateFile("\\\\.\\COM10", plat::GENERIC_READ | plat::GENERIC_WRITE, 0, nullptr,
                               plat::OPEN_EXISTING, 0, 0),
              plat::INVALID_HANDLE_VALUE);
    EXPECT_EQ(plat::GetLastError(), plat::ERROR_INVALID_NAME);
    EXPECT_TRUE(debug.Contains("COM10: \"tcp://rack3-ts\": no port. Accepted: rfc2217://HOST:PORT"))
        << debug.Text();
}
#endif
