#include "server/SerialUnitLink.h"

namespace vx::server {

SerialUnitLink::SerialUnitLink(LinkSettings settings)
    : m_link(std::move(settings)), m_processName(m_link) {}

SerialUnitLink::~SerialUnitLink() = default;

bool SerialUnitLink::Open(std::string& reason) {
    Close();
    OpenedPort opened = OpenSerialPort(m_link, m_record);
    if (!opened.port) {
        reason = opened.failure;
        return false;
    }
    // A total time-out per read, not per byte: each ReadByte is one short step.
    if (!opened.port->SetTimeouts(0, 0, kReadStepMs, 0, 0)) {
        reason = "cannot set the read time-outs of " + m_link.port;
        return false;
    }
    m_port = std::move(opened.port);
    m_port->DiscardPendingInput();
    return true;
}

void SerialUnitLink::Close() {
    m_port.reset();
}

void SerialUnitLink::DiscardInput() {
    if (m_port)
        m_port->DiscardPendingInput();
}

bool SerialUnitLink::Write(std::span<const std::uint8_t> bytes) {
    return m_port && m_port->Write(bytes.data(), static_cast<int>(bytes.size()));
}

UnitLink::ReadResult SerialUnitLink::ReadByte(std::uint8_t& out) {
    if (!m_port)
        return ReadResult::Failed;
    if (m_port->ReadByte(&out))
        return ReadResult::Byte;
    // A read that failed (rather than found nothing in time) clears the
    // port's status: the device is gone.
    return m_port->IsReady() ? ReadResult::Nothing : ReadResult::Failed;
}

} // namespace vx::server
