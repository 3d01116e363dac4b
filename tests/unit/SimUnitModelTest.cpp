// The simulated unit's model and framer, driven with packets and bytes.
#include "sim/DagcRanges.h"
#include "sim/FactoryTables.h"
#include "sim/FaultOptions.h"
#include "sim/FaultPlan.h"
#include "sim/PacketFramer.h"
#include "sim/UnitModel.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace {

using sim::Packet;
using sim::UnitModel;
using Bytes = std::vector<std::uint8_t>;

// Sends a short command and returns reply bytes 6..9.
std::array<std::uint8_t, 4> Short(UnitModel& unit, std::uint8_t command, std::uint8_t a1 = 0,
                                  std::uint8_t a2 = 0, std::uint8_t a3 = 0) {
    const auto reply = unit.Handle(Packet{sim::kShortCommand, {command, a1, a2, a3}});
    EXPECT_TRUE(reply.has_value());
    if (!reply || reply->payload.size() != 4) {
        return {0, 0, 0, 0};
    }
    EXPECT_EQ(reply->type, sim::kShortCommand);
    return {reply->payload[0], reply->payload[1], reply->payload[2], reply->payload[3]};
}

std::uint16_t ReadRegister(UnitModel& unit, int rx, int page, int reg) {
    Short(unit, static_cast<std::uint8_t>(0x10 | rx), static_cast<std::uint8_t>(page));
    const auto r =
        Short(unit, static_cast<std::uint8_t>(0x10 | rx), static_cast<std::uint8_t>(0x40 | reg));
    return static_cast<std::uint16_t>(r[2] | (r[3] << 8));
}

struct Word {
    int rx = 0;
    std::uint8_t setup = 0, agcTc = 0, band = 0, videoFilter = 0, ifBandwidth = 3, amFilter = 31;
    bool fmInverted = false, xdout = false, freeze = false, agcZero = false, dagcControl = false;
    bool tlm2 = false, amInverted = false, intRef = false;
    std::uint8_t leds = 0;
    std::uint64_t hz = 0;
};

// The configuration word as the program lays it out.
Packet ConfigWord(const Word& w) {
    return Packet{
        sim::kConfigurationWord,
        {static_cast<std::uint8_t>(w.rx | (w.setup << 1) | (w.fmInverted << 5) | (w.xdout << 6)),
         static_cast<std::uint8_t>(w.leds | (w.intRef << 7)),
         static_cast<std::uint8_t>(w.agcTc | (w.freeze << 3) | (w.band << 4) | (w.agcZero << 6) |
                                   ((!w.dagcControl) << 7)),
         static_cast<std::uint8_t>(w.videoFilter | (w.tlm2 << 3) | (w.ifBandwidth << 4)),
         static_cast<std::uint8_t>(w.amFilter | (w.amInverted << 7)),
         static_cast<std::uint8_t>((w.hz % 1000000) / 10000),
         static_cast<std::uint8_t>((w.hz % 256000000) / 1000000),
         static_cast<std::uint8_t>(w.hz / 256000000)}};
}

void Tune(UnitModel& unit, int rx, std::uint64_t hz, std::uint8_t band = 0, std::uint8_t ifBw = 3) {
    Word w;
    w.rx = rx;
    w.hz = hz;
    w.band = band;
    w.ifBandwidth = ifBw;
    ASSERT_TRUE(unit.Handle(ConfigWord(w)).has_value());
}

Bytes Status(UnitModel& unit) {
    const auto reply = unit.Handle(Packet{sim::kStatusPoll, {}});
    EXPECT_TRUE(reply && reply->payload.size() == 9);
    return reply ? reply->payload : Bytes(9, 0);
}

// Payload index of a receiver's first status byte (reply byte 7 or 11).
std::size_t StatusAt(int rx) {
    return 1 + 4 * rx;
}

