#include "server/MetricsEndpoint.h"

#include <prometheus/exposer.h>

#include "server/ListenSocket.h"

#include <stdexcept>
#include <unistd.h>

namespace vx::server {
MetricsEndpoint::MetricsEndpoint(std::shared_ptr<UnitCollector> unit,
                                 const ExchangeMetrics& exchanges)
    : m_unit(std::move(unit)), m_exchanges(exchanges.Registry()) {}

MetricsEndpoint::~MetricsEndpoint() = default;

bool MetricsEndpoint::Listen(const ListenAddress& address, std::string& error) {
    const bool v6 = address.host.find(':') != std::string::npos;
    const std::string where =
        (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
    // The HTTP server tells of a failed bind only as a "possible problem
    // binding": a bind of our own first gives the reason, and the numeric
    // address the HTTP server needs.
    BoundSocket check = ListenOn(address.host, address.port, 1);
    if (check.fd < 0) {
        error = "cannot serve metrics on " + where + ": " + check.reason;
        return false;
    }
    ::close(check.fd);
    try {
        m_exposer = std::make_unique<prometheus::Exposer>(
            check.numericHost + ":" + std::to_string(address.port), 2);
    } catch (const std::exception& e) {
        error = "cannot serve metrics on " + where + ": " + e.what();
        return false;
    }
    const std::vector<int> ports = m_exposer->GetListeningPorts();
    m_port = ports.empty() ? address.port : static_cast<std::uint16_t>(ports.front());
    m_exposer->RegisterCollectable(m_unit);
    m_exposer->RegisterCollectable(m_exchanges);
    return true;
}

} // namespace vx::server
