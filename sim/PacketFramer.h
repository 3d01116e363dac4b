// Cuts the byte stream that reaches the simulated unit into request packets
// and frames its replies.
//
// A packet is 0x27 0x00, two packet-type bytes, a little-endian payload length
// and the payload. The framer hunts for 0x27 0x00 and throws away whatever
// stands before it; a partial packet is dropped once the line has been quiet
// for the gap time-out, as the unit's receive state machine does.
#pragma once

#include "sim/Packet.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

class PacketFramer {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::milliseconds kGapTimeout{500};
    // Longest payload the unit accepts; a header announcing more is taken as noise.
    static constexpr std::size_t kMaxPayload = 256;

    struct Received {
        Packet packet;
        std::vector<std::uint8_t> raw;   // the packet's bytes as they came in
        Clock::time_point firstByteTime; // arrival of its first byte
    };

    // Takes bytes that arrived at `now` and returns the packets they completed.
    std::vector<Received> Feed(std::span<const std::uint8_t> bytes, Clock::time_point now);

    // Drops a partial packet when nothing arrived for the gap time-out.
    void Expire(Clock::time_point now);

    // When the partial packet now held will be dropped; nothing when none is held.
    std::optional<Clock::time_point> GapDeadline() const;

    std::size_t PendingBytes() const { return bytes_.size(); }
    std::size_t DiscardedBytes() const { return discarded_; }

private:
    void Discard(std::size_t count);

    std::vector<std::uint8_t> bytes_;
    std::vector<Clock::time_point> arrival_;
    Clock::time_point lastArrival_{};
    std::size_t discarded_ = 0;
};

// The bytes of a packet: header (start byte, reserved byte, type, length) and payload.
std::vector<std::uint8_t> EncodePacket(const Packet& packet);

} // namespace sim
