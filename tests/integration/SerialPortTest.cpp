// The serial port over a pseudo-terminal: opening, exclusive access, line
// settings, read time-outs, write pacing, input flushing and an adapter that
// goes away while open.
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/SerialDevice.h"
#include "serial/CSerialCom.h"
#include "settings/SettingsTables.h"
#include "support/TestSupport.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace vx;
using vxtest::Bytes;

namespace {

// The far end of a line: a pseudo-terminal master, its slave linked into the
// ports folder under a COM name.
class FarEnd {
public:
    FarEnd(const std::string& portsDir, const std::string& name) {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        termios t{};
        ::tcgetattr(m_master, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_master, TCSANOW, &t);
        m_link = portsDir + "/" + name;
        if (::symlink(::ptsname(m_master), m_link.c_str()) != 0)
            ADD_FAILURE() << "cannot link " << m_link << ": " << std::strerror(errno);
    }
    ~FarEnd() {
        Unplug();
        ::unlink(m_link.c_str());
    }
    void Send(const Bytes& bytes) {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    Bytes Receive(std::size_t count, int timeoutMs = 1000) {
        Bytes out;
        const auto deadline = plat::TickMs() + timeoutMs;
        while (out.size() < count && plat::TickMs() < deadline) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
                std::uint8_t buffer[256];
                ssize_t n = ::read(m_master, buffer, sizeof buffer);
                if (n > 0)
                    out.insert(out.end(), buffer, buffer + n);
            }
        }
        return out;
    }
    void Unplug() {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    std::string m_link;
};

SerialPortSettings Record(const char* name, plat::DWORD baud = 57600) {
    SerialPortSettings settings{};
    std::strncpy(settings.portName, name, 6);
    settings.baudRate = baud;
    settings.byteSize = 8;
    return settings;
}

class SerialPortTest : public ::testing::Test {
protected:
    vxtest::IsolatedConfig config;
    FarEnd far{config.PortsDir(), "COM8"};
    SerialPortSettings settings = Record("COM8");
    plat::DebugCapture debug;

    std::unique_ptr<CSerialCom> OpenReadyPort() {
        auto port = std::make_unique<CSerialCom>(&settings);
        EXPECT_TRUE(port->IsReady());
        EXPECT_TRUE(port->ApplySettings());
        EXPECT_TRUE(port->SetTimeouts(0, 200, 0, 0, 0));
        return port;
    }
};

} // namespace

TEST_F(SerialPortTest, OpensConfiguresAndAnswersItsInterface) {
    auto port = OpenReadyPort();
    EXPECT_EQ(port->Status(), 1);
    EXPECT_EQ(port->GetPortKind(), 1);
    EXPECT_STREQ(port->GetAddress(), "0.0.0.0");
    EXPECT_EQ(port->GetSettings(), &settings);
    EXPECT_EQ(port->ReservedFirst(), 0);
    EXPECT_EQ(port->ReservedSecond(), 0u);
    EXPECT_EQ(port->ReservedThird(), 0);
    EXPECT_EQ(port->Timeouts().ReadTotalTimeoutMultiplier, 200u);
    // The record's DCB now holds what was applied.
    EXPECT_EQ(settings.commConfig.dcb.BaudRate, 57600u);
    EXPECT_EQ(settings.commConfig.dcb.fDtrControl, plat::DTR_CONTROL_DISABLE);
    EXPECT_EQ(settings.commConfig.dcb.fAbortOnError, 1u);
    EXPECT_EQ(debug.Text(), "");
}

TEST_F(SerialPortTest, MissingPortFailsWithoutTouchingTheRecord) {
    SerialPortSettings missing = Record("COM94");
    missing.commConfig.dcb.BaudRate = 1234;
    CSerialCom port(&missing);
    EXPECT_FALSE(port.IsReady());
    EXPECT_TRUE(debug.Contains("::CreateFile() error: 2\r\n"));
    EXPECT_TRUE(debug.Contains("COM94: no serial device has this name"));
    EXPECT_FALSE(port.ApplySettings());
    EXPECT_FALSE(port.SetTimeouts(0, 200, 0, 0, 0));
    EXPECT_EQ(missing.commConfig.dcb.BaudRate, 1234u);
    EXPECT_EQ(port.Device(), 0);
}

TEST_F(SerialPortTest, SecondOpenIsRefusedUntilTheFirstCloses) {
    auto first = OpenReadyPort();
    debug.Clear();
    SerialPortSettings again = Record("com8"); // names match without regard to case
    CSerialCom second(&again);
    EXPECT_FALSE(second.IsReady());
    EXPECT_TRUE(debug.Contains("::CreateFile() error: 5\r\n"));
    EXPECT_TRUE(debug.Contains("in use by another program"));

    first->Close();
    EXPECT_TRUE(second.Open());
    EXPECT_TRUE(second.ApplySettings());
}

TEST_F(SerialPortTest, EveryListedRateIsSetAndReadBack) {
    auto port = OpenReadyPort();
    for (const auto& entry : BaudRateTable) {
        settings.baudRate = entry.rate;
        ASSERT_TRUE(port->ApplySettings()) << entry.rate << "\n" << debug.Text();
        plat::DCB dcb;
        ASSERT_TRUE(plat::GetCommState(port->Device(), &dcb));
        EXPECT_EQ(dcb.BaudRate, entry.rate);
    }
}

