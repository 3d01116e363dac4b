#include "sim/SignalModel.h"

#include <cmath>

namespace sim {

std::optional<Carrier> SignalModel::CarrierInPassband(std::uint64_t tunedHz,
                                                      std::uint32_t ifBandwidthHz) const {
    std::optional<Carrier> best;
    for (const Carrier& c : carriers_) {
        const std::uint64_t distance =
            c.frequencyHz > tunedHz ? c.frequencyHz - tunedHz : tunedHz - c.frequencyHz;
        if (2 * distance >= ifBandwidthHz) {
            continue;
        }
        if (!best || c.levelDbm > best->levelDbm) {
            best = c;
        }
    }
    return best;
}

double SignalModel::LevelDbm(std::uint64_t tunedHz, std::uint32_t ifBandwidthHz) const {
    const std::optional<Carrier> c = CarrierInPassband(tunedHz, ifBandwidthHz);
    return c && c->levelDbm > noiseFloorDbm_ ? c->levelDbm : noiseFloorDbm_;
}

std::uint16_t SignalModel::RawRssiWord(double levelDbm, const BandCalibration& calibration) {
    if (calibration.slope <= 0.0) {
        return 0;
    }
    const double raw = std::round((levelDbm - calibration.offsetDbm) / calibration.slope);
    if (raw <= 0.0) {
        return 0;
    }
    return raw >= kRawRssiMax ? kRawRssiMax : static_cast<std::uint16_t>(raw);
}

} // namespace sim
