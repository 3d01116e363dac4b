#include "trace/ExchangeAssembler.h"

#include "trace/PacketText.h"

#include <chrono>
#include <utility>

namespace vx {
namespace {

constexpr std::uint16_t kFirmwareBlockType = 0x2010;

std::int64_t SteadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

ExchangeAssembler::ExchangeAssembler(Clock clock)
    : m_clock(clock ? std::move(clock) : Clock(SteadyMicroseconds)), m_start(m_clock()) {}

std::int64_t ExchangeAssembler::Now() const {
    return m_clock() - m_start;
}

void ExchangeAssembler::Request(const std::uint8_t* data, std::size_t length) {
    if (m_awaiting)
        Finish(m_pending.reply.empty() ? TrafficEntry::Outcome::noReply
                                       : TrafficEntry::Outcome::shortReply);
    const bool block = data && length >= 4 && (data[2] << 8 | data[3]) == kFirmwareBlockType;
    m_blocks = block ? m_blocks + 1 : 0;
    if (!Recording() || !data) {
        m_stale = 0;
        return;
    }
    m_pending = TrafficEntry{};
    m_pending.atUs = Now();
    m_lastReadUs = m_pending.atUs;
    m_pending.request.assign(data, data + length);
    m_pending.expectedReply =
        static_cast<std::uint16_t>(length >= 4 ? ReplyLength(data[2], data[3]) : 6);
    m_pending.reply.reserve(m_pending.expectedReply);
    m_pending.firmwareBlock = block ? m_blocks : 0;
    m_pending.staleBefore = std::exchange(m_stale, 0);
    m_awaiting = true;
}

void ExchangeAssembler::RequestNotWritten() {
    if (m_awaiting)
        Finish(TrafficEntry::Outcome::notWritten);
}

void ExchangeAssembler::ReplyByte(std::uint8_t value) {
    if (!m_awaiting)
        return; // not asked for, or not recorded
    m_lastReadUs = Now();
    m_pending.reply.push_back(value);
    if (m_pending.reply.size() >= m_pending.expectedReply)
        Finish(TrafficEntry::Outcome::complete);
}

void ExchangeAssembler::ReadMissed() {
    if (m_awaiting)
        m_lastReadUs = Now();
}

void ExchangeAssembler::Drained(std::size_t count) {
    if (count == 0)
        return;
    Flush();
    m_stale += static_cast<std::uint32_t>(count);
}

void ExchangeAssembler::Break() {
    Flush();
    if (m_afterBreak || !Recording())
        return;
    TrafficEntry entry;
    entry.kind = TrafficEntry::Kind::actionBreak;
    entry.atUs = Now();
    Send(std::move(entry));
    m_afterBreak = true;
}

void ExchangeAssembler::Note(std::string text) {
    Flush();
    if (!Recording())
        return;
    TrafficEntry entry;
    entry.kind = TrafficEntry::Kind::note;
    entry.atUs = Now();
    entry.note = std::move(text);
    Send(std::move(entry));
}

void ExchangeAssembler::Flush() {
    if (m_awaiting)
        Finish(m_pending.reply.empty() ? TrafficEntry::Outcome::noReply
                                       : TrafficEntry::Outcome::shortReply);
}

void ExchangeAssembler::Finish(TrafficEntry::Outcome outcome) {
    m_awaiting = false;
    m_pending.outcome = outcome;
    m_pending.replyUs =
        outcome == TrafficEntry::Outcome::notWritten ? 0 : m_lastReadUs - m_pending.atUs;
    Send(std::move(m_pending));
}

void ExchangeAssembler::Send(TrafficEntry&& entry) {
    m_afterBreak = false;
    Emit(std::move(entry));
}

} // namespace vx
