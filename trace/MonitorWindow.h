// vx18dctl's monitor window for the protocol object: trace breaks go into
// the byte trace (when there is one), a request the protocol object sends
// again is noted there and told to the traced port (so that the first try's
// silence is not counted against the unit), and settings-store failures that
// the protocol object reports by message (the stored sample rate) become a
// warning on standard error instead of going nowhere.
#pragma once

#include "platform/MessageTarget.h"
#include "trace/ExchangeTrace.h"
#include "trace/TracedPort.h"

#include <ostream>

namespace vx {

class MonitorWindow : public plat::MessageTarget {
public:
    // trace and port may be null.
    MonitorWindow(ExchangeTrace* trace, std::ostream& err, TracedPort* port = nullptr)
        : m_trace(trace), m_err(err), m_port(port) {}

    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM wParam,
                              plat::LPARAM lParam) override;

private:
    ExchangeTrace* m_trace;
    std::ostream& m_err;
    TracedPort* m_port;
};

} // namespace vx
