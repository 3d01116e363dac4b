#include "sim/FirmwareStore.h"

#include <array>

namespace sim {

void FirmwareStore::Append(std::span<const std::uint8_t> block) {
    const std::size_t room = kCapacity - buffer_.size();
    if (block.size() > room) {
        overflowed_ = true;
        block = block.first(room);
    }
    buffer_.insert(buffer_.end(), block.begin(), block.end());
}

bool FirmwareStore::Commit() {
    const bool accepted = !buffer_.empty() && !overflowed_;
    if (accepted) {
        const std::uint32_t crc = Crc32(buffer_);
        last_ = FirmwareImage{std::move(buffer_), crc};
        ++commits_;
    }
    buffer_.clear();
    overflowed_ = false;
    return accepted;
}

std::uint32_t Crc32(std::span<const std::uint8_t> data) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t b : data) {
        crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

} // namespace sim
