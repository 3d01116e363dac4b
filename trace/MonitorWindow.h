// vx18dctl's monitor window for the protocol object: trace breaks go into
// the byte trace (when there is one), and settings-store failures that the
// protocol object reports by message (the stored sample rate) become a
// warning on standard error instead of going nowhere.
#pragma once

#include "platform/MessageTarget.h"
#include "trace/ExchangeTrace.h"

#include <ostream>

namespace vx {

class MonitorWindow : public plat::MessageTarget {
public:
    MonitorWindow(ExchangeTrace* trace, std::ostream& err) : m_trace(trace), m_err(err) {}

    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM wParam,
                              plat::LPARAM lParam) override;

private:
    ExchangeTrace* m_trace;
    std::ostream& m_err;
};

} // namespace vx