double RssiDbm(UnitModel& unit, int rx, int band) {
    const Bytes s = Status(unit);
    const unsigned raw = s[StatusAt(rx)] | ((s[StatusAt(rx) + 1] & 0x0F) << 8);
    const auto slope = static_cast<std::int16_t>(ReadRegister(unit, rx, 0, 29 + 2 * band));
    const auto offset = static_cast<std::int16_t>(ReadRegister(unit, rx, 0, 30 + 2 * band));
    return slope / 10000.0 * raw + offset / 10.0;
}

TEST(SimUnitModel, ConfigurationWordReadsBackInGroups) {
    UnitModel unit;
    Word w;
    w.rx = 1;
    w.setup = 9;
    w.fmInverted = true;
    w.agcTc = 5;
    w.freeze = true;
    w.band = 2;
    w.agcZero = true;
    w.dagcControl = true;
    w.videoFilter = 6;
    w.tlm2 = true;
    w.ifBandwidth = 4;
    w.amFilter = 17;
    w.amInverted = true;
    w.hz = 2312500000;
    const auto reply = unit.Handle(ConfigWord(w));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(sim::EncodePacket(*reply), (Bytes{0x27, 0x00, 0x00, 0x10, 0x00, 0x00}));

    const auto g0 = Short(unit, 0x91, 0);
    EXPECT_EQ(g0[0], 0x91);
    EXPECT_EQ(g0[1], 0x08 | 0x40); // freeze, AGC zero; bit 7 clear = DAGC control
    EXPECT_EQ(g0[2], 2 | 0x08 | (4 << 4));
    EXPECT_EQ(g0[3], 17 | 0x80);

    EXPECT_EQ(Short(unit, 0x91, 1), (std::array<std::uint8_t, 4>{0x91, 50, 0x08, 0x09}));

    Short(unit, 0x21, 2); // DAGC mode 2
    Short(unit, 0xB9, 1); // filtered RSSI averaging
    const auto g2 = Short(unit, 0x91, 2);
    EXPECT_EQ(g2[1] | (g2[2] << 8), sim::kAgcTimeConstants[5]);
    EXPECT_EQ(g2[3] & 0x03, 2);
    EXPECT_EQ(g2[3] & 0x0C, 0x04);

    EXPECT_EQ(Short(unit, 0x91, 5)[1], (6 << 1) | (5 << 4) | 0x80);

    // The other receiver is untouched, and hardware control sets bit 7.
    EXPECT_EQ(Short(unit, 0x90, 0)[1], 0x80);
    EXPECT_EQ(unit.Receiver(0).frequencyHz, sim::kPowerUpFrequencyHz[0]);
}

TEST(SimUnitModel, ConfigurationWordCarriesUnitWideFields) {
    UnitModel unit(sim::UnitOptions{.companionBoard = true});
    Word w;
    w.intRef = true;
    w.leds = 0x05;
    w.hz = 1450000000;
    unit.Handle(ConfigWord(w));
    EXPECT_EQ(Status(unit)[0], 0x80 | 0x40 | 0x05);

    UnitModel plain;
    plain.Handle(ConfigWord(w));
    EXPECT_EQ(Status(plain)[0], 0x80 | 0x40); // no LEDs without the companion board
}

TEST(SimUnitModel, RegistersKeepPagePerReceiverAndTakeWrites) {
    UnitModel unit;
    EXPECT_EQ(Short(unit, 0x11, 18)[1], 18);
    EXPECT_EQ(Short(unit, 0x10, 40)[1], 32); // pages above 32 select 32

    const auto w = Short(unit, 0x11, 0x80 | 9, 0x34, 0x12);
    EXPECT_EQ(w[2] | (w[3] << 8), 0x1234);
    EXPECT_EQ(Short(unit, 0x11, 0x40 | 9)[2], 0x34); // receiver 1 still on page 18
    EXPECT_EQ(ReadRegister(unit, 1, 18, 9), 0x1234);
    EXPECT_EQ(ReadRegister(unit, 0, 18, 9), sim::kFactoryVideoGain);
}

