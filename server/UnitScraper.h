// What one metrics scrape reads from the unit, through the exchange queue as
// one more client, with the code the window uses: the start-up read-out and
// the identity (once, and again after the unit stopped answering), then at
// every scrape the tuning read-back (the tuned frequency and the band whose
// RSSI calibration applies) and the status cycle.
//
// The read-out takes about 280 exchanges (0.6 s at 115200 baud, 6 s at
// 9600), so it has a time of its own; the reading of every scrape then takes
// a handful of exchanges.
//
// A scrape is all or nothing: when any exchange of it fails or the time
// allowed runs out, it reports the unit down and no readings.
#pragma once

#include "protocol/CVX18D3_Comm.h"
#include "server/ExchangeQueue.h"
#include "server/QueuePort.h"
#include "unit/StatusPoll.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace vx::server {

struct UnitScrape {
    bool up = false;
    // The rest only when up.
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

    // budget bounds the scrape's reading, calibrationBudget the read-out
    // before it when one is due.
    UnitScrape Scrape(Clock::duration budget, Clock::duration calibrationBudget);

    // Exchanges the unit answered for this scraper, in all.
    std::uint64_t Answered() const { return m_port.Answered(); }

private:
    bool ReadCalibration();

    QueuePort m_port;
    CVX18D3_Comm m_comm;
    bool m_calibrated = false;
};

} // namespace vx::server
