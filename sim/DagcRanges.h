// The digital AGC output ranges the unit knows by code: each maps the input
// power span onto a fixed output voltage span (tenths of a volt).
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace sim {

struct DagcRange {
    std::uint8_t code;
    std::int8_t startVoltage; // tenths of a volt
    std::int8_t endVoltage;
};

inline constexpr std::array<DagcRange, 12> kDagcRanges{{
    {0, -40, 0},
    {1, -20, 0},
    {2, 0, 20},
    {3, 0, 40},
    {4, -20, 20},
    {7, -40, 40},
    {8, 0, -40},
    {9, 0, -20},
    {10, 20, 0},
    {11, 40, 0},
    {12, 20, -20},
    {15, 40, -40},
}};

inline constexpr std::uint8_t kDefaultDagcRangeCode = 8;
// Reported when programmed voltages match no predefined range.
inline constexpr std::uint8_t kProgrammedDagcRangeCode = 5;
inline constexpr std::int8_t kDagcLowestDbm = -110;
inline constexpr std::int8_t kDagcHighestDbm = 10;
inline constexpr std::int8_t kDagcVoltageLimit = 40;

std::optional<DagcRange> FindDagcRange(std::uint8_t code);
// The code of the predefined range with these voltages, else the programmed-range code.
std::uint8_t DagcRangeCodeFor(std::int8_t startVoltage, std::int8_t endVoltage);

} // namespace sim
