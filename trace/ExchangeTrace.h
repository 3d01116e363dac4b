// The byte trace of vx18dctl --trace: every exchange with the unit as one
// line of the traffic's printed form (trace/TrafficLine.h), written as soon
// as the exchange ends, with the time since the trace began:
//
//       12.3 | 27 00 00 00 00 00 | 27 00 00 00 00 00 | 1.1 ms | link test
//       14.9 | -- end of action --
//
// A reply still short when the next request goes out (or at a trace break,
// or at the end) is shown as it came, with the failure.
#pragma once

#include "trace/ExchangeAssembler.h"

#include <ostream>

namespace vx {

class ExchangeTrace : public ExchangeAssembler {
public:
    explicit ExchangeTrace(std::ostream& out, Clock clock = {});
    ~ExchangeTrace() override;
    ExchangeTrace(const ExchangeTrace&) = delete;
    ExchangeTrace& operator=(const ExchangeTrace&) = delete;

protected:
    void Emit(TrafficEntry&& entry) override;

private:
    std::ostream& m_out;
};

} // namespace vx
