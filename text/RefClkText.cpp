#include "text/RefClkText.h"

#include "text/NumberText.h"

#include <cmath>
#include <cstdio>
#include <string_view>

namespace vx {
namespace {

constexpr std::string_view kCelsius = "\u00B0C";
constexpr std::string_view kFahrenheit = "\u00B0F";
constexpr unsigned kAttenuatorCodeMask = 0x3F;

// printf's "%d <unit>".
std::string IntegerWithUnit(long value, std::string_view unit) {
    return std::to_string(value) + " " + std::string(unit);
}

} // namespace

std::string CelsiusText(std::int16_t celsius) {
    return IntegerWithUnit(celsius, kCelsius);
}

int CelsiusToFahrenheit(std::int16_t celsius) {
    // C x 9 / 5 is a multiple of 0.2, so the sum never lies halfway between
    // two whole degrees; rounding it is exact in both directions of zero.
    return static_cast<int>(std::lround(celsius * 9.0 / 5.0 + 32.0));
}

std::string FahrenheitText(std::int16_t celsius) {
    return IntegerWithUnit(CelsiusToFahrenheit(celsius), kFahrenheit);
}

std::string VoltsText(double volts) {
    return IntegerWithUnit(static_cast<long>(std::trunc(volts)), "V");
}

std::string AmperesText(double amperes) {
    return IntegerWithUnit(static_cast<long>(std::trunc(amperes)), "A");
}

std::string AttenuatorLevelText(unsigned code) {
    return FormatDouble((code & kAttenuatorCodeMask) * 0.5 - 31.5, 1);
}

std::string FirmwareVersionText(plat::DWORD dateCode) {
    char text[16];
    std::snprintf(text, sizeof text, "%8.8X", static_cast<unsigned>(dateCode));
    return text;
}

const char* SwitchGroupTitle(SwitchMode mode) {
    return mode == SwitchMode::Vx18p3 ? "VX18P3 Switch and Discrete Lines"
                                      : "VX18D Switch and Discrete Lines";
}

std::array<const char*, 8> SwitchLineNames(SwitchMode mode, bool switchesInEeprom) {
    if (mode == SwitchMode::Vx18p3)
        return {"Auto Boot", "Demo Mode", "Ext Ref Slave", "Force RS232",
                "(none)",    "(none)",    "(none)",        "(none)"};
    return {"Reflash",
            "Demo Mode",
            "Ext Ref Slave",
            "Dip SW4",
            switchesInEeprom ? "Obsolete" : "Force RS232",
            "Dip SW6",
            "Boot Mode",
            "Boot Mode"};
}

const char* BootModeText(SwitchMode mode, bool sw27, bool sw28) {
    if (mode == SwitchMode::Vx18p3)
        return "";
    if (sw27)
        return sw28 ? "Delete All Setups" : "Setup From EEPROM";
    return sw28 ? "Setup From Discretes" : "No Setup";
}

const char* InternalReferenceCaption(bool on) {
    return on ? "Internal Reference Clock On" : "Internal Reference Clock Off";
}

const char* SerialTypeCaption(plat::DWORD type) {
    switch (type) {
    case 0:
        return "RS232";
    case 1:
        return "RS422";
    default:
        return "unknown";
    }
}

} // namespace vx
