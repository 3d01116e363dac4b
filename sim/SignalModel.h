// What the receivers hear: a few fixed carriers over a flat noise floor, and
// the conversion of a level into the raw RSSI word through a band's calibration.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

struct Carrier {
    std::uint64_t frequencyHz = 0;
    double levelDbm = 0.0;
    std::uint8_t amIndexPercent = 0;
    std::uint32_t amRateHz = 0; // AM modulation frequency, what the AM counter reads
    std::uint8_t fmDeviationPercent = 0;
};

struct BandCalibration {
    double slope = 0.0;     // dBm per raw RSSI step
    double offsetDbm = 0.0; // dBm at raw word 0
};

class SignalModel {
public:
    static constexpr double kDefaultNoiseFloorDbm = -115.0;
    static constexpr std::uint16_t kRawRssiMax = 4095;

    explicit SignalModel(std::vector<Carrier> carriers = {}) : carriers_(std::move(carriers)) {}

    void SetCarriers(std::vector<Carrier> carriers) { carriers_ = std::move(carriers); }
    const std::vector<Carrier>& Carriers() const { return carriers_; }
    void SetNoiseFloor(double dbm) { noiseFloorDbm_ = dbm; }
    double NoiseFloor() const { return noiseFloorDbm_; }

    // The strongest carrier closer than half the IF bandwidth to the tuned frequency.
    std::optional<Carrier> CarrierInPassband(std::uint64_t tunedHz,
                                             std::uint32_t ifBandwidthHz) const;

    // The level at the detector: the carrier in the passband, else the noise floor.
    double LevelDbm(std::uint64_t tunedHz, std::uint32_t ifBandwidthHz) const;

    // The 12-bit raw word that the band's calibration turns back into this level.
    static std::uint16_t RawRssiWord(double levelDbm, const BandCalibration& calibration);

private:
    std::vector<Carrier> carriers_;
    double noiseFloorDbm_ = kDefaultNoiseFloorDbm;
};

} // namespace sim
