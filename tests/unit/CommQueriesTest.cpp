// Register access, the status poll, identity, settings read-back, the
// start-up read-out and the stored sample rate, against a scripted port.
#include "protocol/CVX18D3_Comm.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <tuple>

using namespace vxtest;
using vx::CVX18D3_Comm;

namespace {

struct RecordingWindow : plat::MessageTarget {
    std::vector<std::pair<plat::UINT, plat::WPARAM>> messages;
    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM) override {
        messages.emplace_back(message, wParam);
        return 0;
    }
};

// A unit with a register map behind command 0x10; other short commands are
// answered by `other` (silence when it returns nothing).
struct FakeRegisters {
    std::map<std::tuple<int, int, int>, plat::WORD> values; // receiver, page, register
    std::function<std::optional<Bytes>(const Bytes&)> other;
    std::vector<std::tuple<int, int, int>> reads;
    int page[2] = {0, 0};

    void Attach(ScriptedPort& port) {
        port.onWrite = [this](const Bytes& p, ScriptedPort& port) {
            if (p.size() != 10)
                return;
            const int rx = p[6] & 1;
            if ((p[6] & 0xFE) != 0x10) {
                if (auto reply = other ? other(p) : std::nullopt)
                    port.Queue(*reply);
                return;
            }
            if ((p[7] & 0xC0) == 0) {
                page[rx] = p[7];
                port.Queue(ShortReply(p[6], p[7], 0, 0));
            } else if ((p[7] & 0xC0) == 0x40) {
                const int reg = p[7] & 0x3F;
                reads.emplace_back(rx, page[rx], reg);
                const plat::WORD v = values[{rx, page[rx], reg}];
                port.Queue(ShortReply(p[6], p[7], v & 0xFF, v >> 8));
            } else {
                values[{rx, page[rx], p[7] & 0x3F}] = static_cast<plat::WORD>(p[8] | p[9] << 8);
                port.Queue(ShortReply(p[6], p[7], p[8], p[9]));
            }
        };
    }
};

class CommQueries : public ::testing::Test {
protected:
    ScriptedPort port;
    CVX18D3_Comm comm{&port};
    FakeRegisters unit;
    CommQueries() { comm.m_nTimeout = 20; }
    void SetIdentity(plat::DWORD firmware) {
        unit.values[{0, 0, 49}] = firmware & 0xFFFF;
        unit.values[{0, 0, 50}] = firmware >> 16;
    }
    // Answers every short command with the given result bytes.
    void AnswerAll(std::uint8_t r1, std::uint8_t r2, std::uint8_t r3) {
        port.onWrite = [=](const Bytes& p, ScriptedPort& port) {
            port.Queue(ShortReply(p[6], r1, r2, r3));
        };
    }
};

TEST_F(CommQueries, RegisterAccessIsPageSelectThenAccess) {
    unit.Attach(port);
    unit.values[{0, 0, 52}] = 0xABCD;
    EXPECT_EQ(comm.ReadRegister(0, 0, 52, 0), 0xABCD);
    EXPECT_EQ(port.written,
              (std::vector<Bytes>{ShortRequest(0x10, 0, 0, 0), ShortRequest(0x10, 0x74, 0, 0)}));

    // Receiver 1 sets bit 0; 2 counts as 0; pages above 32 and registers above 63 are clamped.
    port.written.clear();
    comm.ReadRegister(1, 40, 70, 0);
    comm.ReadRegister(2, 3, 5, 0);
    EXPECT_EQ(port.written,
              (std::vector<Bytes>{ShortRequest(0x11, 32, 0, 0), ShortRequest(0x11, 0x40, 0, 0),
                                  ShortRequest(0x10, 3, 0, 0), ShortRequest(0x10, 0x45, 0, 0)}));

    port.written.clear();
    EXPECT_TRUE(comm.WriteRegister(1, 18, 9, 0x3FFF, 0));
    EXPECT_EQ(port.written, (std::vector<Bytes>{ShortRequest(0x11, 18, 0, 0),
                                                ShortRequest(0x11, 0x89, 0xFF, 0x3F)}));
    EXPECT_EQ(comm.ReadRegister(1, 18, 9, 0), 0x3FFF);

    // A register number that would spill into the access bits is refused.
    port.written.clear();
    EXPECT_FALSE(comm.WriteRegister(0, 0, 64, 1, 0));
    EXPECT_TRUE(port.written.empty());
}

