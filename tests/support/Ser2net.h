// Debian's ser2net as the serial device server in front of a simulated
// unit's pseudo-terminal: a configuration file written for the run, a free
// loopback port, the server in the foreground as a child process. Stop() and
// Start() again keep the port, so that a port that lost its server can
// connect again.
#pragma once

#include "support/SimLink.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace vxtest {

struct Ser2netOptions {
    bool rfc2217 = true;        // telnet with the COM-PORT-OPTION; else raw TCP
    bool charDelay = true;      // ser2net's default: device data held ~2 character times
    std::uint32_t baud = 57600; // the line settings the server opens the device with
};

class Ser2net {
public:
    using Options = Ser2netOptions;

    // True when the ser2net program is installed.
    static bool Installed();
    // Why tests that need it are skipped.
    static const char* SkipReason();

    explicit Ser2net(Options options = {});
    ~Ser2net(); // stops the server
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    // Serves devicePath until Stop(); true once the server listens. The
    // first start chooses a free port; later starts keep it.
    bool Start(const std::string& devicePath);
    bool Restart() { return Start(m_devicePath); }
    void Stop(); // SIGTERM, then SIGKILL if it lingers; waits for the process
    bool Running() const { return m_pid > 0; }

    // A route for SimLink: starts this server in front of the unit's
    // pseudo-terminal and links portName in the ports folder to its address.
    SimLink::Route RouteAs(const std::string& portName = "COM9");

    std::uint16_t Port() const { return m_port; }
    // "rfc2217://127.0.0.1:PORT" or "tcp://127.0.0.1:PORT".
    std::string Address() const;
    // The server's own output and what went wrong, for failure messages.
    std::string Log() const;
    const std::string& LastError() const { return m_lastError; }

private:
    bool WriteConfig(const std::string& devicePath) const;
    bool Listening() const;

    Options m_options;
    TempDir m_dir;
    std::string m_devicePath;
    std::uint16_t m_port = 0;
    pid_t m_pid = -1;
    std::string m_lastError;
};

// A TCP port on 127.0.0.1 that nothing listens on right now.
std::uint16_t FreeLoopbackPort();

// Points portsDir/name at target (a device or a network address); true when it did.
bool LinkPort(const std::string& portsDir, const std::string& name, const std::string& target);

} // namespace vxtest
