// The server's own counts, kept as the port thread finishes exchanges:
// vx18d_exchanges_total{result} (answered, no_answer, not_sent) and the
// histogram vx18d_exchange_duration_seconds of those that reached the unit.
#pragma once

#include "server/ExchangeObserver.h"

#include <prometheus/counter.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>

#include <memory>

namespace vx::server {

class ExchangeMetrics : public ExchangeObserver {
public:
    ExchangeMetrics();

    void Exchanged(ExchangeResult::Outcome outcome, Seconds took) override;

    // For the metrics endpoint to serve.
    std::shared_ptr<prometheus::Registry> Registry() const { return m_registry; }

private:
    std::shared_ptr<prometheus::Registry> m_registry;
    prometheus::Counter* m_answered = nullptr;
    prometheus::Counter* m_noAnswer = nullptr;
    prometheus::Counter* m_notSent = nullptr;
    prometheus::Histogram* m_duration = nullptr;
};

} // namespace vx::server
