#include "trace/ExchangeTrace.h"

#include "trace/TrafficLine.h"

#include <utility>

namespace vx {

ExchangeTrace::ExchangeTrace(std::ostream& out, Clock clock)
    : ExchangeAssembler(std::move(clock)), m_out(out) {}

ExchangeTrace::~ExchangeTrace() {
    Flush();
}

void ExchangeTrace::Emit(TrafficEntry&& entry) {
    m_out << FormatTrafficLine(entry) << '\n' << std::flush;
}

} // namespace vx
