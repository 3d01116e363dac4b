#include "platform/linux/NetworkDevice.h"

#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/SerialDevice.h"
#include "platform/linux/PollWait.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace plat {
namespace {

// A dropped network shows within seconds: keep-alive probes after 5 s of
// silence, every 2 s, three of them; written data unacknowledged for 10 s
// ends the connection too.
constexpr int kKeepAliveIdleS = 5;
constexpr int kKeepAliveIntervalS = 2;
constexpr int kKeepAliveProbes = 3;
constexpr unsigned kUnacknowledgedLimitMs = 10000;

struct Endpoint {
    sockaddr_storage address{};
    socklen_t length = 0;
};

struct Failure {
    DWORD error = ERROR_SUCCESS;
    std::string reason;
};

// getaddrinfo() has no time-out of its own (a resolver that does not answer
// holds it for many seconds), so it runs on a thread of its own that the
// caller stops waiting for. The thread shares the result and frees it.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int status = 0;
    std::vector<Endpoint> endpoints;
};

Failure LookUp(const NetworkAddress& address, std::vector<Endpoint>& endpoints) {
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host = address.host, service = std::to_string(address.port)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_ADDRCONFIG;
        addrinfo* found = nullptr;
        const int status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        std::lock_guard lock(lookup->mutex);
        lookup->status = status;
        for (addrinfo* a = found; a; a = a->ai_next) {
            Endpoint endpoint;
            std::memcpy(&endpoint.address, a->ai_addr, a->ai_addrlen);
            endpoint.length = a->ai_addrlen;
            lookup->endpoints.push_back(endpoint);
        }
        if (found)
            ::freeaddrinfo(found);
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();

    std::unique_lock lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, std::chrono::milliseconds(NetworkDevice::kLookupTimeoutMs),
                               [&] { return lookup->finished; }))
        return {ERROR_SEM_TIMEOUT, "looking up host \"" + address.host + "\" took longer than " +
                                       std::to_string(NetworkDevice::kLookupTimeoutMs) + " ms"};
    if (lookup->status == EAI_NONAME || lookup->status == EAI_NODATA)
        return {ERROR_BAD_NETPATH, "unknown host \"" + address.host + "\""};
    if (lookup->status != 0)
        return {ERROR_BAD_NETPATH,
                "cannot look up host \"" + address.host + "\": " + ::gai_strerror(lookup->status)};
    endpoints = std::move(lookup->endpoints);
    return {};
}

Failure ConnectFailure(int error, const NetworkAddress& address) {
    switch (error) {
    case ECONNREFUSED:
        return {ERROR_CONNECTION_REFUSED,
                "connection refused: nothing listens on " + address.HostAndPort()};
    case ETIMEDOUT:
        return {ERROR_SEM_TIMEOUT, "no connection to " + address.HostAndPort() + " within " +
                                       std::to_string(NetworkDevice::kConnectTimeoutMs) + " ms"};
    case ENETUNREACH:
    case EHOSTUNREACH:
        return {ERROR_HOST_UNREACHABLE,
                "cannot reach " + address.HostAndPort() + ": " + std::strerror(error)};
    default:
        return {Win32ErrorFromErrno(error),
                "cannot connect to " + address.HostAndPort() + ": " + std::strerror(error)};
    }
}

// A non-blocking connection to one of the endpoints, tried in turn within one
// deadline; the socket, or -1 with the failure of the last one tried.
int Connect(const std::vector<Endpoint>& endpoints, const NetworkAddress& address,
            Failure& failure) {
    const std::int64_t deadline = TickMs() + NetworkDevice::kConnectTimeoutMs;
    int error = ETIMEDOUT;
    for (const Endpoint& endpoint : endpoints) {
        const int remaining = static_cast<int>(deadline - TickMs());
        if (remaining <= 0) {
            error = ETIMEDOUT;
            break;
        }
        const int fd = ::socket(endpoint.address.ss_family,
                                SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
        if (fd < 0) {
            error = errno;
            continue;
        }
        error = 0;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&endpoint.address), endpoint.length) !=
            0) {
            error = errno;
            if (error == EINPROGRESS) {
                const int ready = WaitReady(fd, POLLOUT, remaining);
                socklen_t size = sizeof error;
                if (ready == 0)
                    error = ETIMEDOUT;
                else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
                    error = errno;
            }
        }
        if (error == 0)
            return fd;
        ::close(fd);
    }
    failure = ConnectFailure(error, address);
    return -1;
}

void TuneSocket(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleS, sizeof kKeepAliveIdleS);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalS, sizeof kKeepAliveIntervalS);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof kKeepAliveProbes);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUnacknowledgedLimitMs,
                 sizeof kUnacknowledgedLimitMs);
}

// A server that sends a reply byte by byte without TCP_NODELAY holds the
// second segment until the first is acknowledged, and a delayed
// acknowledgement (up to 40 ms) then stalls every reply. The kernel turns
// quick acknowledgement off again by itself, so it is asked for after every
// receive.
void AcknowledgeAtOnce(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

std::string SocketErrorText(int fd) {
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error != 0)
        return std::strerror(error);
    return "the connection was closed";
}

