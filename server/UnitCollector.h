// The unit's side of /metrics, read at scrape time: every scrape runs the
// window's status poll through the exchange queue (UnitScraper) within a
// time well under Prometheus' default scrape time-out of 10 s (see
// UnitScraper for the read-out of the calibration beside it), and turns
// what it read into metric families:
//
//   vx18d_up                          1 when the unit answered this scrape
//   vx18d_scrape_duration_seconds     how long this scrape's reading took
//   vx18d_clients                     RFC 2217 clients connected
//   per fitted receiver ("1", "2"): vx18d_rssi_dbm, vx18d_fm_deviation_ratio,
//   vx18d_am_index_ratio, vx18d_lo1_locked, vx18d_lo2_locked,
//   vx18d_agc_zero, vx18d_tuned_frequency_hertz, vx18d_am_counter_hertz
//   (where the window reads the AM counter)
//   vx18d_pll_synchronised, vx18d_internal_reference,
//   vx18d_info{serial_number,firmware_date,companion_board} (value 1)
//
// When the unit did not answer, or its calibration is still being read, only
// the first three are there.
// Scrapes that come together are served one after the other.
#pragma once

#include "server/UnitScraper.h"

#include <prometheus/collectable.h>
#include <prometheus/metric_family.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

namespace vx::server {

// The time a scrape may spend reading the unit.
inline constexpr std::chrono::milliseconds kScrapeBudget{5000};

// The families for one scrape's reading (what Collect returns).
std::vector<prometheus::MetricFamily> UnitFamilies(const UnitScrape& scrape, double seconds,
                                                   std::size_t clients);

class UnitCollector : public prometheus::Collectable {
public:
    UnitCollector(ExchangeQueue& queue, std::chrono::milliseconds replyTimeout,
                  std::function<std::size_t()> clientCount,
                  std::chrono::milliseconds budget = kScrapeBudget);

    std::vector<prometheus::MetricFamily> Collect() const override;

private:
    mutable std::mutex m_mutex; // one scrape at a time
    mutable UnitScraper m_scraper;
    std::function<std::size_t()> m_clientCount;
    std::chrono::milliseconds m_budget;
};

} // namespace vx::server
