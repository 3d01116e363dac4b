// The texts of the reference clock page, built from the cached device state:
// the historical ranges, the attenuator level, the firmware version, the
// names of the switch lines in each mode, the boot mode and the captions of
// the reference clock and serial type buttons. Texts are UTF-8 ("°" is a real
// degree sign) and numbers always have a decimal point, whatever the
// desktop's language.
#pragma once

#include "platform/Win32Types.h"

#include <array>
#include <cstdint>
#include <string>

namespace vx {

// "%d °C".
std::string CelsiusText(std::int16_t celsius);
// "%d °F" of the Celsius value converted and rounded to the nearest degree
// (-40 °C is -40 °F, 41 °C is 106 °F).
std::string FahrenheitText(std::int16_t celsius);
int CelsiusToFahrenheit(std::int16_t celsius);
// "%d V" and "%d A" of the value truncated toward zero.
std::string VoltsText(double volts);
std::string AmperesText(double amperes);

// The attenuator level of a code, dBm: code x 0.5 - 31.5, as "%.1f". Only
// the low 6 bits of the code count.
std::string AttenuatorLevelText(unsigned code);
// The firmware date code as eight upper-case hexadecimal digits.
std::string FirmwareVersionText(plat::DWORD dateCode);

// Which board gives the switch lines their meaning.
enum class SwitchMode { Vx18d, Vx18p3 };
// The title of the "Switch and Discrete Lines" group.
const char* SwitchGroupTitle(SwitchMode mode);
// What each of the lines SW2.1 to SW2.8 does. In VX18D mode SW2.5 is obsolete
// once the switches are kept in EEPROM.
std::array<const char*, 8> SwitchLineNames(SwitchMode mode, bool switchesInEeprom);
// The boot mode that SW2.7 and SW2.8 select; empty in VX18P3 mode.
const char* BootModeText(SwitchMode mode, bool sw27, bool sw28);

const char* InternalReferenceCaption(bool on);
// "RS232" for 0, "RS422" for 1, "unknown" for anything else.
const char* SerialTypeCaption(plat::DWORD type);

} // namespace vx