bool FailOpen(const std::string& label, const Failure& failure) {
    OutputDebugFormat("%s: %s.\r\n", label.c_str(), failure.reason.c_str());
    SetLastError(failure.error);
    return false;
}

} // namespace

NetworkDevice::NetworkDevice(std::string label, const NetworkAddress& address, int socket)
    : m_label(std::move(label)), m_address(address), m_socket(socket) {}

NetworkDevice::~NetworkDevice() {
    Flush(); // a last command or byte still waiting goes out if the socket takes it
    ::close(m_socket);
}

std::unique_ptr<NetworkDevice> NetworkDevice::Open(const std::string& name,
                                                   const NetworkAddress& address) {
    const std::string label = name + " (" + address.Text() + ")";
    std::vector<Endpoint> endpoints;
    if (Failure failure = LookUp(address, endpoints); failure.error != ERROR_SUCCESS) {
        FailOpen(label, failure);
        return nullptr;
    }
    Failure failure;
    const int fd = Connect(endpoints, address, failure);
    if (fd < 0) {
        FailOpen(label, failure);
        return nullptr;
    }
    TuneSocket(fd);
    AcknowledgeAtOnce(fd);
    std::unique_ptr<NetworkDevice> device(new NetworkDevice(label, address, fd));
    if (address.scheme == NetworkScheme::RawTcp) {
        OutputDebugFormat("%s: raw TCP port: line settings are accepted here and not sent; the "
                          "device server's own settings apply.\r\n",
                          label.c_str());
        return device;
    }
    if (!device->Negotiate())
        return nullptr;
    return device;
}

bool NetworkDevice::Negotiate() {
    m_telnet = std::make_unique<rfc2217::TelnetStream>(m_output, m_input);
    m_telnet->Start();
    using State = rfc2217::TelnetStream::OptionState;
    const auto agreed = [this] { return m_telnet->ComPortOption() == State::Agreed; };
    const Wait wait = Flush() ? Await(kNegotiationTimeoutMs, agreed) : Wait::Lost;
    if (wait == Wait::Lost)
        return FailOpen(m_label, {ERROR_DEVICE_NOT_CONNECTED,
                                  "the device server ended the connection during the telnet "
                                  "negotiation (" +
                                      LostReason() + ")"});
    if (wait == Wait::TimedOut)
        return FailOpen(m_label,
                        {ERROR_SEM_TIMEOUT,
                         "the device server did not agree to the COM-PORT-OPTION (RFC "
                         "2217) within " +
                             std::to_string(kNegotiationTimeoutMs) +
                             " ms; a raw TCP port is reached as tcp://" + m_address.HostAndPort()});
    return true;
}

bool NetworkDevice::Lost(const std::string& reason) {
    if (m_lostReason.empty())
        m_lostReason = reason;
    return false;
}

void NetworkDevice::Send(std::span<const BYTE> data) {
    if (m_telnet)
        m_telnet->SendData(data);
    else
        m_output.insert(m_output.end(), data.begin(), data.end());
}

void NetworkDevice::SendCommand(const rfc2217::Setting& setting) {
    m_telnet->SendCommand(setting);
}

bool NetworkDevice::Flush() {
    std::size_t sent = 0;
    while (sent < m_output.size()) {
        const ssize_t n = ::send(m_socket, m_output.data() + sent, m_output.size() - sent,
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            m_output.erase(m_output.begin(), m_output.begin() + static_cast<long>(sent));
            return Lost(std::strerror(errno));
        }
    }
    m_output.erase(m_output.begin(), m_output.begin() + static_cast<long>(sent));
    return true;
}

bool NetworkDevice::ReceiveAvailable() {
    BYTE buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(m_socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            AcknowledgeAtOnce(m_socket);
            if (m_telnet) {
                m_telnet->Receive({buffer, static_cast<std::size_t>(n)});
                if (!m_telnet->ProtocolError().empty())
                    return Lost("telnet protocol error: " + m_telnet->ProtocolError());
            } else {
                m_input.insert(m_input.end(), buffer, buffer + n);
            }
            continue;
        }
        if (n == 0)
            return Lost("the device server closed the connection");
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return true;
        return Lost(std::strerror(errno));
    }
}

NetworkDevice::Wait NetworkDevice::Await(int timeoutMs, const std::function<bool()>& done) {
    const std::int64_t deadline = TickMs() + timeoutMs;
    for (;;) {
        if (done())
            return Wait::Done;
        const std::int64_t remaining = deadline - TickMs();
        if (remaining <= 0)
            return Wait::TimedOut;
        const int ready = WaitReady(m_socket, POLLIN, static_cast<int>(remaining));
        if (ready < 0 || (ready > 0 && !ReceiveAvailable())) {
            Lost(SocketErrorText(m_socket));
            return Wait::Lost;
        }
    }
}

int NetworkDevice::WaitInput(int timeoutMs) {
    if (!m_input.empty())
        return 1;
    if (!Flush())
        return -1;
    const int ready = WaitReady(m_socket, POLLIN, timeoutMs);
    if (ready < 0)
        Lost(SocketErrorText(m_socket));
    return ready;
}

