// The receiver configuration word, its setters and the band search, and the
// DAGC, AM gain, RSSI averaging and video gain commands, against a scripted port.
#include "platform/Clock.h"
#include "protocol/CVX18D3_Comm.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vxtest;
using vx::CVX18D3_Comm;

namespace {

class CommReceiverConfig : public ::testing::Test {
protected:
    ScriptedPort port;
    CVX18D3_Comm comm{&port};
    CommReceiverConfig() {
        comm.m_nTimeout = 20;
        Answer(0, 0, 0);
    }
    // Short commands get these results; the configuration word its bare header.
    void Answer(std::uint8_t r1, std::uint8_t r2, std::uint8_t r3) { port.AnswerEvery(r1, r2, r3); }
    static Bytes WordPacket(unsigned receiver, const vx::ReceiverConfiguration& f) {
        const auto word = vx::EncodeReceiverConfiguration(receiver, f);
        Bytes packet = {0x27, 0, 0x00, 0x10, 8, 0};
        packet.insert(packet.end(), word.begin(), word.end());
        return packet;
    }
};

TEST(ConfigurationWord, PacksEveryFieldAndClampsOutOfRangeValues) {
    vx::ReceiverConfiguration f;
    f.setup = 9;
    f.fmInverted = 1;
    f.xdout = 7;
    f.idLed = {2, 1, 2, 0};
    f.intRefOn = 1;
    f.agcTimeConstant = 5;
    f.agcFreeze = 1;
    f.bandSelect = 2;
    f.agcZero = 1;
    f.ifOutputMode = 1;
    f.videoFilter = 6;
    f.tlm2DeEmphasis = 1;
    f.ifBandwidth = 3;
    f.amFilter = 17;
    f.amInverted = 1;
    f.frequencyHz = 2'312'505'000; // below 10 kHz is dropped
    EXPECT_EQ(vx::EncodeReceiverConfiguration(1, f),
              (std::array<std::uint8_t, 8>{0x73, 0x85, 0x6D, 0x3E, 0x91, 50, 0x08, 0x09}));

    f.setup = 20;
    f.agcTimeConstant = 8;
    f.bandSelect = 4;
    f.ifOutputMode = 2;
    f.videoFilter = 8;
    f.ifBandwidth = 9;
    f.amFilter = 40;
    f.frequencyHz = 1'485'005'000;
    EXPECT_EQ(vx::EncodeReceiverConfiguration(2, f), // receiver 2 is not the second receiver
              (std::array<std::uint8_t, 8>{0x7E, 0x85, 0xC8, 0x08, 0x80, 0, 0xCD, 0x05}));
}

TEST_F(CommReceiverConfig, SettersStoreClampedValuesAndSendTheWholeWord) {
    comm.m_nTuningFrequency[1] = 2'250'500'000;
    comm.SelectSetup(1, 16, 0);
    comm.SetIfBandwidth(1, 8, 0);
    comm.SetVideoFilter(1, 6, 0);
    comm.SetAmFilter(1, 40, 0);
    comm.SetAmInverted(1, 5, 0);
    comm.SetAgcTimeConstant(1, 9, 0);
    comm.SetAgcFreeze(1, 1, 0);
    comm.SetAgcZero(1, 1, 0);
    comm.SetIfOutputMode(1, 2, 0);
    comm.SetXdout(1, 1, 0);
    EXPECT_TRUE(comm.SetTlm2DeEmphasis(1, 1, 0));
    EXPECT_TRUE(comm.SetFmPolarityInverted(1, 1, 0));
    EXPECT_EQ(port.written.size(), 12u);
    EXPECT_EQ(comm.m_nSetup[1], 15);
    EXPECT_EQ(comm.m_nIfBandwidth[1], 0u);
    EXPECT_EQ(comm.m_nAmFilter[1], 0);
    EXPECT_EQ(comm.m_bAmInverted[1], 1);
    EXPECT_EQ(comm.m_nAgcTimeConstant[1], 0u);
    EXPECT_EQ(comm.m_nIfOutputMode[1], 0u);
    EXPECT_EQ(port.written.back(),
              (Bytes{0x27, 0, 0x00, 0x10, 8, 0, 0x7F, 0x00, 0xC8, 0x0E, 0x80, 50, 0xCA, 0x08}));

    // An index of 2 or more works on the first receiver.
    comm.SetIfOutputMode(2, 1, 0);
    EXPECT_EQ(comm.m_nIfOutputMode[0], 1u);
    EXPECT_EQ(port.written.back(), WordPacket(0, comm.CachedConfiguration(0)));
    EXPECT_EQ(port.written.back()[8] & 0x80, 0);

    // The word sends the AM filter index it was given and caches what it sent.
    vx::ReceiverConfiguration f = comm.CachedConfiguration(0);
    f.amFilter = 33;
    comm.SendReceiverConfiguration(0, f, 0);
    EXPECT_EQ(comm.m_nAmFilter[0], 0);
}

TEST_F(CommReceiverConfig, FailedWordKeepsTheNewValueAndWaitsTenTimesTheTimeout) {
    port.onWrite = nullptr;
    comm.m_nTimeout = 10;
    const auto start = plat::TickMs();
    EXPECT_FALSE(comm.SetFmPolarityInverted(0, 1, 0));
    EXPECT_GE(plat::TickMs() - start, 100);
    EXPECT_EQ(comm.m_bFmInverted[0], 1);

    port.failWrites = true;
    EXPECT_FALSE(comm.SetTlm2DeEmphasis(0, 1, 0));
    EXPECT_EQ(comm.m_bTlm2DeEmphasis[0], 1);
}

TEST_F(CommReceiverConfig, TuningSearchesBandsFromTheUnitsOwn) {
    comm.m_nBandLow[1][0] = 1'435'000'000;
    comm.m_nBandHigh[1][0] = 1'540'000'000;
    comm.m_nBandLow[1][1] = 1'500'000'000;
    comm.m_nBandHigh[1][1] = 1'850'000'000;
    comm.m_nBandSelect[1] = 1;
    EXPECT_TRUE(comm.SetTuningFrequency(1, 1'520'000'000, 0));
    EXPECT_EQ(comm.m_nRssiBand[1], 1u);
    EXPECT_EQ(port.written.back(), WordPacket(1, comm.CachedConfiguration(1)));
    comm.m_nBandSelect[1] = 0;
    comm.SetTuningFrequency(1, 1'520'000'000, 0);
    EXPECT_EQ(comm.m_nRssiBand[1], 0u);
    comm.SetTuningFrequency(1, 1'850'000'000, 0); // limits are inclusive
    EXPECT_EQ(comm.m_nRssiBand[1], 1u);
    comm.SetTuningFrequency(1, 2'250'000'000, 0); // in no band: kept
    EXPECT_EQ(comm.m_nRssiBand[1], 1u);

    // The search runs after a failed exchange too.
    port.failWrites = true;
    EXPECT_FALSE(comm.SetTuningFrequency(1, 1'450'000'000, 0));
    EXPECT_EQ(comm.m_nTuningFrequency[1], 1'450'000'000u);
    EXPECT_EQ(comm.m_nRssiBand[1], 0u);
}

TEST_F(CommReceiverConfig, DagcRequestsClampTheirArguments) {
    const std::vector<std::pair<std::function<void()>, Bytes>> cases = {
        {[&] { comm.SetDagcMode(1, 3, 0); }, ShortRequest(0x21, 3, 0, 0)},
        {[&] { comm.SetDagcMode(0, 4, 0); }, ShortRequest(0x20, 0, 0, 0)},
        {[&] { comm.SelectDagcRange(1, 5, 0); }, ShortRequest(0x59, 0, 7, 0)},
        {[&] { comm.SelectDagcRange(0, 12, 0); }, ShortRequest(0x58, 0, 0, 0)},
        {[&] { comm.SetDagcStartVoltage(1, -50, 0); }, ShortRequest(0x79, 0xD8, 20, 0)},
        {[&] { comm.SetDagcEndVoltage(1, 45, 0); }, ShortRequest(0x79, 0xEC, 40, 0)},
        {[&] { comm.SetDagcVoltageRange(2, 41, -41, 0); }, ShortRequest(0x78, 40, 0xD8, 0)},
        {[&] { comm.SetDagcLowerDbm(0, -120, 0); }, ShortRequest(0x70, 0x92, 10, 0)},
        {[&] { comm.SetDagcLowerDbm(0, 20, 0); }, ShortRequest(0x70, 9, 10, 0)},
        {[&] { comm.SetDagcUpperDbm(0, 20, 0); }, ShortRequest(0x70, 0xCE, 10, 0)},
        {[&] { comm.SetDagcUpperDbm(0, -60, 0); }, ShortRequest(0x70, 0xCE, 0xCF, 0)},
        {[&] { comm.SetDagcDbmRange(0, 5, 3, 0); }, ShortRequest(0x70, 2, 3, 0)},
        {[&] { comm.SetDagcDbmRange(0, -128, -128, 0); }, ShortRequest(0x70, 0x80, 0x81, 0)},
        {[&] { comm.SetAmGain(1, 120, 0); }, ShortRequest(0x69, 3, 99, 0)},
        {[&] { comm.SetRssiAveraging(0, 2, 0); }, ShortRequest(0xB8, 0, 0, 0)},
        {[&] { comm.SetRssiAveraging(1, 1, 0); }, ShortRequest(0xB9, 1, 0, 0)},
        {[&] { comm.SetVideoOutGain(0, 20000, 0); }, ShortRequest(0x80, 1, 0xFF, 0x3F)},
        {[&] { comm.SetVideoOutGain(0, 70000, 0); }, ShortRequest(0x80, 1, 0xFF, 0x3F)},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        // Replies rewrite the cache; every case starts from the same one.
        comm.m_nDagcStartVoltage[1] = -20;
        comm.m_nDagcEndVoltage[1] = 20;
        comm.m_nDagcUpperDbm[0] = 10;
        comm.m_nDagcLowerDbm[0] = -50;
        cases[i].first();
        EXPECT_EQ(port.written.back(), cases[i].second) << "case " << i;
    }
}

TEST_F(CommReceiverConfig, DagcRangeSetsCacheFromTheTableWhateverTheResult) {
    port.failWrites = true;
    comm.SelectDagcRange(1, 11, 0);
    EXPECT_EQ(comm.m_nDagcRangeIndex[1], 11);
    EXPECT_EQ(comm.m_nDagcStartVoltage[1], 40);
    EXPECT_EQ(comm.m_nDagcEndVoltage[1], -40);
    EXPECT_EQ(comm.m_nDagcLowerDbm[1], -110);
    EXPECT_EQ(comm.m_nDagcUpperDbm[1], 10);
    comm.SetDagcMode(1, 2, 0);
    EXPECT_EQ(comm.m_nDagcMode[1], 2u);
}

TEST_F(CommReceiverConfig, RepliesFillTheCacheAndFailuresLeaveZeros) {
    Answer(0xEC, 20, 12);
    EXPECT_TRUE(comm.SetDagcStartVoltage(0, -20, 0));
    EXPECT_EQ(comm.m_nDagcStartVoltage[0], -20);
    EXPECT_EQ(comm.m_nDagcEndVoltage[0], 20);
    EXPECT_EQ(comm.m_nDagcRangeIndex[0], 10);
    Answer(0x9C, 0xFB, 99); // unknown range code
    EXPECT_TRUE(comm.SetDagcUpperDbm(0, -5, 0));
    EXPECT_EQ(comm.m_nDagcLowerDbm[0], -100);
    EXPECT_EQ(comm.m_nDagcUpperDbm[0], -5);
    EXPECT_EQ(comm.m_nDagcRangeIndex[0], 6);
    Answer(1, 42, 0x21);
    EXPECT_TRUE(comm.SetAmGain(0, 42, 0));
    EXPECT_EQ(comm.m_nAmGain[0], 42);
    EXPECT_TRUE(comm.SetRssiAveraging(0, 1, 0));
    EXPECT_EQ(comm.m_bRssiFiltered[0], 1);
    comm.SetVideoOutGain(0, 300, 0);
    EXPECT_EQ(comm.m_wVideoGain[0], 0x212A);
    Answer(0, 0x34, 0x12); // byte 7 other than 1: gain not taken
    comm.SetVideoOutGain(0, 300, 0);
    EXPECT_EQ(comm.m_wVideoGain[0], 0x212A);

    port.onWrite = nullptr;
    EXPECT_FALSE(comm.SetDagcLowerDbm(0, -80, 0));
    EXPECT_EQ(comm.m_nDagcLowerDbm[0], 0);
    EXPECT_EQ(comm.m_nDagcUpperDbm[0], 0);
    EXPECT_EQ(comm.m_nDagcRangeIndex[0], 0);
    EXPECT_FALSE(comm.SetDagcEndVoltage(0, 10, 0));
    EXPECT_EQ(comm.m_nDagcStartVoltage[0], 0);
    EXPECT_FALSE(comm.SetAmGain(0, 50, 0));
    EXPECT_EQ(comm.m_nAmGain[0], 0);
    EXPECT_FALSE(comm.SetRssiAveraging(0, 1, 0));
    EXPECT_EQ(comm.m_bRssiFiltered[0], 0);
    comm.SetVideoOutGain(0, 100, 0);
    EXPECT_EQ(comm.m_wVideoGain[0], 0x212A);
}

TEST_F(CommReceiverConfig, SavedVideoGainIsRegisterNineOfPage18) {
    comm.SaveVideoOutGain(1, 20000, 0);
    EXPECT_EQ(port.written, (std::vector<Bytes>{ShortRequest(0x11, 18, 0, 0),
                                                ShortRequest(0x11, 0x89, 0xFF, 0x3F)}));
}

} // namespace
