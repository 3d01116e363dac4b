// The protocol object through the real serial port over a pseudo-terminal,
// against the simulated unit: values set come back from the unit, the
// start-up read-out matches the unit's tables, and injected faults give the
// failures the operations promise.
#include "protocol/CVX18D3_Comm.h"
#include "serial/CSerialCom.h"
#include "sim/FactoryTables.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using vx::CVX18D3_Comm;

namespace {

class CommRoundTrip : public ::testing::Test {
protected:
    vxtest::IsolatedConfig config;
    sim::SimulatedUnit unit;
    vx::SerialPortSettings settings;
    std::unique_ptr<vx::CSerialCom> port;
    std::unique_ptr<CVX18D3_Comm> comm;

    void SetUp() override {
        ASSERT_TRUE(unit.Start(config.PortsDir(), "COM7")) << unit.LastError();
        std::strcpy(settings.portName, "COM7");
        settings.baudRate = 57600;
        settings.byteSize = 8;
        port = std::make_unique<vx::CSerialCom>(&settings);
        ASSERT_TRUE(port->ApplySettings());
        port->SetTimeouts(0, 200, 0, 0, 0);
        comm = std::make_unique<CVX18D3_Comm>(port.get());
        comm->m_nTimeout = 300;
    }
    void TearDown() override {
        comm.reset();
        port.reset();
        unit.Stop();
    }
};

TEST_F(CommRoundTrip, StartUpReadOutMatchesTheUnitsTables) {
    ASSERT_TRUE(comm->Ping(0));
    ASSERT_NE(comm->m_nLastResult, 0u);
    comm->ReadDeviceConfiguration(0);
    comm->ReadCompanionBoardFlag(0);
    EXPECT_EQ(unit.Requests().size(), 256u);

    for (int r = 0; r < 2; ++r) {
        for (int b = 0; b < 4; ++b) {
            const sim::FactoryBand& band = sim::kFactoryBands[r][b];
            EXPECT_EQ(comm->m_nBandLow[r][b], band.lowMHz * 1'000'000ull);
            EXPECT_EQ(comm->m_nBandHigh[r][b], band.highMHz * 1'000'000ull);
            EXPECT_DOUBLE_EQ(comm->m_fRssiSlope[r][b], band.slopeX10000 / 10000.0);
            EXPECT_DOUBLE_EQ(comm->m_fRssiOffset[r][b], band.offsetX10 / 10.0);
            EXPECT_EQ(comm->m_bLinearizeLocked[r][b], b == sim::kBandWithoutLinearisation);
        }
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(comm->m_wIfBandwidthValue[r][i], sim::kIfBandwidthKHz[i]);
            EXPECT_EQ(comm->m_wVideoFilterValue[r][i], sim::kVideoFilterKHz[i]);
            EXPECT_EQ(comm->m_wAgcTimeConstantValue[r][i], sim::kAgcTimeConstants[i]);
        }
        for (int i = 0; i < 32; ++i)
            EXPECT_EQ(comm->m_wAmFilterValue[r][i], sim::kAmFilterHz[i]);
        EXPECT_EQ(comm->m_wVideoGain[r], sim::kFactoryVideoGain);
    }
    EXPECT_EQ(comm->m_nExtRefMHz, 10);
    EXPECT_EQ(comm->m_nBootBaudRate, 57600u);
    EXPECT_EQ(comm->m_nBootSerialType, 0u);
    EXPECT_EQ(comm->m_bCompanionBoard, 0);
    EXPECT_EQ(comm->GetSerialNumberText(0), "0012-ABCD");
    EXPECT_EQ(comm->m_dwFirmwareDate, 0x20180309u);
}

