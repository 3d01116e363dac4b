// How port names reach devices: links in the ports folder first, then the
// fixed automatic names.
#include "platform/PortNames.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

using vxtest::IsolatedConfig;

TEST(PortNames, AutomaticNamesAreFixedPerDevice) {
    EXPECT_EQ(plat::AutomaticPortDevice("COM1"), "/dev/ttyS0");
    EXPECT_EQ(plat::AutomaticPortDevice("com32"), "/dev/ttyS31");
    EXPECT_EQ(plat::AutomaticPortDevice("COM33"), "/dev/ttyUSB0");
    EXPECT_EQ(plat::AutomaticPortDevice("COM65"), "/dev/ttyACM0");
    EXPECT_EQ(plat::AutomaticPortDevice("COM96"), "/dev/ttyACM31");
    EXPECT_FALSE(plat::AutomaticPortDevice("COM0"));
    EXPECT_FALSE(plat::AutomaticPortDevice("COM97"));
    EXPECT_FALSE(plat::AutomaticPortDevice("LPT1"));
    EXPECT_FALSE(plat::AutomaticPortDevice("COM1x"));

    // The mapping runs both ways, so a listed device gets back its own name.
    for (const char* name : {"COM1", "COM20", "COM33", "COM40", "COM65", "COM96"})
        EXPECT_EQ(plat::AutomaticPortName(*plat::AutomaticPortDevice(name)), name);
    EXPECT_FALSE(plat::AutomaticPortName("/dev/ttyUSB32"));
    EXPECT_FALSE(plat::AutomaticPortName("/dev/pts/3"));
}

TEST(PortNames, LinkInPortsFolderWinsAndIgnoresCase) {
    IsolatedConfig config;
    ASSERT_EQ(::symlink("/dev/null", (config.PortsDir() + "/COM33").c_str()), 0);
    ASSERT_EQ(::symlink("../elsewhere", (config.PortsDir() + "/Com7").c_str()), 0);

    EXPECT_EQ(plat::ResolvePortName("COM33"), "/dev/null");
    EXPECT_EQ(plat::ResolvePortName("com33"), "/dev/null");
    // A relative link is taken relative to the ports folder.
    EXPECT_EQ(plat::ResolvePortName("COM7"), config.PortsDir() + "/../elsewhere");
    // A name with neither a link nor a device reaches nothing.
    EXPECT_FALSE(plat::ResolvePortName("COM95"));
}

TEST(PortNames, ProcessNameComesFirstUntilForgotten) {
    IsolatedConfig config;
    ASSERT_EQ(::symlink("/dev/null", (config.PortsDir() + "/DEVICE").c_str()), 0);
    plat::SetProcessPortName("device", "/dev/pts/42");
    EXPECT_EQ(plat::ResolvePortName("DEVICE"), "/dev/pts/42");
    plat::SetProcessPortName("DEVICE", "");
    EXPECT_EQ(plat::ResolvePortName("DEVICE"), "/dev/null");
}
