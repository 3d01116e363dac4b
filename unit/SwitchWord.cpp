#include "unit/SwitchWord.h"

#include "protocol/CVX18D3_Comm.h"

namespace vx {
namespace {

constexpr plat::WORD kPreferEeprom = 1u << 13;
constexpr plat::WORD kEepromForced = 1u << 14;
constexpr plat::WORD kCompanionBoard = 1u << 15;

plat::WORD ReportedLines(const SwitchReport& report) {
    plat::WORD word = 0;
    for (unsigned i = 0; i < 8; ++i) {
        if (report.switches[i])
            word |= static_cast<plat::WORD>(1u << i);
    }
    if (report.companionBoard)
        word |= kCompanionBoard;
    return word;
}

} // namespace

SwitchReport CachedSwitchReport(const CVX18D3_Comm& comm) {
    SwitchReport report;
    for (unsigned i = 0; i < 8; ++i)
        report.switches[i] = comm.m_bSwitch[i];
    report.companionBoard = comm.m_bCompanionBoard;
    report.eepromForced = comm.m_bEepromForced;
    report.preferEeprom = comm.m_bPreferEeprom;
    return report;
}

plat::WORD SwitchWordSetting(const SwitchReport& report, unsigned line, bool on) {
    plat::WORD word = ReportedLines(report);
    if (line < 8) {
        const auto bit = static_cast<plat::WORD>(1u << line);
        word = static_cast<plat::WORD>(on ? word | bit : word & ~bit);
    }
    if (report.eepromForced)
        word |= kEepromForced;
    return static_cast<plat::WORD>(word | kPreferEeprom);
}

plat::WORD SwitchWordToggling(const SwitchReport& report, unsigned line) {
    return SwitchWordSetting(report, line, line < 8 && !report.switches[line]);
}

plat::WORD SwitchWordSettingPreference(const SwitchReport& report, bool prefer) {
    const plat::WORD word = ReportedLines(report);
    if (report.eepromForced)
        return static_cast<plat::WORD>(word | kPreferEeprom | kEepromForced);
    return prefer ? static_cast<plat::WORD>(word | kPreferEeprom) : word;
}

plat::WORD SwitchWordTogglingPreference(const SwitchReport& report) {
    return SwitchWordSettingPreference(report, !report.preferEeprom);
}

} // namespace vx
