// Turns what a port tap reports into the lines of the traffic: a request and
// the bytes that answer it become one exchange, finished when the reply is
// whole (its length follows from the request's packet type) or, when it
// never becomes whole, at the next request, trace break or Flush; trace
// breaks become the end of an action (one, however many come in a row).
//
// Firmware blocks are numbered 1, 2 ... from the first block after any other
// request, so that each image transfer counts its own.
#pragma once

#include "trace/TrafficEntry.h"
#include "trace/TrafficSink.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vx {

class ExchangeAssembler : public TrafficSink {
public:
    // Microseconds on a clock that never goes back; the trace counts from its
    // first reading. Without one, the steady clock.
    using Clock = std::function<std::int64_t()>;

    explicit ExchangeAssembler(Clock clock = {});

    void Request(const std::uint8_t* data, std::size_t length) override;
    void RequestNotWritten() override;
    void ReplyByte(std::uint8_t value) override;
    void ReadMissed() override;
    void Drained(std::size_t count) override;
    void Break() override;
    void Note(std::string text);
    // Ends an exchange still short of its reply with what came of it.
    void Flush();

protected:
    // Asked at each request, break and note: whether it is to become a line.
    // Stale input and firmware blocks are counted either way.
    virtual bool Recording() const { return true; }
    virtual void Emit(TrafficEntry&& entry) = 0;
    // Microseconds since the trace began.
    std::int64_t Now() const;

private:
    void Finish(TrafficEntry::Outcome outcome);
    void Send(TrafficEntry&& entry);

    Clock m_clock;
    std::int64_t m_start = 0;
    TrafficEntry m_pending;
    bool m_awaiting = false;
    std::int64_t m_lastReadUs = 0;
    std::uint32_t m_stale = 0;
    std::uint32_t m_blocks = 0;
    bool m_afterBreak = true; // nothing to separate yet
};

} // namespace vx
