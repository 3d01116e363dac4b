#include "support/ServerHarness.h"

#include "support/Ser2net.h"

#include <sstream>

namespace vxtest {

vx::server::ServerConfig ServerSetup::Defaults() {
    vx::server::ServerConfig config;
    config.port = 0;
    config.partialRequestTimeout = std::chrono::milliseconds(500);
    config.unit.replyTimeout = std::chrono::milliseconds(300);
    config.unit.reopenInterval = std::chrono::milliseconds(200);
    config.unit.blockGap = std::chrono::milliseconds(1000);
    config.unit.programmingHold = std::chrono::milliseconds(1500);
    return config;
}

SimulatedPort::SimulatedPort() {
    if (!unit.Start(config.PortsDir(), "COM7"))
        startError = unit.LastError();
}

PortServer::PortServer(const std::string& portName, ServerSetup setup) {
    vx::LinkSettings link;
    link.port = link.portName = portName;
    link.baud = setup.baud;
    link.timeoutMs = static_cast<std::uint32_t>(setup.config.unit.replyTimeout.count());
    setup.config.line.baud = setup.baud;
    m_link = std::make_unique<vx::server::SerialUnitLink>(link);
    m_log = std::make_unique<vx::server::ServerLog>(
        vx::server::ServerLog::Style::Journal, [this](std::string_view line) {
            std::lock_guard<std::mutex> lock(m_logMutex);
            m_logText += line;
        });
    m_server = std::make_unique<vx::server::UnitServer>(setup.config, *m_link, *m_log);
    if (!m_server->Listen(m_error))
        return;
    m_runner = std::thread([this] { m_server->Run(); });
    m_ready = WaitFor([this] { return m_server->LineOpen(); }, 5000);
    if (!m_ready)
        m_error = "the server did not open " + portName + ": " + Log();
}

PortServer::~PortServer() {
    StopServer();
}

void PortServer::StopServer() {
    if (!m_runner.joinable())
        return;
    m_server->Stop();
    m_runner.join();
}

std::string PortServer::Address() const {
    return "rfc2217://127.0.0.1:" + std::to_string(Port());
}

std::unique_ptr<Rfc2217TestClient> PortServer::Connect() {
    auto client = std::make_unique<Rfc2217TestClient>(Port());
    if (client->Connected())
        client->WaitNegotiated(2000);
    return client;
}

std::string PortServer::Log() const {
    std::lock_guard<std::mutex> lock(m_logMutex);
    return m_logText;
}

bool PortServer::WaitForLog(const std::string& text, int timeoutMs) const {
    return WaitFor([&] { return Log().find(text) != std::string::npos; }, timeoutMs);
}

SimLink::Route ThroughServer(std::unique_ptr<PortServer>& server, ServerSetup setup) {
    return [&server, setup](sim::SimulatedUnit&, const std::string& portsDir) -> std::string {
        server = std::make_unique<PortServer>("COM7", setup);
        if (!server->Ready() || !LinkPort(portsDir, "COM9", server->Address()))
            return "";
        return "COM9";
    };
}

std::vector<nlohmann::json> JsonLines(const std::string& text) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
}

Bytes StatusRequest() {
    return {0x27, 0x00, 0x00, 0x20, 0x00, 0x00};
}

Bytes LinkTestRequest() {
    return {0x27, 0x00, 0x00, 0x00, 0x00, 0x00};
}

Bytes ShortCommand(std::uint8_t command, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3) {
    return {0x27, 0x00, 0x01, 0x10, 0x04, 0x00, command, a1, a2, a3};
}

Bytes SelectPage(int receiver, std::uint8_t page) {
    return ShortCommand(static_cast<std::uint8_t>(0x10 | receiver), page);
}

Bytes ReadRegister(int receiver, std::uint8_t reg) {
    return ShortCommand(static_cast<std::uint8_t>(0x10 | receiver),
                        static_cast<std::uint8_t>(0x40 | reg));
}

Bytes FirmwareBlock(std::uint8_t fill, std::size_t length) {
    Bytes block{0x27,
                0x00,
                0x20,
                0x10,
                static_cast<std::uint8_t>(length),
                static_cast<std::uint8_t>(length >> 8)};
    block.insert(block.end(), length, fill);
    return block;
}

Bytes FirmwareCommit() {
    return ShortCommand(0x98, 0xFF);
}

std::uint16_t RegisterValue(const Bytes& reply) {
    return static_cast<std::uint16_t>(reply.at(8) | reply.at(9) << 8);
}

} // namespace vxtest
