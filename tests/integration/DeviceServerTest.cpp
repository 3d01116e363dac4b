// The serial port and the protocol object on a port behind a serial device
// server: Debian's ser2net in front of the simulated unit's pseudo-terminal,
// reached once with RFC 2217 and once as raw TCP. The exchanges of the
// program (link test, start-up read-out, firmware transfer, status polls)
// run through it unchanged; line settings reach the pseudo-terminal; and
// every failure of the network (server gone, nothing listening, unknown
// host, no answer) ends in a failed call within its bound, never a hang.
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/SerialDevice.h"
#include "platform/linux/NetworkDevice.h"
#include "sim/FactoryTables.h"
#include "support/Ser2net.h"
#include "support/SimLink.h"
#include "unit/FirmwareLoader.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using vxtest::Ser2net;
using vxtest::SimLink;

namespace {

// Tolerance of any test that looks at time (sleeps overshoot on these machines).
constexpr std::int64_t kSlackMs = 300;

enum class Mode { Rfc2217, Raw };

std::string ModeName(const ::testing::TestParamInfo<Mode>& info) {
    return info.param == Mode::Rfc2217 ? "Rfc2217" : "RawTcp";
}

// The simulated unit behind ser2net, its port opened as start-up opens it (COM9).
class ThroughServer : public ::testing::TestWithParam<Mode> {
protected:
    void SetUp() override {
        if (!Ser2net::Installed())
            GTEST_SKIP() << Ser2net::SkipReason();
        server = std::make_unique<Ser2net>(Ser2net::Options{GetParam() == Mode::Rfc2217});
        link = std::make_unique<SimLink>(sim::UnitOptions{}, 57600, "SIM", server->RouteAs());
        ASSERT_TRUE(link->Ready()) << server->Log() << debug.Text();
        link->Comm().m_nTimeout = 1000;
    }
    void TearDown() override {
        link.reset();
        server.reset();
    }

    sim::SimulatedUnit& Unit() { return link->Unit(); }
    vx::CVX18D3_Comm& Comm() { return link->Comm(); }
    vx::CSerialCom& Port() { return link->Port(); }

    // Closes and opens the port again as the communications page's Test does.
    bool Reopen() {
        Port().Close();
        return Port().Open() && Port().ApplySettings() && Port().SetTimeouts(0, 200, 0, 0, 0);
    }

    plat::DebugCapture debug;
    std::unique_ptr<Ser2net> server;
    std::unique_ptr<SimLink> link;
};

// An image whose blocks are full of what telnet must escape or could
// translate: 0xFF alone and in runs, IAC command sequences, CR NUL, CR LF.
std::vector<std::uint8_t> AwkwardImage(std::size_t size) {
    static const std::uint8_t kPattern[] = {0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFA, 0x2C, 0x01,
                                            0xFF, 0xFB, 0x00, 0x0D, 0x00, 0x0D, 0x0A, 0x27};
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i)
        image[i] = i % 3 == 2 ? static_cast<std::uint8_t>(i * 7) : kPattern[i % sizeof kPattern];
    return image;
}

vx::FirmwareLoader::Timing NoProgrammingWait() {
    return {[](std::uint32_t) {}, [] { return plat::TickMs(); }};
}

} // namespace

TEST_P(ThroughServer, LinkTestAndStartUpReadOut) {
    EXPECT_TRUE(Comm().Ping(0));
    EXPECT_NE(Comm().m_nLastResult, 0u);
    Unit().ClearRequests();
    Comm().ReadDeviceConfiguration(0);
    EXPECT_NE(Comm().m_nLastResult, 0u);
    EXPECT_EQ(Unit().Requests().size(), 254u);
    for (int r = 0; r < 2; ++r) {
        for (int b = 0; b < 4; ++b)
            EXPECT_EQ(Comm().m_nBandHigh[r][b], sim::kFactoryBands[r][b].highMHz * 1'000'000ull);
        for (int i = 0; i < 32; ++i)
            EXPECT_EQ(Comm().m_wAmFilterValue[r][i], sim::kAmFilterHz[i]);
    }
    EXPECT_EQ(Comm().GetSerialNumberText(0), "0012-ABCD");
    EXPECT_EQ(Comm().m_dwFirmwareDate, 0x20180309u);
    EXPECT_EQ(Comm().m_nBootBaudRate, 57600u);
}