TEST_F(CommQueries, RegisterAccessStopsAfterFailedPageSelect) {
    EXPECT_EQ(comm.ReadRegister(0, 0, 52, 0), 0);
    EXPECT_FALSE(comm.WriteRegister(0, 0, 46, 1, 0));
    EXPECT_EQ(port.written.size(), 2u); // one page selection each

    // A read that times out part-way reads as 0, not as half a value.
    port.onWrite = [](const Bytes& p, ScriptedPort& port) {
        Bytes reply = ShortReply(p[6], p[7], 0x34, 0x12);
        if (p[7] & 0x40)
            reply.pop_back();
        port.Queue(reply);
    };
    EXPECT_EQ(comm.ReadRegister(0, 0, 52, 0), 0);
}

TEST_F(CommQueries, TraceFlagReachesEveryExchange) {
    unit.Attach(port);
    RecordingWindow window;
    comm.m_hTraceWnd = &window;
    comm.ReadRegister(0, 0, 52, 0);
    EXPECT_TRUE(window.messages.empty());
    comm.ReadRegister(0, 0, 52, 1);
    EXPECT_EQ(window.messages.size(), 40u); // two requests and two replies of 10 bytes
}

TEST_F(CommQueries, StatusPollDecodesBothReceivers) {
    const Bytes request = {0x27, 0, 0x00, 0x20, 0, 0};
    port.onWrite = [](const Bytes&, ScriptedPort& port) {
        port.Queue(
            {0x27, 0, 0x00, 0x20, 9, 0, 0x4F, 0xFF, 0xFF, 0xD5, 0xA8, 0x34, 0x52, 0x0A, 0x7F});
    };
    vx::StatusReading s;
    ASSERT_TRUE(comm.GetReceiverStatus(s, 0));
    EXPECT_EQ(port.written.back(), request);
    EXPECT_EQ(s.intRefOn, 0);
    EXPECT_EQ(s.pllSynchronised, 1);
    EXPECT_EQ(s.idLed, (std::array<plat::DWORD, 4>{0, 0, 0, 0})); // no companion board
    EXPECT_EQ(s.receiver[0].rawRssi, 4095);
    EXPECT_EQ(std::tie(s.receiver[0].lo1Locked, s.receiver[0].lo2Locked,
                       s.receiver[0].agcZeroActive, s.receiver[0].reserved1),
              std::make_tuple(1, 1, 1, 1));
    EXPECT_EQ(s.receiver[0].amIndex, 0x55);
    EXPECT_EQ(s.receiver[0].reserved2, 1);
    EXPECT_EQ(s.fmDeviation[0], 0x28);
    EXPECT_EQ(s.receiver[1].rawRssi, 0x234);
    EXPECT_EQ(
        std::tie(s.receiver[1].lo1Locked, s.receiver[1].lo2Locked, s.receiver[1].agcZeroActive),
        std::make_tuple(1, 0, 1));
    EXPECT_EQ(s.receiver[1].amIndex, 10);
    EXPECT_EQ(s.fmDeviation[1], 0x7F);
    EXPECT_EQ(comm.m_bAgcZeroActive[1], 1);

    comm.m_bCompanionBoard = 1;
    ASSERT_TRUE(comm.GetReceiverStatus(s, 0));
    EXPECT_EQ(s.idLed, (std::array<plat::DWORD, 4>{2, 2, 2, 2}));
    EXPECT_EQ(comm.m_nIdLed[3], 2u);
}

