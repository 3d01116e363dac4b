#include "unit/StatusPoll.h"

#include "text/StatusFormat.h"
#include "unit/Readouts.h"

namespace vx {

StatusSample PollStatus(CVX18D3_Comm& comm, const ShownReceivers& shown) {
    StatusSample sample;

    // Stale input is dropped by the exchange itself, without waiting.
    StatusReading status;
    sample.ok = comm.GetReceiverStatus(status, 0) != 0;
    sample.pllSynchronised = status.pllSynchronised != 0;
    sample.internalReference = status.intRefOn != 0;
    for (std::size_t led = 0; led < sample.idLeds.size(); ++led)
        sample.idLeds[led] = status.idLed[led];
    for (unsigned rx = 0; rx < 2; ++rx) {
        const StatusReading::Receiver& reading = status.receiver[rx];
        StatusSample::Receiver& out = sample.receivers[rx];
        out.fitted = shown[rx];
        out.rawRssi = reading.rawRssi;
        out.amIndex = reading.amIndex;
        if (!out.fitted)
            continue;
        out.rssiDbm = RssiDbm(comm, rx, reading.rawRssi);
        out.fmDeviation = status.fmDeviation[rx];
        out.lo1Locked = reading.lo1Locked != 0;
        out.lo2Locked = reading.lo2Locked != 0;
        out.agcZero = reading.agcZeroActive != 0;
    }
    // The unit may switch AGC zero by itself; the cache follows what it reports.
    for (unsigned rx = 0; rx < 2; ++rx) {
        if ((comm.m_bAgcZero[rx] != 0) == (comm.m_bAgcZeroActive[rx] != 0))
            continue;
        comm.m_bAgcZero[rx] = comm.m_bAgcZeroActive[rx];
        sample.receivers[rx].agcZeroChanged = true;
    }
    comm.MarkTraceBreak();
    return sample;
}

void PollAmCounters(CVX18D3_Comm& comm, StatusSample& sample) {
    for (unsigned rx = 0; rx < 2; ++rx) {
        StatusSample::Receiver& out = sample.receivers[rx];
        out.amCounterHz.reset();
        if (!out.fitted || !AmCounterWanted(out.amIndex, out.rssiDbm))
            continue;
        plat::DWORD frequency = 0;
        comm.GetAmCounterFrequency(rx, &frequency, 0);
        out.amCounterHz = frequency;
    }
    comm.MarkTraceBreak();
}

StatusSample StatusCycle(CVX18D3_Comm& comm) {
    StatusSample sample = PollStatus(comm, {ReceiverFitted(comm, 0), ReceiverFitted(comm, 1)});
    PollAmCounters(comm, sample);
    return sample;
}

} // namespace vx
