// The short commands of the simulated unit (packet type 0x01 0x10): one
// handler per command number. A handler gets the three argument bytes and
// returns the three result bytes; the command byte is echoed by the caller.
#include "sim/ReceiverCodec.h"
#include "sim/UnitModel.h"

#include <algorithm>

namespace sim {

namespace {

constexpr std::uint8_t Low(unsigned v) {
    return v & 0xFF;
}
constexpr std::uint8_t High(unsigned v) {
    return (v >> 8) & 0xFF;
}
constexpr std::int8_t Signed(std::uint8_t b) {
    return static_cast<std::int8_t>(b);
}

// Command 0x00 unit command numbers.
constexpr std::uint8_t kLineariseBand = 20;
// Command 0x10: the top two bits of the first argument choose the access.
constexpr std::uint8_t kRegisterSelectPage = 0x00;
constexpr std::uint8_t kRegisterRead = 0x40;
constexpr std::uint8_t kRegisterWrite = 0x80;
// Command 0x48 write flag, 0x68 and 0x80 sub-commands, 0x98 confirmation, 0xF8 items.
constexpr std::uint8_t kUnitStatusWrite = 0x80;
constexpr std::uint8_t kAmGainSet = 3;
constexpr std::uint8_t kAmGainRead = 4;
constexpr std::uint8_t kVideoGainSet = 1;
constexpr std::uint8_t kVideoGainRead = 2;
constexpr std::uint8_t kCommitConfirm = 0xFF;
constexpr std::uint8_t kBootBaudRate = 0;
constexpr std::uint8_t kBootSerialType = 5;
constexpr std::uint8_t kAmGainMax = 99;
constexpr std::uint16_t kVideoGainMax = 0x3FFF;

} // namespace

const std::array<UnitModel::ShortHandler, 32>& UnitModel::ShortHandlers() {
    static const std::array<ShortHandler, 32> table = [] {
        std::array<ShortHandler, 32> t{};
        auto add = [&t](std::uint8_t commandByte, ShortHandler h) { t[commandByte >> 3] = h; };
        add(0x00, &UnitModel::OnUnitCommand);
        add(0x10, &UnitModel::OnRegisterAccess);
        add(0x20, &UnitModel::OnDagcMode);
        add(0x30, &UnitModel::OnAmFilterEntry);
        add(0x38, &UnitModel::OnAmCounter);
        add(0x40, &UnitModel::OnExternalReference);
        add(0x48, &UnitModel::OnUnitStatus);
        add(0x58, &UnitModel::OnDagcRangeSelect);
        add(0x68, &UnitModel::OnAmGain);
        add(0x70, &UnitModel::OnDagcLimits);
        add(0x78, &UnitModel::OnDagcVoltages);
        add(0x80, &UnitModel::OnVideoGain);
        add(0x90, &UnitModel::OnReadBack);
        add(0x98, &UnitModel::OnCommitFirmware);
        add(0xB8, &UnitModel::OnRssiAveraging);
        add(0xC0, &UnitModel::OnAttenuators);
        add(0xC8, &UnitModel::OnHistory);
        add(0xF8, &UnitModel::OnBootSerialSettings);
        return t;
    }();
    return table;
}

UnitModel::Args UnitModel::OnUnitCommand(int rx, const Args& a) {
    if (a[0] != kLineariseBand) {
        return {0, 0, 0};
    }
    const bool done = LineariseBand(rx, a[1]);
    return {kLineariseBand, a[1], done ? std::uint8_t{1} : std::uint8_t{0}};
}

bool UnitModel::LineariseBand(int rx, int band) {
    if (band < 0 || band > 3) {
        return false;
    }
    ReceiverState& r = Receiver(rx);
    const bool defined = r.registers.Read(0, regs::BandLow(band)) != 0 &&
                         r.registers.Read(0, regs::BandHigh(band)) != 0;
    const bool possible = defined && !r.linearisationUnavailable[band];
    r.registers.Write(regs::LockoutPage(band), regs::kLockoutRegister, possible ? 0 : 1);
    if (possible) {
        ++r.linearisations[band];
    }
    return possible;
}

UnitModel::Args UnitModel::OnRegisterAccess(int rx, const Args& a) {
    RegisterFile& file = Receiver(rx).registers;
    const int low = a[0] & 0x3F;
    switch (a[0] & 0xC0) {
    case kRegisterSelectPage:
        file.SelectPage(low);
        return {static_cast<std::uint8_t>(file.SelectedPage()), 0, 0};
    case kRegisterRead: {
        const std::uint16_t v = file.ReadSelected(low);
        return {a[0], Low(v), High(v)};
    }
    case kRegisterWrite: {
        file.WriteSelected(low, static_cast<std::uint16_t>(a[1] | (a[2] << 8)));
        const std::uint16_t v = file.ReadSelected(low);
        return {a[0], Low(v), High(v)};
    }
    default:
        return {0, 0, 0};
    }
}

UnitModel::Args UnitModel::OnDagcMode(int rx, const Args& a) {
    Receiver(rx).dagcMode = a[0] & 3;
    return {Receiver(rx).dagcMode, 0, 0};
}

UnitModel::Args UnitModel::OnAmFilterEntry(int rx, const Args& a) {
    const ReceiverState& r = Receiver(rx);
    if (a[1] >= r.amFilterHz.size()) {
        return {0, 0, 0};
    }
    const std::uint16_t v = r.amFilterHz[a[1]];
    return {0, Low(v), High(v)};
}

UnitModel::Args UnitModel::OnAmCounter(int rx, const Args&) {
    const std::uint32_t hz = std::min<std::uint32_t>(Observe(rx).amRateHz, 0x1FFFF);
    return {Low(hz), High(hz), static_cast<std::uint8_t>((hz >> 16) & 1)};
}

UnitModel::Args UnitModel::OnExternalReference(int, const Args& a) {
    RegisterFile& file = Receiver(0).registers;
    const std::uint16_t old = file.Read(0, regs::kExternalReferenceMHz);
    file.Write(0, regs::kExternalReferenceMHz, static_cast<std::uint16_t>((old & 0xFF00) | a[1]));
    return {0, ExternalReferenceMHz(), 0};
}

UnitModel::Args UnitModel::OnUnitStatus(int, const Args& a) {
    if (a[0] == kUnitStatusWrite) {
        // Written flags sit in the high byte of the switch word: bit 13 (prefer
        // EEPROM) is bit 5 here. The companion board and forced-EEPROM bits
        // describe the hardware and are not changed by a write. The switch
        // bits land in EEPROM only while it stands in for the DIP switches.
        unit_.preferEeprom = (a[1] >> 5) & 1;
        if (SwitchesInEeprom()) {
            unit_.eepromSwitches = a[2];
        }
    }
    const std::uint8_t flags = static_cast<std::uint8_t>((options_.companionBoard ? 0x80 : 0) |
                                                         (unit_.eepromForced ? 0x40 : 0) |
                                                         (unit_.preferEeprom ? 0x20 : 0));
    return {flags, SwitchesInEeprom() ? unit_.eepromSwitches : unit_.dipSwitches,
            static_cast<std::uint8_t>(unit_.discretes & 0x1F)};
}

UnitModel::Args UnitModel::DagcReport(const ReceiverState& r) const {
    return EncodeReadBackGroup(r, unit_, 4);
}

UnitModel::Args UnitModel::OnDagcRangeSelect(int rx, const Args& a) {
    ReceiverState& r = Receiver(rx);
    if (const std::optional<DagcRange> range = FindDagcRange(a[1])) {
        r.dagc = DagcState{kDagcLowestDbm, kDagcHighestDbm, range->startVoltage, range->endVoltage,
                           range->code};
    }
    return DagcReport(r);
}

UnitModel::Args UnitModel::OnAmGain(int rx, const Args& a) {
    ReceiverState& r = Receiver(rx);
    if (a[0] == kAmGainSet) {
        r.amGain = std::min(a[1], kAmGainMax);
    } else if (a[0] != kAmGainRead) {
        return {0, 0, 0};
    }
    return {a[0], r.amGain, 0};
}

UnitModel::Args UnitModel::OnDagcLimits(int rx, const Args& a) {
    DagcState& d = Receiver(rx).dagc;
    std::int8_t lower = std::max(Signed(a[0]), kDagcLowestDbm);
    std::int8_t upper = std::min(Signed(a[1]), kDagcHighestDbm);
    if (lower >= upper) {
        lower = std::min<std::int8_t>(lower, kDagcHighestDbm - 1);
        upper = static_cast<std::int8_t>(lower + 1);
    }
    d.lowerDbm = lower;
    d.upperDbm = upper;
    return EncodeReadBackGroup(Receiver(rx), unit_, 3);
}

UnitModel::Args UnitModel::OnDagcVoltages(int rx, const Args& a) {
    DagcState& d = Receiver(rx).dagc;
    d.startVoltage = std::clamp<std::int8_t>(Signed(a[0]), -kDagcVoltageLimit, kDagcVoltageLimit);
    d.endVoltage = std::clamp<std::int8_t>(Signed(a[1]), -kDagcVoltageLimit, kDagcVoltageLimit);
    d.rangeCode = DagcRangeCodeFor(d.startVoltage, d.endVoltage);
    return DagcReport(Receiver(rx));
}

UnitModel::Args UnitModel::OnVideoGain(int rx, const Args& a) {
    ReceiverState& r = Receiver(rx);
    if (a[0] == kVideoGainSet) {
        r.videoGain = static_cast<std::uint16_t>((a[1] | (a[2] << 8)) & kVideoGainMax);
    } else if (a[0] != kVideoGainRead) {
        return {0, 0, 0};
    }
    return {a[0], Low(r.videoGain), High(r.videoGain)};
}

UnitModel::Args UnitModel::OnReadBack(int rx, const Args& a) {
    return EncodeReadBackGroup(Receiver(rx), unit_, a[0]);
}

UnitModel::Args UnitModel::OnCommitFirmware(int, const Args& a) {
    if (a[0] != kCommitConfirm) {
        return {0, 0, 0};
    }
    return {firmware_.Commit() ? std::uint8_t{1} : std::uint8_t{0}, 0, 0};
}

UnitModel::Args UnitModel::OnRssiAveraging(int rx, const Args& a) {
    Receiver(rx).rssiAveraging = a[0] & 3;
    return {Receiver(rx).rssiAveraging, 0, 0};
}

UnitModel::Args UnitModel::OnAttenuators(int, const Args& a) {
    // Bit 7 of a DC's byte says the host is setting that DC; bit 1 of the
    // third byte says it is setting the on-at-boot flag.
    for (int dc = 0; dc < 2; ++dc) {
        if (a[dc] & 0x80) {
            unit_.attenuators[dc] =
                AttenuatorState{static_cast<std::uint8_t>(a[dc] & 0x3F), ((a[dc] >> 6) & 1) != 0};
        }
    }
    if (a[2] & 0x02) {
        unit_.attenuatorsAtBoot = a[2] & 0x01;
    }
    auto report = [](const AttenuatorState& s) {
        return static_cast<std::uint8_t>((s.code & 0x3F) | (s.freeze ? 0x40 : 0));
    };
    return {report(unit_.attenuators[0]), report(unit_.attenuators[1]),
            static_cast<std::uint8_t>(unit_.attenuatorsAtBoot ? 1 : 0)};
}

UnitModel::Args UnitModel::OnHistory(int, const Args& a) {
    if (a[0] >= unit_.history.size()) {
        return {0, 0, 0};
    }
    const auto v = static_cast<std::uint16_t>(unit_.history[a[0]]);
    return {a[0], Low(v), High(v)};
}

UnitModel::Args UnitModel::OnBootSerialSettings(int, const Args& a) {
    if (a[0] == kBootBaudRate) {
        const auto hundreds = static_cast<std::uint16_t>(a[1] | ((a[2] & 0x07) << 8));
        Receiver(0).registers.Write(0, regs::kBootBaudHundreds, hundreds);
        return {kBootBaudRate, Low(hundreds), High(hundreds)};
    }
    // Firmware before this date keeps the serial type only in its register.
    if (a[0] == kBootSerialType && FirmwareDate() >= kSerialTypeCommandFirmware) {
        Receiver(1).registers.Write(0, regs::kBootSerialType, a[1] & 1);
        return {kBootSerialType, static_cast<std::uint8_t>(a[1] & 1), 0};
    }
    return {0, 0, 0};
}

} // namespace sim
