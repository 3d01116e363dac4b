#include "ui/refclk/SwitchWord.h"

namespace vx::ui {
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

plat::WORD SwitchWordToggling(const SwitchReport& report, unsigned line) {
    plat::WORD word = ReportedLines(report);
    if (line < 8)
        word ^= static_cast<plat::WORD>(1u << line);
    if (report.eepromForced)
        word |= kEepromForced;
    return static_cast<plat::WORD>(word | kPreferEeprom);
}

plat::WORD SwitchWordTogglingPreference(const SwitchReport& report) {
    const plat::WORD word = ReportedLines(report);
    if (report.eepromForced)
        return static_cast<plat::WORD>(word | kPreferEeprom | kEepromForced);
    return report.preferEeprom ? word : static_cast<plat::WORD>(word | kPreferEeprom);
}

} // namespace vx::ui
