// The link to the unit as the window's start-up makes it: the stored serial
// settings (the same settings store and port names as the window), each of
// which a command-line option may replace for this run only; the port
// opened and configured with a 200 ms per-byte read time-out, its input
// flushed, the protocol object built with the reply time-out, and the link
// test.
#pragma once

#include "link/LinkSettings.h"
#include "protocol/CVX18D3_Comm.h"
#include "serial/CSerialCom.h"
#include "trace/ExchangeTrace.h"
#include "trace/MonitorWindow.h"
#include "trace/TracedPort.h"

#include <atomic>
#include <memory>
#include <ostream>

namespace vx::cli {

class LinkSession {
public:
    // Opens and configures the port; throws PortError with the reason
    // (missing, busy, permission, settings the line cannot take).
    LinkSession(const LinkSettings& settings, ExchangeTrace* trace, const std::atomic<bool>* stop,
                std::ostream& err);
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    CVX18D3_Comm& Comm() { return *m_comm; }
    TracedPort& Port() { return *m_port; }
    const LinkSettings& Settings() const { return m_link; }

    // The start-up link test: online when Ping succeeds and the echo matched.
    bool LinkTest();

private:
    LinkSettings m_link;
    ProcessPortName m_processName;
    SerialPortSettings m_portSettings{};
    std::unique_ptr<CSerialCom> m_serial;
    std::unique_ptr<TracedPort> m_port;
    std::unique_ptr<MonitorWindow> m_monitor;
    std::unique_ptr<CVX18D3_Comm> m_comm;
};

} // namespace vx::cli
