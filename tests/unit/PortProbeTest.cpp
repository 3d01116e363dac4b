// Which names are serial ports, found without opening anything: the ports
// folder's links to a pseudo-terminal count, links to anything else do not,
// and sysfs tells a USB adapter's identity and an unfitted UART slot.
#include "platform/PortProbe.h"
#include "platform/SerialDevice.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using vxtest::IsolatedConfig;
using vxtest::TempDir;

namespace {

void Link(const std::string& target, const std::string& link) {
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0) << link;
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path) << text << "\n";
}

// A sysfs tree in which /dev/null's device number belongs to the tty at
// ttyPath (below devices/), whose device directory is deviceDir.
std::string FakeSysfs(const TempDir& dir, const std::string& ttyPath,
                      const std::string& deviceDir) {
    struct stat st {};
    ::stat("/dev/null", &st);
    const std::string root = dir.File("sys");
    const std::string tty = root + "/devices/" + ttyPath;
    std::filesystem::create_directories(tty);
    std::filesystem::create_directories(root + "/class/tty");
    std::filesystem::create_directories(root + "/dev/char");
    std::filesystem::create_directories(root + "/devices/" + deviceDir);
    std::filesystem::create_symlink(root + "/class/tty", tty + "/subsystem");
    std::filesystem::create_symlink(root + "/devices/" + deviceDir, tty + "/device");
    std::filesystem::create_symlink(tty, root + "/dev/char/" + std::to_string(major(st.st_rdev)) +
                                             ":" + std::to_string(minor(st.st_rdev)));
    return root;
}

} // namespace

TEST(PortProbe, APseudoTerminalInThePortsFolderIsAPortAndIsNeverOpened) {
    IsolatedConfig config;
    sim::SimulatedUnit unit;
    ASSERT_TRUE(unit.Start(config.PortsDir(), "COM7")) << unit.LastError();

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, unit.SlavePath().c_str(), IN_OPEN | IN_CLOSE), 0);

    const auto port = plat::ProbeSerialPort("com7");
    ASSERT_TRUE(port);
    EXPECT_EQ(port->devicePath, unit.SlavePath());
    EXPECT_TRUE(port->pseudoTerminal);
    EXPECT_EQ(plat::DescribeForOperator(*port), unit.SlavePath() + " (pseudo-terminal)");
    plat::COMMCONFIG config52{};
    plat::DWORD size = 52;
    EXPECT_TRUE(plat::GetDefaultCommConfig("COM7", &config52, &size));
    EXPECT_EQ(config52.dwProviderSubType, plat::PST_RS232);

    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the probe opened the port";
    ::close(watch);
}

TEST(PortProbe, LinksToAnythingButASerialTerminalAreNoPorts) {
    IsolatedConfig config;
    TempDir dir;
    Write(dir.File("image.bin"), "not a device");
    Link(dir.File("image.bin"), config.PortsDir() + "/COM9");
    Link(dir.File("gone"), config.PortsDir() + "/COM10");
    Link("/dev/null", config.PortsDir() + "/COM11");
    Link(dir.Path(), config.PortsDir() + "/COM12");
    for (const char* name : {"COM9", "COM10", "COM11", "COM12", "COM200"}) {
        EXPECT_FALSE(plat::ProbeSerialPort(name)) << name;
        plat::COMMCONFIG commConfig{};
        plat::DWORD size = 52;
        EXPECT_FALSE(plat::GetDefaultCommConfig(name, &commConfig, &size)) << name;
    }
}

TEST(PortProbe, SysfsNamesTheUsbAdapterAndRefusesEmptyUartSlots) {
    {
        TempDir dir;
        const std::string usb = "pci0/usb1/1-2";
        const std::string root =
            FakeSysfs(dir, usb + "/1-2:1.0/ttyUSB0/tty/ttyUSB0", usb + "/1-2:1.0/ttyUSB0");
        Write(root + "/devices/" + usb + "/idVendor", "0403");
        Write(root + "/devices/" + usb + "/manufacturer", "FTDI");
        Write(root + "/devices/" + usb + "/product", "FT232R USB UART");
        Write(root + "/devices/" + usb + "/serial", "A10K3XYZ");
        const auto port = plat::DescribeSerialDevice("/dev/null", root);
        ASSERT_TRUE(port);
        EXPECT_EQ(port->usbSerialNumber, "A10K3XYZ");
        EXPECT_EQ(plat::DescribeForOperator(*port),
                  "/dev/null - FTDI FT232R USB UART, serial number A10K3XYZ");
    }
    for (const char* type : {"4", "0"}) {
        TempDir dir;
        const std::string root =
            FakeSysfs(dir, "platform/serial8250/tty/ttyS3", "platform/serial8250/port.3");
        Write(root + "/devices/platform/serial8250/tty/ttyS3/type", type);
        const auto port = plat::DescribeSerialDevice("/dev/null", root);
        EXPECT_EQ(port.has_value(), std::string(type) != "0") << "UART type " << type;
        if (port) {
            EXPECT_EQ(plat::DescribeForOperator(*port), "/dev/null");
        }
    }
    {
        // A virtual console is a tty without a device behind it.
        TempDir dir;
        const std::string root = FakeSysfs(dir, "virtual/tty/tty3", "virtual/none");
        std::filesystem::remove(root + "/devices/virtual/tty/tty3/device");
        EXPECT_FALSE(plat::DescribeSerialDevice("/dev/null", root));
    }
}
