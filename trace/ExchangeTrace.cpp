#include "trace/ExchangeTrace.h"

#include "text/TimeText.h"

#include <cstdio>

namespace vx {

ExchangeTrace::ExchangeTrace(std::ostream& out, Clock clock)
    : m_out(out), m_clock(std::move(clock)) {}

ExchangeTrace::~ExchangeTrace() {
    Flush();
}

std::size_t ExchangeTrace::ReplyLength(std::uint8_t type1, std::uint8_t type2) {
    if (type1 == 0x00 && type2 == 0x20)
        return 6 + 9; // status poll
    if (type1 == 0x01 && type2 == 0x10)
        return 6 + 4; // short command
    return 6;         // link test, configuration word, firmware block
}

void ExchangeTrace::Request(const std::uint8_t* data, std::size_t length) {
    Flush();
    std::vector<std::uint8_t> bytes(data, data + length);
    Line("->", bytes);
    m_reply.clear();
    m_expected = length >= 4 ? ReplyLength(data[2], data[3]) : 6;
    m_awaiting = true;
}

void ExchangeTrace::ReplyByte(std::uint8_t value) {
    m_reply.push_back(value);
    if (m_awaiting && m_reply.size() >= m_expected) {
        Line("<-", m_reply);
        m_reply.clear();
        m_awaiting = false;
    }
}

void ExchangeTrace::Drained(std::size_t count) {
    if (count == 0)
        return;
    char note[64];
    std::snprintf(note, sizeof note, "(%zu stale bytes discarded)", count);
    Line("xx", {}, note);
}

void ExchangeTrace::Break() {
    Flush();
    Line("--", {});
}

void ExchangeTrace::Note(const std::string& text) {
    Flush();
    Line("##", {}, text.c_str());
}

void ExchangeTrace::Flush() {
    if (!m_awaiting && m_reply.empty())
        return;
    char note[64];
    if (m_awaiting)
        std::snprintf(note, sizeof note, "(time-out: %zu of %zu bytes)", m_reply.size(),
                      m_expected);
    else
        std::snprintf(note, sizeof note, "(%zu bytes after the reply)", m_reply.size());
    Line("<-", m_reply, note);
    m_reply.clear();
    m_awaiting = false;
}

void ExchangeTrace::Line(const char* marker, const std::vector<std::uint8_t>& bytes,
                         const char* note) {
    std::string text = LocalTimeOfDay(m_clock(), 6) + " " + marker;
    for (std::uint8_t byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", byte);
        text += hex;
    }
    if (*note)
        text += std::string(" ") + note;
    m_out << text << '\n' << std::flush;
}

} // namespace vx
