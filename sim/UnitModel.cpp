#include "sim/UnitModel.h"

#include "sim/FactoryTables.h"
#include "sim/ReceiverCodec.h"

#include <algorithm>

namespace sim {

namespace {
constexpr std::size_t kStatusPayloadSize = 9;
constexpr std::size_t kShortCommandSize = 4;
constexpr std::size_t kLargestFirmwareBlock = 128;
} // namespace

UnitModel::UnitModel(UnitOptions options) : options_(options), signals_(FactoryCarriers()) {
    for (int rx = 0; rx < 2; ++rx) {
        ReceiverState& r = receivers_[rx];
        LoadFactoryRegisters(r.registers, options_, rx);
        r.amFilterHz = kAmFilterHz;
        r.videoGain = r.registers.Read(regs::kVideoGainPage, regs::kVideoGainRegister);
        r.linearisationUnavailable[kBandWithoutLinearisation] = true;
        r.frequencyHz = kPowerUpFrequencyHz[rx];
        r.activeBand = static_cast<std::uint8_t>(BandHolding(rx, r.frequencyHz, 0).value_or(0));
        r.bandSelect = r.activeBand;
    }
}

std::optional<Packet> UnitModel::Handle(const Packet& request) {
    struct Route {
        PacketType type;
        PacketHandler handler;
    };
    static constexpr std::array<Route, 5> kRoutes{{
        {kLinkTest, &UnitModel::OnLinkTest},
        {kStatusPoll, &UnitModel::OnStatusPoll},
        {kConfigurationWord, &UnitModel::OnConfigurationWord},
        {kFirmwareBlock, &UnitModel::OnFirmwareBlock},
        {kShortCommand, &UnitModel::OnShortCommand},
    }};
    for (const Route& route : kRoutes) {
        if (route.type == request.type) {
            return (this->*route.handler)(request);
        }
    }
    return std::nullopt;
}

std::optional<Packet> UnitModel::OnLinkTest(const Packet& request) {
    if (!request.payload.empty()) {
        return std::nullopt;
    }
    return Packet{request.type, {}};
}

std::optional<Packet> UnitModel::OnStatusPoll(const Packet& request) {
    if (!request.payload.empty()) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> p(kStatusPayloadSize, 0);
    p[0] = static_cast<std::uint8_t>((unit_.internalReference ? 0x80 : 0) |
                                     (ReferencePllSynchronised() ? 0x40 : 0) |
                                     (options_.companionBoard ? unit_.idLedsLit & 0x0F : 0));
    for (int rx = 0; rx < 2; ++rx) {
        const ReceiverObservation o = Observe(rx);
        const std::size_t at = 1 + 4 * rx;
        p[at] = o.rawRssi & 0xFF;
        p[at + 1] = static_cast<std::uint8_t>(((o.rawRssi >> 8) & 0x0F) | (o.lo1Locked ? 0x10 : 0) |
                                              (o.lo2Locked ? 0x20 : 0) |
                                              (receivers_[rx].agcZeroActive ? 0x40 : 0));
        p[at + 2] = o.amIndex & 0x7F;
        p[at + 3] = o.fmDeviation & 0x7F;
    }
    return Packet{request.type, std::move(p)};
}

std::optional<Packet> UnitModel::OnConfigurationWord(const Packet& request) {
    if (request.payload.size() != kConfigurationWordSize) {
        return std::nullopt;
    }
    const std::span<const std::uint8_t, kConfigurationWordSize> word(request.payload.data(),
                                                                     kConfigurationWordSize);
    const int rx = ConfigurationWordReceiver(word);
    ReceiverState& r = receivers_[rx];
    ApplyConfigurationWord(word, r, unit_);
    // The receiver keeps the band asked for when it holds the frequency, else
    // it moves to the next band that does.
    r.activeBand = static_cast<std::uint8_t>(
        BandHolding(rx, r.frequencyHz, r.bandSelect).value_or(r.bandSelect));
    return Packet{request.type, {}};
}

std::optional<Packet> UnitModel::OnFirmwareBlock(const Packet& request) {
    if (request.payload.empty() || request.payload.size() > kLargestFirmwareBlock) {
        return std::nullopt;
    }
    firmware_.Append(request.payload);
    return Packet{request.type, {}};
}

std::optional<Packet> UnitModel::OnShortCommand(const Packet& request) {
    if (request.payload.size() != kShortCommandSize) {
        return std::nullopt;
    }
    const std::uint8_t command = request.payload[0];
    const int rx = command & 1;
    const Args args{request.payload[1], request.payload[2], request.payload[3]};
    const ShortHandler handler = ShortHandlers()[command >> 3];
    const Args results = handler ? (this->*handler)(rx, args) : Args{0, 0, 0};
    return Packet{request.type, {command, results[0], results[1], results[2]}};
}

std::uint16_t UnitModel::ReadRegister(int rx, int page, int reg) const {
    return Receiver(rx).registers.Read(page, reg);
}

void UnitModel::WriteRegister(int rx, int page, int reg, std::uint16_t value) {
    Receiver(rx).registers.Write(page, reg, value);
}

std::uint32_t UnitModel::FirmwareDate() const {
    return (std::uint32_t{ReadRegister(0, 0, regs::kFirmwareDateHigh)} << 16) |
           ReadRegister(0, 0, regs::kFirmwareDateLow);
}

std::uint8_t UnitModel::ExternalReferenceMHz() const {
    return ReadRegister(0, 0, regs::kExternalReferenceMHz) & 0xFF;
}

void UnitModel::ForceRawRssi(int rx, std::optional<std::uint16_t> raw) {
    overrides_[Index(rx)].rawRssi = raw;
}

void UnitModel::ForceAmIndex(int rx, std::optional<std::uint8_t> percent) {
    overrides_[Index(rx)].amIndex = percent;
}

void UnitModel::ForceFmDeviation(int rx, std::optional<std::uint8_t> percent) {
    overrides_[Index(rx)].fmDeviation = percent;
}

void UnitModel::SetAgcZeroActive(int rx, bool active) {
    Receiver(rx).agcZeroActive = active;
}

void UnitModel::SetHistory(int item, std::int16_t value) {
    if (item >= 0 && item < static_cast<int>(unit_.history.size())) {
        unit_.history[item] = value;
    }
}

bool UnitModel::ReferencePllSynchronised() const {
    if (unit_.internalReference) {
        return true;
    }
    return unit_.externalReferenceSourceMHz != 0 &&
           unit_.externalReferenceSourceMHz == ExternalReferenceMHz();
}

std::optional<int> UnitModel::BandHolding(int rx, std::uint64_t frequencyHz, int preferred) const {
    const RegisterFile& r = Receiver(rx).registers;
    for (int i = 0; i < 4; ++i) {
        const int band = (preferred + i) & 3;
        const std::uint64_t low = r.Read(0, regs::BandLow(band)) * std::uint64_t{1000000};
        const std::uint64_t high = r.Read(0, regs::BandHigh(band)) * std::uint64_t{1000000};
        if (low != 0 && high != 0 && low <= frequencyHz && frequencyHz <= high) {
            return band;
        }
    }
    return std::nullopt;
}

BandCalibration UnitModel::Calibration(int rx, int band) const {
    const RegisterFile& r = Receiver(rx).registers;
    const auto slope = static_cast<std::int16_t>(r.Read(0, regs::RssiSlope(band & 3)));
    const auto offset = static_cast<std::int16_t>(r.Read(0, regs::RssiOffset(band & 3)));
    return {slope / 10000.0, offset / 10.0};
}

ReceiverObservation UnitModel::Observe(int rx) const {
    const ReceiverState& r = Receiver(rx);
    ReceiverObservation o;
    o.band = BandHolding(rx, r.frequencyHz, r.activeBand);
    const bool locked = o.band.has_value() && ReferencePllSynchronised();
    o.lo1Locked = locked;
    o.lo2Locked = locked;
    if (o.band) {
        const std::uint32_t bandwidthHz =
            r.registers.Read(0, regs::kIfBandwidthFirst + r.ifBandwidth) * 1000u;
        std::optional<Carrier> carrier;
        double level = signals_.NoiseFloor();
        if (locked) {
            carrier = signals_.CarrierInPassband(r.frequencyHz, bandwidthHz);
            level = signals_.LevelDbm(r.frequencyHz, bandwidthHz);
        }
        o.rawRssi = SignalModel::RawRssiWord(level, Calibration(rx, *o.band));
        if (carrier) {
            o.amIndex = std::min<std::uint8_t>(carrier->amIndexPercent, 127);
            o.fmDeviation = std::min<std::uint8_t>(carrier->fmDeviationPercent, 127);
            o.amRateHz = carrier->amIndexPercent ? carrier->amRateHz : 0;
        }
    }
    const SignalOverrides& forced = overrides_[Index(rx)];
    o.rawRssi =
        std::min<std::uint16_t>(forced.rawRssi.value_or(o.rawRssi), SignalModel::kRawRssiMax);
    o.amIndex = forced.amIndex.value_or(o.amIndex);
    o.fmDeviation = forced.fmDeviation.value_or(o.fmDeviation);
    return o;
}

} // namespace sim
