#include "trace/TracedPort.h"

#include "trace/PacketText.h"

#include <utility>

namespace vx {

TracedPort::TracedPort(CBaseClass& port, TrafficSink* trace, const std::atomic<bool>* stop)
    : m_port(port), m_trace(trace), m_stop(stop) {}

plat::BOOL TracedPort::WriteByte(plat::BYTE value) {
    return Write(&value, 1);
}

plat::BOOL TracedPort::Write(const plat::BYTE* data, int length) {
    if (Stopped())
        return plat::FALSE;
    const bool repeat = std::exchange(m_repeatNext, false) && Pending();
    if (repeat)
        ++m_repeats;
    else if (Pending())
        ++m_unanswered;
    if (m_unanswered == 0 && !repeat)
        m_answeredBeforeSilence = m_exchanges - m_repeats;
    else if (m_unanswered != 0 && m_giveUp)
        return plat::FALSE;
    ++m_exchanges;
    m_received = 0;
    m_expected = data && length >= 4 ? ReplyLength(data[2], data[3]) : 6;
    if (m_trace && data && length > 0)
        m_trace->Request(data, static_cast<std::size_t>(length));
    const plat::BOOL written = m_port.Write(data, length);
    if (!written) {
        if (m_trace)
            m_trace->RequestNotWritten();
        ++m_unanswered;
        m_received = m_expected;
    }
    return written;
}

bool TracedPort::RepeatNextRequest() {
    m_repeatNext = Pending() && !(m_giveUp && m_unanswered != 0) && !Stopped();
    return m_repeatNext;
}

plat::BOOL TracedPort::ReadByte(plat::BYTE* out) {
    const plat::BOOL got = m_port.ReadByte(out);
    if (got) {
        ++m_received;
        if (m_trace)
            m_trace->ReplyByte(*out);
    } else if (m_trace) {
        m_trace->ReadMissed();
    }
    return got;
}

plat::DWORD TracedPort::DiscardPendingInput() {
    const plat::DWORD count = m_port.DiscardPendingInput();
    if (m_trace)
        m_trace->Drained(count);
    return count;
}

} // namespace vx
