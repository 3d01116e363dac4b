// The one queue of whole exchanges in front of the unit. Every client, a
// network connection or a part of the server itself, attaches with the
// handler its replies go to, and submits whole requests; the port thread
// takes them one at a time in the order they were submitted and hands each
// result to the handler of the client that submitted it, and to no other.
//
// A client has at most one request in the queue or under way: the protocol
// is strictly request and reply, so a client that sends a new request has
// given up waiting for the one before. A waiting request is then removed,
// and the reply of one under way is not handed over (the client would read
// it as the answer to its new request).
#pragma once

#include "server/Requests.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vx::server {

using ClientId = std::uint64_t;

struct ExchangeResult {
    enum class Outcome {
        Answered, // reply holds the unit's whole reply
        NoAnswer, // the unit did not answer in time, or its line failed
        NotSent,  // the request did not reach the unit (line closed, firmware load, stop)
    };
    Outcome outcome = Outcome::NotSent;
    Bytes reply;
    // The number Submit gave the request: a client that gave up on one
    // request tells a late result of it from that of the next.
    std::uint64_t sequence = 0;
};

// Called with the client the result belongs to.
using ReplyHandler = std::function<void(ClientId, const ExchangeResult&)>;

class ExchangeQueue {
public:
    using Clock = std::chrono::steady_clock;

    struct Job {
        ClientId client = 0;
        std::uint64_t sequence = 0;
        Request request;
    };

    // A new client; the handler is called on the port thread, never under
    // the queue's lock. Log lines name it "client N (description)".
    ClientId Attach(std::string description, ReplyHandler handler);
    // Forgets the client, its waiting request and the reply of one under way.
    void Detach(ClientId client);
    bool IsAttached(ClientId client) const;
    std::string NameOf(ClientId client) const;

    // The request's number (see ExchangeResult), or 0 when it was not queued
    // (unknown client, stopping).
    std::uint64_t Submit(ClientId client, Request request);
    // A purge of the client's data: its waiting request, or the reply to the one under way.
    void DropWaiting(ClientId client);
    void DropReplyUnderWay(ClientId client);

    // The register page the client last selected on a receiver, as the
    // port thread keeps it.
    std::optional<std::uint8_t> SelectedPage(ClientId client, int receiver) const;
    void SetSelectedPage(ClientId client, int receiver, std::uint8_t page);

    // Port thread: the next job, waiting until one comes, until `until` or a stop.
    std::optional<Job> Take(Clock::time_point until);
    // Port thread: hands the result to the job's client, if the client still
    // waits for it.
    void Finish(const Job& job, ExchangeResult result);

    // Wakes Take for good; jobs still waiting are finished as not sent.
    void Stop();
    bool Stopping() const;
    std::size_t Waiting() const;

private:
    struct Client {
        std::string name;
        std::shared_ptr<const ReplyHandler> handler;
        std::uint64_t latest = 0;    // sequence of the request the client waits for
        std::uint64_t discarded = 0; // replies up to this sequence are not handed over
        std::array<std::optional<std::uint8_t>, 2> pages;
    };

    void RemoveWaiting(ClientId client);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<ClientId, Client> m_clients;
    std::deque<Job> m_jobs;
    ClientId m_nextClient = 1;
    std::uint64_t m_nextSequence = 1;
    bool m_stopping = false;
};

} // namespace vx::server