TEST_F(CommRoundTrip, ValuesSetComeBackFromTheUnit) {
    comm->ReadDeviceConfiguration(0);
    ASSERT_TRUE(comm->SetTuningFrequency(1, 2'312'500'000, 0));
    comm->SetIfBandwidth(1, 5, 0);
    comm->SetAmFilter(1, 12, 0);
    comm->SetAmInverted(1, 1, 0);
    comm->SetAgcTimeConstant(1, 4, 0);
    comm->SelectDagcRange(1, 9, 0);
    EXPECT_EQ(unit.WithModel([](sim::UnitModel& m) { return m.Receiver(1).frequencyHz; }),
              2'312'500'000u);

    // Scramble the cache, then read the receiver back group by group.
    comm->m_nTuningFrequency[1] = 0;
    comm->m_nIfBandwidth[1] = 0;
    comm->m_nAmFilter[1] = 0;
    comm->m_bAmInverted[1] = 0;
    comm->m_nAgcTimeConstant[1] = 0;
    comm->m_nDagcRangeIndex[1] = 0;
    for (unsigned group = 0; group <= 5; ++group)
        EXPECT_TRUE(comm->ReadReceiverSettings(1, group, 0)) << "group " << group;
    EXPECT_EQ(comm->m_nTuningFrequency[1], 2'312'500'000u);
    EXPECT_EQ(comm->m_nIfBandwidth[1], 5u);
    EXPECT_EQ(comm->m_nAmFilter[1], 12);
    EXPECT_EQ(comm->m_bAmInverted[1], 1);
    EXPECT_EQ(comm->m_nAgcTimeConstant[1], 4u);
    EXPECT_EQ(comm->m_nDagcRangeIndex[1], 9);

    comm->SaveVideoOutGain(0, 20000, 0);
    EXPECT_EQ(comm->ReadRegister(0, 18, 9, 0), 16383);
    ASSERT_TRUE(comm->SetBootBaudRate(115200, 0));
    EXPECT_EQ(comm->ReadRegister(0, 0, 45, 0), 1152);
    ASSERT_TRUE(comm->SetAttenuator(1, 10, 1, 0));
    comm->m_nAttenuator[1] = 0;
    ASSERT_TRUE(comm->ReadAttenuators(0));
    EXPECT_EQ(comm->m_nAttenuator[1], 10);
    EXPECT_EQ(comm->m_bAttenuatorFreeze[1], 1);
    ASSERT_TRUE(comm->SetAmGain(0, 77, 0));
    EXPECT_EQ(comm->m_nAmGain[0], 77);
}

TEST_F(CommRoundTrip, InjectedFaultsGiveTheFailuresPromised) {
    // No answer to the page selection: the read is not attempted.
    unit.ArmNoAnswer();
    EXPECT_EQ(comm->ReadRegister(0, 0, 52, 0), 0);
    EXPECT_EQ(unit.Requests().size(), 1u);
    EXPECT_EQ(comm->m_nLastResult, 0u);

    // A status reply cut short: zero outputs, the cache untouched.
    comm->m_bIntRefOn = 1;
    unit.ArmShortReply(3);
    vx::StatusReading status;
    EXPECT_FALSE(comm->GetReceiverStatus(status, 0));
    EXPECT_EQ(status.pllSynchronised, 0);
    EXPECT_EQ(comm->m_bIntRefOn, 1);

    // The unit goes quiet between selection and write.
    port->DiscardPendingInput();
    unit.StopAfter(1);
    EXPECT_FALSE(comm->WriteRegister(1, 18, 9, 100, 0));
    unit.ClearFaults();

    // A temperature pair whose first item goes unanswered is not read on.
    unit.ClearRequests();
    unit.ArmNoAnswer();
    EXPECT_FALSE(comm->ReadTemperatureRange(0));
    EXPECT_EQ(unit.Requests().size(), 1u);
    EXPECT_EQ(comm->m_nTemperature[0], comm->m_nTemperature[1]);

    // And the link works again afterwards.
    EXPECT_TRUE(comm->ReadTemperatureRange(0));
    EXPECT_EQ(comm->m_nTemperature[0], 52);
    EXPECT_EQ(comm->m_nTemperature[1], -8);
}

} // namespace
