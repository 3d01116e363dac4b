// The unit server's metrics read through its queue on the simulated unit:
// the numbers the unit's own state gives through the band's calibration,
// nothing but vx18d_up 0 from a silent unit, no readings for a receiver
// without bands, other clients' register pages left alone, a reply that
// comes after the scrape gave up never taken for the next, and the
// exchange counts.
#include "ServerTestSupport.h"

#include "server/ExchangeMetrics.h"
#include "server/UnitCollector.h"
#include "sim/UnitModel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

using namespace vxtest;
using prometheus::MetricFamily;
using namespace std::chrono_literals;

namespace {

const MetricFamily* Family(const std::vector<MetricFamily>& families, const std::string& name) {
    for (const MetricFamily& family : families) {
        if (family.name == name)
            return &family;
    }
    return nullptr;
}

// A gauge's value (of the receiver given, "1" or "2"); nothing when absent.
std::optional<double> Gauge(const std::vector<MetricFamily>& families, const std::string& name,
                            const std::string& receiver = "") {
    const MetricFamily* family = Family(families, name);
    if (!family)
        return std::nullopt;
    for (const prometheus::ClientMetric& metric : family->metric) {
        const bool wanted = receiver.empty()
                                ? metric.label.empty()
                                : metric.label.size() == 1 && metric.label[0].value == receiver;
        if (wanted)
            return metric.gauge.value;
    }
    return std::nullopt;
}

std::vector<std::string> Names(const std::vector<MetricFamily>& families) {
    std::vector<std::string> names;
    for (const MetricFamily& family : families)
        names.push_back(family.name);
    return names;
}

struct Expected {
    double rssiDbm = 0;
    bool locked = false;
    std::uint64_t frequencyHz = 0;
    double amIndex = 0;
    double fmDeviation = 0;
};

// What the simulated receiver observes, through its own calibration.
Expected Observed(sim::SimulatedUnit& unit, int rx) {
    return unit.WithModel([rx](sim::UnitModel& model) {
        const sim::ReceiverObservation o = model.Observe(rx);
        Expected e;
        if (o.band) {
            const sim::BandCalibration c = model.Calibration(rx, *o.band);
            e.rssiDbm = c.slope * o.rawRssi + c.offsetDbm;
        }
        e.locked = o.lo1Locked;
        e.frequencyHz = model.Receiver(rx).frequencyHz;
        e.amIndex = o.amIndex / 100.0;
        e.fmDeviation = o.fmDeviation / 100.0;
        return e;
    });
}

void ExpectReceiver(const std::vector<MetricFamily>& families, sim::SimulatedUnit& unit, int rx) {
    const Expected e = Observed(unit, rx);
    const std::string r = std::to_string(rx + 1);
    ASSERT_TRUE(Gauge(families, "vx18d_rssi_dbm", r)) << "receiver " << r;
    EXPECT_NEAR(*Gauge(families, "vx18d_rssi_dbm", r), e.rssiDbm, 1e-6) << "receiver " << r;
    EXPECT_EQ(Gauge(families, "vx18d_lo1_locked", r), e.locked ? 1.0 : 0.0);
    EXPECT_EQ(Gauge(families, "vx18d_lo2_locked", r), e.locked ? 1.0 : 0.0);
    EXPECT_EQ(Gauge(families, "vx18d_tuned_frequency_hertz", r),
              static_cast<double>(e.frequencyHz));
    EXPECT_NEAR(*Gauge(families, "vx18d_am_index_ratio", r), e.amIndex, 1e-9);
    EXPECT_NEAR(*Gauge(families, "vx18d_fm_deviation_ratio", r), e.fmDeviation, 1e-9);
}

vx::server::UnitCollector CollectorFor(PortServer& server) {
    return vx::server::UnitCollector(server.Server().Exchanges(), 300ms,
                                     [&server] { return server.Server().ClientCount(); });
}

} // namespace

