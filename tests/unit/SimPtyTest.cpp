// The simulated unit on its pseudo-terminal, seen from the program's side of the line.
#include "sim/FaultOptions.h"
#include "sim/SimulatedUnit.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const Bytes kLinkTest{0x27, 0x00, 0x00, 0x00, 0x00, 0x00};

class SimPty : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("vx18d-sim-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        ASSERT_TRUE(unit_.Start(dir_.string(), "COM7")) << unit_.LastError();
        fd_ = ::open((dir_ / "COM7").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd_, 0);
        termios tio{};
        ASSERT_EQ(::tcgetattr(fd_, &tio), 0);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B921600);
        ASSERT_EQ(::tcsetattr(fd_, TCSANOW, &tio), 0);
    }
    void TearDown() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        unit_.Stop();
        std::filesystem::remove_all(dir_);
    }

    void Send(const Bytes& b) { ASSERT_EQ(::write(fd_, b.data(), b.size()), ssize_t(b.size())); }

    // What arrives until `expect` bytes are in and the line stays quiet for
    // `quiet` (extra bytes are caught), or nothing came for `patience`.
    Bytes Receive(std::size_t expect, std::chrono::milliseconds patience = 1000ms,
                  std::chrono::milliseconds quiet = 30ms) {
        Bytes got;
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            const auto wait = got.size() >= expect ? quiet : patience;
            if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0 || !(p.revents & POLLIN)) {
                return got;
            }
            std::uint8_t buf[64];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) {
                return got;
            }
            got.insert(got.end(), buf, buf + n);
        }
    }

    std::filesystem::path dir_;
    sim::SimulatedUnit unit_;
    int fd_ = -1;
};

TEST_F(SimPty, LinkTestEchoesAndIsRecorded) {
    EXPECT_EQ(unit_.PacingRate(), 921600u);
    Send(kLinkTest);
    EXPECT_EQ(Receive(6), kLinkTest);
    EXPECT_EQ(unit_.Requests(), std::vector<Bytes>{kLinkTest});
    EXPECT_EQ(unit_.ExchangeCount(), 1u);
    EXPECT_EQ(std::filesystem::read_symlink(dir_ / "COM7"), unit_.SlavePath());
}

TEST_F(SimPty, FaultsShapeTheBytesOnTheLine) {
    unit_.ArmNoAnswer();
    Send(kLinkTest);
    EXPECT_TRUE(Receive(0, 150ms, 150ms).empty());

    unit_.ArmSurplusBytes({0x55});
    unit_.ArmWrongHeader();
    Send(kLinkTest);
    EXPECT_EQ(Receive(7), (Bytes{0x27, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x55}));

    unit_.ArmShortReply(5);
    Send(Bytes{0x27, 0x00, 0x00, 0x20, 0x00, 0x00});
    EXPECT_EQ(Receive(10).size(), 10u);

    unit_.ArmLateAnswer(300);
    const auto t0 = Clock::now();
    Send(kLinkTest);
    EXPECT_EQ(Receive(6), kLinkTest);
    EXPECT_GE(Clock::now() - t0, 300ms);

    unit_.StopAfter(1);
    Send(kLinkTest);
    EXPECT_EQ(Receive(6), kLinkTest);
    Send(kLinkTest);
    EXPECT_TRUE(Receive(0, 150ms, 150ms).empty());
    unit_.ClearFaults();
    Send(kLinkTest);
    EXPECT_EQ(Receive(6), kLinkTest);
    EXPECT_EQ(unit_.ExchangeCount(), 7u);
}

TEST_F(SimPty, ReplayAndStallOnTheLine) {
    const Bytes status{0x27, 0x00, 0x00, 0x20, 0x00, 0x00};
    Send(kLinkTest);
    EXPECT_EQ(Receive(6), kLinkTest);

    // The status request gets the link test's reply again.
    unit_.ArmReplay();
    Send(status);
    EXPECT_EQ(Receive(6), kLinkTest);

    // After its reply the unit reads nothing for 400 ms: the next request
    // waits on the line and is answered only then.
    unit_.ArmStall(400);
    Send(kLinkTest);
    EXPECT_EQ(Receive(6), kLinkTest);
    const auto t0 = Clock::now();
    Send(kLinkTest);
    EXPECT_EQ(Receive(6, 2000ms), kLinkTest);
    EXPECT_GE(Clock::now() - t0, 300ms);
    EXPECT_EQ(unit_.Requests().size(), 4u); // nothing was lost meanwhile
}

TEST_F(SimPty, RecurringFaultComesBackEveryNthAnswer) {
    std::string error;
    const auto fault = sim::ParseFault("corrupt:0@3", error);
    ASSERT_TRUE(fault.has_value()) << error;
    sim::ArmFault(unit_, *fault);
    Bytes corrupted = kLinkTest;
    corrupted[0] = 0xD8;
    for (int i = 1; i <= 6; ++i) {
        Send(kLinkTest);
        EXPECT_EQ(Receive(6), i % 3 == 0 ? corrupted : kLinkTest) << i;
    }
}

TEST_F(SimPty, RepliesTakeTheirLineTime) {
    // At 9600 baud a status exchange is 21 bytes on the line: 21.9 ms.
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(fd_, TCSANOW, &tio);
    const auto t0 = Clock::now();
    Send(Bytes{0x27, 0x00, 0x00, 0x20, 0x00, 0x00});
    EXPECT_EQ(Receive(15, 1000ms, 0ms).size(), 15u);
    const auto took = Clock::now() - t0;
    EXPECT_GE(took, 21ms);
    EXPECT_LT(took, 80ms);
}

TEST_F(SimPty, ClosingThePortEndsTheProgramsClaimOnIt) {
    // As on a serial port, the program's exclusive claim and any unread reply
    // end with its last close.
    ASSERT_EQ(::ioctl(fd_, TIOCEXCL), 0);
    Send(kLinkTest);
    while (unit_.ExchangeCount() < 1) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(unit_.PortOpen());
    ::close(fd_);
    const auto deadline = Clock::now() + 1s;
    while (unit_.PortOpen() && Clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_FALSE(unit_.PortOpen());
    std::this_thread::sleep_for(20ms);

    fd_ = ::open((dir_ / "COM7").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd_, 0);
    int exclusive = -1;
    ASSERT_EQ(::ioctl(fd_, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_TRUE(Receive(0, 50ms, 50ms).empty());
}

TEST_F(SimPty, UnplugFailsTheProgramsReadsAndRemovesTheLink) {
    unit_.Unplug();
    EXPECT_FALSE(unit_.Running());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir_ / "COM7")));
    std::uint8_t b = 0;
    const ssize_t n = ::read(fd_, &b, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n << " " << errno;
}

TEST(SimPtyStart, ReportsWhyItCannotStart) {
    sim::SimulatedUnit unit;
    EXPECT_FALSE(unit.Start("/nonexistent/vx18d-ports", "COM7"));
    EXPECT_NE(unit.LastError().find("No such file"), std::string::npos) << unit.LastError();
    EXPECT_FALSE(unit.Running());
}

} // namespace
