#include "server/QueuePort.h"

#include "platform/LastError.h"

namespace vx::server {

QueuePort::QueuePort(ExchangeQueue& queue, std::string description)
    : m_queue(queue), m_mailbox(std::make_shared<Mailbox>()) {
    // The handler holds the mailbox, not the port: a reply handed over while
    // the port goes away lands in a mailbox nobody reads.
    m_client = m_queue.Attach(std::move(description),
                              [mailbox = m_mailbox](ClientId, const ExchangeResult& result) {
                                  {
                                      std::lock_guard<std::mutex> lock(mailbox->mutex);
                                      mailbox->result = result;
                                  }
                                  mailbox->arrived.notify_all();
                              });
}

QueuePort::~QueuePort() {
    m_queue.Detach(m_client);
}

void QueuePort::Cancel() {
    m_cancelled = true;
    std::lock_guard<std::mutex> lock(m_mailbox->mutex);
    m_mailbox->arrived.notify_all();
}

void QueuePort::BeginSession(Clock::time_point deadline) {
    m_deadline = deadline;
    m_failed = false;
    m_outOfTime = false;
    m_input.clear();
    m_framer.DropPending();
}

plat::WORD QueuePort::FlushInput() {
    const auto dropped = static_cast<plat::WORD>(m_input.size());
    m_input.clear();
    return dropped;
}

plat::DWORD QueuePort::DiscardPendingInput() {
    const auto dropped = static_cast<plat::DWORD>(m_input.size());
    m_input.clear();
    return dropped;
}

plat::BOOL QueuePort::WriteByte(plat::BYTE value) {
    return Write(&value, 1);
}

plat::BOOL QueuePort::Write(const plat::BYTE* data, int length) {
    if (length < 0)
        return plat::FALSE;
    RequestFramer::Fed fed = m_framer.Feed({data, static_cast<std::size_t>(length)});
    if (!fed.refusal.empty()) {
        // Nothing the protocol object writes is refused; if it were, the
        // stream could not be cut into requests any more.
        m_framer = RequestFramer();
        m_failed = true;
        return plat::FALSE;
    }
    for (Request& request : fed.requests) {
        if (!Exchange(std::move(request)))
            m_failed = true;
    }
    return plat::TRUE;
}

bool QueuePort::Exchange(Request request) {
    if (m_failed || m_cancelled || m_queue.Stopping())
        return false;
    if (Clock::now() >= m_deadline) {
        m_outOfTime = true;
        return false;
    }
    const std::size_t replyLength = request.replyLength;
    const std::uint64_t sequence = m_queue.Submit(m_client, std::move(request));
    if (sequence == 0)
        return false;
    std::unique_lock<std::mutex> lock(m_mailbox->mutex);
    // A result of a request given up before may still come: it is not this one's.
    const auto ours = [&] {
        if (m_mailbox->result && m_mailbox->result->sequence != sequence)
            m_mailbox->result.reset();
        return m_mailbox->result.has_value() || m_cancelled;
    };
    if (!m_mailbox->arrived.wait_until(lock, m_deadline, ours) || !m_mailbox->result) {
        lock.unlock();
        m_outOfTime = !m_cancelled;
        // Given up: the request must not reach the unit after all, nor its
        // reply be taken for the next one's.
        m_queue.DropWaiting(m_client);
        m_queue.DropReplyUnderWay(m_client);
        return false;
    }
    const ExchangeResult result = std::move(*m_mailbox->result);
    m_mailbox->result.reset();
    lock.unlock();
    if (result.outcome != ExchangeResult::Outcome::Answered || result.reply.size() != replyLength)
        return false;
    m_input.insert(m_input.end(), result.reply.begin(), result.reply.end());
    ++m_answered;
    return true;
}

plat::BOOL QueuePort::ReadByte(plat::BYTE* out) {
    if (m_input.empty()) {
        plat::SetLastError(plat::ERROR_DEVICE_NOT_CONNECTED);
        return plat::FALSE;
    }
    *out = m_input.front();
    m_input.pop_front();
    return plat::TRUE;
}

} // namespace vx::server