TEST(SimUnitModel, OptionsShowInIdentityRegisters) {
    sim::UnitOptions o;
    o.firmwareDate = 0x20140320;
    o.serialWord1 = 0x0042;
    o.serialWord2 = 0xBEEF;
    o.rfSwitch = true;
    o.bootBaudRate = 115200;
    o.bootSerialType = 1;
    o.receiverHasBands = {true, false};
    UnitModel unit(o);
    EXPECT_EQ(ReadRegister(unit, 0, 0, 49), 0x0320);
    EXPECT_EQ(ReadRegister(unit, 0, 0, 50), 0x2014);
    EXPECT_EQ(ReadRegister(unit, 0, 0, 52), 0x0042);
    EXPECT_EQ(ReadRegister(unit, 0, 0, 53), 0xBEEF);
    EXPECT_EQ(ReadRegister(unit, 0, 0, 54) & 0xFF, 10);
    EXPECT_NE(ReadRegister(unit, 0, 0, 55), 0);
    EXPECT_EQ(ReadRegister(unit, 0, 0, 45), 1152);
    EXPECT_EQ(ReadRegister(unit, 1, 0, 46) & 1, 1);
    EXPECT_EQ(ReadRegister(unit, 0, 0, 21), sim::kFactoryBands[0][1].lowMHz);
    for (int reg = 19; reg <= 26; ++reg) {
        EXPECT_EQ(ReadRegister(unit, 1, 0, reg), 0) << reg;
    }
    // Without bands the second receiver never locks.
    EXPECT_EQ(Status(unit)[StatusAt(1) + 1] & 0x30, 0);
}

TEST(SimUnitModel, RawRssiFollowsTuningThroughBandCalibration) {
    UnitModel unit;
    Tune(unit, 0, 1450000000);
    EXPECT_NEAR(RssiDbm(unit, 0, 0), -45.0, 0.02);
    Bytes s = Status(unit);
    EXPECT_EQ(s[StatusAt(0) + 1] & 0x30, 0x30); // both LOs locked
    EXPECT_EQ(s[StatusAt(0) + 2], 30);          // AM index
    EXPECT_EQ(s[StatusAt(0) + 3], 40);          // FM deviation

    // 2 MHz IF: a carrier 1.5 MHz away is outside the passband, 20 MHz takes it in.
    Tune(unit, 0, 1451500000);
    EXPECT_NEAR(RssiDbm(unit, 0, 0), -115.0, 0.02);
    EXPECT_EQ(Status(unit)[StatusAt(0) + 2], 0);
    Tune(unit, 0, 1451500000, 0, 7);
    EXPECT_NEAR(RssiDbm(unit, 0, 0), -45.0, 0.02);

    // The second receiver has its own calibration.
    Tune(unit, 1, 2250500000);
    EXPECT_NEAR(RssiDbm(unit, 1, 2), -70.0, 0.02);

    // A changed calibration register changes the raw word, not the level.
    Short(unit, 0x11, 0);
    Short(unit, 0x11, 0x80 | 34, 0xA0, 0xFB); // offset band 2 = -112.0
    EXPECT_NEAR(RssiDbm(unit, 1, 2), -70.0, 0.02);

    // Outside every band: LOs unlocked and no reading.
    Tune(unit, 0, 1600000000);
    s = Status(unit);
    EXPECT_EQ(s[StatusAt(0) + 1] & 0x30, 0);
    EXPECT_EQ(s[StatusAt(0)], 0);
}

TEST(SimUnitModel, OverlappingBandsKeepTheBandAskedFor) {
    UnitModel unit;
    Tune(unit, 0, 2400000000, 3);
    EXPECT_EQ(Short(unit, 0x90, 0)[2] & 3, 3);
    Tune(unit, 0, 2400000000, 0);
    EXPECT_EQ(Short(unit, 0x90, 0)[2] & 3, 2);
    unit.ForceRawRssi(0, 1000);
    EXPECT_NEAR(RssiDbm(unit, 0, 2), 0.0322 * 1000 - 120.5, 1e-9);
}

