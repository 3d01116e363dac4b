#include "support/HttpGet.h"

#include <arpa/inet.h>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vxtest {

std::optional<HttpReply> HttpGet(std::uint16_t port, const std::string& target, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string text;
    bool whole = false;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        const std::string request =
            "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
            char chunk[4096];
            while (true) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                pollfd p{fd, POLLIN, 0};
                if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                    break;
                const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
                if (got <= 0) {
                    whole = got == 0; // HTTP/1.0: the server closes after the body
                    break;
                }
                text.append(chunk, static_cast<std::size_t>(got));
            }
        }
    }
    ::close(fd);
    const auto bodyStart = text.find("\r\n\r\n");
    HttpReply reply;
    if (!whole || bodyStart == std::string::npos ||
        std::sscanf(text.c_str(), "HTTP/%*d.%*d %d", &reply.status) != 1)
        return std::nullopt;
    reply.body = text.substr(bodyStart + 4);
    return reply;
}

std::string UrlEscaped(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

} // namespace vxtest
