// vx18dctl's commands send what the window sends for the same thing: the
// simulator's request log against the shared expectations, and what the
// commands print from the replies.
#include "cli/CliTestSupport.h"

#include "sim/UnitModel.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace vxtest;
using namespace vxtest::traffic;

namespace {

// What every command that changes a receiver reads first.
Sequence SetPrelude(unsigned rx) {
    return LinkTest() + CliStartUpCold() + SetupPageInit(rx, true) + StatusCycle({});
}

} // namespace

TEST(CliTraffic, PingInfoAndGetReadAsTheWindowDoes) {
    CliSession session;
    CliResult ping = session.Run({"ping"});
    EXPECT_EQ(ping.status, 0);
    EXPECT_EQ(ping.out, "COM7: online\n");
    EXPECT_EQ(Difference(session.Requests(), LinkTest()), "");
    // --trace: the bytes of each exchange on standard error, the output unchanged.
    CliResult traced = session.Run({"--trace", "ping"});
    EXPECT_EQ(traced.out, "COM7: online\n");
    EXPECT_NE(traced.err.find(" | 27 00 00 00 00 00 | 27 00 00 00 00 00 | "), std::string::npos)
        << traced.err;
    EXPECT_NE(traced.err.find(" ms | link test\n"), std::string::npos);

    session.Unit().ClearRequests();
    CliResult info = session.Run({"--json", "info"});
    ASSERT_EQ(info.status, 0) << info.err;
    // The main window's read-out, then the identity as the reference clock page reads it.
    EXPECT_EQ(Difference(session.Requests(), LinkTest() + CliStartUpCold()), "");
    const nlohmann::json j = info.Json();
    EXPECT_EQ(j["serial_number"], "0012-ABCD");
    EXPECT_EQ(j["firmware_date"], "20180309");
    EXPECT_EQ(j["boot_baud_rate"], 57600);
    EXPECT_EQ(j["receivers"][0]["bands"][0]["low_hz"], 1'435'000'000u);
    EXPECT_EQ(j["receivers"][0]["bands"][2]["linearise_locked"], true);
    EXPECT_EQ(j["receivers"][1]["if_bandwidths_khz"][3], 2000);
    EXPECT_EQ(j["receivers"][1]["agc_time_constants_us"][7], 1'000'000);

    session.Unit().WithModel([](sim::UnitModel& m) {
        sim::ReceiverState& r = m.Receiver(1);
        r.frequencyHz = 2'312'500'000;
        r.amInverted = true;
        r.dagc = {-100, 0, -25, 25, 8};
        r.rssiAveraging = 1;
    });
    session.Unit().ClearRequests();
    CliResult get = session.Run({"get", "2"});
    ASSERT_EQ(get.status, 0) << get.err;
    EXPECT_EQ(
        Difference(session.Requests(), LinkTest() + CliStartUpCold() + SetupPageInit(1, true)), "");
    EXPECT_TRUE(HasRow(get.out, "frequency", "2312.5 MHz")) << get.out;
    EXPECT_TRUE(HasRow(get.out, "AM inverse", "on"));
    EXPECT_NE(get.out.find("-100 to 0 dBm, -2.5 V to 2.5 V, 20.0 dBm/V"), std::string::npos);
    EXPECT_TRUE(HasRow(get.out, "RSSI averaging", "filtered"));
    // The unit never reports the setup number and XDOUT: nothing is made up.
    EXPECT_TRUE(HasRow(get.out, "setup", "(not reported by the unit)"));

    const nlohmann::json g = session.Run({"--json", "get", "2"}).Json();
    EXPECT_EQ(g["frequency_hz"], 2'312'500'000u);
    EXPECT_EQ(g["dagc_range"]["start_v"], -2.5);
    EXPECT_EQ(g["dagc_range"]["slope_dbm_per_v"], 20.0);
    EXPECT_TRUE(g["setup"].is_null());
    EXPECT_TRUE(g["xdout"].is_null());
}

TEST(CliTraffic, FrequencyGoesOutInTheWholeWordWithTheShownAmGain) {
    CliSession session;
    QuietAmCounters(session.Unit());
    // The configuration word carries the internal reference: it must come from the unit.
    session.Unit().WithModel([](sim::UnitModel& m) { m.Unit().internalReference = true; });

    CliResult set = session.Run({"--json", "set", "1", "freq=2250.5MHz"});
    ASSERT_EQ(set.status, 0) << set.err;
    ConfigWord word = PowerUpWord(0);
    word.internalReference = true;
    word.frequencyHz = 2'250'500'000;
    EXPECT_EQ(Difference(session.Requests(),
                         SetPrelude(0) + ConfigurationWord(0, word) + SetAmGain(0, 40)),
              "");
    const nlohmann::json j = set.Json();
    EXPECT_EQ(j["frequency_hz"], 2'250'500'000u);
    EXPECT_EQ(j["applied"][0]["setting"], "freq=2250.5MHz");
    EXPECT_EQ(j["applied"][0]["ok"], true);
    EXPECT_TRUE(
        session.Unit().WithModel([](sim::UnitModel& m) { return m.Unit().internalReference; }));
}

TEST(CliTraffic, ReceiverSettingsGoOutInTheOrderGivenAsThePageSendsThem) {
    CliSession session;
    QuietAmCounters(session.Unit());
    CliResult set =
        session.Run({"set", "2", "ifbw=4000", "video=#2", "range=#0", "range=-100..0dBm,-2.5..2.5V",
                     "averaging=filtered", "agc-zero=on", "video-gain-save=9000", "am-gain=120"});
    // One bad value stops everything before the unit hears of it.
    EXPECT_EQ(set.status, 2);
    EXPECT_NE(set.err.find("am-gain=120: allowed: 0 to 99"), std::string::npos) << set.err;
    EXPECT_TRUE(session.Requests().empty());

    set =
        session.Run({"set", "2", "ifbw=4000", "video=#2", "range=#0", "range=-100..0dBm,-2.5..2.5V",
                     "averaging=filtered", "agc-zero=on", "video-gain-save=9000"});
    ASSERT_EQ(set.status, 0) << set.err;

    ConfigWord w;
    w.ifBandwidth = 3;
    w.amFilter = 31;
    w.bandSelect = 2;
    w.frequencyHz = 2'250'500'000;
    Sequence expected = SetPrelude(1);
    // The IF bandwidth takes the video filter that pairs with it: index 4 -> the
    // fifth non-empty video filter.
    w.ifBandwidth = 4;
    expected += ConfigurationWord(1, w);
    w.videoFilter = 4;
    expected += ConfigurationWord(1, w);
    w.videoFilter = 2;
    expected += ConfigurationWord(1, w);
    expected += SelectDagcRange(1, 0);
    expected += SetDagcLimits(1, -100, 0) + SetDagcVoltages(1, -25, 25);
    expected += SetRssiAveraging(1, true);
    w.agcZero = true;
    expected += ConfigurationWord(1, w);
    expected += SetVideoGain(1, 9000) + SaveVideoGain(1, 9000);
    EXPECT_EQ(Difference(session.Requests(), expected), "");
    EXPECT_TRUE(HasRow(set.out, "video filter", "500 kHz (#2)")) << set.out;
    EXPECT_TRUE(HasRow(set.out, "applied", "video-gain-save=9000"));
}

TEST(CliTraffic, UnitSettingsReadThePageFirstAndBuildWordsFromTheUnitsState) {
    CliSession session;
    QuietAmCounters(session.Unit());
    session.Unit().WithModel([](sim::UnitModel& m) {
        m.Unit().preferEeprom = true;
        m.Unit().dipSwitches = 0x81; // SW2.1 and SW2.8, on the board and in EEPROM
        m.Unit().eepromSwitches = 0x81;
        m.Unit().attenuators[0] = {5, false};
    });
    CliResult unit =
        session.Run({"unit", "sw3=on", "intref=on", "att2=-26.5dB", "freeze1=on", "att-at-boot=on",
                     "boot-baud=115200", "boot-serial=rs422", "linearise=2:1"});
    ASSERT_EQ(unit.status, 0) << unit.err;

    Sequence expected = LinkTest() + CliStartUpCold() + SetupPageInit(0, true) +
                        SetupPageInit(1, true) + RefClkPageInit(true) + StatusCycle({}) +
                        RefreshFromUnit(false, false);
    expected += WriteSwitches(0x2085);
    ConfigWord word = PowerUpWord(0);
    word.internalReference = true;
    expected += ConfigurationWord(0, word); // the internal reference rides in receiver 1's word
    expected += Attenuators(0xC1, {5, false, false}, {10, true, true}, 0);
    expected += Attenuators(0xC0, {5, true, true}, {10, true, false}, 0);
    expected += Attenuators(0xC0, {5, true, false}, {10, true, false}, 3);
    expected += SetBootBaudRate(115200) + SetBootSerialType(1, 0x20180309);
    expected += LinearizeBand(1, 0);
    EXPECT_EQ(Difference(session.Requests(), expected), "");

    const nlohmann::json j = session.Run({"--json", "unit"}).Json();
    EXPECT_EQ(j["switches"][2], true);
    EXPECT_EQ(j["attenuators"][1]["level_db"], -26.5);
    EXPECT_EQ(j["attenuators"][0]["freeze"], true);
    EXPECT_EQ(j["boot_baud_rate"], 115200);
    EXPECT_EQ(j["boot_serial_type"], "RS422");
    EXPECT_EQ(j["temperature_c"][0], 52);
}

TEST(CliTraffic, StatusAsksForTheAmCounterOnlyWhereTheWindowWould) {
    CliSession session({.receiverHasBands = {true, false}});
    session.Unit().WithModel([](sim::UnitModel& m) {
        m.ForceAmIndex(0, 10);
        m.ForceRawRssi(0, 2000); // -56.0 dBm with band 1's calibration
        m.ForceAmIndex(1, 50);   // receiver 2 has no page: never asked
    });
    CliResult status = session.Run({"--json", "status"});
    ASSERT_EQ(status.status, 0) << status.err;
    EXPECT_EQ(Difference(session.Requests(),
                         LinkTest() + CliStartUpCold() + TuningReadback({0}) + StatusCycle({0})),
              "");
    const nlohmann::json j = status.Json();
    ASSERT_EQ(j["receivers"].size(), 1u);
    EXPECT_EQ(j["receivers"][0]["rssi_dbm"], -56.0);
    EXPECT_EQ(j["receivers"][0]["am_index_percent"], 10);
    EXPECT_TRUE(j["receivers"][0]["am_counter_hz"].is_number());

    // AM index 9: the counter field stays empty and nothing is asked.
    session.Unit().WithModel([](sim::UnitModel& m) { m.ForceAmIndex(0, 9); });
    session.Unit().ClearRequests();
    CliResult text = session.Run({"status", "--count", "2", "--rate", "10"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(Difference(session.Requests(), LinkTest() + CliStartUpCold() + TuningReadback({0}) +
                                                 StatusCycle({}) + StatusCycle({})),
              "");
    EXPECT_NE(text.out.find("sample 2"), std::string::npos);
    EXPECT_NE(text.out.find("RSSI -56.0 dBm, AM index 9 %, FM deviation"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("AM counter -,"), std::string::npos);
}

TEST(CliTraffic, RecordWritesTheWindowsLinesAtTheChosenRate) {
    CliSession session({.receiverHasBands = {true, false}});
    QuietAmCounters(session.Unit());
    session.Unit().WithModel([](sim::UnitModel& m) { m.ForceRawRssi(0, 2000); });
    const std::string file = session.File("rssi.csv");
    CliResult record = session.Run({"--json", "record", file, "--duration", "0.5", "--rate", "10"});
    ASSERT_EQ(record.status, 0) << record.err;

    Sequence expected = LinkTest() + CliStartUpCold() + TuningReadback({0});
    for (int i = 0; i < 5; ++i)
        expected += StatusCycle({});
    EXPECT_EQ(Difference(session.Requests(), expected), "");

    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    // A receiver without a page records 0.0, as in the window.
    EXPECT_EQ(text.substr(0, 54), "1, -56.000000, 0.000000, \r\n2, -56.000000, 0.000000, \r\n");
    EXPECT_EQ(Lines(text).size(), 5u);
    const std::vector<std::string> out = Lines(record.out);
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(nlohmann::json::parse(out[0])["rssi_dbm"][0], -56.0);
    EXPECT_EQ(nlohmann::json::parse(out[5])["samples"], 5);
}

TEST(CliTraffic, FlashSendsTheBlocksThenCommitsAndWaitsAMinute) {
    CliSession session;
    const std::string file = session.File("image.bin");
    std::vector<std::uint8_t> image(300);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));

    CliResult flash = session.Run({"--json", "flash", file});
    ASSERT_EQ(flash.status, 0) << flash.err;
    // Blocks of 128, 128 and 44 bytes, then the commit.
    EXPECT_EQ(Difference(session.Requests(), LinkTest() + ReadCompanionBoardFlag() +
                                                 FirmwareBlocks(image) + CommitFirmware()),
              "");
    EXPECT_EQ(flash.programmingSeconds, 60);
    EXPECT_EQ(flash.Json()["result"], "DSP Flash Operation Done");
    EXPECT_EQ(flash.Json()["blocks_sent"], 3);
    const auto committed =
        session.Unit().WithModel([](sim::UnitModel& m) { return m.LastCommittedImage(); });
    ASSERT_TRUE(committed);
    EXPECT_EQ(committed->bytes, image);
}