ssize_t NetworkDevice::Read(BYTE* out, std::size_t size) {
    if (m_input.empty() && (!Flush() || !ReceiveAvailable())) {
        errno = EIO;
        return -1;
    }
    if (m_input.empty()) {
        errno = EAGAIN; // only telnet commands came
        return -1;
    }
    const std::size_t count = std::min(size, m_input.size());
    std::copy_n(m_input.begin(), count, out);
    m_input.erase(m_input.begin(), m_input.begin() + static_cast<long>(count));
    return static_cast<ssize_t>(count);
}

ssize_t NetworkDevice::Write(const BYTE* data, std::size_t size) {
    if (!Flush()) {
        errno = EIO;
        return -1;
    }
    if (!m_output.empty()) {
        errno = EAGAIN; // the socket takes nothing more now
        return -1;
    }
    Send({data, size});
    if (!Flush()) {
        errno = EIO;
        return -1;
    }
    return static_cast<ssize_t>(size);
}

DWORD NetworkDevice::ApplyLine(const DCB& dcb) {
    if (!m_telnet)
        return ERROR_SUCCESS;
    const rfc2217::LineRequests requests = rfc2217::LineSettingsOf(dcb);
    if (!requests.refusal.empty()) {
        OutputDebugFormat("%s: the line cannot take %s.\r\n", m_label.c_str(),
                          requests.refusal.c_str());
        return ERROR_INVALID_PARAMETER;
    }
    m_telnet->DropAnswers();
    // One command at a time, each answered before the next goes out: a
    // server that changes a value says so in its answer.
    for (const rfc2217::Setting& asked : requests.settings) {
        std::optional<rfc2217::Setting> answer;
        SendCommand(asked);
        const Wait wait = Flush() ? Await(kAnswerTimeoutMs,
                                          [&] {
                                              answer = m_telnet->TakeAnswer(asked.command);
                                              return answer.has_value();
                                          })
                                  : Wait::Lost;
        if (wait == Wait::Lost)
            return ERROR_DEVICE_NOT_CONNECTED;
        if (wait == Wait::TimedOut) {
            OutputDebugFormat("%s: the device server did not answer %s %s within %d ms.\r\n",
                              m_label.c_str(), rfc2217::CommandName(asked.command),
                              rfc2217::Describe(asked).c_str(), kAnswerTimeoutMs);
            return ERROR_SEM_TIMEOUT;
        }
        if (answer->value != asked.value) {
            OutputDebugFormat("%s: the device server set %s when %s was asked; the line "
                              "settings were not taken.\r\n",
                              m_label.c_str(), rfc2217::Describe(*answer).c_str(),
                              rfc2217::Describe(asked).c_str());
            return ERROR_INVALID_PARAMETER;
        }
    }
    // Modem lines and flow control: servers in front of a line without them
    // (a pseudo-terminal, a three-wire cable) do not answer, so nothing waits.
    for (const rfc2217::Setting& control : rfc2217::ControlSettingsOf(dcb))
        SendCommand(control);
    return Flush() ? ERROR_SUCCESS : ERROR_DEVICE_NOT_CONNECTED;
}

DWORD NetworkDevice::Purge(DWORD flags) {
    const bool receive = (flags & PURGE_RXCLEAR) != 0;
    const bool transmit = (flags & PURGE_TXCLEAR) != 0;
    if (receive) {
        if (!ReceiveAvailable())
            return ERROR_DEVICE_NOT_CONNECTED;
        m_input.clear();
    }
    if (!m_telnet || (!receive && !transmit))
        return ERROR_SUCCESS;

    const DWORD which = receive && transmit ? rfc2217::kPurgeBoth
                        : receive           ? rfc2217::kPurgeReceive
                                            : rfc2217::kPurgeTransmit;
    SendCommand({rfc2217::Command::PurgeData, which});
    if (!Flush())
        return ERROR_DEVICE_NOT_CONNECTED;
    if (!m_purgesAnswered)
        return ERROR_SUCCESS;
    const Wait wait = Await(kPurgeAnswerTimeoutMs, [this] {
        return m_telnet->TakeAnswer(rfc2217::Command::PurgeData).has_value();
    });
    // Line bytes that came before the answer were on their way before the
    // purge: they are as stale as those it removed.
    if (receive)
        m_input.clear();
    if (wait == Wait::Lost)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (wait == Wait::TimedOut) {
        m_purgesAnswered = false;
        OutputDebugFormat("%s: the device server did not confirm PURGE-DATA within %d ms; going "
                          "on without it (later purges are not waited for).\r\n",
                          m_label.c_str(), kPurgeAnswerTimeoutMs);
    }
    return ERROR_SUCCESS;
}

DWORD NetworkDevice::QueueSizes(COMSTAT& status) {
    if (!ReceiveAvailable())
        return ERROR_DEVICE_NOT_CONNECTED;
    status = COMSTAT{0, static_cast<DWORD>(m_input.size()), static_cast<DWORD>(m_output.size())};
    return ERROR_SUCCESS;
}

} // namespace plat
