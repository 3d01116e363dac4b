// A byte-stream port inside the server: the protocol object talks through it
// to the unit as through a serial port, and its requests go through the
// exchange queue as those of one more client. A written request is submitted
// whole and waited for; its reply is then read byte by byte. The queue
// serves it between other clients' exchanges, never within one.
//
// Reads are bounded by a session deadline (BeginSession): once an exchange
// failed (no answer, not sent, the deadline passed) every later one of the
// session fails at once, so a silent unit costs one reply time-out per
// session, not one per exchange.
#pragma once

#include "serial/CBaseClass.h"
#include "server/ExchangeQueue.h"
#include "server/RequestFramer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vx::server {

class QueuePort : public CBaseClass {
public:
    using Clock = std::chrono::steady_clock;

    // Attaches to the queue as a client named by description.
    QueuePort(ExchangeQueue& queue, std::string description);
    ~QueuePort() override;
    QueuePort(const QueuePort&) = delete;
    QueuePort& operator=(const QueuePort&) = delete;

    // Starts a session of exchanges that must be done by deadline.
    void BeginSession(Clock::time_point deadline);
    // An exchange of this session failed; the later ones were not tried.
    bool SessionFailed() const { return m_failed; }
    // It failed because the session's deadline passed, not for the unit.
    bool SessionOutOfTime() const { return m_outOfTime; }
    // Exchanges this port had answered, in all (read from any thread).
    std::uint64_t Answered() const { return m_answered.load(); }
    // From any thread: the exchange waited for and every later one fail at
    // once, for good (the port is going away).
    void Cancel();

    plat::WORD FlushInput() override;
    plat::BOOL WriteByte(plat::BYTE value) override;
    plat::BOOL Write(const plat::BYTE* data, int length) override;
    // A byte of the reply; nothing more to come fails at once with
    // ERROR_DEVICE_NOT_CONNECTED, so the exchange ends without waiting out
    // its time-out.
    plat::BOOL ReadByte(plat::BYTE* out) override;
    int ReservedFirst() override { return 0; }
    const char* GetAddress() override { return "0.0.0.0"; }
    int ReservedThird() override { return 0; }
    plat::BOOL IsReady() override { return plat::TRUE; }
    plat::DWORD DiscardPendingInput() override;

private:
    // Filled by the port thread; outlives the port while a reply may still come.
    struct Mailbox {
        std::mutex mutex;
        std::condition_variable arrived;
        std::optional<ExchangeResult> result;
    };

    bool Exchange(Request request);

    ExchangeQueue& m_queue;
    std::shared_ptr<Mailbox> m_mailbox;
    ClientId m_client = 0;
    RequestFramer m_framer;
    std::deque<plat::BYTE> m_input;
    Clock::time_point m_deadline;
    bool m_failed = false;
    bool m_outOfTime = false;
    std::atomic<std::uint64_t> m_answered{0};
    std::atomic<bool> m_cancelled{false};
};

} // namespace vx::server
