// How the simulated unit is fitted out: what stays fixed for the life of one
// simulated unit (the hardware fitted and the identity burnt into it).
#pragma once

#include <array>
#include <cstdint>

namespace sim {

struct UnitOptions {
    bool companionBoard = false;             // the ID LED / FM deviation companion board
    bool rfSwitch = false;                   // RF switch fitted where other units have XDOUT
    std::uint32_t firmwareDate = 0x20180309; // DSP firmware version, BCD 0x20YYMMDD
    std::array<bool, 2> receiverHasBands{true, true}; // a receiver without bands reads 0 limits
    std::uint16_t serialWord1 = 0x0012;
    std::uint16_t serialWord2 = 0xABCD;
    std::uint8_t externalReferenceMHz = 10; // configured external reference frequency
    std::uint32_t bootBaudRate = 57600;     // serial rate the unit uses after boot
    std::uint8_t bootSerialType = 0;        // 0 = RS232, 1 = RS422
};

} // namespace sim
