// The short commands' command bytes (receiver bit clear) and the small byte
// helpers that the command set shares. Used by the protocol object's sources
// and by the byte trace, which names the commands it shows.
#pragma once

#include "protocol/CVX18D3_Comm.h"

namespace vx::cmd {

inline constexpr BYTE kRegister = 0x10;
inline constexpr BYTE kDagcMode = 0x20;
inline constexpr BYTE kAmFilterEntry = 0x30;
inline constexpr BYTE kAmCounter = 0x38;
inline constexpr BYTE kExternalReference = 0x40;
inline constexpr BYTE kUnitStatus = 0x48;
inline constexpr BYTE kDagcRange = 0x58;
inline constexpr BYTE kAmGain = 0x68;
inline constexpr BYTE kDagcLimits = 0x70;
inline constexpr BYTE kDagcVoltages = 0x78;
inline constexpr BYTE kVideoGain = 0x80;
inline constexpr BYTE kReadBack = 0x90;
inline constexpr BYTE kRssiAveraging = 0xB8;
inline constexpr BYTE kAttenuators = 0xC0;
inline constexpr BYTE kHistory = 0xC8;
inline constexpr BYTE kBootSerial = 0xF8;

// Argument byte 7 of the AM gain command.
inline constexpr BYTE kAmGainWrite = 3;
inline constexpr BYTE kAmGainRead = 4;

// The command byte for a receiver: bit 0 selects the second receiver.
constexpr BYTE ForReceiver(BYTE command, UINT receiver) {
    return static_cast<BYTE>(command | receiver);
}

constexpr BOOL Bit(BYTE value, int bit) {
    return (value >> bit) & 1;
}

constexpr WORD Word(BYTE low, BYTE high) {
    return static_cast<WORD>(low | high << 8);
}

} // namespace vx::cmd
