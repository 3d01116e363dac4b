// The state of the simulated unit: one struct per receiver and one for what
// the unit has only once.
#pragma once

#include "sim/DagcRanges.h"
#include "sim/RegisterFile.h"

#include <array>
#include <cstdint>

namespace sim {

struct DagcState {
    std::int8_t lowerDbm = kDagcLowestDbm;
    std::int8_t upperDbm = kDagcHighestDbm;
    std::int8_t startVoltage = 0; // tenths of a volt
    std::int8_t endVoltage = -40;
    std::uint8_t rangeCode = kDefaultDagcRangeCode;
};

struct ReceiverState {
    // Set by the configuration word.
    std::uint8_t setup = 0; // stored setup number 0..15
    bool fmInverted = false;
    bool xdout = false;
    std::uint8_t agcTimeConstant = 0; // index into registers 10..17
    bool agcFreeze = false;
    std::uint8_t bandSelect = 0; // band asked for by the host
    std::uint8_t activeBand = 0; // band the receiver tunes and calibrates with
    bool agcZeroCommanded = false;
    bool agcZeroActive = false;    // the unit may also switch AGC zero on by itself
    std::uint8_t ifOutputMode = 0; // 1 = DAGC control, 0 = hardware control
    std::uint8_t videoFilter = 0;
    bool tlm2DeEmphasis = false;
    std::uint8_t ifBandwidth = 3;
    std::uint8_t amFilter = 31;
    bool amInverted = false;
    std::uint64_t frequencyHz = 0; // resolved to 10 kHz

    // Set by short commands.
    std::uint8_t dagcMode = 0;      // 0..3
    std::uint8_t rssiAveraging = 0; // 0 = none, 1 = filtered, 2..3 other modes
    DagcState dagc;
    std::uint8_t amGain = 40;       // 0..99
    std::uint16_t videoGain = 8191; // live video output gain, 14 bits

    RegisterFile registers;
    std::array<std::uint16_t, 32> amFilterHz{}; // AM filter table, read by short command

    // Band linearisation: bands whose hardware cannot be linearised, and runs done.
    std::array<bool, 4> linearisationUnavailable{};
    std::array<int, 4> linearisations{};
};

struct AttenuatorState {
    std::uint8_t code = 63; // 0..63, 0.5 dB steps, 63 = no attenuation
    bool freeze = false;
};

struct UnitWideState {
    bool internalReference = false;
    std::uint8_t idLedsLit = 0; // bits 0..3, companion board only
    std::uint8_t externalReferenceSourceMHz =
        10; // what is wired to the reference input; 0 = nothing
    // The eight switch lines: the DIP switches on the board, and their copy in
    // EEPROM, which stands in for them while storing in EEPROM is preferred
    // or fixed on.
    std::uint8_t dipSwitches = 0;
    std::uint8_t eepromSwitches = 0;
    bool preferEeprom = false;
    bool eepromForced = false;
    std::uint8_t discretes = 0x05; // input lines 0..4
    std::array<AttenuatorState, 2> attenuators{};
    bool attenuatorsAtBoot = false;
    // Recorded extremes: temperature max/min (deg C), supply max/min (V), current max/min (A).
    std::array<std::int16_t, 6> history{52, -8, 30, 23, 3, 1};
};

} // namespace sim