TEST(ServerMetrics, AScrapeReportsWhatTheUnitObservesAndFollowsARetune) {
    ServerHarness server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto collector = CollectorFor(server);
    const auto client = server.Connect(); // counted among the clients
    ASSERT_TRUE(client->Connected());

    std::vector<MetricFamily> families = collector.Collect();
    EXPECT_EQ(Gauge(families, "vx18d_up"), 1.0);
    EXPECT_EQ(Gauge(families, "vx18d_clients"), 1.0);
    EXPECT_EQ(Gauge(families, "vx18d_pll_synchronised"), 1.0);
    ExpectReceiver(families, server.Unit(), 0);
    ExpectReceiver(families, server.Unit(), 1);
    const MetricFamily* info = Family(families, "vx18d_info");
    ASSERT_TRUE(info);
    ASSERT_EQ(info->metric.size(), 1u);
    EXPECT_EQ(info->metric[0].label,
              (std::vector<prometheus::ClientMetric::Label>{{"serial_number", "0012-ABCD"},
                                                            {"firmware_date", "20180309"},
                                                            {"companion_board", "false"}}));

    // Retuned behind the server's back into another band, and out of every
    // band: the next scrape reads the new frequency, the RSSI through the new
    // band's calibration, and the locks lost.
    const std::uint64_t first = Observed(server.Unit(), 0).frequencyHz;
    const std::uint64_t second = Observed(server.Unit(), 1).frequencyHz;
    ASSERT_NE(server.Unit().WithModel(
                  [&](sim::UnitModel& model) { return model.BandHolding(1, first, 0); }),
              server.Unit().WithModel(
                  [&](sim::UnitModel& model) { return model.BandHolding(1, second, 0); }));
    server.Unit().WithModel([first](sim::UnitModel& model) {
        model.Receiver(1).frequencyHz = first;
        model.Receiver(0).frequencyHz = 100'000'000;
    });
    families = collector.Collect();
    EXPECT_EQ(Gauge(families, "vx18d_up"), 1.0);
    ExpectReceiver(families, server.Unit(), 1);
    EXPECT_EQ(Gauge(families, "vx18d_tuned_frequency_hertz", "2"), static_cast<double>(first));
    EXPECT_EQ(Gauge(families, "vx18d_tuned_frequency_hertz", "1"), 100'000'000.0);
    EXPECT_EQ(Gauge(families, "vx18d_lo1_locked", "1"), 0.0);
    EXPECT_EQ(Gauge(families, "vx18d_lo2_locked", "1"), 0.0);
}

TEST(ServerMetrics, ASilentUnitGivesUpZeroAndNoReadingsWithinOneReplyTimeOut) {
    ServerHarness server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto collector = CollectorFor(server);
    ASSERT_EQ(Gauge(collector.Collect(), "vx18d_up"), 1.0);

    server.Unit().StopAfter(0);
    const auto start = std::chrono::steady_clock::now();
    std::vector<MetricFamily> families = collector.Collect();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(Names(families), (std::vector<std::string>{
                                   "vx18d_up", "vx18d_scrape_duration_seconds", "vx18d_clients"}));
    EXPECT_EQ(Gauge(families, "vx18d_up"), 0.0);
    // One exchange waited out (300 ms), not one per exchange of the poll.
    EXPECT_LT(took, 900ms);

    // Back: the calibration is read again and the readings return.
    server.Unit().ClearFaults();
    ASSERT_TRUE(WaitFor([&] { return Gauge(collector.Collect(), "vx18d_up") == 1.0; }, 5000));
    families = collector.Collect();
    ExpectReceiver(families, server.Unit(), 0);
    ExpectReceiver(families, server.Unit(), 1);
}

TEST(ServerMetrics, AScrapeDoesNotWaitOutACalibrationLongerThanItsBudget) {
    // At 57600 baud the calibration's read-out takes about a second.
    ServerSetup setup;
    setup.baud = 57600;
    ServerHarness server(setup);
    ASSERT_TRUE(server.Ready()) << server.Error();
    vx::server::UnitCollector collector(
        server.Server().Exchanges(), 300ms, [&server] { return server.Server().ClientCount(); },
        200ms);

    const auto start = std::chrono::steady_clock::now();
    std::vector<MetricFamily> families = collector.Collect();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 600ms);
    // The unit answered the calibration's exchanges: up, but nothing read yet.
    EXPECT_EQ(Names(families), (std::vector<std::string>{
                                   "vx18d_up", "vx18d_scrape_duration_seconds", "vx18d_clients"}));
    EXPECT_EQ(Gauge(families, "vx18d_up"), 1.0);

    // The read-out went on between scrapes; the readings follow.
    ASSERT_TRUE(WaitFor(
        [&] { return Gauge(families = collector.Collect(), "vx18d_rssi_dbm", "1").has_value(); },
        5000));
    ExpectReceiver(families, server.Unit(), 0);
    ExpectReceiver(families, server.Unit(), 1);
}

