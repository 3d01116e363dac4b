// vx18dctl's exit statuses and messages for each kind of failure, and that
// bad input never reaches the unit.
#include "cli/CliTestSupport.h"

#include "platform/Registry.h"
#include "serial/CSerialCom.h"
#include "settings/RegistrySettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace vxtest;
using namespace vxtest::traffic;

TEST(CliFailures, BadValuesEndWithStatus2BeforeAnyTraffic) {
    CliSession session;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"set", "1", "freq=2250.5THz"}, "freq=2250.5THz: allowed: a frequency"},
        {{"set", "1", "freq=2250.0000005MHz"}, "freq=2250.0000005MHz: allowed"},
        {{"set", "1", "agc-tc=150us"}, "agc-tc=150us: allowed"},
        {{"set", "1", "range=-4..1V"}, "range=-4..1V: no predefined range"},
        {{"set", "1", "range=0..-10dBm,-4..0V"}, "range=0..-10dBm,-4..0V: allowed"},
        {{"set", "1", "tuning=1"}, "tuning: not a receiver setting"},
        {{"unit", "att1=-11.3dB"}, "att1=-11.3dB: allowed: a code 0 to 63"},
        {{"unit", "boot-baud=230400"}, "boot-baud=230400: allowed: 300"},
        {{"unit", "sw9=on"}, "sw9=on: not a unit setting"},
        {{"--baud", "12345", "ping"}, "--baud: 12345 not in"},
        {{"status", "--rate", "0"}, "--rate"},
        {{"reboot"}, "reboot: not a command"},
    };
    for (const auto& [args, message] : cases) {
        const CliResult result = session.Run(args);
        EXPECT_EQ(result.status, 2) << args[0] << " " << args.back();
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_TRUE(session.Requests().empty()) << args.back();
    }

    const CliResult longName = session.RunPlain({"--port", "COM1234", "ping"});
    EXPECT_EQ(longName.status, 2);
    EXPECT_NE(longName.err.find("--port COM1234: a port name has 1 to 6 characters"),
              std::string::npos);

    // An oversized or empty firmware image is refused before the port is opened.
    const std::string big = session.File("big.bin");
    std::ofstream(big, std::ios::binary) << std::string(1'048'577, '\x5A');
    CliResult flash = session.Run({"flash", big});
    EXPECT_EQ(flash.status, 2);
    EXPECT_NE(flash.err.find("The File size exceeds the buffer size in the DSP."),
              std::string::npos);
    std::ofstream(session.File("empty.bin"), std::ios::binary).flush();
    EXPECT_EQ(session.Run({"flash", session.File("empty.bin")}).status, 2);
    EXPECT_EQ(session.Run({"flash", session.File("missing.bin")}).status, 2);
    EXPECT_TRUE(session.Requests().empty());
}

TEST(CliFailures, ValuesTheUnitCannotTakeAreRefusedAfterReadingOnly) {
    CliSession session({.companionBoard = true});
    QuietAmCounters(session.Unit());
    const Sequence reads = LinkTest() + CliStartUpCold() + SetupPageInit(0, true) + StatusCycle({});
    for (const char* setting :
         {"ifbw=3000", "freq=3000MHz", "video=#1", "fm-polarity=inverted", "if-output=dagc"}) {
        session.Unit().ClearRequests();
        const CliResult result = session.Run({"--json", "set", "1", "freq=1450MHz", setting});
        EXPECT_EQ(result.status, 2) << setting;
        EXPECT_EQ(result.Json()["exit_status"], 2);
        EXPECT_NE(result.err.find(setting), std::string::npos) << result.err;
        // Not even the valid setting before it was sent.
        EXPECT_EQ(Difference(session.Requests(), reads), "") << setting;
    }
    const CliResult second = session.Run({"get", "2"});
    EXPECT_EQ(session.Run({"get", "2"}).status, 0) << second.err;

    CliSession single({.receiverHasBands = {false, true}});
    const CliResult notFitted = single.Run({"set", "1", "am-gain=3"});
    EXPECT_EQ(notFitted.status, 2);
    EXPECT_NE(notFitted.err.find("receiver 1: not fitted in this unit (fitted: 2)"),
              std::string::npos)
        << notFitted.err;
}

