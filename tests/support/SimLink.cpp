#include "support/SimLink.h"

#include <cstring>

namespace vxtest {

SimLink::SimLink(sim::UnitOptions options, std::uint32_t baud, const std::string& portName,
                 const Route& route)
    : m_unit(options) {
    if (!m_unit.Start(m_config.PortsDir(), portName))
        return;
    const std::string openedName = route ? route(m_unit, m_config.PortsDir()) : portName;
    if (openedName.empty())
        return;
    std::strncpy(m_settings.portName, openedName.c_str(), 6);
    m_settings.baudRate = baud;
    m_settings.byteSize = 8;
    m_port = std::make_unique<vx::CSerialCom>(&m_settings);
    m_comm = std::make_unique<vx::CVX18D3_Comm>(m_port.get());
    m_ready = m_port->IsReady() && m_port->ApplySettings() &&
              m_port->SetTimeouts(0, 200, 0, 0, 0) && m_comm->Ping(0) && m_comm->m_nLastResult;
    m_unit.ClearRequests();
}

SimLink::~SimLink() {
    m_comm.reset();
    m_port.reset();
    m_unit.Stop();
}

} // namespace vxtest
