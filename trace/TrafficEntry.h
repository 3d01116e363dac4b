// One line of the traffic with the unit, as the byte trace of vx18dctl, the
// traffic monitor and the trace file show it: an exchange (request, reply,
// times, outcome), the end of one operator action (the protocol object's
// trace break), or a note.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vx {

struct TrafficEntry {
    enum class Kind : std::uint8_t { exchange, actionBreak, note };
    enum class Outcome : std::uint8_t {
        complete,   // the reply came whole
        noReply,    // not one byte came back
        shortReply, // some of the reply came back
        notWritten, // the port did not take the request
    };

    Kind kind = Kind::exchange;
    Outcome outcome = Outcome::complete;
    std::uint64_t sequence = 0;      // numbered by the traffic log, from 0
    std::int64_t atUs = 0;           // when the request went out, since the trace began
    std::int64_t replyUs = 0;        // from the request to the reply's last byte or the last read
    std::uint32_t staleBefore = 0;   // bytes of earlier replies discarded before the request
    std::uint32_t firmwareBlock = 0; // 1, 2 ... for the blocks of one image transfer
    std::uint16_t expectedReply = 0; // the whole reply's length, header included
    std::vector<std::uint8_t> request;
    std::vector<std::uint8_t> reply;
    std::string note; // what a note says

    bool Failed() const { return kind == Kind::exchange && outcome != Outcome::complete; }
    // The packet type, bytes 2 and 3 of the request (0xFFFF when it has none).
    std::uint16_t PacketType() const {
        return request.size() >= 4 ? static_cast<std::uint16_t>(request[2] << 8 | request[3])
                                   : 0xFFFF;
    }
};

} // namespace vx
