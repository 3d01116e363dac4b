// The DSP image buffer of the unit: blocks are appended until the host
// commits the image, which the unit then takes as its new firmware.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

struct FirmwareImage {
    std::vector<std::uint8_t> bytes;
    std::uint32_t crc32 = 0;
};

class FirmwareStore {
public:
    static constexpr std::size_t kCapacity = 1048576;

    // Appends a block; bytes beyond the capacity are dropped and mark the image overflowed.
    void Append(std::span<const std::uint8_t> block);

    // Takes the buffered image when it is non-empty and fits; empties the buffer either way.
    bool Commit();

    std::size_t PendingSize() const { return buffer_.size(); }
    bool Overflowed() const { return overflowed_; }
    const std::optional<FirmwareImage>& LastCommitted() const { return last_; }
    int CommitCount() const { return commits_; }

private:
    std::vector<std::uint8_t> buffer_;
    bool overflowed_ = false;
    std::optional<FirmwareImage> last_;
    int commits_ = 0;
};

std::uint32_t Crc32(std::span<const std::uint8_t> data);

} // namespace sim
