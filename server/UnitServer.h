// The unit server's core: it listens for RFC 2217 clients, cuts each
// client's line bytes into whole requests, puts them in the one queue of
// exchanges that the port thread serves, and returns each reply to the
// client whose request it answers. One thread runs the sockets (a poll()
// loop, Run), the port thread runs the unit (PortWorker).
//
// Each client's partial request is dropped, and the client closed, when it
// stays incomplete for the partial-request time-out; a header that no
// request can have closes the client before anything of it reaches the
// unit. Clients beyond the limit are refused at connect. Every connect,
// disconnect and refusal is one log line.
#pragma once

#include "server/ComPortSession.h"
#include "server/ExchangeQueue.h"
#include "server/PortWorker.h"
#include "server/RequestFramer.h"
#include "server/ServerLog.h"
#include "server/UnitLink.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace vx::server {

struct ServerConfig {
    std::string host = "127.0.0.1";
    std::uint16_t port = 7001; // 0: any free port (ListeningPort says which)
    int maxClients = 16;
    std::chrono::milliseconds partialRequestTimeout{2000};
    // How long the stop waits for replies still on their way to clients.
    std::chrono::milliseconds closingFlushTimeout{1000};
    LineValues line;
    UnitTimings unit;
    // Hears of every exchange the port thread finishes (not owned; may be none).
    ExchangeObserver* exchangeObserver = nullptr;
};

class UnitServer {
public:
    UnitServer(ServerConfig config, UnitLink& link, ServerLog& log);
    ~UnitServer();
    UnitServer(const UnitServer&) = delete;
    UnitServer& operator=(const UnitServer&) = delete;

    // Binds and listens; false with the reason.
    bool Listen(std::string& error);
    std::uint16_t ListeningPort() const { return m_boundPort; }

    // Serves until Stop(): starts the port thread, and at the stop lets the
    // exchange under way complete, hands its reply over, closes the clients
    // and releases the port.
    void Run();
    // From any thread.
    void Stop();

    // Exchanges from inside the process go through the same queue as the
    // clients' (attach, submit, detach).
    ExchangeQueue& Exchanges() { return m_queue; }
    bool LineOpen() const { return m_worker.LineOpen(); }
    std::size_t ClientCount() const { return m_clientCount; }

private:
    struct Client;
    using Clock = std::chrono::steady_clock;

    void Accept();
    void ReadFrom(Client& client);
    void LineBytesFrom(Client& client, std::span<const std::uint8_t> bytes);
    void PurgeFor(Client& client, ComPortSession::Purge purge);
    void WriteTo(Client& client);
    void TakeReplies();
    void Close(Client& client, const std::string& reason,
               ServerLog::Level level = ServerLog::Level::Info);
    void RemoveClosed();
    void FlushAtStop();
    int PollTimeoutMs() const;
    void CheckPartialRequests();
    void Wake();

    ServerConfig m_config;
    ServerLog& m_log;
    ExchangeQueue m_queue;
    PortWorker m_worker;
    int m_listenFd = -1;
    int m_wakeFd = -1;
    std::uint16_t m_boundPort = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<std::size_t> m_clientCount{0};
    std::map<ClientId, std::unique_ptr<Client>> m_clients;

    // Replies from the port thread, for the socket thread to send.
    std::mutex m_inboxMutex;
    std::vector<std::pair<ClientId, Bytes>> m_inbox;
};

} // namespace vx::server