TEST(CliFailures, ASilentUnitEndsWithStatus1) {
    CliSession session;
    session.Unit().StopAfter(0);
    CliResult ping = session.Run({"--timeout", "100", "ping"});
    EXPECT_EQ(ping.status, 1);
    EXPECT_EQ(ping.out, "COM7: offline\n");

    CliResult info = session.Run({"--timeout", "100", "--json", "info"});
    EXPECT_EQ(info.status, 1);
    EXPECT_NE(info.err.find("the unit did not answer the link test on COM7"), std::string::npos);
    EXPECT_EQ(info.Json()["exit_status"], 1);

    // The unit falls silent half-way through the start-up read-out: nothing is set.
    session.Unit().ClearFaults();
    session.Unit().ClearRequests();
    session.Unit().StopAfter(40);
    CliResult set = session.Run({"--timeout", "100", "set", "1", "am-gain=3"});
    EXPECT_EQ(set.status, 1);
    EXPECT_NE(set.err.find("the unit stopped answering while reading the unit's configuration "
                           "(after 40 answered exchanges)"),
              std::string::npos)
        << set.err;
    // It asked once more and then gave up, rather than waiting out every request left.
    EXPECT_EQ(session.Requests().size(), 42u);
    EXPECT_EQ(session.Requests()[40], session.Requests()[41]);

    // Silent while the settings go out: the setting is reported as failed.
    session.Unit().ClearFaults();
    QuietAmCounters(session.Unit());
    session.Unit().ClearRequests();
    const std::size_t prelude =
        (LinkTest() + CliStartUpCold() + SetupPageInit(0, true) + StatusCycle({})).size();
    session.Unit().StopAfter(static_cast<int>(prelude));
    set = session.Run({"--timeout", "50", "set", "1", "am-gain=3", "xdout=on"});
    EXPECT_EQ(set.status, 1);
    EXPECT_TRUE(HasRow(set.out, "FAILED", "am-gain=3")) << set.out;
    EXPECT_TRUE(HasRow(set.out, "FAILED", "xdout=on"));
}

TEST(CliFailures, PortsThatCannotBeOpenedEndWithStatus3AndSayWhy) {
    CliSession session;
    CliResult missing = session.RunPlain({"--port", "COM95", "ping"});
    EXPECT_EQ(missing.status, 3);
    EXPECT_NE(missing.err.find("cannot open COM95: COM95: no serial device has this name"),
              std::string::npos)
        << missing.err;

    // Another program holds the port.
    vx::SerialPortSettings settings{};
    std::strncpy(settings.portName, "COM7", 6);
    {
        vx::CSerialCom holder(&settings);
        ASSERT_TRUE(holder.IsReady());
        CliResult busy = session.Run({"--json", "ping"});
        EXPECT_EQ(busy.status, 3);
        EXPECT_NE(busy.err.find("in use by another program"), std::string::npos) << busy.err;
        EXPECT_EQ(busy.Json()["exit_status"], 3);
    }

    // No read permission on the device.
    const std::string noAccess = session.File("no-access");
    std::ofstream(noAccess).flush();
    ::chmod(noAccess.c_str(), 0);
    if (::access(noAccess.c_str(), R_OK) != 0) { // root reads anything
        CliResult denied = session.RunPlain({"--port", noAccess, "ping"});
        EXPECT_EQ(denied.status, 3);
        EXPECT_NE(denied.err.find("permission denied"), std::string::npos) << denied.err;
    }

    // A line setting the port cannot take.
    CliResult stopBits = session.Run({"--stop-bits", "1.5", "ping"});
    EXPECT_EQ(stopBits.status, 3);
    EXPECT_NE(stopBits.err.find("cannot configure COM7"), std::string::npos) << stopBits.err;

    // A device path reaches the same unit.
    CliResult path = session.RunPlain({"--port", session.Unit().SlavePath(), "ping"});
    EXPECT_EQ(path.status, 0) << path.err;
    EXPECT_EQ(path.out, session.Unit().SlavePath() + ": online\n");
}

TEST(CliFailures, StoredSettingsAreTheDefaults) {
    CliSession session;
    // As the window's communications page stores them.
    plat::HKEY key = nullptr;
    ASSERT_EQ(plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, vx::SettingsKeyPath().c_str(), 0,
                                   nullptr, 0, plat::KEY_WRITE, nullptr, &key, nullptr),
              0);
    const char port[] = "COM7";
    const plat::DWORD baud = 921600;
    plat::RegSetValueEx(key, "COM_PORT", 0, plat::REG_SZ, reinterpret_cast<const plat::BYTE*>(port),
                        sizeof port);
    plat::RegSetValueEx(key, "BAUD_RATE", 0, plat::REG_DWORD,
                        reinterpret_cast<const plat::BYTE*>(&baud), 4);
    plat::RegCloseKey(key);
    CliResult ping = session.RunPlain({"ping"});
    EXPECT_EQ(ping.status, 0) << ping.err;
    EXPECT_EQ(ping.out, "COM7: online\n");
}

TEST(CliFailures, ARefusedFirmwareBlockIsNeverCommitted) {
    CliSession session;
    const std::string file = session.File("image.bin");
    std::ofstream(file, std::ios::binary) << std::string(1000, '\x11');
    session.Unit().StopAfter(1 + 1 + 3); // link test, companion flag, three blocks
    CliResult flash = session.Run({"--timeout", "100", "--json", "flash", file});
    EXPECT_EQ(flash.status, 1);
    EXPECT_NE(flash.err.find("the unit refused block 4 of 8; nothing was committed"),
              std::string::npos)
        << flash.err;
    EXPECT_EQ(flash.Json()["result"], "Serial Port Error");
    EXPECT_EQ(flash.Json()["committed"], false);
    EXPECT_EQ(Count(session.Requests(), 0x20, 0x10), 4u);
    EXPECT_EQ(Count(session.Requests(), 0x01, 0x10, 0x98), 0u);

    // A unit with the companion board takes firmware only from 2014-03-20 on.
    CliSession old({.companionBoard = true, .firmwareDate = 0x20140319});
    CliResult refused = old.Run({"flash", file});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(Count(old.Requests(), 0x20, 0x10), 0u);
}