TEST(SimUnitModel, TestOverridesAndAmCounter) {
    UnitModel unit;
    Tune(unit, 1, 1780000000, 1);
    EXPECT_EQ(Short(unit, 0x39), (std::array<std::uint8_t, 4>{0x39, 0x70, 0x11, 0x01})); // 70000 Hz
    EXPECT_EQ(Short(unit, 0x38), (std::array<std::uint8_t, 4>{0x38, 0xE8, 0x03, 0x00})); // 1000 Hz

    unit.ForceRawRssi(0, 0xFFF);
    unit.ForceAmIndex(0, 99);
    unit.ForceFmDeviation(1, 7);
    unit.SetAgcZeroActive(1, true);
    Bytes s = Status(unit);
    EXPECT_EQ(s[StatusAt(0)], 0xFF);
    EXPECT_EQ(s[StatusAt(0) + 1] & 0x0F, 0x0F);
    EXPECT_EQ(s[StatusAt(0) + 2], 99);
    EXPECT_EQ(s[StatusAt(1) + 3], 7);
    EXPECT_EQ(s[StatusAt(1) + 1] & 0x40, 0x40);
    EXPECT_EQ(s[StatusAt(0) + 1] & 0x40, 0);
    // The next configuration word puts AGC zero back to what the host commands.
    Tune(unit, 1, 1780000000, 1);
    EXPECT_EQ(Status(unit)[StatusAt(1) + 1] & 0x40, 0);

    // A reference of the wrong frequency unlocks the PLL and with it the LOs.
    Short(unit, 0x40, 0, 20);
    s = Status(unit);
    EXPECT_EQ(s[0] & 0x40, 0);
    EXPECT_EQ(s[StatusAt(1) + 1] & 0x30, 0);
}

TEST(SimUnitModel, DagcRangesLimitsAndVoltages) {
    UnitModel unit;
    EXPECT_EQ(Short(unit, 0x90, 4), (std::array<std::uint8_t, 4>{0x90, 0, 0xD8, 8}));
    Short(unit, 0x70, static_cast<std::uint8_t>(-60), static_cast<std::uint8_t>(-20));
    EXPECT_EQ(Short(unit, 0x58, 0, 12), (std::array<std::uint8_t, 4>{0x58, 20, 0xEC, 12}));
    EXPECT_EQ(Short(unit, 0x90, 3), (std::array<std::uint8_t, 4>{0x90, 0x92, 10, 12}));

    // Voltages that match no predefined range report the programmed-range code.
    EXPECT_EQ(Short(unit, 0x78, static_cast<std::uint8_t>(-35), 0)[3],
              sim::kProgrammedDagcRangeCode);
    EXPECT_EQ(Short(unit, 0x78, static_cast<std::uint8_t>(-40), 40)[3], 7);
    EXPECT_EQ(Short(unit, 0x78, 90, static_cast<std::uint8_t>(-90)),
              (std::array<std::uint8_t, 4>{0x78, 40, 0xD8, 15}));

    const auto limits = Short(unit, 0x70, static_cast<std::uint8_t>(-120), 20);
    EXPECT_EQ(static_cast<std::int8_t>(limits[1]), -110);
    EXPECT_EQ(limits[2], 10);
    // An unknown range code changes nothing.
    EXPECT_EQ(Short(unit, 0x58, 0, 5)[3], 15);
}

