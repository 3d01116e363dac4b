// The byte trace of --trace: every request and reply on the line, one line
// each, with the wall-clock time of day in microseconds:
//
//   14:02:07.511204 -> 27 00 01 10 04 00 10 00 00 00
//   14:02:07.514981 <- 27 00 01 10 04 00 10 00 00 00
//   14:02:07.515002 --
//
// A reply is complete at the length its request's packet type calls for; a
// reply still short when the next request goes out (or at a trace break) is
// shown with "(time-out: N of M bytes)". "--" marks the end of the group of
// exchanges that belongs to one user action (the protocol's trace break);
// "##" notes what happened besides the bytes (a request sent again, the
// configuration cache).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vx {

class ExchangeTrace {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    explicit ExchangeTrace(std::ostream& out, Clock clock = std::chrono::system_clock::now);
    ~ExchangeTrace();
    ExchangeTrace(const ExchangeTrace&) = delete;
    ExchangeTrace& operator=(const ExchangeTrace&) = delete;

    void Request(const std::uint8_t* data, std::size_t length);
    void ReplyByte(std::uint8_t value);
    void Drained(std::size_t count);
    void Break();
    // A line of its own for what happened between exchanges ("##" and the text).
    void Note(const std::string& text);
    // Writes out a reply that is still incomplete.
    void Flush();

    // Reply length (header included) that a request of this packet type gets.
    static std::size_t ReplyLength(std::uint8_t type1, std::uint8_t type2);

private:
    void Line(const char* marker, const std::vector<std::uint8_t>& bytes, const char* note = "");

    std::ostream& m_out;
    Clock m_clock;
    std::vector<std::uint8_t> m_reply;
    std::size_t m_expected = 0;
    bool m_awaiting = false;
};

} // namespace vx
