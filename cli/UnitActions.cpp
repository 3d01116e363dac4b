#include "cli/UnitActions.h"

#include "cli/ExitStatus.h"
#include "cli/SettingSupport.h"
#include "cli/ValueParsers.h"
#include "settings/SettingsTables.h"
#include "unit/SwitchWord.h"

#include <array>
#include <cstdio>

namespace vx::cli {
namespace {

using Kind = UnitAction::Kind;

constexpr unsigned kLevelsPerCode = 5;                    // 0.5 dB a code, in tenths
constexpr std::int64_t kLowestLevelTenths = -315;         // code 0 is -31.5 dB
constexpr std::int64_t kHighestLevelTenths = 0;           // code 63 is 0 dB
constexpr std::uint32_t kHighestBootBaudHundreds = 0x7FF; // 11 bits of hundreds

struct SettingSpec {
    std::string_view name; // a trailing '#' stands for the line, LED or DC number
    Kind kind;
    unsigned firstNumber;
    unsigned lastNumber;
    std::string_view allowed;
};

constexpr std::array<SettingSpec, 10> kSettings{{
    {"intref", Kind::InternalReference, 0, 0, "on or off (internal reference clock)"},
    {"sw#", Kind::Switch, 1, 8, "on or off (switch lines SW2.1 to SW2.8: sw1 ... sw8)"},
    {"eeprom-pref", Kind::EepromPreference, 0, 0, "on or off (prefer to store in EEPROM)"},
    {"led#", Kind::IdLed, 0, 3, "on or off (companion board ID LEDs led0 ... led3)"},
    {"att#", Kind::Attenuator, 1, 2,
     "a code 0 to 63, or a level -31.5dB to 0dB in 0.5 dB steps (att1, att2; sets freeze)"},
    {"freeze#", Kind::AttenuatorFreeze, 1, 2, "on or off (attenuator freeze: freeze1, freeze2)"},
    {"att-at-boot", Kind::AttenuatorsAtBoot, 0, 0, "on or off (attenuators applied at boot)"},
    {"boot-baud", Kind::BootBaudRate, 0, 0,
     "300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600 or 115200"},
    {"boot-serial", Kind::BootSerialType, 0, 0, "rs232 or rs422"},
    {"linearise", Kind::LineariseBand, 0, 0, "DC:BAND, DC 1 or 2 and BAND 1 to 4 (e.g. 1:3)"},
}};

const SettingSpec& SpecOf(Kind kind) {
    for (const SettingSpec& spec : kSettings) {
        if (spec.kind == kind)
            return spec;
    }
    return kSettings[0];
}

[[noreturn]] void Refuse(const UnitAction& action, const std::string& why) {
    RefuseSetting(action.text, why);
}

[[noreturn]] void NotAllowed(const UnitAction& action) {
    SettingNotAllowed(action.text, SpecOf(action.kind).allowed);
}

// Matches a name against a spec, taking the number where the spec has '#'.
bool Matches(const SettingSpec& spec, std::string_view name, unsigned& number) {
    if (spec.name.back() != '#')
        return SameText(spec.name, name);
    const std::string_view stem = spec.name.substr(0, spec.name.size() - 1);
    if (name.size() <= stem.size() || !SameText(name.substr(0, stem.size()), stem))
        return false;
    const auto n = ParseInteger(name.substr(stem.size()), spec.firstNumber, spec.lastNumber);
    if (!n)
        return false;
    number = static_cast<unsigned>(*n);
    return true;
}

bool BootBaudCarried(std::int64_t rate) {
    return IsListedBaudRate(static_cast<std::uint32_t>(rate)) && rate % 100 == 0 &&
           rate / 100 <= kHighestBootBaudHundreds;
}

std::optional<std::uint32_t> AttenuatorCode(std::string_view value) {
    const auto [number, unit] = SplitUnit(value);
    if (unit.empty()) {
        const auto code = ParseInteger(value, 0, 63);
        return code ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*code))
                    : std::nullopt;
    }
    if (!SameText(unit, "dB") && !SameText(unit, "dBm"))
        return std::nullopt;
    // The range first: the arithmetic below is only for levels the attenuator has.
    const auto tenths = ParseTenths(number);
    if (!tenths || *tenths < kLowestLevelTenths || *tenths > kHighestLevelTenths ||
        (*tenths - kLowestLevelTenths) % kLevelsPerCode != 0)
        return std::nullopt;
    return static_cast<std::uint32_t>((*tenths - kLowestLevelTenths) / kLevelsPerCode);
}

} // namespace

WORD SwitchWord(const CVX18D3_Comm& comm, unsigned changedLine, bool on) {
    return SwitchWordSetting(CachedSwitchReport(comm), changedLine, on);
}

WORD EepromPreferenceWord(const CVX18D3_Comm& comm, bool prefer) {
    return SwitchWordSettingPreference(CachedSwitchReport(comm), prefer);
}