TEST(SimUnitModel, UnitWideShortCommands) {
    UnitModel unit(sim::UnitOptions{.companionBoard = true});
    unit.SetDiscretes(0x1A);
    EXPECT_EQ(Short(unit, 0x48), (std::array<std::uint8_t, 4>{0x48, 0x80, 0x00, 0x1A}));
    EXPECT_EQ(Short(unit, 0x48, 0x80, 0xA0, 0x5A),
              (std::array<std::uint8_t, 4>{0x48, 0xA0, 0x5A, 0x1A}));

    // Setting DC2 only: DC1's byte has bit 7 clear and is not taken.
    EXPECT_EQ(Short(unit, 0xC1, 0x05, 0xCA, 0x00),
              (std::array<std::uint8_t, 4>{0xC1, 63, 0x4A, 0}));
    EXPECT_EQ(Short(unit, 0xC0, 0, 0, 0x03)[3], 1);
    EXPECT_EQ(Short(unit, 0xC0, 0, 0, 0x01)[3], 1); // bit 1 clear: on-at-boot not set
    EXPECT_EQ(Short(unit, 0xC0, 0, 0, 0x02)[3], 0);

    const auto temp = Short(unit, 0xC8, 1);
    EXPECT_EQ(static_cast<std::int16_t>(temp[2] | (temp[3] << 8)), -8);

    EXPECT_EQ(Short(unit, 0x68, 3, 150)[2], 99);
    EXPECT_EQ(Short(unit, 0x68, 4)[2], 99);
    EXPECT_EQ(Short(unit, 0x80, 1, 0xFF, 0xFF), (std::array<std::uint8_t, 4>{0x80, 1, 0xFF, 0x3F}));
    EXPECT_EQ(Short(unit, 0x30, 0, 31)[2] | (Short(unit, 0x30, 0, 31)[3] << 8),
              sim::kAmFilterHz[31]);

    Short(unit, 0xF8, 0, 0x80, 0x04);
    EXPECT_EQ(ReadRegister(unit, 0, 0, 45), 1152);
    EXPECT_EQ(Short(unit, 0xF8, 5, 1)[1], 5);
    EXPECT_EQ(ReadRegister(unit, 1, 0, 46), 1);

    EXPECT_EQ(Short(unit, 0xE8, 1, 2, 3), (std::array<std::uint8_t, 4>{0xE8, 0, 0, 0}));
}

TEST(SimUnitModel, SwitchLinesComeFromEepromOnlyWhileItStandsInForTheDipSwitches) {
    UnitModel unit;
    unit.SetDipSwitches(0x81);
    EXPECT_EQ(Short(unit, 0x48)[2], 0x81);
    // A write without the preference does not reach the switch lines.
    EXPECT_EQ(Short(unit, 0x48, 0x80, 0x00, 0x04),
              (std::array<std::uint8_t, 4>{0x48, 0, 0x81, 0x05}));
    // With it, the written lines are kept and reported.
    EXPECT_EQ(Short(unit, 0x48, 0x80, 0x20, 0x04),
              (std::array<std::uint8_t, 4>{0x48, 0x20, 0x04, 0x05}));
    // Preference off again: the DIP switches count, the EEPROM copy stays.
    EXPECT_EQ(Short(unit, 0x48, 0x80, 0x00, 0x55)[2], 0x81);
    unit.SetEepromForced(true);
    EXPECT_EQ(Short(unit, 0x48), (std::array<std::uint8_t, 4>{0x48, 0x40, 0x04, 0x05}));
}

TEST(SimUnitModel, OlderFirmwareIgnoresSerialTypeCommand) {
    UnitModel unit(sim::UnitOptions{.firmwareDate = 0x20180308});
    EXPECT_EQ(Short(unit, 0xF8, 5, 1), (std::array<std::uint8_t, 4>{0xF8, 0, 0, 0}));
    EXPECT_EQ(ReadRegister(unit, 1, 0, 46), 0);
}

TEST(SimUnitModel, LinearisationClearsLockoutOnlyWhereItCan) {
    UnitModel unit(sim::UnitOptions{.receiverHasBands = {true, false}});
    unit.WriteRegister(0, 2, 4, 1);
    EXPECT_EQ(Short(unit, 0x00, 20, 0)[3], 1);
    EXPECT_EQ(ReadRegister(unit, 0, 2, 4), 0);
    EXPECT_EQ(unit.Receiver(0).linearisations[0], 1);

    EXPECT_NE(ReadRegister(unit, 0, 4, 4), 0);
    EXPECT_EQ(Short(unit, 0x00, 20, 2)[3], 0); // band 2 has no linearisation
    EXPECT_NE(ReadRegister(unit, 0, 4, 4), 0);

    EXPECT_EQ(ReadRegister(unit, 1, 3, 4), 0);
    EXPECT_EQ(Short(unit, 0x01, 20, 1)[3], 0); // undefined band becomes locked
    EXPECT_NE(ReadRegister(unit, 1, 3, 4), 0);
}

