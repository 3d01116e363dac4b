// Port names on Windows: COM1 to COM255 as the system names them, the names
// given for this process first, and what happens to a name that reaches
// nothing or a line behind a serial device server.
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/PortNames.h"
#include "platform/PortProbe.h"
#include "platform/SerialDevice.h"

#include <gtest/gtest.h>

namespace {

TEST(PortNamesWindows, ComOneToComTwoHundredFiftyFiveAreTheSystemsDevices) {
    EXPECT_EQ(plat::AutomaticPortDevice("COM1"), "\\\\.\\COM1");
    EXPECT_EQ(plat::AutomaticPortDevice("com12"), "\\\\.\\COM12");
    EXPECT_EQ(plat::AutomaticPortDevice("COM255"), "\\\\.\\COM255");
    for (const char* name : {"COM0", "COM256", "COM", "LPT1", "COM1x", "COM0001"})
        EXPECT_FALSE(plat::AutomaticPortDevice(name)) << name;
    EXPECT_EQ(plat::AutomaticPortName("\\\\.\\COM33"), "COM33");
    EXPECT_EQ(plat::AutomaticPortName("com7"), "COM7");
    EXPECT_FALSE(plat::AutomaticPortName("\\\\.\\PIPE"));
}

TEST(PortNamesWindows, ANameWithoutADeviceIsNoPortAndDoesNotOpen) {
    EXPECT_FALSE(plat::ResolvePortName("COM254"));
    EXPECT_FALSE(plat::ProbeSerialPort("COM254"));
    plat::COMMCONFIG config;
    // A size too small is refused before the system is asked.
    plat::DWORD tooSmall = 10;
    EXPECT_FALSE(plat::GetDefaultCommConfig("COM1", &config, &tooSmall));
    EXPECT_EQ(plat::GetLastError(), plat::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(tooSmall, 52u);

    plat::DebugCapture debug;
    const plat::HANDLE handle =
        plat::CreateFile("\\\\.\\COM254", plat::GENERIC_READ | plat::GENERIC_WRITE, 0, nullptr,
                         plat::OPEN_EXISTING, 0, 0);
    EXPECT_EQ(handle, plat::INVALID_HANDLE_VALUE);
    EXPECT_EQ(plat::GetLastError(), plat::ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(debug.Contains("COM254 (\\\\.\\COM254): no serial device has this name."))
        << debug.Text();
}

TEST(PortNamesWindows, AProcessNameComesFirstAndANetworkLineIsRefusedClearly) {
    plat::SetProcessPortName("device", "rfc2217://rack3-ts:4001");
    EXPECT_EQ(plat::ResolvePortName("DEVICE"), "rfc2217://rack3-ts:4001");
    const auto probed = plat::ProbeSerialPort("DEVICE");
    ASSERT_TRUE(probed);
    EXPECT_TRUE(probed->networkAddress);
    EXPECT_EQ(plat::DescribeForOperator(*probed), "rfc2217://rack3-ts:4001 (serial device server)");

    plat::DebugCapture debug;
    EXPECT_EQ(plat::CreateFile("\\\\.\\DEVICE", plat::GENERIC_READ | plat::GENERIC_WRITE, 0,
                               nullptr, plat::OPEN_EXISTING, 0, 0),
              plat::INVALID_HANDLE_VALUE);
    EXPECT_EQ(plat::GetLastError(), plat::ERROR_NOT_SUPPORTED);
    EXPECT_TRUE(debug.Contains("not available in the Windows build")) << debug.Text();

    plat::SetProcessPortName("DEVICE", "");
    EXPECT_FALSE(plat::ResolvePortName("DEVICE"));
}

} // namespace
