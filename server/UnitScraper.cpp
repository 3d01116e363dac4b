#include "server/UnitScraper.h"

#include "unit/Readouts.h"

namespace vx::server {
namespace {

// The calibration's exchanges are each bounded by the server's reply
// time-out, and the first that fails ends it; this only bounds a unit that
// keeps answering for ever.
constexpr std::chrono::hours kCalibrationLimit{1};

} // namespace

UnitScraper::UnitScraper(ExchangeQueue& queue, std::chrono::milliseconds replyTimeout)
    : m_port(queue, "metrics"), m_comm(&m_port) {
    // The server gives up on the unit after its own reply time-out; the port
    // bounds the wait in the queue by the scrape's deadline.
    m_comm.m_nTimeout = static_cast<std::int32_t>(replyTimeout.count());
}

UnitScraper::~UnitScraper() {
    m_port.Cancel();
    if (m_calibrator.joinable())
        m_calibrator.join();
}

bool UnitScraper::ReadCalibration() {
    m_port.BeginSession(Clock::now() + kCalibrationLimit);
    StartUpReadout(m_comm);
    // The identity of the unit answering now, not of one read before.
    m_comm.m_bIdentityLoaded = 0;
    m_comm.GetSerialNumberText(0);
    return !m_port.SessionFailed();
}

void UnitScraper::StartCalibration() {
    if (m_calibration == Calibration::Reading || m_calibration == Calibration::Read)
        return;
    // A thread that ended (Failed) has set its state and only returns now.
    if (m_calibrator.joinable())
        m_calibrator.join();
    m_calibration = Calibration::Reading;
    m_calibrator = std::thread([this] {
        const bool read = ReadCalibration();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_calibration = read ? Calibration::Read : Calibration::Failed;
        }
        m_changed.notify_all();
    });
}

UnitScrape UnitScraper::Scrape(Clock::duration budget) {
    const Clock::time_point deadline = Clock::now() + budget;
    UnitScrape scrape;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const std::uint64_t answeredBefore = m_port.Answered();
        StartCalibration();
        m_changed.wait_until(lock, deadline,
                             [this] { return m_calibration != Calibration::Reading; });
        if (m_calibration == Calibration::Reading) {
            scrape.up = m_port.Answered() > answeredBefore;
            scrape.calibrating = true;
            return scrape;
        }
        if (m_calibration == Calibration::Failed)
            return scrape;
        // Read: the thread has ended, and the protocol object is this one's.
        if (m_calibrator.joinable())
            m_calibrator.join();
    }
    m_port.BeginSession(deadline);

    const bool readBack = TuningReadback(m_comm);
    scrape.status = StatusCycle(m_comm);
    if (m_port.SessionFailed() || !scrape.status.ok) {
        // A unit that did not answer may come back another one (replaced,
        // new firmware); one that only took longer than the budget (a busy
        // queue, a calibration read late in the scrape) is the same unit.
        if (!m_port.SessionOutOfTime()) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_calibration = Calibration::Needed;
        }
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
