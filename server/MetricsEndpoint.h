// /metrics over HTTP for Prometheus (--metrics ADDR:PORT): the unit's
// readings taken at scrape time (UnitCollector) and the server's own counts
// (ExchangeMetrics), served by prometheus-cpp's exposer.
#pragma once

#include "server/ExchangeMetrics.h"
#include "server/ServerCommandLine.h"
#include "server/UnitCollector.h"

#include <memory>
#include <string>

namespace prometheus {
class Exposer;
}

namespace vx::server {

class MetricsEndpoint {
public:
    MetricsEndpoint(std::shared_ptr<UnitCollector> unit, const ExchangeMetrics& exchanges);
    ~MetricsEndpoint();
    MetricsEndpoint(const MetricsEndpoint&) = delete;
    MetricsEndpoint& operator=(const MetricsEndpoint&) = delete;

    // Serves on the address; false with the reason ("cannot serve metrics on
    // 127.0.0.1:9118: Address already in use").
    bool Listen(const ListenAddress& address, std::string& error);
    // The TCP port served (the one chosen for port 0).
    std::uint16_t Port() const { return m_port; }

private:
    std::shared_ptr<UnitCollector> m_unit;
    std::shared_ptr<prometheus::Registry> m_exchanges;
    std::unique_ptr<prometheus::Exposer> m_exposer;
    std::uint16_t m_port = 0;
};

} // namespace vx::server
