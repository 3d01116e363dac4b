// The accepted serial line settings: checked when the stored settings are
// loaded and offered by the communications page's lists.
#pragma once

#include <array>
#include <cstdint>

namespace vx {

struct BaudRateEntry {
    std::uint32_t rate;
    char label[44];
};

struct CodeLabel {
    std::uint32_t code;
    const char* label;
};

inline constexpr std::array<BaudRateEntry, 20> BaudRateTable{{
    {110, "110"},
    {300, "300"},
    {600, "600"},
    {1200, "1200"},
    {2400, "2400"},
    {4800, "4800"},
    {9600, "9600"},
    {14400, "14400"},
    {19200, "19200"},
    {38400, "38400"},
    {56000, "56000"},
    {57600, "57600"},
    {115200, "115200"},
    {230400, "230400, RS232 Max"},
    {921600, "921600, MOXA Max"},
    {937500, "937500"},
    {1171875, "1171875"},
    {2343750, "2343750"},
    {2457600, "2457600"},
    {2500000, "2500000"},
}};

inline constexpr std::array<CodeLabel, 5> ParityTable{{
    {0, "No parity"},
    {1, "Odd"},
    {2, "Even"},
    {3, "Mark"},
    {4, "Space"},
}};

inline constexpr std::array<CodeLabel, 3> StopBitsTable{{
    {0, "1 stop bit"},
    {1, "1.5 stop bits"},
    {2, "2 stop bits"},
}};

constexpr bool IsListedBaudRate(std::uint32_t rate) {
    for (const auto& entry : BaudRateTable)
        if (entry.rate == rate)
            return true;
    return false;
}

} // namespace vx
