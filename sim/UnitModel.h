// The simulated unit's behaviour: takes one request packet and gives the
// reply packet the unit would send, keeping the state of both receivers and
// of the unit in between. It knows nothing of bytes on a line (see
// PacketFramer) nor of timing (see SimulatedUnit).
#pragma once

#include "sim/FirmwareStore.h"
#include "sim/Packet.h"
#include "sim/ReceiverState.h"
#include "sim/SignalModel.h"
#include "sim/UnitOptions.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

// What a receiver reports in the status reply, before it is packed into bits.
struct ReceiverObservation {
    std::uint16_t rawRssi = 0;
    std::uint8_t amIndex = 0;     // percent
    std::uint8_t fmDeviation = 0; // percent
    std::uint32_t amRateHz = 0;   // what the AM counter reads
    bool lo1Locked = false;
    bool lo2Locked = false;
    std::optional<int> band; // band whose limits hold the tuned frequency
};

class UnitModel {
public:
    static constexpr std::uint32_t kSerialTypeCommandFirmware = 0x20180309;

    explicit UnitModel(UnitOptions options = {});

    // The reply to one request, or nothing when the unit does not understand it.
    std::optional<Packet> Handle(const Packet& request);

    const UnitOptions& Options() const { return options_; }

    // Receiver 0 or 1; other indices address receiver 0.
    ReceiverState& Receiver(int rx) { return receivers_[Index(rx)]; }
    const ReceiverState& Receiver(int rx) const { return receivers_[Index(rx)]; }
    UnitWideState& Unit() { return unit_; }
    const UnitWideState& Unit() const { return unit_; }

    std::uint16_t ReadRegister(int rx, int page, int reg) const;
    void WriteRegister(int rx, int page, int reg, std::uint16_t value);
    std::uint32_t FirmwareDate() const;
    std::uint8_t ExternalReferenceMHz() const;

    // The radio environment and the readings, for tests to steer.
    SignalModel& Signals() { return signals_; }
    const SignalModel& Signals() const { return signals_; }
    void SetCarriers(std::vector<Carrier> carriers) { signals_.SetCarriers(std::move(carriers)); }
    void ForceRawRssi(int rx, std::optional<std::uint16_t> raw);
    void ForceAmIndex(int rx, std::optional<std::uint8_t> percent);
    void ForceFmDeviation(int rx, std::optional<std::uint8_t> percent);
    // Models the unit switching AGC zero on or off by itself; the next
    // configuration word sets it back to what the host commands.
    void SetAgcZeroActive(int rx, bool active);
    void SetDiscretes(std::uint8_t lines) { unit_.discretes = lines & 0x1F; }
    void SetEepromForced(bool forced) { unit_.eepromForced = forced; }
    void SetDipSwitches(std::uint8_t switches) { unit_.dipSwitches = switches; }
    // The switch lines the unit reports and boots with come from EEPROM.
    bool SwitchesInEeprom() const { return unit_.eepromForced || unit_.preferEeprom; }
    // What is wired to the reference input, MHz; 0 = nothing.
    void SetExternalReferenceSource(std::uint8_t mhz) { unit_.externalReferenceSourceMHz = mhz; }
    void SetHistory(int item, std::int16_t value);

    ReceiverObservation Observe(int rx) const;
    bool ReferencePllSynchronised() const;
    // The band that holds the frequency, trying `preferred` first and then the next ones.
    std::optional<int> BandHolding(int rx, std::uint64_t frequencyHz, int preferred) const;
    BandCalibration Calibration(int rx, int band) const;

    const FirmwareStore& Firmware() const { return firmware_; }
    const std::optional<FirmwareImage>& LastCommittedImage() const {
        return firmware_.LastCommitted();
    }

private:
    using Args = std::array<std::uint8_t, 3>;
    using PacketHandler = std::optional<Packet> (UnitModel::*)(const Packet&);
    using ShortHandler = Args (UnitModel::*)(int rx, const Args&);

    static int Index(int rx) { return rx == 1 ? 1 : 0; }
    static const std::array<ShortHandler, 32>& ShortHandlers();

    // Packet types.
    std::optional<Packet> OnLinkTest(const Packet& request);
    std::optional<Packet> OnStatusPoll(const Packet& request);
    std::optional<Packet> OnConfigurationWord(const Packet& request);
    std::optional<Packet> OnFirmwareBlock(const Packet& request);
    std::optional<Packet> OnShortCommand(const Packet& request);

    // Short commands, by command byte.
    Args OnUnitCommand(int rx, const Args& a);        // 0x00
    Args OnRegisterAccess(int rx, const Args& a);     // 0x10
    Args OnDagcMode(int rx, const Args& a);           // 0x20
    Args OnAmFilterEntry(int rx, const Args& a);      // 0x30
    Args OnAmCounter(int rx, const Args& a);          // 0x38
    Args OnExternalReference(int rx, const Args& a);  // 0x40
    Args OnUnitStatus(int rx, const Args& a);         // 0x48
    Args OnDagcRangeSelect(int rx, const Args& a);    // 0x58
    Args OnAmGain(int rx, const Args& a);             // 0x68
    Args OnDagcLimits(int rx, const Args& a);         // 0x70
    Args OnDagcVoltages(int rx, const Args& a);       // 0x78
    Args OnVideoGain(int rx, const Args& a);          // 0x80
    Args OnReadBack(int rx, const Args& a);           // 0x90
    Args OnCommitFirmware(int rx, const Args& a);     // 0x98
    Args OnRssiAveraging(int rx, const Args& a);      // 0xB8
    Args OnAttenuators(int rx, const Args& a);        // 0xC0
    Args OnHistory(int rx, const Args& a);            // 0xC8
    Args OnBootSerialSettings(int rx, const Args& a); // 0xF8

    bool LineariseBand(int rx, int band);
    Args DagcReport(const ReceiverState& r) const;

    struct SignalOverrides {
        std::optional<std::uint16_t> rawRssi;
        std::optional<std::uint8_t> amIndex;
        std::optional<std::uint8_t> fmDeviation;
    };

    UnitOptions options_;
    std::array<ReceiverState, 2> receivers_;
    UnitWideState unit_;
    SignalModel signals_;
    std::array<SignalOverrides, 2> overrides_;
    FirmwareStore firmware_;
};

} // namespace sim
