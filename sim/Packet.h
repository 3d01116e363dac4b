// One request or reply of the unit's packet protocol, without its framing.
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

struct PacketType {
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    friend bool operator==(const PacketType&, const PacketType&) = default;
};

inline constexpr PacketType kLinkTest{0x00, 0x00};
inline constexpr PacketType kStatusPoll{0x00, 0x20};
inline constexpr PacketType kShortCommand{0x01, 0x10};
inline constexpr PacketType kConfigurationWord{0x00, 0x10};
inline constexpr PacketType kFirmwareBlock{0x20, 0x10};

inline constexpr std::uint8_t kStartByte = 0x27;
inline constexpr std::size_t kHeaderSize = 6;

struct Packet {
    PacketType type;
    std::vector<std::uint8_t> payload;
};

} // namespace sim
