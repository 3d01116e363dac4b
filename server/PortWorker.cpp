#include "server/PortWorker.h"

#include <algorithm>
#include <utility>

namespace vx::server {
namespace {

std::string Every(std::chrono::milliseconds interval) {
    return interval == std::chrono::seconds(1)
               ? "every second"
               : "every " + std::to_string(interval.count()) + " ms";
}

std::string Milliseconds(std::chrono::milliseconds interval) {
    return std::to_string(interval.count()) + " ms";
}

} // namespace

PortWorker::PortWorker(UnitLink& link, ExchangeQueue& queue, ServerLog& log, UnitTimings timings,
                       ExchangeObserver* observer)
    : m_link(link), m_queue(queue), m_log(log), m_timings(timings), m_observer(observer) {}

PortWorker::~PortWorker() {
    Stop();
}

void PortWorker::Start() {
    m_thread = std::thread([this] { Run(); });
}

void PortWorker::Stop() {
    m_queue.Stop();
    if (m_thread.joinable())
        m_thread.join();
}

void PortWorker::Run() {
    while (!m_queue.Stopping()) {
        if (!m_link.IsOpen()) {
            if (Clock::now() >= m_nextOpen)
                TryOpen();
            if (!m_link.IsOpen()) {
                // Nothing is answered while the line is closed.
                if (auto job = m_queue.Take(m_nextOpen))
                    Complete(*job, {});
                continue;
            }
        }
        if (auto job = m_queue.Take(Clock::now() + m_timings.reopenInterval))
            Serve(*job);
        else if (!m_queue.Stopping())
            ProbeIdleLine();
    }
    m_link.Close();
    m_lineOpen = false;
}

void PortWorker::TryOpen() {
    std::string reason;
    if (m_link.Open(reason)) {
        m_lineOpen = true;
        ForgetUnitPages();
        m_outOfStep = false;
        m_echoesOwed = 0;
        m_log.Info(m_link.Name() + (m_everOpen ? " is open again: serving the clients"
                                               : " is open: serving the clients"));
        m_everOpen = true;
        m_openFailure.clear();
        return;
    }
    if (reason != m_openFailure) {
        m_log.Warning(reason + "; trying again " + Every(m_timings.reopenInterval));
        m_openFailure = reason;
    }
    m_nextOpen = Clock::now() + m_timings.reopenInterval;
}

void PortWorker::Serve(ExchangeQueue::Job& job) {
    if (!AdmitDuringFirmwareLoad(job)) {
        Complete(job, {});
        return;
    }
    const Clock::time_point start = Clock::now();
    const std::optional<RegisterAccess> access = RegisterAccessOf(job.request);
    if (access && !access->selectsPage && !RestorePage(job, access->receiver)) {
        Complete(job, {ExchangeResult::Outcome::NoAnswer, {}}, Clock::now() - start);
        return;
    }
    if (access && access->selectsPage)
        m_queue.SetSelectedPage(job.client, access->receiver, access->page);

    ExchangeResult result;
    const Outcome outcome = Transact(job.request, result.reply);
    if (access && access->selectsPage) {
        m_unitPage[access->receiver] =
            outcome == Outcome::Answered ? std::optional(access->page) : std::nullopt;
    }
    NoteFirmwareTraffic(job);
    result.outcome = outcome == Outcome::Answered ? ExchangeResult::Outcome::Answered
                                                  : ExchangeResult::Outcome::NoAnswer;
    Complete(job, std::move(result), Clock::now() - start);
}

void PortWorker::Complete(const ExchangeQueue::Job& job, ExchangeResult result,
                          ExchangeObserver::Seconds took) {
    if (m_observer)
        m_observer->Exchanged(result.outcome, took);
    m_queue.Finish(job, std::move(result));
}

bool PortWorker::AdmitDuringFirmwareLoad(const ExchangeQueue::Job& job) {
    if (!m_hold)
        return true;
    const std::string owner = m_queue.NameOf(m_hold->owner);
    if (Clock::now() >= m_hold->until) {
        m_log.Info(m_hold->committed
                       ? "the unit has had its time to program the firmware of " + owner +
                             ": serving every client again"
                       : owner + " sent no firmware block for " + Milliseconds(m_timings.blockGap) +
                             ": its load is taken as ended; serving every client again");
        m_hold.reset();
        return true;
    }
    if (!m_hold->committed && !m_queue.IsAttached(m_hold->owner)) {
        m_log.Info(owner + " went away before committing its firmware: serving every client again");
        m_hold.reset();
        return true;
    }
    return job.client == m_hold->owner;
}

void PortWorker::NoteFirmwareTraffic(const ExchangeQueue::Job& job) {
    const Clock::time_point now = Clock::now();
    if (job.request.kind == RequestKind::FirmwareBlock) {
        if (!m_hold) {
            m_log.Info(m_queue.NameOf(job.client) +
                       " is loading firmware: no other client's exchange reaches the unit until "
                       "it is done");
        }
        m_hold = FirmwareHold{job.client, false, now + m_timings.blockGap};
    } else if (IsFirmwareCommit(job.request)) {
        m_log.Info(m_queue.NameOf(job.client) +
                   " committed its firmware: the unit programs its flash; other clients wait " +
                   Milliseconds(m_timings.programmingHold));
        m_hold = FirmwareHold{job.client, true, now + m_timings.programmingHold};
        // What the unit remembers may not survive the new firmware.
        ForgetUnitPages();
    }
}

bool PortWorker::RestorePage(const ExchangeQueue::Job& job, int receiver) {
    const std::optional<std::uint8_t> page = m_queue.SelectedPage(job.client, receiver);
    if (!page || m_unitPage[receiver] == page)
        return true;
    Bytes ignored;
    const Outcome outcome = Transact(PageSelection(receiver, *page), ignored);
    m_unitPage[receiver] = outcome == Outcome::Answered ? page : std::nullopt;
    return outcome == Outcome::Answered;
}

PortWorker::Outcome PortWorker::Transact(const Request& request, Bytes& reply) {
    if (!m_link.IsOpen())
        return Outcome::LineFailed;
    if (m_outOfStep) {
        const Outcome resynchronised = Resynchronise();
        if (resynchronised != Outcome::Answered)
            return resynchronised;
    }
    const Outcome outcome = Exchange(request, reply);
    if (outcome == Outcome::NoAnswer) {
        m_outOfStep = true;
        if (!m_unitSilent) {
            m_log.Warning(m_link.Name() + ": the unit gave " + std::to_string(reply.size()) +
                          " of " + std::to_string(request.replyLength) +
                          " reply bytes within the time-out; its clients get no answers until it "
                          "answers again");
            m_unitSilent = true;
        }
    } else if (outcome == Outcome::Answered && m_unitSilent) {
        m_log.Info(m_link.Name() + ": the unit answers again");
        m_unitSilent = false;
    }
    return outcome;
}

PortWorker::Outcome PortWorker::Exchange(const Request& request, Bytes& reply) {
    // Bytes already waiting cannot answer a request not yet written.
    m_link.DiscardInput();
    if (!m_link.Write(request.bytes)) {
        LineFailed();
        return Outcome::LineFailed;
    }
    const Clock::time_point deadline =
        Clock::now() + m_timings.replyTimeout * TimeoutFactor(request.kind);
    return ReadReply(reply, request.replyLength, deadline);
}

PortWorker::Outcome PortWorker::ReadReply(Bytes& reply, std::size_t length,
                                          Clock::time_point deadline) {
    reply.clear();
    while (reply.size() < length) {
        std::uint8_t byte = 0;
        const UnitLink::ReadResult read = m_link.ReadByte(byte);
        if (read == UnitLink::ReadResult::Failed) {
            LineFailed();
            return Outcome::LineFailed;
        }
        if (read == UnitLink::ReadResult::Byte)
            reply.push_back(byte);
        else if (Clock::now() >= deadline)
            return Outcome::NoAnswer;
    }
    return Outcome::Answered;
}

PortWorker::Outcome PortWorker::Resynchronise() {
    const Request ping = LinkTest();
    if (!m_link.Write(ping.bytes)) {
        LineFailed();
        return Outcome::LineFailed;
    }
    ++m_echoesOwed;
    bool echoed = false;
    Bytes tail;
    Clock::time_point deadline = Clock::now() + m_timings.replyTimeout;
    while (m_echoesOwed > 0) {
        std::uint8_t byte = 0;
        const UnitLink::ReadResult read = m_link.ReadByte(byte);
        if (read == UnitLink::ReadResult::Failed) {
            LineFailed();
            return Outcome::LineFailed;
        }
        if (read == UnitLink::ReadResult::Byte) {
            tail.push_back(byte);
            if (tail.size() > ping.bytes.size())
                tail.erase(tail.begin());
            if (tail == ping.bytes) {
                --m_echoesOwed;
                echoed = true;
                tail.clear();
                deadline = Clock::now() + m_timings.replyTimeout;
            }
        } else if (Clock::now() >= deadline) {
            if (!echoed)
                return Outcome::NoAnswer;
            // The unit answers, and has said all it will: the echoes still
            // owed were for link tests it never received.
            m_echoesOwed = 0;
        }
    }
    m_outOfStep = false;
    return Outcome::Answered;
}

void PortWorker::LineFailed() {
    m_log.Warning(m_link.Name() + " failed: closed; opening it again " +
                  Every(m_timings.reopenInterval));
    m_link.Close();
    m_lineOpen = false;
    ForgetUnitPages();
    m_outOfStep = false;
    m_echoesOwed = 0;
    m_openFailure.clear();
    m_nextOpen = Clock::now() + m_timings.reopenInterval;
}

void PortWorker::ProbeIdleLine() {
    // An unplugged adapter shows at the next read; one short read a
    // second finds it while no client asks for anything. A byte read here
    // answers no request.
    std::uint8_t stray = 0;
    if (m_link.IsOpen() && m_link.ReadByte(stray) == UnitLink::ReadResult::Failed)
        LineFailed();
}

} // namespace vx::server
