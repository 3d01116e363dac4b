// The files of the shared layer: an earlier recording kept under a name of
// its own before a new one takes the record file's name, and the cache of a
// unit's fixed tables, written and read back.
#include "files/RecordFile.h"
#include "support/TestSupport.h"
#include "unit/ConfigurationCache.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>

using namespace vx;
using namespace vxtest;

namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

void SetModified(const std::string& path, std::time_t when) {
    std::filesystem::last_write_time(
        path, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(when)));
}

// Tables as a unit reports them, each value different, the calibration as
// the read-out computes it from the registers.
FixedTables SampleTables() {
    FixedTables t;
    for (unsigned r = 0; r < 2; ++r) {
        for (unsigned b = 0; b < 4; ++b) {
            t.bandLow[r][b] = (1435u + 300 * b + r) * 1'000'000ull;
            t.bandHigh[r][b] = (1540u + 300 * b + r) * 1'000'000ull;
            t.rssiSlope[r][b] = static_cast<std::int16_t>(317 + 3 * b + r) / 10000.0;
            t.rssiOffset[r][b] = static_cast<std::int16_t>(-1203 - b - 7 * r) / 10.0;
            t.linearizeLocked[r][b] = b == 2;
        }
        for (unsigned i = 0; i < 8; ++i) {
            t.ifBandwidth[r][i] = static_cast<WORD>(250 << i);
            t.videoFilter[r][i] = static_cast<WORD>(i == 7 ? 0 : 100 * (i + 1) + r);
            t.agcTimeConstant[r][i] = static_cast<WORD>(1 + 3 * i);
        }
        for (unsigned i = 0; i < 32; ++i)
            t.amFilter[r][i] = static_cast<WORD>(65535 - 2000 * i - r);
    }
    t.rfSwitch = 1;
    return t;
}

const UnitKey kKey{"0012-ABCD", 0x20180309};

} // namespace

TEST(RecordFileRotation, ANonEmptyRecordIsKeptUnderItsModificationTime) {
    TempDir dir;
    ScopedEnv zone("TZ", "UTC");
    tzset();
    const std::string path = dir.File("VX18D_0012-ABCD.csv");
    std::string keptAs;
    FileError error;

    // Nothing there, or nothing recorded: nothing to keep.
    EXPECT_TRUE(KeepEarlierRecording(path, error, keptAs));
    EXPECT_TRUE(keptAs.empty());
    WriteText(path, "");
    EXPECT_TRUE(KeepEarlierRecording(path, error, keptAs));
    EXPECT_TRUE(keptAs.empty());
    EXPECT_TRUE(std::filesystem::exists(path));

    // 2024-05-17 14:30:05 UTC.
    WriteText(path, "1, -45.700000, 0.000000, \r\n");
    SetModified(path, 1715956205);
    ASSERT_TRUE(KeepEarlierRecording(path, error, keptAs));
    EXPECT_EQ(keptAs, dir.File("VX18D_0012-ABCD-20240517-143005.csv"));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ReadFile(keptAs), "1, -45.700000, 0.000000, \r\n");

    // Two recordings with the same time: the second gets -2, the third -3.
    for (const char* expected :
         {"VX18D_0012-ABCD-20240517-143005-2.csv", "VX18D_0012-ABCD-20240517-143005-3.csv"}) {
        WriteText(path, expected);
        SetModified(path, 1715956205);
        ASSERT_TRUE(KeepEarlierRecording(path, error, keptAs));
        EXPECT_EQ(keptAs, dir.File(expected));
        EXPECT_EQ(ReadFile(keptAs), expected);
    }
    EXPECT_EQ(ReadFile(dir.File("VX18D_0012-ABCD-20240517-143005.csv")),
              "1, -45.700000, 0.000000, \r\n");
}

