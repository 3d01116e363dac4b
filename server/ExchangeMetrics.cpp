#include "server/ExchangeMetrics.h"

namespace vx::server {

ExchangeMetrics::ExchangeMetrics() : m_registry(std::make_shared<prometheus::Registry>()) {
    auto& exchanges = prometheus::BuildCounter()
                          .Name("vx18d_exchanges_total")
                          .Help("Exchanges the server finished, by how they ended")
                          .Register(*m_registry);
    // Every result is there from the start, so that rates of it are defined.
    m_answered = &exchanges.Add({{"result", "answered"}});
    m_noAnswer = &exchanges.Add({{"result", "no_answer"}});
    m_notSent = &exchanges.Add({{"result", "not_sent"}});
    // From a short exchange at a fast rate (about a millisecond) to a
    // configuration word's ten reply time-outs.
    m_duration =
        &prometheus::BuildHistogram()
             .Name("vx18d_exchange_duration_seconds")
             .Help("Time from a request written to the unit to its reply or time-out")
             .Register(*m_registry)
             .Add({}, prometheus::Histogram::BucketBoundaries{0.001, 0.002, 0.005, 0.01, 0.02, 0.05,
                                                              0.1, 0.2, 0.5, 1, 2, 5, 10});
}

void ExchangeMetrics::Exchanged(ExchangeResult::Outcome outcome, Seconds took) {
    switch (outcome) {
    case ExchangeResult::Outcome::Answered:
        m_answered->Increment();
        break;
    case ExchangeResult::Outcome::NoAnswer:
        m_noAnswer->Increment();
        break;
    case ExchangeResult::Outcome::NotSent:
        m_notSent->Increment();
        return;
    }
    m_duration->Observe(took.count());
}

} // namespace vx::server
