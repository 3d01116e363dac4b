// The switch word that the reference clock page writes to the unit: the eight
// switch lines in bits 0 to 7, the EEPROM preference in bit 13, and the
// forced-EEPROM and companion-board flags in bits 14 and 15, copied from the
// unit's last report. The word is always built from the cached report, never
// from the state of a check box.
#pragma once

#include "platform/Win32Types.h"

namespace vx::ui {

// The unit's last report of its switch lines and flags.
struct SwitchReport {
    plat::BOOL switches[8] = {};
    plat::BOOL companionBoard = 0;
    plat::BOOL eepromForced = 0;
    plat::BOOL preferEeprom = 0;
};

// Line SW2.(line + 1) toggled, the others as reported; the preference bit
// set, as the switches can only be changed while they are kept in EEPROM.
plat::WORD SwitchWordToggling(const SwitchReport& report, unsigned line);

// The EEPROM preference toggled, the lines as reported. With storing in
// EEPROM fixed on, the preference stays set.
plat::WORD SwitchWordTogglingPreference(const SwitchReport& report);

} // namespace vx::ui
