#include "server/UnitServer.h"

#include "server/ListenSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vx::server {
namespace {

constexpr int kListenBacklog = 16;
constexpr std::size_t kReadChunk = 4096;

std::string PeerText(const sockaddr_storage& address) {
    char host[NI_MAXHOST] = "?";
    char service[NI_MAXSERV] = "?";
    getnameinfo(reinterpret_cast<const sockaddr*>(&address), sizeof address, host, sizeof host,
                service, sizeof service, NI_NUMERICHOST | NI_NUMERICSERV);
    const bool v6 = address.ss_family == AF_INET6;
    return (v6 ? "[" + std::string(host) + "]" : std::string(host)) + ":" + service;
}

std::string ErrnoText(int error) {
    return std::strerror(error);
}

} // namespace

struct UnitServer::Client {
    struct Chunk {
        Bytes bytes;
        std::size_t sent = 0;
        bool lineData = false;
    };

    ClientId id = 0;
    int fd = -1;
    std::unique_ptr<ComPortSession> session;
    RequestFramer framer;
    std::deque<Chunk> out;
    Clock::time_point lastLineByte;
    std::string closeReason; // set: to be closed after the bytes in hand are dealt with
    bool closed = false;
};

UnitServer::UnitServer(ServerConfig config, UnitLink& link, ServerLog& log)
    : m_config(std::move(config)), m_log(log),
      m_worker(link, m_queue, log, m_config.unit, m_config.exchangeObserver) {
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

UnitServer::~UnitServer() {
    m_worker.Stop();
    for (auto& [id, client] : m_clients) {
        if (!client->closed)
            ::close(client->fd);
    }
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool UnitServer::Listen(std::string& error) {
    const BoundSocket bound = ListenOn(m_config.host, m_config.port, kListenBacklog);
    if (bound.fd < 0) {
        error = "cannot listen on " + m_config.host + ":" + std::to_string(m_config.port) + ": " +
                bound.reason;
        return false;
    }
    m_listenFd = bound.fd;
    m_boundPort = bound.port;
    return true;
}

void UnitServer::Stop() {
    m_stop = true;
    Wake();
}

void UnitServer::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
}

void UnitServer::Run() {
    m_worker.Start();
    std::vector<pollfd> fds;
    std::vector<Client*> polled;
    while (!m_stop) {
        fds.clear();
        polled.clear();
        fds.push_back({m_wakeFd, POLLIN, 0});
        fds.push_back({m_listenFd, POLLIN, 0});
        for (auto& [id, client] : m_clients) {
            const short events = client->out.empty() ? POLLIN : POLLIN | POLLOUT;
            fds.push_back({client->fd, events, 0});
            polled.push_back(client.get());
        }
        if (::poll(fds.data(), fds.size(), PollTimeoutMs()) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t got = ::read(m_wakeFd, &count, sizeof count);
        }
        TakeReplies();
        if (fds[1].revents & POLLIN)
            Accept();
        for (std::size_t i = 0; i < polled.size(); ++i) {
            Client& client = *polled[i];
            const short revents = fds[i + 2].revents;
            if (!client.closed && (revents & POLLOUT))
                WriteTo(client);
            if (!client.closed && (revents & (POLLIN | POLLHUP | POLLERR)))
                ReadFrom(client);
        }
        CheckPartialRequests();
        RemoveClosed();
    }

    ::close(m_listenFd);
    m_listenFd = -1;
    // The exchange under way completes and its reply reaches its client.
    m_worker.Stop();
    TakeReplies();
    FlushAtStop();
    for (auto& [id, client] : m_clients)
        Close(*client, "the server is stopping");
    RemoveClosed();
}

void UnitServer::Accept() {
    for (;;) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd = accept4(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                m_log.Warning("accepting a connection failed: " + ErrnoText(errno));
            return;
        }
        const std::string peer = PeerText(address);
        if (m_clients.size() >= static_cast<std::size_t>(m_config.maxClients)) {
            m_log.Warning("refused " + peer + ": " + std::to_string(m_clients.size()) +
                          " clients are connected, the most allowed (--max-clients)");
            ::close(fd);
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);

        auto client = std::make_unique<Client>();
        Client& c = *client;
        c.fd = fd;
        c.lastLineByte = Clock::now();
        c.id = m_queue.Attach(peer, [this](ClientId id, const ExchangeResult& result) {
            if (result.outcome != ExchangeResult::Outcome::Answered)
                return; // the client's own time-out tells it
            {
                std::lock_guard<std::mutex> lock(m_inboxMutex);
                m_inbox.emplace_back(id, result.reply);
            }
            Wake();
        });
        c.session = std::make_unique<ComPortSession>(
            m_config.line,
            ComPortSession::Handlers{
                [this, &c](std::span<const std::uint8_t> bytes) { LineBytesFrom(c, bytes); },
                [this, &c](ComPortSession::Purge purge) { PurgeFor(c, purge); },
                [&c](std::span<const std::uint8_t> bytes, bool lineData) {
                    c.out.push_back({Bytes(bytes.begin(), bytes.end()), 0, lineData});
                }});
        m_clients.emplace(c.id, std::move(client));
        m_clientCount = m_clients.size();
        m_log.Info(m_queue.NameOf(c.id) + " connected (" + std::to_string(m_clients.size()) +
                   " of at most " + std::to_string(m_config.maxClients) + " clients)");
    }
}

