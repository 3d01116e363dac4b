// Unit-level commands and the firmware transfer, against a scripted port.
#include "protocol/CVX18D3_Comm.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vxtest;
using vx::CVX18D3_Comm;

namespace {

struct CountingWindow : plat::MessageTarget {
    std::vector<plat::UINT> messages;
    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM, plat::LPARAM) override {
        messages.push_back(message);
        return 0;
    }
};

class CommUnit : public ::testing::Test {
protected:
    ScriptedPort port;
    CVX18D3_Comm comm{&port};
    CommUnit() {
        comm.m_nTimeout = 20;
        Answer(0, 0, 0);
    }
    void Answer(std::uint8_t r1, std::uint8_t r2, std::uint8_t r3) { port.AnswerEvery(r1, r2, r3); }
    void Silence() { port.onWrite = nullptr; }
};

TEST_F(CommUnit, RequestsCarryTheirArgumentsAsTheUnitExpects) {
    comm.m_bIdentityLoaded = 1;
    comm.m_dwFirmwareDate = 0x20180309;
    const std::vector<std::pair<std::function<void()>, Bytes>> cases = {
        {[&] { comm.SetExternalReferenceFrequency(15, 0); }, ShortRequest(0x40, 0, 10, 0)},
        {[&] { comm.SetExternalReferenceFrequency(25, 0); }, ShortRequest(0x40, 0, 25, 0)},
        {[&] { comm.ReadSwitchesAndDiscretes(1, 0); }, ShortRequest(0x49, 0, 0, 0)},
        {[&] { comm.WriteSwitches(0xA0C3, 0); }, ShortRequest(0x48, 0x80, 0xA0, 0xC3)},
        {[&] { comm.ReadAttenuators(0); }, ShortRequest(0xC0, 0x00, 0x40, 0)},
        {[&] { comm.SetAttenuator(1, 10, 1, 0); }, ShortRequest(0xC1, 0x05, 0xCA, 0)},
        {[&] { comm.SetAttenuator(0, 70, 0, 0); }, ShortRequest(0xC0, 0xBF, 0x4C, 0)},
        {[&] { comm.SetAttenuator(2, 10, 1, 0); }, ShortRequest(0xC0, 0, 0, 0)},
        {[&] { comm.SetAttenuatorOnAtBoot(1, 0); }, ShortRequest(0xC0, 0x05, 0x4C, 3)},
        {[&] { comm.SetAttenuatorOnAtBoot(0, 0); }, ShortRequest(0xC0, 0x05, 0x4C, 2)},
        {[&] { comm.ReadSupplyCurrentRange(0); }, ShortRequest(0xC8, 5, 0, 0)},
        {[&] { comm.SetBootBaudRate(115200, 0); }, ShortRequest(0xF8, 0, 0x80, 0x04)},
        {[&] { comm.SetBootBaudRate(204799, 0); }, ShortRequest(0xF8, 0, 0xFF, 0x07)},
        {[&] { comm.SetBootSerialType(1, 0); }, ShortRequest(0xF8, 5, 1, 0)},
        {[&] { comm.UnitCommand(1, 25, 1, 2, 3, nullptr, nullptr, nullptr, 0); },
         ShortRequest(0xC9, 1, 2, 3)},
        {[&] { comm.UnitCommand(2, 3, 0, 0, 0, nullptr, nullptr, nullptr, 0); },
         ShortRequest(0x18, 0, 0, 0)},
        {[&] { comm.CommitFlashImage(); }, ShortRequest(0x98, 0xFF, 0, 0)},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        // Attenuator replies rewrite the cache; every case starts from the same one.
        comm.m_nAttenuator[0] = 5;
        comm.m_nAttenuator[1] = 12;
        comm.m_bAttenuatorFreeze[0] = 0;
        comm.m_bAttenuatorFreeze[1] = 1;
        cases[i].first();
        EXPECT_EQ(port.written.back(), cases[i].second) << "case " << i;
    }
    EXPECT_EQ(comm.m_nExtRefMHz, 25);
    EXPECT_EQ(comm.m_nBootBaudRate, 204799u);
    EXPECT_EQ(comm.m_nBootSerialType, 1u);
}

TEST_F(CommUnit, RefusedArgumentsSendNothing) {
    comm.m_nBootBaudRate = 9600;
    EXPECT_FALSE(comm.SetBootBaudRate(230400, 0)); // would arrive as 25600
    EXPECT_FALSE(comm.SetBootSerialType(2, 0));
    EXPECT_FALSE(comm.LinearizeBand(0, 4, 0));
    EXPECT_FALSE(comm.LinearizeBand(2, 0, 0));
    EXPECT_FALSE(comm.UnitCommand(0, 32, 20, 0, 0, nullptr, nullptr, nullptr, 0));
    const plat::BYTE block[129] = {};
    EXPECT_FALSE(comm.SendFlashBlock(block, 129));
    EXPECT_FALSE(comm.SendFlashBlock(block, 0));
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(comm.m_nBootBaudRate, 9600u);
}

