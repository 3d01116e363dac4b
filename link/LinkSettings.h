// The link to the unit as the window's start-up makes it, for the front ends
// that take a command line: the stored serial settings (the same settings
// store and port names as the window), each of which an option may replace
// for one run, and the serial port opened and configured with them.
#pragma once

#include "serial/CSerialCom.h"
#include "serial/SerialPortSettings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace vx {

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

// A --port value that no port can have; the message names it and what is allowed.
class BadPortName : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A settings file with a line that cannot be read, when no --port names the
// port: its defaults would open some other port, on which no unit answers.
// The message names the file, the line and the reason.
class BadSettingsFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The stored settings with the options laid over them. A device path or
// network address is given the process-local port name "DEVICE". Throws
// BadPortName for a port name longer than a port name can be and for a
// malformed network address, and BadSettingsFile for a settings file with a
// line that cannot be read unless --port names the port; then the defaults
// stand in for the stored settings, and warn is told why.
LinkSettings ResolveLinkSettings(const LinkOptions& options,
                                 const std::function<void(const std::string&)>& warn = {});

// Names the device path of the settings for this process while it lives
// (nothing to do for a port name), so that the port opens it by its name.
class ProcessPortName {
public:
    explicit ProcessPortName(const LinkSettings& link);
    ~ProcessPortName();
    ProcessPortName(const ProcessPortName&) = delete;
    ProcessPortName& operator=(const ProcessPortName&) = delete;

private:
    std::string m_name;
};

struct OpenedPort {
    std::unique_ptr<CSerialCom> port; // none when it could not be opened or configured
    // Otherwise what failed and why: "cannot open COM7: ..." or "cannot configure COM7: ...".
    std::string failure;
};

// Opens the port as start-up does: the line settings of the link in record
// (which the port keeps a pointer to, so it must outlive the port), a 200 ms
// per-byte read time-out. The reason of a failure is the first line the
// port layer wrote, else the system's text for the last error.
OpenedPort OpenSerialPort(const LinkSettings& link, SerialPortSettings& record);

} // namespace vx