TEST(SimUnitModel, FirmwareBlocksAndCommit) {
    UnitModel unit;
    Bytes image;
    for (int i = 0; i < 300; ++i) {
        image.push_back(static_cast<std::uint8_t>(i * 7));
    }
    for (std::size_t at = 0; at < image.size(); at += 128) {
        const std::size_t n = std::min<std::size_t>(128, image.size() - at);
        const auto reply = unit.Handle(
            Packet{sim::kFirmwareBlock, Bytes(image.begin() + at, image.begin() + at + n)});
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(sim::EncodePacket(*reply), (Bytes{0x27, 0, 0x20, 0x10, 0, 0}));
    }
    EXPECT_FALSE(unit.Handle(Packet{sim::kFirmwareBlock, Bytes(129, 0)}).has_value());
    EXPECT_EQ(Short(unit, 0x98, 0xFF), (std::array<std::uint8_t, 4>{0x98, 1, 0, 0}));
    ASSERT_TRUE(unit.LastCommittedImage().has_value());
    EXPECT_EQ(unit.LastCommittedImage()->bytes, image);
    EXPECT_EQ(unit.LastCommittedImage()->crc32, sim::Crc32(image));
    EXPECT_EQ(Short(unit, 0x98, 0xFF)[1], 0); // buffer emptied by the commit

    // Exactly 1 MiB is taken; one byte more is refused.
    const Bytes block(128, 0x5A);
    for (int i = 0; i < 8192; ++i) {
        unit.Handle(Packet{sim::kFirmwareBlock, block});
    }
    EXPECT_EQ(Short(unit, 0x98, 0xFF)[1], 1);
    EXPECT_EQ(unit.LastCommittedImage()->bytes.size(), sim::FirmwareStore::kCapacity);
    for (int i = 0; i < 8192; ++i) {
        unit.Handle(Packet{sim::kFirmwareBlock, block});
    }
    unit.Handle(Packet{sim::kFirmwareBlock, {1}});
    EXPECT_TRUE(unit.Firmware().Overflowed());
    EXPECT_EQ(Short(unit, 0x98, 0xFF)[1], 0);
    EXPECT_EQ(unit.Firmware().CommitCount(), 2);
}

TEST(SimUnitModel, RequestsNotUnderstoodGetNoAnswer) {
    UnitModel unit;
    EXPECT_FALSE(unit.Handle(Packet{{0x05, 0x05}, {}}).has_value());
    EXPECT_FALSE(unit.Handle(Packet{sim::kShortCommand, {0x10, 0}}).has_value());
    EXPECT_FALSE(unit.Handle(Packet{sim::kConfigurationWord, Bytes(7, 0)}).has_value());
    EXPECT_FALSE(unit.Handle(Packet{sim::kStatusPoll, {0}}).has_value());
    const auto ping = unit.Handle(Packet{sim::kLinkTest, {}});
    ASSERT_TRUE(ping.has_value());
    EXPECT_EQ(sim::EncodePacket(*ping), (Bytes{0x27, 0, 0, 0, 0, 0}));
}

TEST(SimPacketFramer, ResynchronisesAndSplitsPackets) {
    using namespace std::chrono_literals;
    sim::PacketFramer framer;
    const auto t0 = sim::PacketFramer::Clock::now();
    // Noise, a false start (0x27 not followed by 0x00), then a status poll
    // and the first half of a short command.
    const Bytes first{0x00, 0xFF, 0x27, 0x27, 0x00, 0x00, 0x20,
                      0x00, 0x00, 0x27, 0x00, 0x01, 0x10, 0x04};
    auto got = framer.Feed(first, t0);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].packet.type, sim::kStatusPoll);
    EXPECT_EQ(got[0].raw, (Bytes{0x27, 0x00, 0x00, 0x20, 0x00, 0x00}));
    EXPECT_EQ(framer.DiscardedBytes(), 3u);

    got = framer.Feed(Bytes{0x00, 0x48, 0x00, 0x00, 0x00}, t0 + 10ms);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].packet.payload, (Bytes{0x48, 0, 0, 0}));
    EXPECT_EQ(got[0].firstByteTime, t0);

    // A header announcing more than the unit ever takes is noise.
    got = framer.Feed(Bytes{0x27, 0x00, 0x20, 0x10, 0xFF, 0xFF, 0x27, 0x00, 0x00, 0x00, 0x00, 0x00},
                      t0);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].packet.type, sim::kLinkTest);
}

