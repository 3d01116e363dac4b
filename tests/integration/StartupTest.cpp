// Start-up against the simulated unit: online, and offline without a hang
// when the port is missing, busy, misconfigured or silent.
#include "app/CVX18DApp.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/Registry.h"
#include "settings/RegistrySettings.h"
#include "support/SimLink.h"

#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vx;

namespace {

class StartupTest : public ::testing::Test {
protected:
    vxtest::IsolatedConfig config;
    vxtest::RecordedBoxes boxes;
    plat::DebugCapture debug;
    sim::SimulatedUnit unit;

    struct Seen {
        bool ran = false;
        int offline = -1;
        plat::DWORD baud = 0;
        std::int32_t timeout = 0;
        std::string appDir;
    } seen;

    void SetUp() override { ASSERT_TRUE(unit.Start(config.PortsDir(), "COM7")); }

    void Store(const char* name, plat::DWORD value) { StoreRaw(name, plat::REG_DWORD, &value, 4); }
    void StoreText(const char* name, const std::string& value) {
        StoreRaw(name, plat::REG_SZ, value.c_str(), static_cast<plat::DWORD>(value.size() + 1));
    }
    void StoreRaw(const char* name, plat::DWORD type, const void* data, plat::DWORD size) {
        plat::HKEY key = nullptr;
        ASSERT_EQ(plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, SettingsKeyPath().c_str(), 0,
                                       nullptr, 0, plat::KEY_WRITE, nullptr, &key, nullptr),
                  0);
        ASSERT_EQ(
            plat::RegSetValueEx(key, name, 0, type, static_cast<const plat::BYTE*>(data), size), 0);
        plat::RegCloseKey(key);
    }

    int Run(int dialogResult = 1) {
        CVX18DApp app;
        app.SetDialogRunner([&](CVX18D3_Comm& comm, int offline, const std::string& appDir) {
            seen.ran = true;
            seen.offline = offline;
            seen.baud = comm.m_pPort->GetSettings()->baudRate;
            seen.timeout = comm.m_nTimeout;
            seen.appDir = appDir;
            return dialogResult;
        });
        EXPECT_EQ(app.InitInstance(), plat::FALSE);
        return app.m_bOffline;
    }
};

} // namespace

TEST_F(StartupTest, UnitAnswersAndTheProgramStartsOnline) {
    StoreText("COM_PORT", "COM7");
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(seen.ran);
    EXPECT_EQ(seen.offline, 0);
    EXPECT_EQ(seen.timeout, 1000);
    EXPECT_EQ(seen.appDir, config.Path() + "/data/");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(debug.Contains("VX18D: unit online on COM7 at 57600 baud.\r\n"));
    // The timer resolution is raised first and restored last.
    const std::string text = debug.Text();
    EXPECT_EQ(text.find("***** TIMERR_"), 0u);
    EXPECT_NE(text.find("TimePeriod::~TimePeriod() ::timeEndPeriod()"), std::string::npos);
    // The link test is the first thing on the line.
    ASSERT_FALSE(unit.Requests().empty());
    EXPECT_EQ(unit.Requests()[0], (std::vector<std::uint8_t>{0x27, 0, 0, 0, 0, 0}));
}

TEST_F(StartupTest, MissingPortStartsOfflineAtOnce) {
    StoreText("COM_PORT", "COM93");
    const auto start = plat::TickMs();
    EXPECT_EQ(Run(), 1);
    EXPECT_LT(plat::TickMs() - start, 1500);
    EXPECT_EQ(seen.offline, 1);
    EXPECT_TRUE(debug.Contains("::CreateFile() error: 2\r\n"));
    EXPECT_TRUE(boxes.Boxes().empty()); // no box at start-up for the port
}

TEST_F(StartupTest, BusyPortStartsOffline) {
    StoreText("COM_PORT", "COM7");
    vx::SerialPortSettings other{};
    std::strcpy(other.portName, "COM7");
    vx::CSerialCom holder(&other);
    ASSERT_TRUE(holder.IsReady());
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(debug.Contains("::CreateFile() error: 5\r\n"));
    EXPECT_TRUE(debug.Contains("in use by another program"));
}

TEST_F(StartupTest, SilentUnitStartsOfflineAfterOneTimeout) {
    StoreText("COM_PORT", "COM7");
    Store("TIMEOUT", 300);
    unit.StopAfter(0);
    const auto start = plat::TickMs();
    EXPECT_EQ(Run(), 1);
    const auto elapsed = plat::TickMs() - start;
    EXPECT_GE(elapsed, 300);
    EXPECT_LT(elapsed, 1500);
    EXPECT_EQ(seen.timeout, 300);
}

TEST_F(StartupTest, StoredValuesReachThePort) {
    // Only the first six characters of the name are used: COM7123 opens COM712.
    ASSERT_EQ(::symlink(unit.SlavePath().c_str(), (config.PortsDir() + "/COM712").c_str()), 0);
    StoreText("COM_PORT", "COM7123");
    Store("BAUD_RATE", 12345);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(seen.baud, 12345u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Invalid BAUD Rate value: 12345");
}

TEST_F(StartupTest, BadParityIsReportedAndLeavesTheProgramOffline) {
    StoreText("COM_PORT", "COM7");
    Store("PARITY", 7);
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "PARITY out of range, Value = 7");
    EXPECT_TRUE(debug.Contains("::SetCommState() error: 87\r\n"));
}

TEST_F(StartupTest, DialogThatCannotBeCreatedIsReported) {
    StoreText("COM_PORT", "COM7");
    Run(-1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Dialog could not be created");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Dialog Error");
    EXPECT_EQ(boxes.Boxes()[0].type, plat::MB_OK | plat::MB_ICONERROR);
}