TEST_F(CommUnit, ReferenceAndIdLedsTravelInTheConfigurationWord) {
    EXPECT_TRUE(comm.SetInternalReference(3, 0));
    EXPECT_EQ(comm.m_bIntRefOn, 1);
    EXPECT_EQ(port.written.back()[6] & 1, 0);
    EXPECT_EQ(port.written.back()[7], 0x80);

    comm.m_bCompanionBoard = 1;
    comm.SetIdLed(1, 2, 5, 0); // LED 5 counts as LED 0
    comm.SetIdLed(1, 9, 3, 0); // a state above 2 is "off"
    EXPECT_EQ(comm.m_nIdLed[0], 2u);
    EXPECT_EQ(comm.m_nIdLed[3], 1u);
    EXPECT_EQ(port.written.back()[6] & 1, 1);
    EXPECT_EQ(port.written.back()[7], 0x81);
    comm.m_bCompanionBoard = 0;
    comm.SetIdLed(0, 2, 0, 0);
    EXPECT_EQ(comm.m_nIdLed[0], 0u);
}

TEST_F(CommUnit, UnitStatusDecodesAndAFailureClearsIt) {
    Answer(0xE0, 0xA5, 0xF3);
    EXPECT_TRUE(comm.ReadSwitchesAndDiscretes(0, 0));
    EXPECT_EQ(comm.m_bCompanionBoard + comm.m_bEepromForced + comm.m_bPreferEeprom, 3);
    EXPECT_EQ((std::vector<plat::BOOL>(comm.m_bSwitch, comm.m_bSwitch + 8)),
              (std::vector<plat::BOOL>{1, 0, 1, 0, 0, 1, 0, 1}));
    plat::BOOL switches[8] = {};
    plat::BOOL discretes[5] = {};
    comm.GetSwitchesAndDiscretes(switches, discretes, 0);
    EXPECT_EQ((std::vector<plat::BOOL>(discretes, discretes + 5)),
              (std::vector<plat::BOOL>{1, 1, 0, 0, 1}));
    EXPECT_EQ(switches[7], 1);
    EXPECT_EQ((std::vector<plat::DWORD>(comm.m_nIdLed, comm.m_nIdLed + 4)),
              (std::vector<plat::DWORD>{1, 1, 1, 1})); // undefined becomes off

    Silence();
    EXPECT_FALSE(comm.WriteSwitches(0x80FF, 0));
    EXPECT_EQ(comm.m_bCompanionBoard + comm.m_bEepromForced + comm.m_bPreferEeprom, 0);
    EXPECT_EQ(comm.m_bSwitch[0] + comm.m_bSwitch[7] + comm.m_bDiscrete[4], 0);
}

TEST_F(CommUnit, AttenuatorsChangeOnlyOnSuccess) {
    Answer(0x7F, 0x8A, 0x03);
    EXPECT_TRUE(comm.ReadAttenuators(0));
    EXPECT_EQ(comm.m_nAttenuator[0], 63);
    EXPECT_EQ(comm.m_bAttenuatorFreeze[0], 1);
    EXPECT_EQ(comm.m_nAttenuator[1], 10);
    EXPECT_EQ(comm.m_bAttenuatorFreeze[1], 0);
    EXPECT_EQ(comm.m_bAttenuatorAtBoot, 1);

    Silence();
    EXPECT_FALSE(comm.SetAttenuator(1, 20, 1, 0));
    EXPECT_FALSE(comm.SetAttenuatorOnAtBoot(0, 0));
    EXPECT_EQ(comm.m_nAttenuator[1], 10);
    EXPECT_EQ(comm.m_bAttenuatorAtBoot, 1);
}

TEST_F(CommUnit, HistoryPairsStopAfterAFailedFirstItem) {
    Answer(0, 0xF6, 0xFF); // -10
    EXPECT_TRUE(comm.ReadTemperatureRange(0));
    EXPECT_EQ(comm.m_nTemperature[0], -10);
    EXPECT_EQ(comm.m_nTemperature[1], -10);
    EXPECT_TRUE(comm.ReadSupplyVoltageRange(0));
    EXPECT_DOUBLE_EQ(comm.m_fSupplyVoltage[1], -10.0);
    EXPECT_EQ(port.written.back(), ShortRequest(0xC8, 3, 0, 0));

    Silence();
    port.written.clear();
    EXPECT_FALSE(comm.ReadTemperatureRange(0));
    EXPECT_FALSE(comm.ReadSupplyVoltageRange(0));
    EXPECT_EQ(port.written.size(), 2u);
    EXPECT_EQ(comm.m_nTemperature[1], 0);
    EXPECT_DOUBLE_EQ(comm.m_fSupplyVoltage[1], 0.0);
    comm.ReadSupplyCurrentRange(0); // always both items
    EXPECT_EQ(port.written.size(), 4u);

    // A failed second item returns 0 and stores its zero.
    int exchange = 0;
    port.onWrite = [&](const Bytes& p, ScriptedPort& port) {
        if (exchange++ == 0)
            port.Queue(ShortReply(p[6], p[7], 25, 0));
    };
    EXPECT_FALSE(comm.ReadTemperatureRange(0));
    EXPECT_EQ(comm.m_nTemperature[0], 25);
    EXPECT_EQ(comm.m_nTemperature[1], 0);
}