TEST(SimPacketFramer, DropsPartialPacketAfterGap) {
    using namespace std::chrono_literals;
    sim::PacketFramer framer;
    const auto t0 = sim::PacketFramer::Clock::now();
    EXPECT_TRUE(framer.Feed(Bytes{0x27, 0x00, 0x01, 0x10, 0x04, 0x00, 0x10}, t0).empty());
    // Still within the gap: the packet completes.
    auto got = framer.Feed(Bytes{0x00, 0x00, 0x00}, t0 + 499ms);
    ASSERT_EQ(got.size(), 1u);

    EXPECT_TRUE(framer.Feed(Bytes{0x27, 0x00, 0x01, 0x10, 0x04, 0x00, 0x10}, t0).empty());
    EXPECT_EQ(framer.GapDeadline(), t0 + sim::PacketFramer::kGapTimeout);
    // After the gap the old half is gone and a new packet stands alone.
    got = framer.Feed(Bytes{0x27, 0x00, 0x00, 0x00, 0x00, 0x00}, t0 + 500ms);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].packet.type, sim::kLinkTest);
    EXPECT_EQ(framer.PendingBytes(), 0u);
}

TEST(SimFaultPlan, ShapesRepliesAndUsesFaultsUp) {
    const Bytes reply{0x27, 0x00, 0x00, 0x20, 0x09, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    sim::FaultPlan plan;
    plan.wrongHeaders = 1;
    plan.shortReplies = 2;
    plan.bytesMissing = 4;
    plan.surplusReplies = 1;
    plan.surplusBytes = {0xAA, 0xBB};
    plan.lateAnswers = 1;
    plan.lateDelay = std::chrono::milliseconds(300);

    sim::ShapedReply s = sim::ApplyFaults(plan, reply);
    EXPECT_FALSE(s.silent);
    Bytes expected(reply.begin(), reply.end() - 4);
    expected[2] = 0xFF;
    expected.insert(expected.end(), {0xAA, 0xBB});
    EXPECT_EQ(s.bytes, expected);
    EXPECT_EQ(s.extraDelay.count(), 300);

    s = sim::ApplyFaults(plan, reply);
    EXPECT_EQ(s.bytes, Bytes(reply.begin(), reply.end() - 4));
    EXPECT_EQ(s.extraDelay.count(), 0);
    EXPECT_TRUE(plan.Empty());
    EXPECT_EQ(sim::ApplyFaults(plan, reply).bytes, reply);
}

TEST(SimFaultPlan, CorruptReplayGarbageAndStall) {
    const Bytes previous{0x27, 0x00, 0x00, 0x00, 0x00, 0x00};
    const Bytes reply{0x27, 0x00, 0x01, 0x10, 0x04, 0x00, 0x30, 0x11, 0x22, 0x33};
    sim::FaultPlan plan;

    plan.corruptReplies = 2;
    plan.corruptIndex = 7;
    Bytes expected = reply;
    expected[7] = 0xEE;
    EXPECT_EQ(sim::ApplyFaults(plan, reply, previous).bytes, expected);
    expected = previous;
    expected[5] = 0xFF; // shorter than the index: its last byte
    EXPECT_EQ(sim::ApplyFaults(plan, previous).bytes, expected);

    // A replay needs an earlier reply; until there is one it waits.
    plan.replays = 1;
    EXPECT_EQ(sim::ApplyFaults(plan, reply).bytes, reply);
    EXPECT_EQ(sim::ApplyFaults(plan, reply, previous).bytes, previous);
    EXPECT_EQ(sim::ApplyFaults(plan, reply, previous).bytes, reply);

    plan.garbageReplies = 1;
    plan.garbageLength = 5000;
    const sim::ShapedReply garbage = sim::ApplyFaults(plan, reply, previous);
    EXPECT_EQ(garbage.bytes, sim::GarbageBytes(5000));
    EXPECT_NE(garbage.bytes, Bytes(5000, garbage.bytes[0])); // not one repeated byte

    plan.stalls = 1;
    plan.stallDuration = std::chrono::milliseconds(700);
    const sim::ShapedReply stalled = sim::ApplyFaults(plan, reply, previous);
    EXPECT_EQ(stalled.bytes, reply); // answered, then the unit stops reading
    EXPECT_EQ(stalled.stallAfter.count(), 700);
    EXPECT_TRUE(plan.Empty());
}

TEST(SimFaultOptions, ParsesWhatTheHelpLists) {
    // Every kind in the help text parses in the form the help shows.
    std::istringstream help(sim::FaultHelp());
    int kinds = 0;
    for (std::string line; std::getline(help, line);) {
        std::istringstream words(line);
        std::string usage;
        words >> usage;
        const auto colon = usage.find(':');
        const std::string text =
            colon == std::string::npos ? usage : usage.substr(0, colon) + ":25";
        std::string error;
        const auto fault = sim::ParseFault(text, error);
        ASSERT_TRUE(fault.has_value()) << text << ": " << error;
        EXPECT_EQ(fault->value, colon == std::string::npos ? 0 : 25);
        EXPECT_EQ(fault->every, 0);
        ++kinds;
    }
    EXPECT_EQ(kinds, 10);

    std::string error;
    const auto recurring = sim::ParseFault("late:450@20", error);
    ASSERT_TRUE(recurring.has_value()) << error;
    EXPECT_EQ(recurring->kind, "late");
    EXPECT_EQ(recurring->value, 450);
    EXPECT_EQ(recurring->every, 20);

    for (const char* bad : {"late", "late:", "late:-5", "late:4x", "replay:3", "nonsense",
                            "corrupt:7@0", "silent-after:3@5", "stall:99999999999"}) {
        error.clear();
        EXPECT_FALSE(sim::ParseFault(bad, error).has_value()) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(SimFaultPlan, SilenceAndStopAfter) {
    const Bytes reply{0x27, 0x00, 0x00, 0x00, 0x00, 0x00};
    sim::FaultPlan plan;
    plan.noAnswer = 1;
    plan.answersLeft = 2;
    EXPECT_TRUE(sim::ApplyFaults(plan, reply).silent); // withheld, not counted as an answer
    EXPECT_FALSE(sim::ApplyFaults(plan, reply).silent);
    EXPECT_FALSE(sim::ApplyFaults(plan, reply).silent);
    EXPECT_TRUE(sim::ApplyFaults(plan, reply).silent);
    EXPECT_TRUE(sim::ApplyFaults(plan, reply).silent);
}

TEST(SimFaultPlan, DelayedFaultsHitTheExchangeAfterTheUntouchedOnes) {
    const Bytes reply{0x27, 0x00, 0x20, 0x10, 0x00, 0x00};
    sim::FaultPlan plan;
    plan.untouched = 2;
    plan.noAnswer = 1;
    plan.answersLeft = 3;
    EXPECT_EQ(sim::ApplyFaults(plan, reply).bytes, reply);
    EXPECT_EQ(sim::ApplyFaults(plan, reply).bytes, reply);
    EXPECT_TRUE(sim::ApplyFaults(plan, reply).silent);
    EXPECT_EQ(sim::ApplyFaults(plan, reply).bytes, reply); // the third answer
    EXPECT_TRUE(sim::ApplyFaults(plan, reply).silent);
}

} // namespace
