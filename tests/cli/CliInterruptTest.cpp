// Ctrl-C in the built vx18dctl, run as a child process on the simulated
// unit: record closes a complete file, status --watch ends normally, and an
// interrupted firmware load is never committed.
#include "cli/CliTestSupport.h"

#include "sim/UnitModel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace vxtest;
using namespace vxtest::traffic;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(CliInterrupt, RecordStopsCleanlyWithEveryLineWhole) {
    CliSession session;
    const std::string file = session.File("rssi.csv");
    CliProcess child(
        {"--port", "COM7", "--baud", "921600", "--json", "record", file, "--rate", "10"},
        session.Config().Path());
    // Each line is in the file as soon as it is written.
    ASSERT_TRUE(WaitFor([&] { return Lines(ReadAll(file)).size() >= 3; }, 20000)) << child.Err();
    child.Interrupt();
    ASSERT_EQ(child.Wait(10000), 0) << child.Err();

    const std::string text = ReadAll(file);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const std::vector<std::string> lines = Lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].rfind(std::to_string(i + 1) + ", ", 0), 0u) << lines[i];
    const nlohmann::json summary = nlohmann::json::parse(Lines(child.Out()).back());
    EXPECT_EQ(summary["interrupted"], true);
    EXPECT_EQ(summary["samples"], lines.size());
    EXPECT_TRUE(WaitFor([&] { return !session.Unit().PortOpen(); }, 2000));
}

TEST(CliInterrupt, StatusWatchEndsNormally) {
    CliSession session;
    CliProcess child({"--port", "COM7", "--baud", "921600", "status", "--watch"},
                     session.Config().Path());
    ASSERT_TRUE(WaitFor([&] { return child.Out().find("sample 2") != std::string::npos; }, 20000))
        << child.Err();
    child.Interrupt();
    EXPECT_EQ(child.Wait(10000), 0) << child.Err();
}

TEST(CliInterrupt, AnInterruptedFirmwareLoadIsNeverCommitted) {
    CliSession session;
    const std::string file = session.File("image.bin");
    std::ofstream(file, std::ios::binary) << std::string(256 * 1024, '\x3C');
    // At 57600 baud the 2048 blocks take minutes: Ctrl-C comes in the middle.
    CliProcess child({"--port", "COM7", "--baud", "57600", "flash", file}, session.Config().Path());
    ASSERT_TRUE(WaitFor(
        [&] {
            return session.Unit().WithModel(
                       [](sim::UnitModel& m) { return m.Firmware().PendingSize(); }) >= 1024;
        },
        20000))
        << child.Err();
    child.Interrupt();
    EXPECT_EQ(child.Wait(10000), 130) << child.Err();
    EXPECT_NE(child.Err().find("the unit was not asked to program the image"), std::string::npos)
        << child.Err();
    EXPECT_EQ(Count(session.Requests(), 0x01, 0x10, 0x98), 0u);
    EXPECT_EQ(
        session.Unit().WithModel([](sim::UnitModel& m) { return m.Firmware().CommitCount(); }), 0);
    EXPECT_LT(Count(session.Requests(), 0x20, 0x10), 2048u);
}
