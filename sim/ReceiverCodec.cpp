#include "sim/ReceiverCodec.h"

namespace sim {

namespace {

constexpr bool Bit(std::uint8_t byte, int bit) {
    return (byte >> bit) & 1;
}
constexpr std::uint8_t Field(std::uint8_t byte, int shift, std::uint8_t mask) {
    return (byte >> shift) & mask;
}
constexpr std::uint8_t Flag(bool on, int bit) {
    return on ? std::uint8_t(1u << bit) : 0;
}
constexpr std::uint8_t Low(unsigned v) {
    return v & 0xFF;
}
constexpr std::uint8_t High(unsigned v) {
    return (v >> 8) & 0xFF;
}

std::array<std::uint8_t, 3> Group0(const ReceiverState& r) {
    return {
        std::uint8_t(Flag(r.agcFreeze, 3) | Flag(r.agcZeroActive, 6) |
                     Flag(r.ifOutputMode != 1, 7)),
        std::uint8_t((r.activeBand & 3) | Flag(r.tlm2DeEmphasis, 3) | ((r.ifBandwidth & 7) << 4)),
        std::uint8_t((r.amFilter & 0x1F) | Flag(r.amInverted, 7)),
    };
}

std::array<std::uint8_t, 3> Group1(const ReceiverState& r) {
    const std::uint64_t mhz = r.frequencyHz / 1000000;
    const std::uint64_t tenKHz = (r.frequencyHz % 1000000) / 10000;
    return {std::uint8_t(tenKHz), Low(unsigned(mhz)), High(unsigned(mhz))};
}

std::array<std::uint8_t, 3> Group2(const ReceiverState& r) {
    const std::uint16_t tc = r.registers.Read(0, regs::kAgcTimeConstantFirst + r.agcTimeConstant);
    return {Low(tc), High(tc), std::uint8_t((r.dagcMode & 3) | ((r.rssiAveraging & 3) << 2))};
}

std::array<std::uint8_t, 3> Group3(const ReceiverState& r) {
    return {std::uint8_t(r.dagc.lowerDbm), std::uint8_t(r.dagc.upperDbm), r.dagc.rangeCode};
}

std::array<std::uint8_t, 3> Group4(const ReceiverState& r) {
    return {std::uint8_t(r.dagc.startVoltage), std::uint8_t(r.dagc.endVoltage), r.dagc.rangeCode};
}

std::array<std::uint8_t, 3> Group5(const ReceiverState& r) {
    return {std::uint8_t(((r.videoFilter & 7) << 1) | ((r.agcTimeConstant & 7) << 4) |
                         Flag(r.fmInverted, 7)),
            0, 0};
}

std::array<std::uint8_t, 3> Group6(const ReceiverState& r) {
    return {std::uint8_t(r.setup & 0x0F),
            std::uint8_t(Flag(r.xdout, 0) | Flag(r.agcZeroCommanded, 1)), r.amGain};
}

std::array<std::uint8_t, 3> Group7(const ReceiverState& r, const UnitWideState& u) {
    return {Low(r.videoGain), High(r.videoGain),
            std::uint8_t((u.idLedsLit & 0x0F) | Flag(u.internalReference, 7))};
}

} // namespace

int ConfigurationWordReceiver(std::span<const std::uint8_t, kConfigurationWordSize> word) {
    return word[0] & 1;
}

void ApplyConfigurationWord(std::span<const std::uint8_t, kConfigurationWordSize> w,
                            ReceiverState& r, UnitWideState& u) {
    r.setup = Field(w[0], 1, 0x0F);
    r.fmInverted = Bit(w[0], 5);
    r.xdout = Bit(w[0], 6);

    u.idLedsLit = Field(w[1], 0, 0x0F);
    u.internalReference = Bit(w[1], 7);

    r.agcTimeConstant = Field(w[2], 0, 7);
    r.agcFreeze = Bit(w[2], 3);
    r.bandSelect = Field(w[2], 4, 3);
    r.agcZeroCommanded = Bit(w[2], 6);
    r.agcZeroActive = r.agcZeroCommanded;
    r.ifOutputMode = Bit(w[2], 7) ? 0 : 1;

    r.videoFilter = Field(w[3], 0, 7);
    r.tlm2DeEmphasis = Bit(w[3], 3);
    r.ifBandwidth = Field(w[3], 4, 7);

    r.amFilter = Field(w[4], 0, 0x1F);
    r.amInverted = Bit(w[4], 7);

    const std::uint64_t mhz = w[6] | (std::uint64_t{w[7]} << 8);
    r.frequencyHz = mhz * 1000000 + std::uint64_t{w[5]} * 10000;
}

std::array<std::uint8_t, 3> EncodeReadBackGroup(const ReceiverState& r, const UnitWideState& u,
                                                int group) {
    switch (group) {
    case 0:
        return Group0(r);
    case 1:
        return Group1(r);
    case 2:
        return Group2(r);
    case 3:
        return Group3(r);
    case 4:
        return Group4(r);
    case 5:
        return Group5(r);
    case 6:
        return Group6(r);
    case 7:
        return Group7(r, u);
    default:
        return {0, 0, 0};
    }
}

} // namespace sim
