#include "support/Rfc2217TestClient.h"

#include <libtelnet.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vxtest {
namespace {

constexpr unsigned char kComPortOption = 44;

const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {kComPortOption, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};

using Clock = std::chrono::steady_clock;

int LeftMs(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

struct Rfc2217TestClient::Events {
    static void Handle(telnet_t*, telnet_event_t* event, void* context) {
        auto* self = static_cast<Rfc2217TestClient*>(context);
        switch (event->type) {
        case TELNET_EV_DATA:
            self->m_input.insert(self->m_input.end(), event->data.buffer,
                                 event->data.buffer + event->data.size);
            break;
        case TELNET_EV_SEND:
            self->SendSocket(event->data.buffer, event->data.size);
            break;
        case TELNET_EV_DO:
            if (event->neg.telopt == kComPortOption)
                self->m_comPortAgreed = true;
            break;
        case TELNET_EV_SUBNEGOTIATION:
            if (event->sub.telopt == kComPortOption)
                self->m_answers.emplace_back(event->sub.buffer,
                                             event->sub.buffer + event->sub.size);
            break;
        default:
            break;
        }
    }
};

void Rfc2217TestClient::TelnetFree::operator()(telnet_t* telnet) const {
    telnet_free(telnet);
}

Rfc2217TestClient::Rfc2217TestClient(std::uint16_t port, const std::string& host) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_fd = fd;
    m_telnet.reset(telnet_init(kOptions, &Events::Handle, 0, this));
    telnet_negotiate(m_telnet.get(), TELNET_WILL, kComPortOption);
    telnet_negotiate(m_telnet.get(), TELNET_DO, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet.get(), TELNET_WILL, TELNET_TELOPT_BINARY);
}

Rfc2217TestClient::~Rfc2217TestClient() {
    Close();
}

void Rfc2217TestClient::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void Rfc2217TestClient::SendSocket(const char* data, std::size_t size) {
    while (size > 0 && m_fd >= 0) {
        const ssize_t sent = ::send(m_fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
}

bool Rfc2217TestClient::Pump(int timeoutMs) {
    if (m_fd < 0 || m_closed)
        return false;
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, timeoutMs) <= 0)
        return true;
    char buffer[4096];
    const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
    if (got <= 0) {
        m_closed = true;
        return false;
    }
    telnet_recv(m_telnet.get(), buffer, static_cast<std::size_t>(got));
    return true;
}

bool Rfc2217TestClient::WaitNegotiated(int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_comPortAgreed && Pump(LeftMs(end)) && Clock::now() < end) {
    }
    return m_comPortAgreed;
}

void Rfc2217TestClient::Send(const Bytes& lineBytes) {
    if (m_telnet)
        telnet_send(m_telnet.get(), reinterpret_cast<const char*>(lineBytes.data()),
                    lineBytes.size());
}

Rfc2217TestClient::Bytes Rfc2217TestClient::Read(std::size_t count, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_input.size() < count && Pump(LeftMs(end)) && Clock::now() < end) {
    }
    const std::size_t take = std::min(count, m_input.size());
    Bytes out(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(take));
    m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(take));
    return out;
}

std::optional<Rfc2217TestClient::Bytes>
Rfc2217TestClient::Exchange(const Bytes& request, std::size_t replyLength, int timeoutMs) {
    m_input.clear();
    Send(request);
    Bytes reply = Read(replyLength, timeoutMs);
    if (reply.size() < replyLength)
        return std::nullopt;
    return reply;
}

std::optional<Rfc2217TestClient::Bytes>
Rfc2217TestClient::Command(std::uint8_t command, const Bytes& value, int timeoutMs) {
    Bytes payload{command};
    payload.insert(payload.end(), value.begin(), value.end());
    telnet_subnegotiation(m_telnet.get(), kComPortOption,
                          reinterpret_cast<const char*>(payload.data()), payload.size());
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_answers.empty() && Pump(LeftMs(end)) && Clock::now() < end) {
    }
    if (m_answers.empty())
        return std::nullopt;
    Bytes answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer;
}

std::optional<std::uint32_t> Rfc2217TestClient::SetBaudRate(std::uint32_t baud, int timeoutMs) {
    const auto answer =
        Command(1,
                {static_cast<std::uint8_t>(baud >> 24), static_cast<std::uint8_t>(baud >> 16),
                 static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)},
                timeoutMs);
    if (!answer || answer->size() != 5 || (*answer)[0] != 101)
        return std::nullopt;
    return std::uint32_t{(*answer)[1]} << 24 | std::uint32_t{(*answer)[2]} << 16 |
           std::uint32_t{(*answer)[3]} << 8 | (*answer)[4];
}

bool Rfc2217TestClient::WaitClosed(int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_closed && Clock::now() < end)
        Pump(LeftMs(end));
    return m_closed;
}

} // namespace vxtest
