// A program-side link to a simulated unit: an isolated configuration folder,
// the simulator on a pseudo-terminal linked there as a COM port, and the
// serial port and protocol object opened on it as start-up opens them.
#pragma once

#include "protocol/CVX18D3_Comm.h"
#include "serial/CSerialCom.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"

#include <functional>
#include <memory>
#include <string>

namespace vxtest {

class SimLink {
public:
    // Given the started unit and the ports folder, names the port the
    // program opens: a route to the unit other than its own link (a serial
    // device server in front of the unit's pseudo-terminal). Empty when the
    // route could not be made.
    using Route = std::function<std::string(sim::SimulatedUnit& unit, const std::string& portsDir)>;

    explicit SimLink(sim::UnitOptions options = {}, std::uint32_t baud = 57600,
                     const std::string& portName = "COM7", const Route& route = {});
    ~SimLink();
    SimLink(const SimLink&) = delete;
    SimLink& operator=(const SimLink&) = delete;

    sim::SimulatedUnit& Unit() { return m_unit; }
    vx::CSerialCom& Port() { return *m_port; }
    vx::CVX18D3_Comm& Comm() { return *m_comm; }
    vx::SerialPortSettings& Settings() { return m_settings; }
    const IsolatedConfig& Config() const { return m_config; }

    // True when the port opened, took its settings and the link test passed.
    bool Ready() const { return m_ready; }

private:
    IsolatedConfig m_config;
    sim::SimulatedUnit m_unit;
    vx::SerialPortSettings m_settings{};
    std::unique_ptr<vx::CSerialCom> m_port;
    std::unique_ptr<vx::CVX18D3_Comm> m_comm;
    bool m_ready = false;
};

} // namespace vxtest
