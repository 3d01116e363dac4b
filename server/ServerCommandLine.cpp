#include "server/ServerCommandLine.h"

#include "link/LinkCommandLine.h"
#include "vx18d/Version.h"

#include <CLI/CLI.hpp>

#include <charconv>

namespace vx::server {
namespace {

const char* const kDescription =
    "vx18d-server: shares one VX18D among any number of programs. It owns the unit's\n"
    "serial port and serves RFC 2217 clients (the window, vx18dctl, monitoring) at once,\n"
    "one whole exchange at a time; point them at rfc2217://HOST:PORT.\n"
    "The line options replace the stored settings, as vx18dctl's do.";

const char* const kFooter =
    "RFC 2217 has no authentication: anyone who can reach the listening address can\n"
    "use the unit, load firmware into it included. The default listens on loopback only.\n"
    "Metrics (--metrics) are plain HTTP without authentication, read-only.\n"
    "Exit status: 0 stopped by SIGTERM or SIGINT; 2 usage error; 3 cannot listen\n"
    "(the RFC 2217 or the metrics address).";

} // namespace

std::optional<ListenAddress> ParseListenAddress(std::string_view text, std::string& error,
                                                std::string_view option) {
    ListenAddress address;
    std::string_view port = text;
    if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        std::string_view host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
            host = host.substr(1, host.size() - 2);
        else if (host.find(':') != std::string_view::npos)
            host = {}; // an IPv6 literal without brackets
        if (host.empty()) {
            error = std::string(option) + " " + std::string(text) +
                    ": give HOST:PORT, [IPV6]:PORT or PORT (for instance 127.0.0.1:" +
                    (option == "--listen" ? "7001" : "9118") + ")";
            return std::nullopt;
        }
        address.host = host;
    } else {
        address.host = kDefaultListenHost;
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (ec != std::errc() || end != port.data() + port.size() || value < 1 || value > 65535) {
        error = std::string(option) + " " + std::string(text) +
                ": the port must be a number from 1 to 65535";
        return std::nullopt;
    }
    address.port = static_cast<std::uint16_t>(value);
    return address;
}

bool IsLoopback(const std::string& host) {
    return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

ParsedServerCommandLine ParseServerCommandLine(int argc, const char* const* argv, std::ostream& out,
                                               std::ostream& err) {
    ServerInvocation inv;
    CLI::App app{kDescription, "vx18d-server"};
    app.footer(kFooter);
    app.set_version_flag("--version", std::string("vx18d-server ") + vx::kVersion);

    LinkCommandLine linkOptions(app); // written by the parser
    std::string listen;
    app.add_option("--listen", listen, "address and TCP port to serve on (default 127.0.0.1:7001)");
    std::string metrics;
    app.add_option("--metrics", metrics,
                   "serve Prometheus metrics on http://ADDR:PORT/metrics (for instance "
                   "127.0.0.1:9118); the unit is read at every scrape");
    app.add_option("--max-clients", inv.maxClients,
                   "clients served at once; more are refused (default 16)")
        ->check(CLI::Range(1, 1000));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return {std::nullopt, code == 0 ? 0 : kServerExitUsage};
    }

    inv.link = linkOptions.Given();
    if (!listen.empty()) {
        std::string error;
        const auto address = ParseListenAddress(listen, error);
        if (!address) {
            err << "vx18d-server: " << error << "\n";
            return {std::nullopt, kServerExitUsage};
        }
        inv.listen = *address;
    }
    if (!metrics.empty()) {
        std::string error;
        inv.metrics = ParseListenAddress(metrics, error, "--metrics");
        if (!inv.metrics) {
            err << "vx18d-server: " << error << "\n";
            return {std::nullopt, kServerExitUsage};
        }
    }
    return {inv, 0};
}

} // namespace vx::server
