#include "server/UnitScraper.h"

#include "unit/Readouts.h"

namespace vx::server {

UnitScraper::UnitScraper(ExchangeQueue& queue, std::chrono::milliseconds replyTimeout)
    : m_port(queue, "metrics"), m_comm(&m_port) {
    // The server gives up on the unit after its own reply time-out; the port
    // bounds the wait in the queue by the scrape's deadline.
    m_comm.m_nTimeout = static_cast<std::int32_t>(replyTimeout.count());
}

bool UnitScraper::ReadCalibration() {
    StartUpReadout(m_comm);
    // The identity of the unit answering now, not of one read before.
    m_comm.m_bIdentityLoaded = 0;
    m_comm.GetSerialNumberText(0);
    return !m_port.SessionFailed();
}

UnitScrape UnitScraper::Scrape(Clock::duration budget, Clock::duration calibrationBudget) {
    UnitScrape scrape;
    if (!m_calibrated) {
        m_port.BeginSession(Clock::now() + calibrationBudget);
        if (!ReadCalibration())
            return scrape;
        m_calibrated = true;
    }
    m_port.BeginSession(Clock::now() + budget);

    const bool readBack = TuningReadback(m_comm);
    scrape.status = StatusCycle(m_comm);
    if (m_port.SessionFailed() || !scrape.status.ok) {
        // The unit may come back another one (replaced, new firmware).
        m_calibrated = false;
        return scrape;
    }
    scrape.up = true;
    for (unsigned rx = 0; rx < 2; ++rx) {
        if (readBack && scrape.status.receivers[rx].fitted)
            scrape.tunedFrequencyHz[rx] = m_comm.m_nTuningFrequency[rx];
    }
    scrape.serialNumber = m_comm.GetSerialNumberText(0);
    scrape.firmwareDate = m_comm.m_dwFirmwareDate;
    scrape.companionBoard = m_comm.m_bCompanionBoard != 0;
    return scrape;
}

} // namespace vx::server
