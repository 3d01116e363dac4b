#include "unit/Readouts.h"

namespace vx {

namespace {

constexpr plat::BOOL kTraceOff = 0;
constexpr plat::BOOL kTraceOn = 1;
constexpr unsigned kReadBackGroups = 6;

} // namespace

bool ReceiverFitted(const CVX18D3_Comm& comm, unsigned receiver) {
    const unsigned rx = ReceiverIndex(receiver);
    for (unsigned band = 0; band < 4; ++band) {
        if (comm.m_nBandLow[rx][band] != 0 || comm.m_nBandHigh[rx][band] != 0)
            return true;
    }
    return false;
}

void StartUpReadout(CVX18D3_Comm& comm) {
    comm.ReadDeviceConfiguration(kTraceOff);
    comm.ReadCompanionBoardFlag(kTraceOff);
    comm.MarkTraceBreak();
}

bool SetupPageReadback(CVX18D3_Comm& comm, unsigned receiver) {
    bool readBack = true;
    for (unsigned group = 0; group < kReadBackGroups; ++group)
        readBack = comm.ReadReceiverSettings(receiver, group, kTraceOff) && readBack;
    comm.MarkTraceBreak();
    return readBack;
}

std::string RefClkPageReadout(CVX18D3_Comm& comm) {
    std::string serialNumber = comm.GetSerialNumberText(kTraceOff);
    if (!comm.m_bIdentityLoaded)
        comm.ReadIdentity(kTraceOff);
    comm.ReadSwitchesAndDiscretes(0, kTraceOff);
    comm.MarkTraceBreak();
    return serialNumber;
}

bool RefClkRefreshReads(CVX18D3_Comm& comm) {
    if (!comm.ReadAttenuators(kTraceOn) || !comm.ReadSwitchesAndDiscretes(0, kTraceOn) ||
        !comm.ReadTemperatureRange(kTraceOn) || !comm.ReadSupplyVoltageRange(kTraceOn))
        return false;
    // The supply current read returns nothing; its exchange's result tells.
    comm.m_nLastResult = 0;
    comm.ReadSupplyCurrentRange(kTraceOn);
    return comm.m_nLastResult != 0;
}

void WindowPagesReadout(CVX18D3_Comm& comm) {
    for (unsigned rx = 0; rx < 2; ++rx) {
        if (ReceiverFitted(comm, rx))
            SetupPageReadback(comm, rx);
    }
    RefClkPageReadout(comm);
}

void WindowStartReadout(CVX18D3_Comm& comm) {
    StartUpReadout(comm);
    WindowPagesReadout(comm);
}

bool TuningReadback(CVX18D3_Comm& comm) {
    constexpr unsigned kBandGroup = 0;
    constexpr unsigned kFrequencyGroup = 1;
    bool readBack = true;
    for (unsigned rx = 0; rx < 2; ++rx) {
        if (!ReceiverFitted(comm, rx))
            continue;
        readBack = comm.ReadReceiverSettings(rx, kBandGroup, kTraceOff) && readBack;
        readBack = comm.ReadReceiverSettings(rx, kFrequencyGroup, kTraceOff) && readBack;
    }
    comm.MarkTraceBreak();
    return readBack;
}

bool FirmwareLoadAllowed(CVX18D3_Comm& comm) {
    if (!comm.m_nLastResult)
        return false;
    if (!comm.m_bCompanionBoard)
        return true;
    if (!comm.m_bIdentityLoaded)
        comm.ReadIdentity(kTraceOff);
    return comm.m_dwFirmwareDate >= kFirmwareLoadCompanionDate;
}

} // namespace vx
