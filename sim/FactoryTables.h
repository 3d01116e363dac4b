// The values the simulated unit leaves the factory with: band limits and RSSI
// calibration, filter and time constant tables, identity and the carriers
// that its receivers hear.
#pragma once

#include "sim/RegisterFile.h"
#include "sim/SignalModel.h"
#include "sim/UnitOptions.h"

#include <array>
#include <cstdint>
#include <vector>

namespace sim {

struct FactoryBand {
    std::uint16_t lowMHz;
    std::uint16_t highMHz;
    std::int16_t slopeX10000; // dBm per raw step x 10000
    std::int16_t offsetX10;   // dBm x 10 at raw word 0
};

// Per receiver, per band. Bands 2 and 3 meet at 2400 MHz.
inline constexpr std::array<std::array<FactoryBand, 4>, 2> kFactoryBands{{
    {{{1435, 1540, 320, -1200},
      {1750, 1850, 318, -1195},
      {2200, 2400, 322, -1205},
      {2400, 2500, 325, -1210}}},
    {{{1435, 1540, 330, -1210},
      {1750, 1850, 328, -1205},
      {2200, 2400, 332, -1215},
      {2400, 2500, 335, -1220}}},
}};

inline constexpr std::array<std::uint16_t, 8> kIfBandwidthKHz{250,  500,  1000,  2000,
                                                              4000, 6000, 10000, 20000};
// 100 us units: 100 us, 500 us, 1 ms, 5 ms, 10 ms, 50 ms, 100 ms, 1 s.
inline constexpr std::array<std::uint16_t, 8> kAgcTimeConstants{1,   5,   10,   50,
                                                                100, 500, 1000, 10000};
// The last video filter position is not fitted.
inline constexpr std::array<std::uint16_t, 8> kVideoFilterKHz{100,  250,  500,  750,
                                                              1000, 2000, 5000, 0};
inline constexpr std::array<std::uint16_t, 32> kAmFilterHz{
    10,    15,    20,    30,    50,    75,    100,   150,   200,   300,   500,
    750,   1000,  1500,  2000,  3000,  5000,  7500,  10000, 15000, 20000, 25000,
    30000, 35000, 40000, 45000, 50000, 55000, 60000, 62000, 64000, 65000};

inline constexpr std::uint16_t kFactoryVideoGain = 8191;
inline constexpr std::uint16_t kIdentityWordRx0 = 0x18D0;
inline constexpr std::uint16_t kIdentityWordRx1 = 0x18D1;
// Band 2 has no linearisation hardware; its lock-out never clears.
inline constexpr int kBandWithoutLinearisation = 2;

// Tuning at power-up, per receiver.
inline constexpr std::array<std::uint64_t, 2> kPowerUpFrequencyHz{1450000000, 2250500000};

// Fills a receiver's register pages as the unit leaves the factory.
void LoadFactoryRegisters(RegisterFile& registers, const UnitOptions& options, int receiver);

// Carriers on the air around the simulated unit.
std::vector<Carrier> FactoryCarriers();

} // namespace sim