TEST_F(SerialPortTest, RefusedLineSettingClosesTheDevice) {
    auto port = OpenReadyPort();
    settings.stopBits = plat::ONE5STOPBITS;
    EXPECT_FALSE(port->ApplySettings());
    EXPECT_TRUE(debug.Contains("::SetCommState() error: 87\r\n"));
    EXPECT_TRUE(debug.Contains("1.5 stop bits with 8 data bits"));
    EXPECT_EQ(port->Device(), 0);
    EXPECT_FALSE(port->IsReady());

    // A line that cannot keep parity (a pseudo-terminal drops it) is refused too.
    settings.stopBits = 0;
    settings.parity = plat::EVENPARITY;
    ASSERT_TRUE(port->Open());
    EXPECT_FALSE(port->ApplySettings());
    EXPECT_TRUE(debug.Contains("even parity was not taken"));

    // Configure edits the held DCB and leaves the record's own fields alone.
    settings.parity = 0;
    ASSERT_TRUE(port->Open());
    EXPECT_TRUE(port->Configure(115200, 8, 0, 0));
    EXPECT_EQ(settings.baudRate, 57600u);
    EXPECT_EQ(settings.commConfig.dcb.BaudRate, 115200u);
}

TEST_F(SerialPortTest, IdleReadTimesOutAfterTheReadTimeout) {
    auto port = OpenReadyPort();
    plat::BYTE value = 0;
    const auto start = plat::TickMs();
    EXPECT_FALSE(port->ReadByte(&value));
    const auto elapsed = plat::TickMs() - start;
    EXPECT_GE(elapsed, 190);
    EXPECT_LT(elapsed, 700);
    EXPECT_EQ(port->Status(), 1); // a time-out is not a failure
    EXPECT_EQ(debug.Text(), "");

    far.Send({0x5A});
    EXPECT_TRUE(port->ReadByte(&value));
    EXPECT_EQ(value, 0x5A);
    EXPECT_EQ(port->LastRead(), 1u);
}

TEST_F(SerialPortTest, WriteSendsEveryByteInOrderWithPauses) {
    auto port = OpenReadyPort();
    Bytes packet(134);
    for (std::size_t i = 0; i < packet.size(); ++i)
        packet[i] = static_cast<std::uint8_t>(i * 7);
    const auto start = plat::TickUs();
    ASSERT_TRUE(port->Write(packet.data(), static_cast<int>(packet.size())));
    const auto elapsedUs = plat::TickUs() - start;
    EXPECT_EQ(port->LastWritten(), 134u);
    EXPECT_EQ(far.Receive(134), packet);
    // Eight 1 ms pauses (after bytes 15, 31, ... 127): at least 8 ms.
    EXPECT_GE(elapsedUs, 8000);

    EXPECT_TRUE(port->Write(packet.data(), 0));
    EXPECT_EQ(debug.Text(), "");
    EXPECT_FALSE(port->Write(packet.data(), -1));
    EXPECT_TRUE(debug.Contains("::WriteFile() error: "));
    EXPECT_EQ(port->Status(), 0);
}

TEST_F(SerialPortTest, FlushAndDiscardDropWaitingInput) {
    auto port = OpenReadyPort();
    far.Send({1, 2, 3, 4, 5});
    plat::Sleep(20);
    // FlushInput reads until the first read that ends a millisecond or more
    // after it started, on a millisecond clock: at least one byte goes.
    const int flushed = port->FlushInput();
    EXPECT_GE(flushed, 1);
    EXPECT_LE(flushed, 5);

    far.Send({6, 7, 8});
    plat::Sleep(20);
    const auto start = plat::TickMs();
    EXPECT_EQ(port->DiscardPendingInput(), static_cast<plat::DWORD>(5 - flushed + 3));
    EXPECT_EQ(port->DiscardPendingInput(), 0u);
    EXPECT_LT(plat::TickMs() - start, 50); // no read time-out spent
    plat::BYTE value = 0;
    far.Send({9});
    EXPECT_TRUE(port->ReadByte(&value));
    EXPECT_EQ(value, 9); // what arrives after the discard is kept
}

TEST_F(SerialPortTest, UnpluggedAdapterFailsAtOnce) {
    auto port = OpenReadyPort();
    far.Unplug();
    plat::BYTE value = 0;
    const auto start = plat::TickMs();
    EXPECT_FALSE(port->ReadByte(&value));
    EXPECT_FALSE(port->ReadByte(&value));
    const plat::BYTE packet[6] = {0x27, 0, 0, 0, 0, 0};
    EXPECT_FALSE(port->Write(packet, 6));
    EXPECT_LT(plat::TickMs() - start, 100);
    EXPECT_TRUE(debug.Contains("::ReadFile() error: 1167, The device is not connected."));
    EXPECT_TRUE(debug.Contains("::WriteFile() error: 1167\r\n"));
    EXPECT_TRUE(debug.Contains("the device went away"));
    EXPECT_EQ(port->Status(), 0);
}

TEST_F(SerialPortTest, CloseKeepsTheLastStatusAndOpenSetsItAgain) {
    auto port = OpenReadyPort();
    port->Close();
    EXPECT_TRUE(port->IsReady());
    EXPECT_EQ(port->Device(), 0);
    plat::BYTE value = 0;
    EXPECT_FALSE(port->ReadByte(&value)); // reads on a closed port fail in the call
    EXPECT_FALSE(port->IsReady());
    EXPECT_TRUE(port->Open());
    EXPECT_TRUE(port->IsReady());
}
