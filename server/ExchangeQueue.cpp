#include "server/ExchangeQueue.h"

#include <algorithm>

namespace vx::server {

ClientId ExchangeQueue::Attach(std::string description, ReplyHandler handler) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const ClientId id = m_nextClient++;
    Client& client = m_clients[id];
    client.name = "client " + std::to_string(id);
    if (!description.empty())
        client.name += " (" + description + ")";
    client.handler = std::make_shared<const ReplyHandler>(std::move(handler));
    return id;
}

void ExchangeQueue::Detach(ClientId client) {
    std::lock_guard<std::mutex> lock(m_mutex);
    RemoveWaiting(client);
    m_clients.erase(client);
}

bool ExchangeQueue::IsAttached(ClientId client) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_clients.contains(client);
}

std::string ExchangeQueue::NameOf(ClientId client) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_clients.find(client);
    return it == m_clients.end() ? "client " + std::to_string(client) : it->second.name;
}

std::uint64_t ExchangeQueue::Submit(ClientId client, Request request) {
    std::uint64_t sequence = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_clients.find(client);
        if (it == m_clients.end() || m_stopping)
            return 0;
        RemoveWaiting(client);
        sequence = it->second.latest = m_nextSequence++;
        m_jobs.push_back({client, sequence, std::move(request)});
    }
    m_wake.notify_one();
    return sequence;
}

void ExchangeQueue::DropWaiting(ClientId client) {
    std::lock_guard<std::mutex> lock(m_mutex);
    RemoveWaiting(client);
}

void ExchangeQueue::DropReplyUnderWay(ClientId client) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_clients.find(client);
    if (it != m_clients.end())
        it->second.discarded = it->second.latest;
}

std::optional<std::uint8_t> ExchangeQueue::SelectedPage(ClientId client, int receiver) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_clients.find(client);
    return it == m_clients.end() ? std::nullopt : it->second.pages[receiver & 1];
}

void ExchangeQueue::SetSelectedPage(ClientId client, int receiver, std::uint8_t page) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_clients.find(client);
    if (it != m_clients.end())
        it->second.pages[receiver & 1] = page;
}

std::optional<ExchangeQueue::Job> ExchangeQueue::Take(Clock::time_point until) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_until(lock, until, [this] { return m_stopping || !m_jobs.empty(); });
    if (m_stopping || m_jobs.empty())
        return std::nullopt;
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    return job;
}

void ExchangeQueue::Finish(const Job& job, ExchangeResult result) {
    std::shared_ptr<const ReplyHandler> handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_clients.find(job.client);
        if (it == m_clients.end() || it->second.latest != job.sequence ||
            job.sequence <= it->second.discarded)
            return;
        handler = it->second.handler;
    }
    result.sequence = job.sequence;
    (*handler)(job.client, result);
}

void ExchangeQueue::Stop() {
    std::deque<Job> left;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        left.swap(m_jobs);
    }
    m_wake.notify_all();
    for (const Job& job : left)
        Finish(job, {});
}

bool ExchangeQueue::Stopping() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stopping;
}

std::size_t ExchangeQueue::Waiting() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_jobs.size();
}

void ExchangeQueue::RemoveWaiting(ClientId client) {
    std::erase_if(m_jobs, [client](const Job& job) { return job.client == client; });
}

} // namespace vx::server
