// What one metrics scrape reads from the unit, through the exchange queue as
// one more client, with the code the window uses: the start-up read-out and
// the identity (the calibration: once, and again after the unit stopped
// answering), then at every scrape the tuning read-back (the tuned frequency
// and the band whose RSSI calibration applies) and the status cycle.
//
// The read-out takes about 280 exchanges: 1 s at 57600 baud, 6 s at 9600,
// minutes at the slowest rates. It runs on a thread of its own, so that no
// scrape outlasts its budget: a scrape waits for it only as long as its
// budget allows, and one that ends while it still runs has no readings (the
// unit is up when it answered during the scrape). Its exchanges are bounded
// by the server's reply time-out, the first failure ends it.
//
// A scrape is all or nothing: when any exchange of it fails or its budget
// runs out, it reports the unit down and no readings.
#pragma once

#include "protocol/CVX18D3_Comm.h"
#include "server/ExchangeQueue.h"
#include "server/QueuePort.h"
#include "unit/StatusPoll.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace vx::server {

struct UnitScrape {
    bool up = false;
    // Up, but the calibration is still being read: no readings yet.
    bool calibrating = false;
    // The rest only when up and not calibrating.
    StatusSample status;
    std::array<std::optional<std::uint64_t>, 2>
        tunedFrequencyHz; // fitted receivers whose firmware reports it
    std::string serialNumber;
    std::uint32_t firmwareDate = 0;
    bool companionBoard = false;
};

class UnitScraper {
public:
    using Clock = std::chrono::steady_clock;

    UnitScraper(ExchangeQueue& queue, std::chrono::milliseconds replyTimeout);
    ~UnitScraper();
    UnitScraper(const UnitScraper&) = delete;
    UnitScraper& operator=(const UnitScraper&) = delete;

    // budget bounds the whole scrape, the wait for the calibration included.
    UnitScrape Scrape(Clock::duration budget);

    // Exchanges the unit answered for this scraper, in all.
    std::uint64_t Answered() const { return m_port.Answered(); }

private:
    enum class Calibration { Needed, Reading, Read, Failed };

    // Starts the calibration's thread unless it runs or is read; m_mutex held.
    void StartCalibration();
    bool ReadCalibration();

    QueuePort m_port;
    CVX18D3_Comm m_comm; // the calibration's thread's while it reads
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Calibration m_calibration = Calibration::Needed; // guarded by m_mutex
    std::thread m_calibrator;
};

} // namespace vx::server
