// The texts and numbers the front ends share: numbers read and written as
// the C library does in any locale, the tuning frequency field, the
// reference clock page's texts, and the switch words built from the unit's
// last report.
#include "text/NumberText.h"
#include "text/RefClkText.h"
#include "text/TuningText.h"
#include "unit/SwitchWord.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <optional>
#include <string>

using namespace vx;

TEST(NumberText, NumbersAreReadAsScanfReadsThem) {
    EXPECT_EQ(ScanUnsigned("250"), std::optional<unsigned>(250));
    EXPECT_EQ(ScanUnsigned("  12abc"), std::optional<unsigned>(12));
    EXPECT_EQ(ScanUnsigned("+7"), std::optional<unsigned>(7));
    EXPECT_EQ(ScanUnsigned("-1"), std::optional<unsigned>(4294967295u));
    EXPECT_EQ(ScanUnsigned("99999999999"), std::optional<unsigned>(4294967295u));
    EXPECT_TRUE(!ScanUnsigned("").has_value());
    EXPECT_TRUE(!ScanUnsigned("abc").has_value());
    EXPECT_TRUE(!ScanUnsigned("- 5").has_value());
    EXPECT_EQ(ScanInt("-110 dBm"), std::optional<int>(-110));
    EXPECT_EQ(ScanInt("-99999999999"), std::optional<int>(INT_MIN));
    EXPECT_EQ(ScanDouble(" 2250.5MHz"), std::optional<double>(2250.5));
    EXPECT_EQ(ScanDouble("-3.5e1x"), std::optional<double>(-35.0));
    EXPECT_EQ(ScanDouble(".5"), std::optional<double>(0.5));
    EXPECT_TRUE(!ScanDouble(".").has_value());
    EXPECT_TRUE(!ScanDouble("MHz").has_value());
}

TEST(NumberText, NumbersKeepTheirDecimalPointInAnyLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    // A comma locale when the machine has one; the result must not change either way.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(ScanDouble("2250.5"), std::optional<double>(2250.5));
    EXPECT_EQ(ScanDouble("2250,5"), std::optional<double>(2250.0));
    EXPECT_EQ(FormatDouble(2250.5, 3), std::string("2250.500"));
    EXPECT_EQ(FormatDouble(-0.25, 1), std::string("-0.2"));
    EXPECT_EQ(FormatDouble(12, 0), std::string("12"));
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(RefClkText, TemperaturesRoundToTheNearestDegree) {
    EXPECT_EQ(CelsiusText(-40), std::string("-40 °C"));
    EXPECT_EQ(FahrenheitText(-40), std::string("-40 °F"));
    EXPECT_EQ(FahrenheitText(25), std::string("77 °F"));
    // Below -17 °C the sum is negative: -19 °C is -2.2 °F, -20 °C is -4 °F.
    EXPECT_EQ(CelsiusToFahrenheit(-19), -2);
    EXPECT_EQ(CelsiusToFahrenheit(-20), -4);
    EXPECT_EQ(CelsiusToFahrenheit(-32768), -58950);
    EXPECT_EQ(CelsiusToFahrenheit(32767), 59013);
    EXPECT_EQ(VoltsText(12.9), std::string("12 V"));
    EXPECT_EQ(AmperesText(-2.7), std::string("-2 A"));
    EXPECT_EQ(FirmwareVersionText(0xABC), std::string("00000ABC"));
}

TEST(SwitchWord, SwitchWordCopiesTheBoardFlags) {
    // With the companion board or forced EEPROM the page offers no click
    // that sends these; the words are still built from the flags reported.
    SwitchReport report;
    report.switches[0] = report.switches[7] = 1;
    report.companionBoard = 1;
    report.eepromForced = 1;
    EXPECT_EQ(SwitchWordToggling(report, 0), plat::WORD{0xE080});
    EXPECT_EQ(SwitchWordTogglingPreference(report), plat::WORD{0xE081});
    report.eepromForced = 0;
    report.preferEeprom = 1;
    EXPECT_EQ(SwitchWordTogglingPreference(report), plat::WORD{0x8081});
}

TEST(TuningText, OnlyDigitsWithOnePointAreAFrequency) {
    const std::pair<const char*, std::uint64_t> frequencies[] = {
        {"2250.5", 2'250'500'000},
        {"1500", 1'500'000'000},
        {"1500.", 1'500'000'000},
        {" 1485.005 ", 1'485'005'000},
        {"1500.0000001", 1'500'000'000}, // the seventh digit is dropped
        {"1444.1234567", 1'444'123'456},
        {"0", 0},
        {"99999999999.5", 4'294'967'295'500'000}, // the megahertz saturate as %u does
    };
    for (const auto& [text, hz] : frequencies)
        EXPECT_EQ(TuningTextHz(text), hz) << text;

    for (const char* text : {"abc1500.25x", "abc", "1500.abc", "1485.005MHz", "", "  ", ".5",
                             "-1500", "+1500", "1500.2.5", "1 500", "1500,5", "0x10"})
        EXPECT_FALSE(TuningTextHz(text)) << text;
}
