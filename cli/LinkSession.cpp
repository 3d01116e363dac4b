#include "cli/LinkSession.h"

#include "cli/ExitStatus.h"

namespace vx::cli {

LinkSession::LinkSession(const LinkSettings& settings, ExchangeTrace* trace,
                         const std::atomic<bool>* stop, std::ostream& err)
    : m_link(settings), m_processName(m_link) {
    OpenedPort opened = OpenSerialPort(m_link, m_portSettings);
    if (!opened.port)
        throw PortError(opened.failure);
    m_serial = std::move(opened.port);
    m_port = std::make_unique<TracedPort>(*m_serial, trace, stop);
    m_port->FlushInput();
    m_monitor = std::make_unique<MonitorWindow>(trace, err, m_port.get());
    m_comm = std::make_unique<CVX18D3_Comm>(m_port.get());
    m_comm->m_nTimeout = static_cast<std::int32_t>(m_link.timeoutMs);
    m_comm->m_hTraceWnd = m_monitor.get();
}

LinkSession::~LinkSession() = default;

bool LinkSession::LinkTest() {
    return m_comm->Ping(0) && m_comm->m_nLastResult;
}

} // namespace vx::cli
