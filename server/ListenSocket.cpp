#include "server/ListenSocket.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vx::server {

BoundSocket ListenOn(const std::string& host, std::uint16_t port, int backlog) {
    BoundSocket bound;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int status =
        getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found);
    if (status != 0) {
        bound.reason = gai_strerror(status);
        return bound;
    }
    int lastError = 0;
    for (const addrinfo* a = found; a && bound.fd < 0; a = a->ai_next) {
        const int fd =
            socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, backlog) != 0) {
            lastError = errno;
            ::close(fd);
            continue;
        }
        bound.fd = fd;
    }
    freeaddrinfo(found);
    if (bound.fd < 0) {
        bound.reason = std::strerror(lastError);
        return bound;
    }
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    getsockname(bound.fd, reinterpret_cast<sockaddr*>(&address), &length);
    char numeric[NI_MAXHOST] = "";
    getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, numeric, sizeof numeric,
                nullptr, 0, NI_NUMERICHOST);
    const bool v6 = address.ss_family == AF_INET6;
    bound.numericHost = v6 ? "[" + std::string(numeric) + "]" : numeric;
    bound.port = ntohs(v6 ? reinterpret_cast<const sockaddr_in6&>(address).sin6_port
                          : reinterpret_cast<const sockaddr_in&>(address).sin_port);
    return bound;
}

} // namespace vx::server
