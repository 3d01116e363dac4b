#include "server/UnitCollector.h"

#include "text/RefClkText.h"

#include <string>

namespace vx::server {
namespace {

using prometheus::ClientMetric;
using prometheus::MetricFamily;
using prometheus::MetricType;

class Families {
public:
    void Gauge(const std::string& name, const std::string& help, double value,
               std::vector<ClientMetric::Label> labels = {}) {
        MetricFamily* family = nullptr;
        for (MetricFamily& f : m_families) {
            if (f.name == name)
                family = &f;
        }
        if (!family) {
            m_families.push_back({name, help, MetricType::Gauge, {}});
            family = &m_families.back();
        }
        ClientMetric metric;
        metric.label = std::move(labels);
        metric.gauge.value = value;
        family->metric.push_back(std::move(metric));
    }

    std::vector<MetricFamily> Take() { return std::move(m_families); }

private:
    std::vector<MetricFamily> m_families;
};

double Flag(bool on) {
    return on ? 1.0 : 0.0;
}

void ReceiverReadings(Families& out, const UnitScrape& scrape) {
    for (unsigned rx = 0; rx < 2; ++rx) {
        const StatusSample::Receiver& r = scrape.status.receivers[rx];
        if (!r.fitted)
            continue;
        const std::vector<ClientMetric::Label> receiver{{"receiver", std::to_string(rx + 1)}};
        out.Gauge("vx18d_rssi_dbm", "Received signal strength through the band's calibration",
                  r.rssiDbm, receiver);
        out.Gauge("vx18d_fm_deviation_ratio", "FM deviation as a ratio of full scale",
                  r.fmDeviation / 100.0, receiver);
        out.Gauge("vx18d_am_index_ratio", "AM modulation index as a ratio", r.amIndex / 100.0,
                  receiver);
        out.Gauge("vx18d_lo1_locked", "First local oscillator locked", Flag(r.lo1Locked), receiver);
        out.Gauge("vx18d_lo2_locked", "Second local oscillator locked", Flag(r.lo2Locked),
                  receiver);
        out.Gauge("vx18d_agc_zero", "AGC zero active", Flag(r.agcZero), receiver);
        if (scrape.tunedFrequencyHz[rx]) {
            out.Gauge("vx18d_tuned_frequency_hertz", "Frequency the receiver is tuned to",
                      static_cast<double>(*scrape.tunedFrequencyHz[rx]), receiver);
        }
        if (r.amCounterHz) {
            out.Gauge("vx18d_am_counter_hertz",
                      "AM counter frequency, read where the AM index and level make it meaningful",
                      static_cast<double>(*r.amCounterHz), receiver);
        }
    }
}

} // namespace

std::vector<MetricFamily> UnitFamilies(const UnitScrape& scrape, double seconds,
                                       std::size_t clients) {
    Families out;
    out.Gauge("vx18d_up", "1 when the unit answered this scrape, else 0", Flag(scrape.up));
    out.Gauge("vx18d_scrape_duration_seconds", "Time this scrape spent reading the unit", seconds);
    out.Gauge("vx18d_clients", "RFC 2217 clients connected to the server",
              static_cast<double>(clients));
    if (!scrape.up || scrape.calibrating)
        return out.Take();
    ReceiverReadings(out, scrape);
    out.Gauge("vx18d_pll_synchronised", "Reference PLL synchronised",
              Flag(scrape.status.pllSynchronised));
    out.Gauge("vx18d_internal_reference", "Internal reference in use",
              Flag(scrape.status.internalReference));
    out.Gauge("vx18d_info", "The unit's identity (value 1)", 1.0,
              {{"serial_number", scrape.serialNumber},
               {"firmware_date", FirmwareVersionText(scrape.firmwareDate)},
               {"companion_board", scrape.companionBoard ? "true" : "false"}});
    return out.Take();
}

UnitCollector::UnitCollector(ExchangeQueue& queue, std::chrono::milliseconds replyTimeout,
                             std::function<std::size_t()> clientCount,
                             std::chrono::milliseconds budget)
    : m_scraper(queue, replyTimeout), m_clientCount(std::move(clientCount)), m_budget(budget) {}

std::vector<MetricFamily> UnitCollector::Collect() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto start = UnitScraper::Clock::now();
    const UnitScrape scrape = m_scraper.Scrape(m_budget);
    const std::chrono::duration<double> took = UnitScraper::Clock::now() - start;
    return UnitFamilies(scrape, took.count(), m_clientCount ? m_clientCount() : 0);
}

} // namespace vx::server