TEST_F(CommQueries, FailedStatusPollZeroesOutputsAndKeepsCache) {
    comm.m_bIntRefOn = 1;
    comm.m_nIdLed[2] = 2;
    comm.m_bAgcZeroActive[0] = 1;
    vx::StatusReading s;
    s.pllSynchronised = 1;
    s.receiver[1].rawRssi = 77;
    port.onWrite = [](const Bytes&, ScriptedPort& port) {
        port.Queue({0x27, 0, 0, 0x20, 9, 0, 0xC0, 1});
    };
    EXPECT_FALSE(comm.GetReceiverStatus(s, 0));
    EXPECT_EQ(s.pllSynchronised, 0);
    EXPECT_EQ(s.intRefOn, 0);
    EXPECT_EQ(s.receiver[0].rawRssi, 0);
    EXPECT_EQ(s.receiver[1].rawRssi, 0);
    EXPECT_EQ(comm.m_bIntRefOn, 1);
    EXPECT_EQ(comm.m_nIdLed[2], 2u);
    EXPECT_EQ(comm.m_bAgcZeroActive[0], 1);
}

TEST_F(CommQueries, AmCounterAndFilterEntries) {
    AnswerAll(0x34, 0x12, 0xFF); // only bit 0 of byte 9 counts
    plat::DWORD hz = 0;
    EXPECT_TRUE(comm.GetAmCounterFrequency(1, &hz, 0));
    EXPECT_EQ(port.written.back(), ShortRequest(0x39, 0, 0, 0));
    EXPECT_EQ(hz, 0x11234u);

    EXPECT_EQ(comm.ReadAmFilterEntry(1, 31, 0), 0xFF12);
    EXPECT_EQ(port.written.back(), ShortRequest(0x31, 0, 31, 0));
    port.written.clear();
    EXPECT_EQ(comm.ReadAmFilterEntry(0, 32, 0), 0xFFFF);
    EXPECT_TRUE(port.written.empty());

    port.onWrite = nullptr;
    EXPECT_FALSE(comm.GetAmCounterFrequency(0, &hz, 0));
    EXPECT_EQ(hz, 0u);
    EXPECT_EQ(comm.ReadAmFilterEntry(0, 3, 0), 0);
}

TEST_F(CommQueries, IdentityReadsInOrderAndFormatsSerial) {
    unit.Attach(port);
    SetIdentity(0x20140320);
    unit.values[{0, 0, 52}] = 0x0012;
    unit.values[{0, 0, 53}] = 0xABCD;
    EXPECT_EQ(comm.GetSerialNumberText(0), "0012-ABCD");
    using R = std::tuple<int, int, int>;
    EXPECT_EQ(unit.reads, (std::vector<R>{{0, 0, 48},
                                          {0, 0, 50},
                                          {0, 0, 49},
                                          {0, 0, 52},
                                          {0, 0, 53},
                                          {1, 0, 48},
                                          {1, 0, 49},
                                          {1, 0, 50}}));
    EXPECT_EQ(comm.m_dwFirmwareDate, 0x20140320u);
    port.written.clear();
    comm.GetSerialNumberText(0); // loaded once; no second read
    EXPECT_TRUE(port.written.empty());

    // A silent unit still counts as read.
    CVX18D3_Comm other(&port);
    port.failWrites = true;
    other.ReadIdentity(0);
    EXPECT_EQ(other.m_bIdentityLoaded, 1);
    EXPECT_EQ(other.GetSerialNumberText(0), "0000-0000");
}

TEST_F(CommQueries, SettingsReadBackIsGatedOnFirmwareDate) {
    unit.Attach(port);
    SetIdentity(0x20110228);
    std::vector<Bytes> readBacks;
    unit.other = [&](const Bytes& p) -> std::optional<Bytes> {
        readBacks.push_back(p);
        return ShortReply(p[6], 0, 0, 0);
    };
    EXPECT_FALSE(comm.ReadReceiverSettings(0, 0, 0)); // identity read first, then refused
    EXPECT_EQ(comm.m_bIdentityLoaded, 1);
    EXPECT_TRUE(readBacks.empty());
    comm.m_bCompanionBoard = 1;
    EXPECT_TRUE(comm.ReadReceiverSettings(1, 3, 0));
    EXPECT_EQ(readBacks.back(), ShortRequest(0x91, 3, 0, 0));
}

