// The unit on a serial port, opened with the same stored settings, options
// and port names as vx18dctl's, exclusively: while the server runs no other
// program can open the port. Reads wait in short steps so that the port
// thread notices its deadlines and a stop without delay.
#pragma once

#include "link/LinkSettings.h"
#include "server/UnitLink.h"

#include <memory>

namespace vx::server {

class SerialUnitLink : public UnitLink {
public:
    explicit SerialUnitLink(LinkSettings settings);
    ~SerialUnitLink() override;

    bool Open(std::string& reason) override;
    void Close() override;
    bool IsOpen() const override { return m_port != nullptr; }
    std::string Name() const override { return m_link.port; }
    void DiscardInput() override;
    bool Write(std::span<const std::uint8_t> bytes) override;
    ReadResult ReadByte(std::uint8_t& out) override;

    const LinkSettings& Settings() const { return m_link; }

private:
    LinkSettings m_link;
    ProcessPortName m_processName;
    SerialPortSettings m_record{};
    std::unique_ptr<CSerialCom> m_port;
};

} // namespace vx::server
