// A plain HTTP/1.0 GET to a server on loopback, for tests and benchmarks
// that read /metrics or Prometheus' HTTP API.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vxtest {

struct HttpReply {
    int status = 0; // 200, 404 ...
    std::string body;
};

// Nothing when no whole reply came within the time (refused, cut off).
std::optional<HttpReply> HttpGet(std::uint16_t port, const std::string& target, int timeoutMs);

// Query-string escaping of a value: letters, digits and -_.~ stay, the rest
// become %XX.
std::string UrlEscaped(const std::string& text);

} // namespace vxtest
