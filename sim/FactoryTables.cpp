#include "sim/FactoryTables.h"

namespace sim {

void LoadFactoryRegisters(RegisterFile& r, const UnitOptions& options, int receiver) {
    const int rx = receiver == 1 ? 1 : 0;
    for (int i = 0; i < 8; ++i) {
        r.Write(0, regs::kIfBandwidthFirst + i, kIfBandwidthKHz[i]);
        r.Write(0, regs::kAgcTimeConstantFirst + i, kAgcTimeConstants[i]);
        r.Write(0, regs::kVideoFilterFirst + i, kVideoFilterKHz[i]);
    }
    for (int b = 0; b < 4; ++b) {
        const FactoryBand& band = kFactoryBands[rx][b];
        if (options.receiverHasBands[rx]) {
            r.Write(0, regs::BandLow(b), band.lowMHz);
            r.Write(0, regs::BandHigh(b), band.highMHz);
        }
        r.Write(0, regs::RssiSlope(b), static_cast<std::uint16_t>(band.slopeX10000));
        r.Write(0, regs::RssiOffset(b), static_cast<std::uint16_t>(band.offsetX10));
        r.Write(regs::LockoutPage(b), regs::kLockoutRegister, b == kBandWithoutLinearisation);
    }
    r.Write(regs::kVideoGainPage, regs::kVideoGainRegister, kFactoryVideoGain);

    if (rx == 0) {
        r.Write(0, regs::kIdentityWord, kIdentityWordRx0);
        r.Write(0, regs::kBootBaudHundreds, static_cast<std::uint16_t>(options.bootBaudRate / 100));
        r.Write(0, regs::kFirmwareDateLow, static_cast<std::uint16_t>(options.firmwareDate));
        r.Write(0, regs::kFirmwareDateHigh, static_cast<std::uint16_t>(options.firmwareDate >> 16));
        r.Write(0, regs::kSerialWord1, options.serialWord1);
        r.Write(0, regs::kSerialWord2, options.serialWord2);
        r.Write(0, regs::kExternalReferenceMHz, options.externalReferenceMHz);
        r.Write(0, regs::kRfSwitch, options.rfSwitch ? 1 : 0);
    } else {
        r.Write(0, regs::kIdentityWord, kIdentityWordRx1);
        // The second DSP carries the same firmware build.
        r.Write(0, regs::kFirmwareDateLow, static_cast<std::uint16_t>(options.firmwareDate));
        r.Write(0, regs::kFirmwareDateHigh, static_cast<std::uint16_t>(options.firmwareDate >> 16));
        r.Write(0, regs::kBootSerialType, options.bootSerialType & 1);
    }
}

std::vector<Carrier> FactoryCarriers() {
    return {
        {1450000000, -45.0, 30, 1000, 40},  // strong telemetry carrier, band 0
        {1780000000, -102.0, 15, 70000, 5}, // weak carrier with a fast AM tone, band 1
        {2250500000, -70.0, 8, 400, 25},    // band 2
        {2350000000, -95.0, 12, 2500, 10},  // band 2
        {2450000000, -30.0, 0, 0, 60},      // strong FM-only carrier, band 3
    };
}

} // namespace sim
