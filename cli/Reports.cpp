#include "cli/Reports.h"

#include "protocol/DagcRangeTable.h"
#include "text/RefClkText.h"

#include <cstdio>

namespace vx::cli {

InfoReport BuildInfo(const CVX18D3_Comm& comm) {
    InfoReport info;
    char serial[16];
    std::snprintf(serial, sizeof serial, "%4.4X-%4.4X", static_cast<unsigned>(comm.m_wSerialWord1),
                  static_cast<unsigned>(comm.m_wSerialWord2));
    info.serialNumber = serial;
    info.firmwareDate = comm.m_dwFirmwareDate;
    info.companionBoard = comm.m_bCompanionBoard != 0;
    info.rfSwitch = comm.m_bRfSwitch != 0;
    info.externalReferenceMHz = comm.m_nExtRefMHz;
    info.bootBaudRate = comm.m_nBootBaudRate;
    info.bootSerialType = comm.m_nBootSerialType;
    for (unsigned rx = 0; rx < 2; ++rx) {
        ReceiverInfo& r = info.receivers[rx];
        r.receiver = rx + 1;
        r.fitted = ReceiverFitted(comm, rx);
        for (unsigned b = 0; b < 4; ++b) {
            r.bands[b] = {comm.m_nBandLow[rx][b], comm.m_nBandHigh[rx][b], comm.m_fRssiSlope[rx][b],
                          comm.m_fRssiOffset[rx][b], comm.m_bLinearizeLocked[rx][b] != 0};
        }
        for (unsigned i = 0; i < 8; ++i) {
            r.ifBandwidthKHz[i] = comm.m_wIfBandwidthValue[rx][i];
            r.videoFilterKHz[i] = comm.m_wVideoFilterValue[rx][i];
            r.agcTimeConstant100us[i] = comm.m_wAgcTimeConstantValue[rx][i];
        }
        for (unsigned i = 0; i < 32; ++i)
            r.amFilterHz[i] = comm.m_wAmFilterValue[rx][i];
    }
    return info;
}

ReceiverSettingsReport BuildReceiverSettings(const CVX18D3_Comm& comm, unsigned receiver,
                                             SentOnly sent) {
    const unsigned rx = ReceiverIndex(receiver);
    ReceiverSettingsReport r;
    r.receiver = rx + 1;
    r.frequencyHz = comm.m_nTuningFrequency[rx];
    const auto choice = [](const WORD* table, unsigned size, unsigned index) {
        return TableChoice{index, index < size ? table[index] : 0u};
    };
    r.ifBandwidthKHz = choice(comm.m_wIfBandwidthValue[rx], 8, comm.m_nIfBandwidth[rx]);
    if (!comm.m_bCompanionBoard)
        r.videoFilterKHz = choice(comm.m_wVideoFilterValue[rx], 8, comm.m_nVideoFilter[rx]);
    r.amFilterHz = choice(comm.m_wAmFilterValue[rx], 32, comm.m_nAmFilter[rx]);
    r.agcTimeConstant100us =
        choice(comm.m_wAgcTimeConstantValue[rx], 8, comm.m_nAgcTimeConstant[rx]);
    r.amInverted = comm.m_bAmInverted[rx] != 0;
    r.amGain = comm.m_nAmGain[rx];
    if (!comm.m_bCompanionBoard) {
        r.fmInverted = comm.m_bFmInverted[rx] != 0;
        r.tlm2DeEmphasis = comm.m_bTlm2DeEmphasis[rx] != 0;
    }
    r.rfSwitch = comm.m_bRfSwitch != 0;
    if (sent.xdout)
        r.xdout = comm.m_bXdout[rx] != 0;
    if (sent.setup)
        r.setup = comm.m_nSetup[rx];
    r.videoGain = comm.m_wVideoGain[rx];
    r.ifOutputMode = comm.m_nIfOutputMode[rx];
    r.agcFreeze = comm.m_bAgcFreeze[rx] != 0;
    r.dagcMode = comm.m_nDagcMode[rx];
    r.dagcRangeIndex = comm.m_nDagcRangeIndex[rx];
    r.dagcLowerDbm = comm.m_nDagcLowerDbm[rx];
    r.dagcUpperDbm = comm.m_nDagcUpperDbm[rx];
    r.dagcStartTenths = comm.m_nDagcStartVoltage[rx];
    r.dagcEndTenths = comm.m_nDagcEndVoltage[rx];
    r.agcZero = comm.m_bAgcZero[rx] != 0;
    r.rssiFiltered = comm.m_bRssiFiltered[rx] == 1;
    return r;
}

UnitReport BuildUnit(const CVX18D3_Comm& comm) {
    UnitReport u;
    u.internalReference = comm.m_bIntRefOn != 0;
    u.externalReferenceMHz = comm.m_nExtRefMHz;
    u.companionBoard = comm.m_bCompanionBoard != 0;
    u.eepromForced = comm.m_bEepromForced != 0;
    u.preferEeprom = comm.m_bPreferEeprom != 0;
    for (unsigned i = 0; i < 8; ++i)
        u.switches[i] = comm.m_bSwitch[i] != 0;
    for (unsigned i = 0; i < 5; ++i)
        u.discretes[i] = comm.m_bDiscrete[i] != 0;
    for (unsigned i = 0; i < 4; ++i)
        u.idLeds[i] = comm.m_nIdLed[i];
    for (unsigned dc = 0; dc < 2; ++dc)
        u.attenuators[dc] = {comm.m_nAttenuator[dc], comm.m_bAttenuatorFreeze[dc] != 0};
    u.attenuatorsAtBoot = comm.m_bAttenuatorAtBoot != 0;
    u.bootBaudRate = comm.m_nBootBaudRate;
    u.bootSerialType = comm.m_nBootSerialType;
    for (unsigned rx = 0; rx < 2; ++rx) {
        for (unsigned b = 0; b < 4; ++b)
            u.lineariseLocked[rx][b] = comm.m_bLinearizeLocked[rx][b] != 0;
    }
    for (unsigned i = 0; i < 2; ++i) {
        u.temperatureC[i] = comm.m_nTemperature[i];
        u.supplyVolts[i] = comm.m_fSupplyVoltage[i];
        u.supplyAmps[i] = comm.m_fSupplyCurrent[i];
    }
    return u;
}

double AttenuatorLevelDb(unsigned code) {
    return code * 0.5 - 31.5;
}

std::optional<double> DagcSlope(int lowerDbm, int upperDbm, int startTenths, int endTenths) {
    const double span = (endTenths - startTenths) / 10.0;
    if (span == 0.0)
        return std::nullopt;
    return (upperDbm - lowerDbm) / span;
}

std::string DagcRangeLabel(unsigned index) {
    return index < kDagcRanges.size() ? kDagcRanges[index].label : "";
}

std::string FirmwareDateText(std::uint32_t date) {
    return FirmwareVersionText(date);
}

const char* BootSerialTypeName(std::uint32_t type) {
    return SerialTypeCaption(type);
}

} // namespace vx::cli
