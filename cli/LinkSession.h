// The link to the unit as the window's start-up makes it: the stored serial
// settings (the same settings store and port names as the window), each of
// which a command-line option may replace for this run only; the port
// opened and configured with a 200 ms per-byte read time-out, its input
// flushed, the protocol object built with the reply time-out, and the link
// test.
#pragma once

#include "protocol/CVX18D3_Comm.h"
#include "serial/CSerialCom.h"
#include "trace/ExchangeTrace.h"
#include "trace/MonitorWindow.h"
#include "trace/TracedPort.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace vx::cli {

// What the command line asks for; anything left out comes from the stored settings.
struct LinkOptions {
    // A port name (COM7), a device path (/dev/ttyUSB0) or a device server's
    // address (rfc2217://rack3-ts:4001).
    std::optional<std::string> port;
    std::optional<std::uint32_t> baud;
    std::optional<std::uint32_t> parity;   // 0 to 4, as the settings store keeps it
    std::optional<std::uint32_t> stopBits; // 0 to 2 (1, 1.5, 2 stop bits)
    std::optional<std::uint32_t> timeoutMs;
};

struct LinkSettings {
    std::string port;       // as the operator knows it: the name, or the device path
    std::string portName;   // the name the port is opened by (at most 6 characters)
    std::string devicePath; // the device path or network address, when one was given
    std::uint32_t baud = 57600;
    std::uint32_t parity = 0;
    std::uint32_t stopBits = 0;
    std::uint32_t timeoutMs = 1000;
};

// The stored settings with the options laid over them. A device path or
// network address is given the process-local port name "DEVICE". Throws
// UsageError for a port name longer than a port name can be, for a malformed
// network address, and for a settings file with a line that cannot be read
// unless --port names the port (then the defaults stand in for the stored
// settings, with a warning on err).
LinkSettings ResolveLinkSettings(const LinkOptions& options, std::ostream& err);

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
    void OpenPort();

    LinkSettings m_link;
    SerialPortSettings m_portSettings{};
    std::unique_ptr<CSerialCom> m_serial;
    std::unique_ptr<TracedPort> m_port;
    std::unique_ptr<MonitorWindow> m_monitor;
    std::unique_ptr<CVX18D3_Comm> m_comm;
};

} // namespace vx::cli