TEST_F(CommUnit, BootSerialTypeOnOlderFirmwareWritesRegister46) {
    // The identity is read first; its date picks the register path.
    port.onWrite = [](const Bytes& p, ScriptedPort& port) {
        const bool dateHigh = (p[7] & 0xC0) == 0x40 && (p[7] & 0x3F) == 50 && p[6] == 0x10;
        port.Queue(ShortReply(p[6], p[7], 0, dateHigh ? 0x20 : 0x00));
    };
    EXPECT_TRUE(comm.SetBootSerialType(1, 0));
    EXPECT_EQ(comm.m_dwFirmwareDate, 0x20000000u);
    EXPECT_EQ(port.written.size(), 18u); // 8 identity reads, then select and write
    EXPECT_EQ(port.written[16], ShortRequest(0x11, 0, 0, 0));
    EXPECT_EQ(port.written[17], ShortRequest(0x11, 0x80 | 46, 1, 0));

    Silence();
    EXPECT_FALSE(comm.SetBootSerialType(0, 0));
    EXPECT_EQ(comm.m_nBootSerialType, 0u);
    EXPECT_FALSE(comm.SetBootBaudRate(9600, 0));
    EXPECT_EQ(comm.m_nBootBaudRate, 9600u);
}

TEST_F(CommUnit, LinearizeBandRereadsItsLockOut) {
    comm.m_nBandLow[1][2] = 2'200'000'000;
    comm.m_nBandHigh[1][2] = 2'400'000'000;
    EXPECT_TRUE(comm.LinearizeBand(1, 2, 0));
    EXPECT_EQ(port.written,
              (std::vector<Bytes>{ShortRequest(0x01, 20, 2, 0), ShortRequest(0x11, 4, 0, 0),
                                  ShortRequest(0x11, 0x44, 0, 0)}));
    EXPECT_EQ(comm.m_bLinearizeLocked[1][2], 0);
    Answer(0, 1, 0);
    comm.LinearizeBand(1, 2, 0);
    EXPECT_EQ(comm.m_bLinearizeLocked[1][2], 1);
    Answer(0, 0, 0);
    comm.LinearizeBand(1, 3, 0); // band without limits stays locked
    EXPECT_EQ(comm.m_bLinearizeLocked[1][3], 1);
}

TEST_F(CommUnit, UnitCommandHandsBackTheReply) {
    Answer(7, 8, 9);
    plat::BYTE out[3] = {1, 1, 1};
    EXPECT_TRUE(comm.UnitCommand(0, 4, 0, 0, 0, &out[0], &out[1], &out[2], 0));
    EXPECT_EQ((std::vector<plat::BYTE>(out, out + 3)), (std::vector<plat::BYTE>{7, 8, 9}));
    Silence();
    EXPECT_FALSE(comm.UnitCommand(0, 4, 0, 0, 0, &out[0], &out[1], &out[2], 0));
    EXPECT_EQ((std::vector<plat::BYTE>(out, out + 3)), (std::vector<plat::BYTE>{0, 0, 0}));
}

TEST_F(CommUnit, FlashBlocksAreUntracedAndTheCommitIsAlwaysTraced) {
    CountingWindow window;
    comm.m_hTraceWnd = &window;
    plat::BYTE block[128];
    for (int i = 0; i < 128; ++i)
        block[i] = static_cast<plat::BYTE>(i);
    EXPECT_TRUE(comm.SendFlashBlock(block, 128));
    EXPECT_TRUE(comm.SendFlashBlock(block + 84, 44));
    ASSERT_EQ(port.written.size(), 2u);
    EXPECT_EQ(port.written[0].size(), 134u);
    EXPECT_EQ(Bytes(port.written[1].begin(), port.written[1].begin() + 7),
              (Bytes{0x27, 0, 0x20, 0x10, 44, 0, 84}));
    EXPECT_TRUE(window.messages.empty());

    EXPECT_TRUE(comm.CommitFlashImage());
    EXPECT_EQ(window.messages.size(), 20u);
    EXPECT_EQ(window.messages.front(), vx::WM_TRACE_REQUEST_BYTE);
    EXPECT_EQ(window.messages.back(), vx::WM_TRACE_REPLY_BYTE);
    EXPECT_NE(comm.m_nLastResult, 0u);
}

TEST_F(CommUnit, CommitFailuresFollowTheExchangeRules) {
    Silence();
    comm.m_nLastResult = 1;
    EXPECT_FALSE(comm.CommitFlashImage());
    EXPECT_EQ(comm.m_nLastResult, 0u);

    // A write failure leaves the last result alone.
    comm.m_nLastResult = 1;
    port.failWrites = true;
    EXPECT_FALSE(comm.CommitFlashImage());
    EXPECT_EQ(comm.m_nLastResult, 1u);
}

} // namespace