#ifndef _WIN32 // a folder is made unwritable with Linux's calls
TEST(RecordFileRotation, ARenameThatFailsLeavesTheRecordWhereItWas) {
    TempDir dir;
    const std::string path = dir.File("VX18D_0012-ABCD.csv");
    WriteText(path, "1, -45.700000, 0.000000, \r\n");
    std::string keptAs;
    FileError error;
    {
        LockedFolder locked(dir.Path());
        if (!locked.Active())
            GTEST_SKIP() << "no way to lock a folder here";
        EXPECT_FALSE(KeepEarlierRecording(path, error, keptAs));
    }
    EXPECT_EQ(error.cause, FileError::accessDenied);
    EXPECT_EQ(error.fileName, path);
    EXPECT_TRUE(keptAs.empty());
    EXPECT_EQ(ReadFile(path), "1, -45.700000, 0.000000, \r\n");

    // A record file that may not replace an existing one leaves it alone.
    RecordFile file;
    EXPECT_FALSE(file.Open(path, error, RecordFile::Existing::refuse));
    EXPECT_EQ(error.osError, EEXIST);
    EXPECT_EQ(ReadFile(path), "1, -45.700000, 0.000000, \r\n");
}
#endif

TEST(ConfigurationCache, TablesComeBackExactlyForTheSameUnitOnly) {
    const FixedTables tables = SampleTables();
    const std::string text = FormatConfigurationCache(kKey, tables);
    EXPECT_TRUE(text.starts_with("vx18d-configuration-cache 1\nserial_number 0012-ABCD\n"
                                 "firmware_date 20180309\nrf_switch 1\nreceiver 1\n"
                                 "band 1 1435000000 1540000000 0.0317 -120.3 0\n"))
        << text;
    std::string why;
    const auto back = ParseConfigurationCache(text, kKey, why);
    ASSERT_TRUE(back) << why;
    // Every number, the calibration to the last bit, as the read-out left it.
    EXPECT_EQ(FormatConfigurationCache(kKey, *back), text);
    EXPECT_EQ(back->rssiSlope[1][3], static_cast<std::int16_t>(327) / 10000.0);
    EXPECT_EQ(back->rssiOffset[1][3], static_cast<std::int16_t>(-1213) / 10.0);
    EXPECT_EQ(back->amFilter[1][31], 65535 - 62000 - 1);

    // Another unit, or the same unit after a firmware load, does not take it.
    EXPECT_FALSE(ParseConfigurationCache(text, {"0012-ABCE", 0x20180309}, why));
    EXPECT_EQ(why, "line 2: \"serial_number 0012-ABCE\" expected");
    EXPECT_FALSE(ParseConfigurationCache(text, {"0012-ABCD", 0x20190101}, why));
    EXPECT_EQ(why, "line 3: \"firmware_date 20190101\" expected");

    EXPECT_EQ(ConfigurationCacheFile("/c", kKey), "/c/VX18D_0012-ABCD_20180309.cache");
}

TEST(ConfigurationCache, AFileThatDoesNotReadExactlyIsRefusedWithItsLine) {
    const std::string good = FormatConfigurationCache(kKey, SampleTables());
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        return text.replace(at, from.size(), to);
    };
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "line 1: \"vx18d-configuration-cache 1\" expected"},
        {good.substr(0, good.size() / 2), "line"},                      // cut short
        {good.substr(0, good.size() - 4), "line 23: \"end\" expected"}, // no end
        {good + "band 1 0 0 0 0 0\n", "line 24: nothing may follow \"end\""},
        {replaced("rf_switch 1", "rf_switch 2"), "line 4: the value must be 0 or 1"},
        {replaced("band 2 ", "band 3 "), "line 7: the value must be band 2"},
        {replaced(" -120.3 0\n", " nan 0\n"), "line 6: the value must be band 1"},
        {replaced(" -120.3 0\n", " -120.3 2\n"), "line 6"},
        {replaced("if_bandwidth_khz 250 ", "if_bandwidth_khz 65536 "),
         "line 10: \"65536\" is not a value of \"if_bandwidth_khz\""},
        {replaced("if_bandwidth_khz 250 ", "if_bandwidth_khz "),
         "line 10: 8 values expected after \"if_bandwidth_khz\""},
        {replaced("video_filter_khz", "video_filter"), "line 11: \"video_filter_khz\" expected"},
    };
    for (const auto& [text, reason] : cases) {
        std::string why;
        EXPECT_FALSE(ParseConfigurationCache(text, kKey, why)) << reason;
        EXPECT_TRUE(why.starts_with(reason)) << why << " / " << reason;
    }
}