UnitAction ParseUnitSetting(std::string_view text) {
    UnitAction action;
    action.text = std::string(text);
    const std::size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const SettingSpec* spec = nullptr;
    for (const SettingSpec& candidate : kSettings) {
        if (Matches(candidate, name, action.which))
            spec = &candidate;
    }
    if (!spec || equals == std::string_view::npos)
        throw UsageError(std::string(text) +
                         ": not a unit setting NAME=VALUE; see vx18dctl unit --help");
    action.kind = spec->kind;
    const std::string_view value = text.substr(equals + 1);

    switch (action.kind) {
    case Kind::InternalReference:
    case Kind::Switch:
    case Kind::EepromPreference:
    case Kind::IdLed:
    case Kind::AttenuatorFreeze:
    case Kind::AttenuatorsAtBoot: {
        const auto on = ParseOnOff(value);
        if (!on)
            NotAllowed(action);
        action.value = *on;
        break;
    }
    case Kind::Attenuator: {
        const auto code = AttenuatorCode(value);
        if (!code)
            NotAllowed(action);
        action.value = *code;
        break;
    }
    case Kind::BootBaudRate: {
        const auto rate = ParseInteger(value, 1, 10'000'000);
        if (!rate || !BootBaudCarried(*rate))
            NotAllowed(action);
        action.value = static_cast<std::uint32_t>(*rate);
        break;
    }
    case Kind::BootSerialType:
        if (SameText(value, "rs232"))
            action.value = 0;
        else if (SameText(value, "rs422"))
            action.value = 1;
        else
            NotAllowed(action);
        break;
    case Kind::LineariseBand: {
        const std::size_t colon = value.find(':');
        const auto dc = ParseInteger(value.substr(0, colon), 1, 2);
        const auto band = colon == std::string_view::npos
                              ? std::nullopt
                              : ParseInteger(value.substr(colon + 1), 1, 4);
        if (!dc || !band)
            NotAllowed(action);
        action.which = static_cast<unsigned>(*dc);
        action.value = static_cast<std::uint32_t>(*band - 1);
        break;
    }
    }
    // Lines, LEDs and DCs count from 0 inside; the names count as the unit's labels do.
    if (action.kind == Kind::Switch || action.kind == Kind::Attenuator ||
        action.kind == Kind::AttenuatorFreeze || action.kind == Kind::LineariseBand)
        action.which -= 1;
    return action;
}

void CheckUnitAction(const UnitAction& action, const CVX18D3_Comm& comm) {
    switch (action.kind) {
    case Kind::Switch:
        if (comm.m_bCompanionBoard || !(comm.m_bEepromForced || comm.m_bPreferEeprom))
            Refuse(action, "the switch lines can be set only when the unit keeps them in EEPROM "
                           "(eeprom-pref=on) and has no companion board");
        break;
    case Kind::EepromPreference:
        if (comm.m_bEepromForced)
            Refuse(action, "storing in EEPROM is fixed on in this unit");
        break;
    case Kind::IdLed:
        if (!comm.m_bCompanionBoard || comm.m_nIdLed[action.which] == 0 ||
            comm.m_nIdLed[action.which] > 2)
            Refuse(action, "the ID LEDs are on the companion board, which this unit does not have");
        break;
    case Kind::LineariseBand:
        if (comm.m_bLinearizeLocked[action.which][action.value])
            Refuse(action,
                   "this band of DC" + std::to_string(action.which + 1) + " cannot be linearised");
        break;
    default:
        break;
    }
}

bool ApplyUnitAction(const UnitAction& action, CVX18D3_Comm& comm) {
    const auto flag = static_cast<BOOL>(action.value != 0);
    bool ok = false;
    switch (action.kind) {
    case Kind::InternalReference:
        ok = comm.SetInternalReference(flag, 0);
        break;
    case Kind::Switch:
        ok = comm.WriteSwitches(SwitchWord(comm, action.which, flag), 1);
        break;
    case Kind::EepromPreference:
        ok = comm.WriteSwitches(EepromPreferenceWord(comm, flag), 1);
        break;
    case Kind::IdLed:
        ok = Answered(comm, [&] { comm.SetIdLed(0, flag ? 2 : 1, action.which, 0); });
        break;
    case Kind::Attenuator:
        // As the spin control: the new code, frozen.
        ok = comm.SetAttenuator(action.which, static_cast<BYTE>(action.value), 1, 1);
        break;
    case Kind::AttenuatorFreeze:
        ok = comm.SetAttenuator(action.which, comm.m_nAttenuator[action.which], flag, 1);
        break;
    case Kind::AttenuatorsAtBoot:
        ok = comm.SetAttenuatorOnAtBoot(flag, 1);
        break;
    case Kind::BootBaudRate:
        ok = comm.SetBootBaudRate(action.value, 1);
        break;
    case Kind::BootSerialType:
        ok = comm.SetBootSerialType(action.value, 1);
        break;
    case Kind::LineariseBand:
        ok = comm.LinearizeBand(action.which, action.value, 0);
        break;
    }
    comm.MarkTraceBreak();
    return ok;
}

std::string UnitSettingsHelp() {
    std::string help;
    for (const SettingSpec& spec : kSettings) {
        std::string name(spec.name);
        if (name.back() == '#')
            name.back() = 'N';
        char line[400];
        std::snprintf(line, sizeof line, "  %-16s %.*s\n", name.c_str(),
                      static_cast<int>(spec.allowed.size()), spec.allowed.data());
        help += line;
    }
    return help;
}

} // namespace vx::cli
