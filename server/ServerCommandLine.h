// vx18d-server's command line: the unit's port and line settings (as
// vx18dctl takes them, each replacing a stored setting), the address to
// listen on, the client limit and where to serve metrics. Syntax errors end with the message and
// exit status 2 before anything is opened.
#pragma once

#include "link/LinkSettings.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace vx::server {

inline constexpr const char* kDefaultListenHost = "127.0.0.1";
inline constexpr std::uint16_t kDefaultListenPort = 7001;
inline constexpr int kDefaultMaxClients = 16;

struct ListenAddress {
    std::string host; // without the brackets of an IPv6 literal
    std::uint16_t port = 0;
};

// "HOST:PORT", "[IPV6]:PORT" or a bare "PORT" (on loopback); nothing, with
// the reason in error (naming the option), for anything else.
std::optional<ListenAddress> ParseListenAddress(std::string_view text, std::string& error,
                                                std::string_view option = "--listen");

// True for an address that only this machine can reach.
bool IsLoopback(const std::string& host);

struct ServerInvocation {
    LinkOptions link;
    ListenAddress listen{kDefaultListenHost, kDefaultListenPort};
    int maxClients = kDefaultMaxClients;
    std::optional<ListenAddress> metrics; // where /metrics is served, if anywhere
};

struct ParsedServerCommandLine {
    std::optional<ServerInvocation> invocation; // none: stop with exitStatus
    int exitStatus = 0;
};

inline constexpr int kServerExitUsage = 2;
inline constexpr int kServerExitCannotListen = 3;

ParsedServerCommandLine ParseServerCommandLine(int argc, const char* const* argv, std::ostream& out,
                                               std::ostream& err);

} // namespace vx::server