void UnitServer::LineBytesFrom(Client& client, std::span<const std::uint8_t> bytes) {
    if (!client.closeReason.empty())
        return;
    client.lastLineByte = Clock::now();
    RequestFramer::Fed fed = client.framer.Feed(bytes);
    for (Request& request : fed.requests)
        m_queue.Submit(client.id, std::move(request));
    if (!fed.refusal.empty()) {
        client.closeReason =
            "invalid request header " + HexText(fed.refusedHeader) + ": " + fed.refusal;
    }
}

void UnitServer::PurgeFor(Client& client, ComPortSession::Purge purge) {
    if (purge != ComPortSession::Purge::Transmitted) {
        // Reply bytes not yet sent, and the reply still to come.
        m_queue.DropReplyUnderWay(client.id);
        {
            std::lock_guard<std::mutex> lock(m_inboxMutex);
            std::erase_if(m_inbox, [&](const auto& entry) { return entry.first == client.id; });
        }
        std::erase_if(client.out,
                      [](const Client::Chunk& chunk) { return chunk.lineData && chunk.sent == 0; });
    }
    if (purge != ComPortSession::Purge::Received) {
        // The request bytes that have not reached the unit.
        client.framer.DropPending();
        m_queue.DropWaiting(client.id);
    }
}

void UnitServer::ReadFrom(Client& client) {
    std::uint8_t buffer[kReadChunk];
    const ssize_t got = ::recv(client.fd, buffer, sizeof buffer, 0);
    if (got == 0) {
        Close(client, "closed by the client");
        return;
    }
    if (got < 0) {
        if (errno == ECONNRESET)
            Close(client, "closed by the client (connection reset)");
        else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            Close(client, "connection lost: " + ErrnoText(errno));
        return;
    }
    client.session->Receive({buffer, static_cast<std::size_t>(got)});
    if (!client.session->ProtocolError().empty() && client.closeReason.empty())
        client.closeReason = "telnet protocol error: " + client.session->ProtocolError();
    if (!client.closeReason.empty()) {
        Close(client, client.closeReason, ServerLog::Level::Warning);
        return;
    }
    WriteTo(client);
}

void UnitServer::WriteTo(Client& client) {
    while (!client.out.empty()) {
        Client::Chunk& chunk = client.out.front();
        const ssize_t sent = ::send(client.fd, chunk.bytes.data() + chunk.sent,
                                    chunk.bytes.size() - chunk.sent, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                Close(client, "connection lost: " + ErrnoText(errno));
            return;
        }
        chunk.sent += static_cast<std::size_t>(sent);
        if (chunk.sent < chunk.bytes.size())
            return;
        client.out.pop_front();
    }
}

void UnitServer::TakeReplies() {
    std::vector<std::pair<ClientId, Bytes>> replies;
    {
        std::lock_guard<std::mutex> lock(m_inboxMutex);
        replies.swap(m_inbox);
    }
    for (auto& [id, reply] : replies) {
        const auto it = m_clients.find(id);
        if (it == m_clients.end() || it->second->closed)
            continue;
        it->second->session->SendData(reply);
        WriteTo(*it->second);
    }
}

void UnitServer::Close(Client& client, const std::string& reason, ServerLog::Level level) {
    if (client.closed)
        return;
    const std::string name = m_queue.NameOf(client.id);
    m_queue.Detach(client.id);
    ::close(client.fd);
    client.closed = true;
    m_log.Write(level, name + " disconnected: " + reason);
}

void UnitServer::RemoveClosed() {
    std::erase_if(m_clients, [](const auto& entry) { return entry.second->closed; });
    m_clientCount = m_clients.size();
}

void UnitServer::CheckPartialRequests() {
    const Clock::time_point now = Clock::now();
    for (auto& [id, client] : m_clients) {
        if (client->closed || client->framer.PendingBytes() == 0 ||
            now - client->lastLineByte < m_config.partialRequestTimeout)
            continue;
        const std::string reason = std::to_string(client->framer.PendingBytes()) +
                                   " bytes of a request and then nothing for " +
                                   std::to_string(m_config.partialRequestTimeout.count()) +
                                   " ms (the partial request is dropped)";
        client->framer.DropPending();
        Close(*client, reason, ServerLog::Level::Warning);
    }
}

int UnitServer::PollTimeoutMs() const {
    std::optional<Clock::time_point> next;
    for (const auto& [id, client] : m_clients) {
        if (client->framer.PendingBytes() == 0)
            continue;
        const Clock::time_point due = client->lastLineByte + m_config.partialRequestTimeout;
        next = next ? std::min(*next, due) : due;
    }
    if (!next)
        return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
    return static_cast<int>(std::max<long long>(wait, 0));
}

void UnitServer::FlushAtStop() {
    const Clock::time_point end = Clock::now() + m_config.closingFlushTimeout;
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<Client*> waiting;
        for (auto& [id, client] : m_clients) {
            if (!client->closed && !client->out.empty()) {
                fds.push_back({client->fd, POLLOUT, 0});
                waiting.push_back(client.get());
            }
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
        if (fds.empty() || left <= 0)
            return;
        if (::poll(fds.data(), fds.size(), static_cast<int>(left)) < 0 && errno != EINTR)
            return;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents & (POLLOUT | POLLERR | POLLHUP))
                WriteTo(*waiting[i]);
        }
    }
}

} // namespace vx::server
