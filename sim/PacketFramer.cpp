#include "sim/PacketFramer.h"

#include <algorithm>

namespace sim {

std::vector<PacketFramer::Received> PacketFramer::Feed(std::span<const std::uint8_t> bytes,
                                                       Clock::time_point now) {
    Expire(now);
    std::vector<Received> done;
    if (bytes.empty()) {
        return done;
    }
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    arrival_.insert(arrival_.end(), bytes.size(), now);
    lastArrival_ = now;

    for (;;) {
        // Hunt for 0x27 0x00; a lone 0x27 at the end may still be a start.
        std::size_t skip = 0;
        while (skip < bytes_.size()) {
            const bool start = bytes_[skip] == kStartByte;
            const bool reservedOk = skip + 1 >= bytes_.size() || bytes_[skip + 1] == 0x00;
            if (start && reservedOk) {
                break;
            }
            ++skip;
        }
        Discard(skip);
        if (bytes_.size() < kHeaderSize) {
            break;
        }
        const std::size_t length = bytes_[4] | (std::size_t{bytes_[5]} << 8);
        if (length > kMaxPayload) {
            Discard(1);
            continue;
        }
        const std::size_t total = kHeaderSize + length;
        if (bytes_.size() < total) {
            break;
        }
        Received r;
        r.packet.type = {bytes_[2], bytes_[3]};
        r.packet.payload.assign(bytes_.begin() + kHeaderSize, bytes_.begin() + total);
        r.raw.assign(bytes_.begin(), bytes_.begin() + total);
        r.firstByteTime = arrival_.front();
        bytes_.erase(bytes_.begin(), bytes_.begin() + total);
        arrival_.erase(arrival_.begin(), arrival_.begin() + total);
        done.push_back(std::move(r));
    }
    return done;
}

void PacketFramer::Expire(Clock::time_point now) {
    if (!bytes_.empty() && now - lastArrival_ >= kGapTimeout) {
        Discard(bytes_.size());
    }
}

std::optional<PacketFramer::Clock::time_point> PacketFramer::GapDeadline() const {
    if (bytes_.empty()) {
        return std::nullopt;
    }
    return lastArrival_ + kGapTimeout;
}

void PacketFramer::Discard(std::size_t count) {
    bytes_.erase(bytes_.begin(), bytes_.begin() + count);
    arrival_.erase(arrival_.begin(), arrival_.begin() + count);
    discarded_ += count;
}

std::vector<std::uint8_t> EncodePacket(const Packet& packet) {
    const std::size_t length = packet.payload.size();
    std::vector<std::uint8_t> out(kHeaderSize + length);
    out[0] = kStartByte;
    out[1] = 0x00;
    out[2] = packet.type.first;
    out[3] = packet.type.second;
    out[4] = static_cast<std::uint8_t>(length & 0xFF);
    out[5] = static_cast<std::uint8_t>((length >> 8) & 0xFF);
    std::copy(packet.payload.begin(), packet.payload.end(), out.begin() + kHeaderSize);
    return out;
}

} // namespace sim
