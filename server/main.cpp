// vx18d-server: owns one unit's serial port and shares it among RFC 2217
// clients. Stops cleanly on SIGTERM and SIGINT.
#include "platform/DebugOutput.h"
#include "server/MetricsEndpoint.h"
#include "server/SerialUnitLink.h"
#include "server/ServerCommandLine.h"
#include "server/UnitServer.h"
#include "vx18d/Version.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace vx::server;

// The port layer's debugger lines, as warnings in the log, one a line.
class DebugLines {
public:
    explicit DebugLines(ServerLog& log) : m_log(log) {
        plat::SetDebugSink([this](std::string_view text) { Add(text); });
    }
    ~DebugLines() { plat::SetDebugSink({}); }
    DebugLines(const DebugLines&) = delete;
    DebugLines& operator=(const DebugLines&) = delete;

private:
    void Add(std::string_view text) {
        m_pending += text;
        for (auto end = m_pending.find('\n'); end != std::string::npos;
             end = m_pending.find('\n')) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            if (!line.empty())
                m_log.Warning(line);
        }
    }

    ServerLog& m_log;
    std::string m_pending;
};

std::string Describe(const ListenAddress& address) {
    const bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

} // namespace

int main(int argc, char** argv) {
    const ParsedServerCommandLine parsed = ParseServerCommandLine(argc, argv, std::cout, std::cerr);
    if (!parsed.invocation)
        return parsed.exitStatus;
    const ServerInvocation& inv = *parsed.invocation;

    ServerLog log(ServerLog::StyleFromEnvironment(), [](std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    });
    // The settings store's and the port's complaints, too.
    DebugLines debugLines(log);

    vx::LinkSettings link;
    try {
        link = vx::ResolveLinkSettings(inv.link, [](const std::string& warning) {
            std::cerr << "vx18d-server: warning: " << warning << "\n";
        });
    } catch (const vx::BadPortName& e) {
        std::cerr << "vx18d-server: " << e.what() << "\n";
        return kServerExitUsage;
    } catch (const vx::BadSettingsFile& e) {
        std::cerr << "vx18d-server: " << e.what() << "\n";
        return kServerExitUsage;
    }

    // Signals are taken by sigwait below; the threads started later inherit the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    ServerConfig config;
    config.host = inv.listen.host;
    config.port = inv.listen.port;
    config.maxClients = inv.maxClients;
    config.line = {link.baud, 8, static_cast<std::uint8_t>(link.parity),
                   static_cast<std::uint8_t>(link.stopBits)};
    config.unit.replyTimeout = std::chrono::milliseconds(link.timeoutMs);
    ExchangeMetrics exchangeMetrics;
    if (inv.metrics)
        config.exchangeObserver = &exchangeMetrics;

    SerialUnitLink unit(link);
    UnitServer server(config, unit, log);
    std::string error;
    if (!server.Listen(error)) {
        log.Error(error);
        return kServerExitCannotListen;
    }
    // Declared after the server: it stops serving scrapes before the queue goes.
    std::unique_ptr<MetricsEndpoint> metrics;
    if (inv.metrics) {
        metrics = std::make_unique<MetricsEndpoint>(
            std::make_shared<UnitCollector>(server.Exchanges(), config.unit.replyTimeout,
                                            [&server] { return server.ClientCount(); }),
            exchangeMetrics);
        if (!metrics->Listen(*inv.metrics, error)) {
            log.Error(error);
            return kServerExitCannotListen;
        }
    }
    log.Info(std::string("vx18d-server ") + vx::kVersion + ": " + link.port + " at " +
             std::to_string(link.baud) + " baud, RFC 2217 on " + Describe(inv.listen) +
             ", at most " + std::to_string(inv.maxClients) + " clients");
    if (inv.metrics) {
        log.Info("metrics on http://" + Describe(*inv.metrics) +
                 "/metrics: the unit is read at every scrape");
    }
    if (!IsLoopback(inv.listen.host)) {
        log.Warning("listening on " + Describe(inv.listen) +
                    ", beyond this machine: RFC 2217 has no authentication, so anyone who can "
                    "reach it can use the unit and load firmware into it");
    }

    std::atomic<bool> signalled{false};
    std::thread signals([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        signalled = true;
        log.Info(std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM") +
                 ": the exchange under way completes, then the clients are closed");
        server.Stop();
    });
    server.Run();
    if (!signalled)
        kill(getpid(), SIGTERM); // wakes the signal thread
    signals.join();
    metrics.reset();
    log.Info(link.port + " released; stopped");
    return 0;
}