TEST_F(CommQueries, SettingsReadBackDecodesEachGroup) {
    comm.m_bIdentityLoaded = 1;
    comm.m_dwFirmwareDate = 0x20110505;
    for (plat::WORD i = 0; i < 8; ++i)
        comm.m_wAgcTimeConstantValue[1][i] = static_cast<plat::WORD>(100 + i);
    auto group = [&](unsigned g, std::uint8_t b7, std::uint8_t b8, std::uint8_t b9) {
        AnswerAll(b7, b8, b9);
        return comm.ReadReceiverSettings(1, g, 0);
    };

    ASSERT_TRUE(group(0, 0x48, 0x5B, 0x9E));
    EXPECT_EQ(std::tie(comm.m_bAgcFreeze[1], comm.m_bAgcZero[1], comm.m_nIfOutputMode[1]),
              std::make_tuple(1, 1, 1u));
    EXPECT_EQ(std::tie(comm.m_nBandSelect[1], comm.m_bTlm2DeEmphasis[1], comm.m_nIfBandwidth[1]),
              std::make_tuple(3u, 1, 5u));
    EXPECT_EQ(comm.m_nAmFilter[1], 30);
    EXPECT_EQ(comm.m_bAmInverted[1], 1);
    group(0, 0x80, 0, 0);
    EXPECT_EQ(comm.m_nIfOutputMode[1], 0u);

    group(1, 50, 0x08, 0x09);
    EXPECT_EQ(comm.m_nTuningFrequency[1], 2'312'500'000u);

    group(2, 103, 0, 0x0E); // bit 2 with bit 3: not filtered
    EXPECT_EQ(comm.m_nAgcTimeConstant[1], 3u);
    EXPECT_EQ(comm.m_nDagcMode[1], 2u);
    EXPECT_EQ(comm.m_bRssiFiltered[1], 0);
    group(2, 0x99, 0x99, 0x05); // no such time constant: index kept
    EXPECT_EQ(comm.m_nAgcTimeConstant[1], 3u);
    EXPECT_EQ(comm.m_bRssiFiltered[1], 1);

    group(3, 0x9C, 0xFB, 5); // code 5 is in no row
    EXPECT_EQ(comm.m_nDagcLowerDbm[1], -100);
    EXPECT_EQ(comm.m_nDagcUpperDbm[1], -5);
    EXPECT_EQ(comm.m_nDagcRangeIndex[1], 6);
    group(4, 0xEC, 20, 12);
    EXPECT_EQ(comm.m_nDagcStartVoltage[1], -20);
    EXPECT_EQ(comm.m_nDagcEndVoltage[1], 20);
    EXPECT_EQ(comm.m_nDagcRangeIndex[1], 10);

    group(5, 0xDA, 0, 0);
    EXPECT_EQ(comm.m_nVideoFilter[1], 5u);
    EXPECT_EQ(comm.m_nAgcTimeConstant[1], 5u);
    EXPECT_EQ(comm.m_bFmInverted[1], 1);

    // Group 8 is asked for but decodes nothing; a failed read changes
    // nothing and, as 0 is kept for firmware too old, still answers 1.
    EXPECT_TRUE(group(8, 0xFF, 0xFF, 0xFF));
    EXPECT_EQ(port.written.back(), ShortRequest(0x91, 8, 0, 0));
    port.onWrite = nullptr;
    EXPECT_TRUE(comm.ReadReceiverSettings(1, 1, 0));
    EXPECT_EQ(comm.m_nTuningFrequency[1], 2'312'500'000u);
}

TEST_F(CommQueries, FrequencyReadBackChoosesTheRssiBandAsTuningDoes) {
    comm.m_bIdentityLoaded = 1;
    comm.m_dwFirmwareDate = 0x20110505;
    // Bands 0 and 1 overlap from 1500 to 1540 MHz.
    const std::uint64_t limits[3][2] = {{1'435'000'000, 1'540'000'000},
                                        {1'500'000'000, 1'850'000'000},
                                        {2'200'000'000, 2'400'000'000}};
    for (int b = 0; b < 3; ++b) {
        comm.m_nBandLow[1][b] = limits[b][0];
        comm.m_nBandHigh[1][b] = limits[b][1];
    }
    auto readBack = [&](std::uint8_t tenKHz, unsigned mhz) {
        AnswerAll(tenKHz, static_cast<std::uint8_t>(mhz & 0xFF),
                  static_cast<std::uint8_t>(mhz >> 8));
        comm.ReadReceiverSettings(1, 1, 0);
        return comm.m_nRssiBand[1];
    };
    EXPECT_EQ(readBack(50, 2250), 2u);
    comm.m_nBandSelect[1] = 1; // the unit's own band wins where bands overlap
    EXPECT_EQ(readBack(20, 1520), 1u);
    comm.m_nBandSelect[1] = 0;
    EXPECT_EQ(readBack(20, 1520), 0u);
    EXPECT_EQ(readBack(0, 3000), 0u); // in no band: kept
    comm.m_nRssiBand[1] = 2;
    EXPECT_EQ(readBack(0, 1000), 2u);

    // Tuning to the frequency read back lands in the same band.
    readBack(50, 2250);
    comm.m_nRssiBand[1] = 0;
    AnswerAll(0, 0, 0);
    comm.SetTuningFrequency(1, 2'250'500'000, 0);
    EXPECT_EQ(comm.m_nRssiBand[1], 2u);

    // Other groups and a failed read leave the band alone.
    comm.m_nRssiBand[1] = 3;
    port.onWrite = nullptr;
    comm.ReadReceiverSettings(1, 1, 0);
    AnswerAll(0, 0, 0);
    comm.ReadReceiverSettings(1, 0, 0);
    EXPECT_EQ(comm.m_nRssiBand[1], 3u);
}

TEST_F(CommQueries, CompanionBoardFlag) {
    AnswerAll(0x80, 0, 0);
    comm.ReadCompanionBoardFlag(0);
    EXPECT_EQ(port.written.back(), ShortRequest(0x48, 0, 0, 0));
    EXPECT_EQ(comm.m_bCompanionBoard, 1);
    port.onWrite = nullptr;
    comm.ReadCompanionBoardFlag(0);
    EXPECT_EQ(comm.m_bCompanionBoard, 0);
}

TEST_F(CommQueries, DeviceConfigurationFillsTablesInOrder) {
    unit.Attach(port);
    unit.values[{0, 0, 54}] = 0x0119; // low byte: 25 MHz
    unit.values[{0, 0, 55}] = 1;
    unit.values[{0, 0, 45}] = 1152;
    unit.values[{1, 0, 46}] = 3;
    unit.values[{1, 0, 21}] = 1435; // receiver 1, band 1
    unit.values[{1, 0, 22}] = 1540;
    unit.values[{1, 0, 31}] = static_cast<plat::WORD>(-1234);
    unit.values[{1, 0, 32}] = static_cast<plat::WORD>(-1075);
    unit.values[{1, 0, 26}] = 2400; // band 3 lacks its lower limit
    unit.values[{1, 0, 3}] = 500;
    unit.values[{1, 0, 40}] = 600;
    unit.values[{1, 0, 13}] = 700;
    unit.values[{1, 18, 9}] = 4000;
    unit.other = [](const Bytes& p) -> std::optional<Bytes> {
        if ((p[6] & 0xFE) == 0x30)
            return ShortReply(p[6], 0, p[8], static_cast<std::uint8_t>(p[6] & 1));
        if ((p[6] & 0xFE) == 0x68)
            return ShortReply(p[6], 4, static_cast<std::uint8_t>(40 + (p[6] & 1)), 0);
        return std::nullopt;
    };
    comm.ReadDeviceConfiguration(0);

    EXPECT_EQ(port.written.size(), 254u);
    EXPECT_EQ(comm.m_nExtRefMHz, 25);
    EXPECT_EQ(comm.m_bRfSwitch, 1);
    EXPECT_EQ(comm.m_nBootBaudRate, 115200u);
    EXPECT_EQ(comm.m_nBootSerialType, 1u);
    EXPECT_EQ(comm.m_nBandLow[1][1], 1'435'000'000u);
    EXPECT_EQ(comm.m_nBandHigh[1][1], 1'540'000'000u);
    EXPECT_DOUBLE_EQ(comm.m_fRssiSlope[1][1], -0.1234);
    EXPECT_DOUBLE_EQ(comm.m_fRssiOffset[1][1], -107.5);
    EXPECT_EQ(comm.m_bLinearizeLocked[1][1], 0);
    EXPECT_EQ(comm.m_bLinearizeLocked[1][3], 1);
    EXPECT_EQ(comm.m_bLinearizeLocked[0][1], 1);
    EXPECT_EQ(comm.m_wIfBandwidthValue[1][3], 500);
    EXPECT_EQ(comm.m_wVideoFilterValue[1][3], 600);
    EXPECT_EQ(comm.m_wAgcTimeConstantValue[1][3], 700);
    EXPECT_EQ(comm.m_wAmFilterValue[1][17], 0x0111);
    EXPECT_EQ(comm.m_wVideoGain[1], 4000);
    EXPECT_EQ(comm.m_nAmGain[0], 40);
    EXPECT_EQ(comm.m_nAmGain[1], 41);

    // Per band: limits, calibration, then the lock-out register; then the tables.
    using R = std::tuple<int, int, int>;
    const std::vector<R> head(unit.reads.begin(), unit.reads.begin() + 7);
    EXPECT_EQ(
        head,
        (std::vector<R>{
            {0, 0, 54}, {0, 0, 19}, {0, 0, 20}, {0, 0, 29}, {0, 0, 30}, {0, 2, 4}, {0, 0, 21}}));
    EXPECT_EQ(unit.reads[21], R(0, 0, 0));
    EXPECT_EQ(unit.reads[29], R(0, 0, 37));
    EXPECT_EQ(unit.reads[37], R(0, 0, 10));
    EXPECT_EQ(unit.reads[45], R(0, 18, 9));
    EXPECT_EQ(unit.reads.back(), R(1, 0, 46));
}

TEST_F(CommQueries, DeviceConfigurationFromSilentUnitStoresZeros) {
    comm.m_nAmGain[0] = 55;
    comm.m_nExtRefMHz = 10;
    port.failWrites = true;
    comm.ReadDeviceConfiguration(0);
    EXPECT_EQ(comm.m_nAmGain[0], 0);
    EXPECT_EQ(comm.m_nExtRefMHz, 0);
    EXPECT_EQ(comm.m_bLinearizeLocked[0][0], 1);
    EXPECT_EQ(comm.m_wVideoGain[0], 0);
}

#ifndef _WIN32
// Through the settings file, the store on Linux.
class StoredSampleRate : public ::testing::Test {
protected:
    IsolatedConfig config;
    RecordedBoxes boxes;
    ScriptedPort port;
    CVX18D3_Comm comm{&port};
    RecordingWindow window;
    StoredSampleRate() { comm.m_hTraceWnd = &window; }
    void WriteSettings(const std::string& body) {
        std::ofstream(config.Path() + "/vx18d.reg") << "Windows Registry Editor Version 5.00\n\n"
                                                    << body;
    }
};

TEST_F(StoredSampleRate, MissingValueLoadsAsTenSilently) {
    EXPECT_EQ(comm.LoadStatusSampleRate(), 10);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(StoredSampleRate, SavedLowByteLoadsBack) {
    comm.SaveStatusSampleRate(0x104);
    EXPECT_EQ(comm.LoadStatusSampleRate(), 4);
    comm.SaveStatusSampleRate(0);
    EXPECT_EQ(comm.LoadStatusSampleRate(), 0);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(StoredSampleRate, WrongTypeShowsBoxAndUsesValue) {
    WriteSettings("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\n"
                  "\"STATUS_SAMPLES_PER_SECOND\"=hex:05,00\n");
    EXPECT_EQ(comm.LoadStatusSampleRate(), 5);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "RegQueryValueEx() for REG_DWORD, Type = 3, Count = 2");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Registry Error");
}

TEST_F(StoredSampleRate, UnreadableStoreReportsToTraceWindow) {
    WriteSettings("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D\n");
    EXPECT_EQ(comm.LoadStatusSampleRate(), 10);
    comm.SaveStatusSampleRate(3);
    ASSERT_EQ(window.messages.size(), 2u);
    for (const auto& [message, code] : window.messages) {
        EXPECT_EQ(message, vx::WM_REGISTRY_ERROR);
        EXPECT_EQ(code, plat::ERROR_BADDB);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}
#endif

} // namespace