TEST_P(ThroughServer, FirmwareBlocksFullOf0xFFArriveExactly) {
    const std::vector<std::uint8_t> image = AwkwardImage(10 * vx::kFirmwareBlockSize + 37);
    vxtest::TempDir dir;
    std::ofstream(dir.File("dsp.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    std::atomic<bool> cancel{false};
    vx::FirmwareLoader loader(Comm(), NoProgrammingWait());
    const vx::FirmwareLoadOutcome outcome = loader.Load(dir.File("dsp.bin"), {}, cancel);
    EXPECT_TRUE(outcome.Succeeded()) << debug.Text();
    EXPECT_EQ(outcome.blocksSent, 11u);
    const auto committed =
        Unit().WithModel([](sim::UnitModel& m) { return m.LastCommittedImage(); });
    ASSERT_TRUE(committed);
    EXPECT_EQ(committed->bytes, image);
}

TEST_P(ThroughServer, StatusPollsReadTheUnitsValues) {
    for (int poll = 0; poll < 20; ++poll) {
        // Raw words with 0xFF bytes in the reply.
        const auto rssi = static_cast<vx::WORD>(0x0FF + 0x100 * (poll % 8));
        Unit().WithModel([&](sim::UnitModel& m) {
            m.ForceRawRssi(0, rssi);
            m.ForceRawRssi(1, 0x7FF);
            m.ForceFmDeviation(1, static_cast<std::uint8_t>(poll));
        });
        vx::StatusReading status;
        ASSERT_TRUE(Comm().GetReceiverStatus(status, 0)) << "poll " << poll;
        EXPECT_EQ(status.receiver[0].rawRssi, rssi);
        EXPECT_EQ(status.receiver[1].rawRssi, 0x7FF);
        EXPECT_EQ(status.fmDeviation[1], poll);
    }
}

// A late reply is left behind by its exchange and discarded by the next
// one's purge (at the server too, for RFC 2217): the link stays in step.
TEST_P(ThroughServer, LateReplyIsDiscardedByTheNextExchange) {
    Unit().ArmLateAnswer(1200);
    const std::int64_t start = plat::TickMs();
    EXPECT_FALSE(Comm().Ping(0));
    const std::int64_t silent = plat::TickMs() - start;
    // A silent unit costs the reply time-out, as on a local port.
    EXPECT_GE(silent, 1000);
    EXPECT_LT(silent, 1000 + kSlackMs);
    plat::Sleep(400); // the late reply has come by now
    Unit().WithModel([](sim::UnitModel& m) { m.ForceRawRssi(0, 0x3FF); });
    vx::StatusReading status;
    ASSERT_TRUE(Comm().GetReceiverStatus(status, 0));
    EXPECT_EQ(status.receiver[0].rawRssi, 0x3FF);
    EXPECT_TRUE(Comm().Ping(0));
    EXPECT_NE(Comm().m_nLastResult, 0u);
}

// The server killed while the unit is still answering: the exchange fails as
// on an unplugged adapter, and the port connects again once it is back.
TEST_P(ThroughServer, ServerStoppedMidExchangeIsAnAdapterThatWentAway) {
    Unit().ArmLateAnswer(800);
    std::thread stopper([&] {
        plat::Sleep(200);
        server->Stop();
    });
    const std::int64_t start = plat::TickMs();
    EXPECT_FALSE(Comm().Ping(0));
    stopper.join();
    EXPECT_LT(plat::TickMs() - start, 1000 + kSlackMs);
    EXPECT_TRUE(debug.Contains("COM9 (" + server->Address() +
                               "): the connection to the device server was lost"))
        << debug.Text();
    debug.Clear();
    vx::BYTE byte = 0x27;
    EXPECT_FALSE(Port().Write(&byte, 1));
    EXPECT_TRUE(debug.Contains("::WriteFile() error: 1167\r\n")) << debug.Text();

    // While the server is down the port cannot be opened; once it is back it can.
    Port().Close();
    EXPECT_FALSE(Port().Open());
    EXPECT_TRUE(debug.Contains("connection refused: nothing listens on 127.0.0.1:" +
                               std::to_string(server->Port())))
        << debug.Text();
    ASSERT_TRUE(server->Restart()) << server->Log();
    ASSERT_TRUE(Reopen()) << debug.Text();
    EXPECT_TRUE(Comm().Ping(0));
    EXPECT_NE(Comm().m_nLastResult, 0u);
}

TEST_P(ThroughServer, LineSettingsReachThePseudoTerminalOnlyWithRfc2217) {
    EXPECT_EQ(Unit().PacingRate(), 57600u);
    link->Settings().baudRate = 115200;
    ASSERT_TRUE(Reopen()) << debug.Text();
    if (GetParam() == Mode::Rfc2217) {
        EXPECT_EQ(Unit().PacingRate(), 115200u); // read back on the pseudo-terminal
    } else {
        EXPECT_EQ(Unit().PacingRate(), 57600u); // the server's own setting stays
        EXPECT_TRUE(debug.Contains("COM9 (" + server->Address() +
                                   "): raw TCP port: line settings are accepted here and not "
                                   "sent"))
            << debug.Text();
    }
    EXPECT_TRUE(Comm().Ping(0));
    EXPECT_NE(Comm().m_nLastResult, 0u);
}

INSTANTIATE_TEST_SUITE_P(DeviceServer, ThroughServer, ::testing::Values(Mode::Rfc2217, Mode::Raw),
                         ModeName);

namespace {

// A port linked to an address, and its record, without a unit behind it.
class NetworkPortOpen : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(config.PortsDir()); }

    // Opens COM9 linked to address; returns the time it took, in ms.
    std::int64_t OpenAt(const std::string& address) {
        vxtest::LinkPort(config.PortsDir(), "COM9", address);
        std::strcpy(settings.portName, "COM9");
        settings.baudRate = 57600;
        settings.byteSize = 8;
        const std::int64_t start = plat::TickMs();
        port = std::make_unique<vx::CSerialCom>(&settings);
        opened = port->IsReady() != 0;
        error = plat::GetLastError();
        return plat::TickMs() - start;
    }

    // ser2net in front of a simulated unit of the test's own; false when the
    // test cannot go on (skipped without ser2net, or failed).
    bool Serve(Ser2net::Options options) {
        if (!Ser2net::Installed()) {
            [] { GTEST_SKIP() << Ser2net::SkipReason(); }();
            return false;
        }
        unit = std::make_unique<sim::SimulatedUnit>();
        server = std::make_unique<Ser2net>(options);
        const bool started =
            unit->Start(config.PortsDir(), "SIM") && server->Start(unit->SlavePath());
        EXPECT_TRUE(started) << unit->LastError() << server->Log();
        return started;
    }

    vxtest::IsolatedConfig config;
    plat::DebugCapture debug;
    std::unique_ptr<sim::SimulatedUnit> unit;
    std::unique_ptr<Ser2net> server;
    vx::SerialPortSettings settings;
    std::unique_ptr<vx::CSerialCom> port;
    bool opened = false;
    plat::DWORD error = 0;
};

// A bounded wait took its bound, and not much more.
void ExpectTook(std::int64_t tookMs, std::int64_t boundMs) {
    EXPECT_GE(tookMs, boundMs - 50);
    EXPECT_LT(tookMs, boundMs + kSlackMs);
}

// A listening socket on loopback that accepts nobody: connections to it
// stay in its queue (or, once the queue is full, are never answered).
struct SilentListener {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::uint16_t port = 0;
    std::vector<int> fillers;

    explicit SilentListener(int backlog) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd, backlog);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    // Fills the accept queue, so that further connection attempts go unanswered.
    void FillQueue() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        for (int i = 0; i < 3; ++i) {
            fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
            ::connect(fillers.back(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
        plat::Sleep(100);
    }
    bool Accepted() const {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }
    ~SilentListener() {
        for (int filler : fillers)
            ::close(filler);
        ::close(fd);
    }
};

} // namespace

TEST_F(NetworkPortOpen, RefusedConnectionFailsAtOnce) {
    const std::uint16_t free = vxtest::FreeLoopbackPort();
    EXPECT_LT(OpenAt("rfc2217://127.0.0.1:" + std::to_string(free)), 500);
    EXPECT_FALSE(opened);
    EXPECT_EQ(error, plat::ERROR_CONNECTION_REFUSED);
    EXPECT_TRUE(debug.Contains("COM9 (rfc2217://127.0.0.1:" + std::to_string(free) +
                               "): connection refused: nothing listens on 127.0.0.1:" +
                               std::to_string(free) + ".\r\n::CreateFile() error: 1225\r\n"))
        << debug.Text();
}

TEST_F(NetworkPortOpen, UnknownHostFailsWithinTheLookUpBound) {
    EXPECT_LT(OpenAt("tcp://rack3-ts.invalid:4001"),
              plat::NetworkDevice::kLookupTimeoutMs + kSlackMs);
    EXPECT_FALSE(opened);
    EXPECT_EQ(error, plat::ERROR_BAD_NETPATH);
    EXPECT_TRUE(debug.Contains("COM9 (tcp://rack3-ts.invalid:4001): unknown host "
                               "\"rack3-ts.invalid\""))
        << debug.Text();
}

TEST_F(NetworkPortOpen, MalformedAddressConnectsToNothing) {
    SilentListener listener(4);
    const std::string address = "rfc2217://127.0.0.1:" + std::to_string(listener.port) + "0000";
    EXPECT_LT(OpenAt(address), 100);
    EXPECT_FALSE(opened);
    EXPECT_EQ(error, plat::ERROR_INVALID_NAME);
    EXPECT_TRUE(debug.Contains("COM9: \"" + address + "\": port " + std::to_string(listener.port) +
                               "0000 is outside 1 to 65535. "
                               "Accepted: rfc2217://HOST:PORT or tcp://HOST:PORT"))
        << debug.Text();
    EXPECT_FALSE(listener.Accepted());
}

TEST_F(NetworkPortOpen, ConnectionThatIsNeverAnsweredTimesOut) {
    SilentListener listener(0);
    listener.FillQueue();
    ExpectTook(OpenAt("tcp://127.0.0.1:" + std::to_string(listener.port)), 3000);
    EXPECT_FALSE(opened);
    EXPECT_EQ(error, plat::ERROR_SEM_TIMEOUT);
    EXPECT_TRUE(debug.Contains("no connection to 127.0.0.1:" + std::to_string(listener.port) +
                               " within 3000 ms"))
        << debug.Text();
}

// A telnet client on a raw port: the server passes the negotiation on to the
// line as data and never answers it.
TEST_F(NetworkPortOpen, ServerThatNeverAgreesToTheOptionFailsTheOpen) {
    if (!Serve({.rfc2217 = false}))
        return;
    const std::string hostPort = "127.0.0.1:" + std::to_string(server->Port());
    ExpectTook(OpenAt("rfc2217://" + hostPort), 2000);
    EXPECT_FALSE(opened);
    EXPECT_EQ(error, plat::ERROR_SEM_TIMEOUT);
    EXPECT_TRUE(debug.Contains("the device server did not agree to the COM-PORT-OPTION (RFC "
                               "2217) within 2000 ms; a raw TCP port is reached as tcp://" +
                               hostPort))
        << debug.Text();
}

// ser2net leaves SET-STOPSIZE 1.5 unanswered: the setting fails within its
// bound and the port is closed as for a setting a local line refuses.
TEST_F(NetworkPortOpen, LineSettingTheServerDoesNotAnswerFailsWithinItsBound) {
    if (!Serve({}))
        return;
    OpenAt(server->Address());
    ASSERT_TRUE(opened) << debug.Text();
    const std::int64_t start = plat::TickMs();
    EXPECT_FALSE(port->Configure(57600, 5, plat::NOPARITY, plat::ONE5STOPBITS));
    ExpectTook(plat::TickMs() - start, 2000);
    EXPECT_TRUE(debug.Contains("the device server did not answer SET-STOPSIZE 1.5 stop bits "
                               "within 2000 ms.\r\n::SetCommState() error: 121\r\n"))
        << debug.Text();
    EXPECT_EQ(port->Device(), 0);
}
