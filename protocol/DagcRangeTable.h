// The digital AGC range table: one row per range the unit offers, read by the
// protocol (device code and voltages) and by the receiver setup page (label
// and slope).
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace vx {

struct DagcRange {
    std::uint8_t code;        // device code sent by SelectDagcRange
    std::int8_t startVoltage; // tenths of a volt
    std::int8_t endVoltage;   // tenths of a volt
    const char* label;
    double slope; // dBm per volt: 120 dB over the signed span from start to end
};

inline constexpr std::array<DagcRange, 12> kDagcRanges{{
    {0, -40, 0, "-4 V to  0 V", 30.0},
    {1, -20, 0, "-2 V to  0 V", 60.0},
    {2, 0, 20, " 0 V to +2 V", 60.0},
    {3, 0, 40, " 0 V to +4 V", 30.0},
    {4, -20, 20, "-2 V to +2 V", 30.0},
    {7, -40, 40, "-4 V to +4 V", 15.0},
    {8, 0, -40, " 0 V to -4 V", -30.0},
    {9, 0, -20, " 0 V to -2 V", -60.0},
    {10, 20, 0, " 2 V to  0 V", -60.0},
    {11, 40, 0, " 4 V to  0 V", -30.0},
    {12, 20, -20, " 2 V to -2 V", -30.0},
    {15, 40, -40, " 4 V to -4 V", -15.0},
}};

// The range the unit starts in and the one chosen when a code is unknown.
inline constexpr std::uint8_t kDefaultDagcRangeIndex = 6;

// The row whose code matches, searching from row 0; row 6 when none does.
constexpr std::uint8_t DagcRangeIndexForCode(std::uint8_t code) {
    for (std::uint8_t row = 0; row < kDagcRanges.size(); ++row)
        if (kDagcRanges[row].code == code)
            return row;
    return kDefaultDagcRangeIndex;
}

} // namespace vx
