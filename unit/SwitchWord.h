// The switch word that the reference clock page writes to the unit: the eight
// switch lines in bits 0 to 7, the EEPROM preference in bit 13, and the
// forced-EEPROM and companion-board flags in bits 14 and 15, copied from the
// unit's last report. The word is always built from the cached report, never
// from the state of a check box.
#pragma once

#include "platform/Win32Types.h"

namespace vx {

class CVX18D3_Comm;

// The unit's last report of its switch lines and flags.
struct SwitchReport {
    plat::BOOL switches[8] = {};
    plat::BOOL companionBoard = 0;
    plat::BOOL eepromForced = 0;
    plat::BOOL preferEeprom = 0;
};

// The report as the protocol object last cached it.
SwitchReport CachedSwitchReport(const CVX18D3_Comm& comm);

// Line SW2.(line + 1) set on or off, the others as reported; the preference
// bit set, as the switches can only be changed while they are kept in EEPROM.
plat::WORD SwitchWordSetting(const SwitchReport& report, unsigned line, bool on);
// The same with the line toggled, as a click on its check box does.
plat::WORD SwitchWordToggling(const SwitchReport& report, unsigned line);

// The EEPROM preference set or cleared, the lines as reported. With storing
// in EEPROM fixed on, the preference stays set.
plat::WORD SwitchWordSettingPreference(const SwitchReport& report, bool prefer);
// The same with the preference toggled.
plat::WORD SwitchWordTogglingPreference(const SwitchReport& report);

} // namespace vx