TEST(ServerMetrics, AReceiverWithoutBandsHasNoReadings) {
    IsolatedConfig config;
    sim::UnitOptions options;
    options.receiverHasBands = {true, false};
    sim::SimulatedUnit unit(options);
    ASSERT_TRUE(unit.Start(config.PortsDir(), "COM7")) << unit.LastError();
    PortServer server("COM7", {});
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto collector = CollectorFor(server);

    const std::vector<MetricFamily> families = collector.Collect();
    EXPECT_EQ(Gauge(families, "vx18d_up"), 1.0);
    ExpectReceiver(families, unit, 0);
    for (const MetricFamily& family : families) {
        for (const prometheus::ClientMetric& metric : family.metric) {
            for (const auto& label : metric.label)
                EXPECT_FALSE(label.name == "receiver" && label.value == "2") << family.name;
        }
    }
}

TEST(ServerMetrics, AScrapeLeavesAnotherClientsRegisterPageAlone) {
    ServerHarness server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    server.Unit().WithModel([](sim::UnitModel& model) { model.WriteRegister(0, 7, 3, 0x8733); });
    const auto client = server.Connect();
    ASSERT_TRUE(client->Connected());
    ASSERT_TRUE(client->Exchange(SelectPage(0, 7), kShortReplyLength, 3000));
    auto collector = CollectorFor(server);

    // The scrape's read-out selects pages of its own on both receivers.
    ASSERT_EQ(Gauge(collector.Collect(), "vx18d_up"), 1.0);
    const auto reply = client->Exchange(ReadRegister(0, 3), kShortReplyLength, 3000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(RegisterValue(*reply), 0x8733);
}

TEST(ServerMetrics, AReplyThatComesAfterTheScrapeGaveUpIsNotTakenForTheNext) {
    ServerHarness server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    vx::server::UnitScraper scraper(server.Server().Exchanges(), 300ms);
    ASSERT_TRUE(scraper.Scrape(5s).up);

    // The unit answers within the server's time-out, after the scrape's.
    server.Unit().ArmLateAnswer(200);
    EXPECT_FALSE(scraper.Scrape(50ms).up);
    std::this_thread::sleep_for(300ms);
    const vx::server::UnitScrape next = scraper.Scrape(5s);
    ASSERT_TRUE(next.up);
    for (int rx = 0; rx < 2; ++rx) {
        EXPECT_EQ(next.tunedFrequencyHz[rx], Observed(server.Unit(), rx).frequencyHz);
        EXPECT_NEAR(next.status.receivers[rx].rssiDbm, Observed(server.Unit(), rx).rssiDbm, 1e-6);
    }
}

TEST(ServerMetrics, ExchangesAreCountedByOutcomeAndTimed) {
    vx::server::ExchangeMetrics metrics;
    ServerSetup setup;
    setup.config.exchangeObserver = &metrics;
    ServerHarness server(setup);
    ASSERT_TRUE(server.Ready()) << server.Error();
    vx::server::UnitScraper scraper(server.Server().Exchanges(), 300ms);
    ASSERT_TRUE(scraper.Scrape(5s).up);
    server.Unit().StopAfter(0);
    ASSERT_FALSE(scraper.Scrape(5s).up);

    const std::vector<MetricFamily> families = metrics.Registry()->Collect();
    const MetricFamily* exchanges = Family(families, "vx18d_exchanges_total");
    ASSERT_TRUE(exchanges);
    std::map<std::string, double> counts;
    for (const prometheus::ClientMetric& metric : exchanges->metric)
        counts[metric.label.at(0).value] = metric.counter.value;
    EXPECT_EQ(counts["answered"], static_cast<double>(scraper.Answered()));
    EXPECT_EQ(counts["no_answer"], 1.0);
    EXPECT_EQ(counts["not_sent"], 0.0);
    const MetricFamily* duration = Family(families, "vx18d_exchange_duration_seconds");
    ASSERT_TRUE(duration);
    ASSERT_EQ(duration->metric.size(), 1u);
    EXPECT_EQ(duration->metric[0].histogram.sample_count, scraper.Answered() + 1);
    // The one that timed out took the reply time-out.
    EXPECT_GE(duration->metric[0].histogram.sample_sum, 0.3);
}
