// A program-side link to a simulated unit: an isolated configuration folder,
// the simulator on a pseudo-terminal linked there as a COM port, and the
// serial port and protocol object opened on it as start-up opens them.
#pragma once

#include "protocol/CVX18D3_Comm.h"
#include "serial/CSerialCom.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"

#include <memory>
#include <string>

namespace vxtest {

class SimLink {
public:
    explicit SimLink(sim::UnitOptions options = {}, std::uint32_t baud = 57600,
                     const std::string& portName = "COM7");
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
