// The unit server on a simulated unit: the simulator on a pseudo-terminal
// linked as COM7 in an isolated configuration, the server's core opened on it
// and serving on a free loopback port from a thread of its own, its log kept
// for the caller to read; RFC 2217 clients connect to it. Used by the
// server's tests, the window's and vx18dctl's tests through it, and its
// benchmark.
#pragma once

#include "server/SerialUnitLink.h"
#include "server/UnitServer.h"
#include "sim/SimulatedUnit.h"
#include "support/Rfc2217TestClient.h"
#include "support/SimLink.h"
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vxtest {

struct ServerSetup {
    std::uint32_t baud = 921600;
    vx::server::ServerConfig config = Defaults();

    // Quicker time-outs than the program's, so that tests are short.
    static vx::server::ServerConfig Defaults();
};

// The server's core serving a port that exists already (a name in the
// ports folder), on a free loopback port, from a thread of its own; its log
// is kept for the caller to read.
class PortServer {
public:
    PortServer(const std::string& portName, ServerSetup setup);
    ~PortServer();
    PortServer(const PortServer&) = delete;
    PortServer& operator=(const PortServer&) = delete;

    // The line is open and the server listens; otherwise Error() says why.
    bool Ready() const { return m_ready; }
    const std::string& Error() const { return m_error; }
    std::uint16_t Port() const { return m_server->ListeningPort(); }
    // The port name a program opens the unit by: rfc2217://127.0.0.1:PORT.
    std::string Address() const;
    vx::server::UnitServer& Server() { return *m_server; }

    // A client connected and negotiated (check Connected()).
    std::unique_ptr<Rfc2217TestClient> Connect();
    // Stops the server as SIGTERM does; Run returns.
    void StopServer();

    std::string Log() const;
    // Waits until a log line contains text.
    bool WaitForLog(const std::string& text, int timeoutMs) const;

private:
    std::unique_ptr<vx::server::SerialUnitLink> m_link;
    std::unique_ptr<vx::server::ServerLog> m_log;
    std::unique_ptr<vx::server::UnitServer> m_server;
    std::thread m_runner;
    bool m_ready = false;
    std::string m_error;

    mutable std::mutex m_logMutex;
    std::string m_logText;
};

// An isolated configuration with the simulated unit linked as COM7.
struct SimulatedPort {
    SimulatedPort();
    IsolatedConfig config;
    sim::SimulatedUnit unit;
    std::string startError;
};

// The server on its own simulated unit.
class ServerHarness : private SimulatedPort, public PortServer {
public:
    explicit ServerHarness(ServerSetup setup = {}) : PortServer("COM7", setup) {}

    bool Ready() const { return startError.empty() && PortServer::Ready(); }
    const std::string& Error() const {
        return startError.empty() ? PortServer::Error() : startError;
    }
    sim::SimulatedUnit& Unit() { return unit; }
    const IsolatedConfig& Config() const { return config; }
};

// A route for SimLink: the program opens COM9, a link in the ports folder to
// a server (kept in `server`) in front of the unit's COM7.
SimLink::Route ThroughServer(std::unique_ptr<PortServer>& server, ServerSetup setup);

// The objects vx18dctl --json printed, one a line.
std::vector<nlohmann::json> JsonLines(const std::string& text);

// Requests as the program writes them.
Bytes StatusRequest();
Bytes LinkTestRequest();
Bytes ShortCommand(std::uint8_t command, std::uint8_t a1, std::uint8_t a2 = 0, std::uint8_t a3 = 0);
Bytes SelectPage(int receiver, std::uint8_t page);
Bytes ReadRegister(int receiver, std::uint8_t reg);
Bytes FirmwareBlock(std::uint8_t fill, std::size_t length = 128);
Bytes FirmwareCommit();

inline constexpr std::size_t kStatusReplyLength = 15;
inline constexpr std::size_t kShortReplyLength = 10;
inline constexpr std::size_t kHeaderOnlyReplyLength = 6;

// The register value in a short command reply (bytes 8 and 9).
std::uint16_t RegisterValue(const Bytes& reply);

} // namespace vxtest
