#include "cli/WindowSequences.h"

#include "ui/main/StatusFormat.h"

namespace vx::cli {

bool ReceiverFitted(const CVX18D3_Comm& comm, unsigned receiver) {
    const unsigned rx = ReceiverIndex(receiver);
    for (unsigned band = 0; band < 4; ++band) {
        if (comm.m_nBandLow[rx][band] != 0 || comm.m_nBandHigh[rx][band] != 0)
            return true;
    }
    return false;
}

void StartUp(CVX18D3_Comm& comm) {
    comm.ReadDeviceConfiguration(0);
    comm.ReadCompanionBoardFlag(0);
    comm.MarkTraceBreak();
}

bool SetupPageInit(CVX18D3_Comm& comm, unsigned receiver) {
    bool readBack = true;
    for (unsigned group = 0; group <= 5; ++group)
        readBack = comm.ReadReceiverSettings(receiver, group, 0) && readBack;
    comm.MarkTraceBreak();
    return readBack;
}

void RefClkPageInit(CVX18D3_Comm& comm) {
    comm.GetSerialNumberText(0);
    if (!comm.m_bIdentityLoaded)
        comm.ReadIdentity(0);
    comm.ReadSwitchesAndDiscretes(0, 0);
    comm.MarkTraceBreak();
}

void WindowStart(CVX18D3_Comm& comm) {
    StartUp(comm);
    for (unsigned rx = 0; rx < 2; ++rx) {
        if (ReceiverFitted(comm, rx))
            SetupPageInit(comm, rx);
    }
    RefClkPageInit(comm);
}

bool RefreshFromUnit(CVX18D3_Comm& comm) {
    // Each with the trace flag on, as the page reads them.
    if (!comm.ReadAttenuators(1) || !comm.ReadSwitchesAndDiscretes(0, 1) ||
        !comm.ReadTemperatureRange(1) || !comm.ReadSupplyVoltageRange(1))
        return false;
    comm.m_nLastResult = 0;
    comm.ReadSupplyCurrentRange(1);
    return comm.m_nLastResult != 0;
}

StatusSample StatusPoll(CVX18D3_Comm& comm) {
    StatusSample sample;

    // The status poll. Only input already waiting is stale; nothing is waited for.
    if (comm.m_pPort)
        comm.m_pPort->DiscardPendingInput();
    StatusReading status;
    sample.ok = comm.GetReceiverStatus(status, 0) != 0;
    sample.pllSynchronised = status.pllSynchronised != 0;
    sample.internalReference = status.intRefOn != 0;
    for (int led = 0; led < 4; ++led)
        sample.idLeds[led] = status.idLed[led];
    for (unsigned rx = 0; rx < 2; ++rx) {
        const StatusReading::Receiver& reading = status.receiver[rx];
        StatusSample::Receiver& shown = sample.receivers[rx];
        shown.fitted = ReceiverFitted(comm, rx);
        shown.rawRssi = reading.rawRssi;
        shown.amIndex = reading.amIndex;
        if (!shown.fitted)
            continue;
        shown.rssiDbm = ui::RssiDbm(comm, rx, reading.rawRssi);
        shown.fmDeviation = status.fmDeviation[rx];
        shown.lo1Locked = reading.lo1Locked != 0;
        shown.lo2Locked = reading.lo2Locked != 0;
        shown.agcZero = reading.agcZeroActive != 0;
    }
    // The unit may switch AGC zero by itself; the cache follows what it reports.
    for (unsigned rx = 0; rx < 2; ++rx) {
        if ((comm.m_bAgcZero[rx] != 0) != (comm.m_bAgcZeroActive[rx] != 0))
            comm.m_bAgcZero[rx] = comm.m_bAgcZeroActive[rx];
    }
    comm.MarkTraceBreak();

    // The AM counter poll.
    for (unsigned rx = 0; rx < 2; ++rx) {
        StatusSample::Receiver& shown = sample.receivers[rx];
        if (!shown.fitted || !ui::AmCounterWanted(shown.amIndex, shown.rssiDbm))
            continue;
        plat::DWORD frequency = 0;
        comm.GetAmCounterFrequency(rx, &frequency, 0);
        shown.amCounterHz = frequency;
    }
    comm.MarkTraceBreak();
    return sample;
}

bool FirmwareLoadAllowed(CVX18D3_Comm& comm) {
    if (!comm.m_nLastResult)
        return false;
    if (!comm.m_bCompanionBoard)
        return true;
    if (!comm.m_bIdentityLoaded)
        comm.ReadIdentity(0);
    return comm.m_dwFirmwareDate >= kFirmwareLoadCompanionDate;
}

} // namespace vx::cli
