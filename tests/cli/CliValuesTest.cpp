// The pieces of vx18dctl that need no unit: values typed on the command
// line, the byte trace and the firmware progress line.
#include "cli/ExitStatus.h"
#include "cli/ProgressLine.h"
#include "cli/ReceiverActions.h"
#include "cli/UnitActions.h"
#include "cli/ValueParsers.h"
#include "trace/ExchangeTrace.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vx;
using namespace vx::cli;

TEST(CliValues, FrequenciesAreReadExactlyInWholeHertz) {
    EXPECT_EQ(ParseFrequencyHz("2250.5MHz"), 2'250'500'000u);
    EXPECT_EQ(ParseFrequencyHz("2250.5"), 2'250'500'000u); // MHz, as the window's field
    EXPECT_EQ(ParseFrequencyHz("2.2505GHz"), 2'250'500'000u);
    EXPECT_EQ(ParseFrequencyHz("1485005kHz"), 1'485'005'000u);
    EXPECT_EQ(ParseFrequencyHz("1444.123456mhz"), 1'444'123'456u);
    EXPECT_EQ(ParseFrequencyHz("1444.1234560MHz"), 1'444'123'456u);
    EXPECT_FALSE(ParseFrequencyHz("1444.1234567MHz")); // below one hertz
    EXPECT_FALSE(ParseFrequencyHz("-5MHz"));
    EXPECT_FALSE(ParseFrequencyHz("12e3MHz"));
    EXPECT_FALSE(ParseFrequencyHz("."));
    EXPECT_FALSE(ParseFrequencyHz("99999999999999999999Hz"));

    EXPECT_EQ(ParseTime100us("100us"), 1u);
    EXPECT_EQ(ParseTime100us("1.5ms"), 15u);
    EXPECT_EQ(ParseTime100us("1s"), 10000u);
    EXPECT_FALSE(ParseTime100us("150us"));
    EXPECT_FALSE(ParseTime100us("5"));
    EXPECT_EQ(ParseTenths("-2.5"), -25);
    EXPECT_FALSE(ParseTenths("2.46"));
}

TEST(CliValues, SettingsAreCheckedAndMessagesNameTheValueAndWhatIsAllowed) {
    ReceiverAction range = ParseReceiverSetting("range=-2..2V");
    EXPECT_EQ(range.kind, ReceiverAction::Kind::RangePredefined);
    EXPECT_EQ(range.value, 4u); // the row whose voltages match
    range = ParseReceiverSetting("range=-100..0dBm,-2.5..2.5V");
    EXPECT_EQ(range.kind, ReceiverAction::Kind::RangeProgrammable);
    EXPECT_EQ(range.startTenths, -25);
    EXPECT_EQ(ParseReceiverSetting("xdout=b").value, 0u);
    EXPECT_EQ(ParseReceiverSetting("amfilter=1.5kHz").value, 1500u);
    EXPECT_TRUE(ParseReceiverSetting("ifbw=4000").byTableValue);
    EXPECT_FALSE(ParseReceiverSetting("ifbw=#4").byTableValue);

    try {
        ParseReceiverSetting("video-gain=16384");
        FAIL();
    } catch (const UsageError& e) {
        EXPECT_STREQ(e.what(), "video-gain=16384: allowed: 0 to 16383");
    }
    EXPECT_THROW(ParseReceiverSetting("ifbw=#8"), UsageError);
    EXPECT_THROW(ParseReceiverSetting("freq"), UsageError);

    UnitAction att = ParseUnitSetting("att2=-11.5dB");
    EXPECT_EQ(att.which, 1u);
    EXPECT_EQ(att.value, 40u);
    EXPECT_EQ(ParseUnitSetting("att1=63").value, 63u);
    EXPECT_EQ(ParseUnitSetting("linearise=2:4").which, 1u);
    EXPECT_EQ(ParseUnitSetting("linearise=2:4").value, 3u);
    EXPECT_EQ(ParseUnitSetting("led3=on").which, 3u);
    EXPECT_THROW(ParseUnitSetting("att1=0.5dB"), UsageError);
    EXPECT_THROW(ParseUnitSetting("boot-baud=110"), UsageError); // 110 / 100 is not 110
    EXPECT_THROW(ParseUnitSetting("linearise=3:1"), UsageError);
}

TEST(CliValues, TraceShowsEachExchangeAndWhatCameShort) {
    std::ostringstream out;
    {
        ExchangeTrace trace(out, [] { return std::int64_t{0}; });
        const std::uint8_t ping[] = {0x27, 0, 0, 0, 0, 0};
        trace.Request(ping, sizeof ping);
        for (std::uint8_t b : ping)
            trace.ReplyByte(b);
        const std::uint8_t status[] = {0x27, 0, 0x00, 0x20, 0, 0};
        trace.Request(status, sizeof status);
        trace.ReplyByte(0x27);
        trace.Break();
    }
    std::istringstream lines(out.str());
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);)
        all.push_back(line);
    EXPECT_EQ(all, (std::vector<std::string>{
                       "       0.0 | 27 00 00 00 00 00 | 27 00 00 00 00 00 | 0.0 ms | link test",
                       "       0.0 | 27 00 00 20 00 00 | 27 | 0.0 ms | status poll | "
                       "SHORT REPLY: 1 of 15 bytes",
                       "       0.0 | -- end of action --",
                   }));
}

TEST(CliValues, ProgressLineGivesBlocksBytesRateAndTimeLeft) {
    EXPECT_EQ(ProgressLine::Text(12, 300, 1536, 38400, 1.0),
              "block 12/300  1536/38400 bytes  1.5 kB/s  0:24 left");
    EXPECT_EQ(ProgressLine::Text(0, 300, 0, 38400, 0.0),
              "block 0/300  0/38400 bytes  0.0 kB/s  --:-- left");

    std::ostringstream plain;
    ProgressLine line(plain, false, 2, 256);
    line.Update(1, 128); // too soon after the start for a plain line
    line.Update(2, 256); // the last block is always shown
    EXPECT_EQ(plain.str().rfind("block 2/2  256/256 bytes", 0), 0u) << plain.str();
    EXPECT_EQ(plain.str().find('\r'), std::string::npos);
}
