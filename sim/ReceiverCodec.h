// The bit layouts in which a receiver's settings travel: the 8-byte
// configuration word the host sends, and the eight read-back groups the unit
// answers with. The two use different bit positions for the same settings.
#pragma once

#include "sim/ReceiverState.h"

#include <array>
#include <cstdint>
#include <span>

namespace sim {

inline constexpr std::size_t kConfigurationWordSize = 8;

// The receiver a configuration word addresses (bit 0 of its first byte).
int ConfigurationWordReceiver(std::span<const std::uint8_t, kConfigurationWordSize> word);

// Takes every field of the word into the receiver's state, and the reference
// clock and ID LED fields into the unit-wide state. The active band is left to
// the caller, which knows the band limits.
void ApplyConfigurationWord(std::span<const std::uint8_t, kConfigurationWordSize> word,
                            ReceiverState& receiver, UnitWideState& unit);

// Reply bytes 7..9 of read-back group 0..7; other groups read as zeros.
std::array<std::uint8_t, 3> EncodeReadBackGroup(const ReceiverState& receiver,
                                                const UnitWideState& unit, int group);

} // namespace sim
