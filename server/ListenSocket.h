// A listening TCP socket on a host name or address and a port: the first of
// the host's addresses that binds.
#pragma once

#include <cstdint>
#include <string>

namespace vx::server {

struct BoundSocket {
    int fd = -1;             // listening, non-blocking, close-on-exec; -1 when it failed
    std::string numericHost; // the address bound, numeric, IPv6 in brackets
    std::uint16_t port = 0;  // the port bound (the one chosen for port 0)
    std::string reason;      // why it failed: "Address already in use"
};

BoundSocket ListenOn(const std::string& host, std::uint16_t port, int backlog);

} // namespace vx::server
