// The settings of `vx18dctl unit NAME=VALUE ...`: each one a control of the
// reference clock page (internal reference, switch lines and the EEPROM
// preference, ID LEDs, front-end attenuators, boot serial settings, band
// linearisation). As for the receiver settings: parsed, then checked
// against the unit for all of them, then sent as the page's handler sends.
#pragma once

#include "protocol/CVX18D3_Comm.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::cli {

struct UnitAction {
    enum class Kind {
        InternalReference,
        Switch,
        EepromPreference,
        IdLed,
        Attenuator,
        AttenuatorFreeze,
        AttenuatorsAtBoot,
        BootBaudRate,
        BootSerialType,
        LineariseBand,
    };
    Kind kind = Kind::InternalReference;
    std::string text;        // NAME=VALUE as given
    unsigned which = 0;      // switch line 0-7, LED 0-3, DC 0-1
    std::uint32_t value = 0; // flag, attenuator code, baud rate, type, band 0-3
};

UnitAction ParseUnitSetting(std::string_view text);
void CheckUnitAction(const UnitAction& action, const CVX18D3_Comm& comm);
bool ApplyUnitAction(const UnitAction& action, CVX18D3_Comm& comm);
std::string UnitSettingsHelp();

// The switch word the page writes: switch bits 0-7, bit 13 the EEPROM
// preference, 14 and 15 the unit's own flags from the cache.
WORD SwitchWord(const CVX18D3_Comm& comm, unsigned changedLine, bool on);
WORD EepromPreferenceWord(const CVX18D3_Comm& comm, bool prefer);

} // namespace vx::cli
