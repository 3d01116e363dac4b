// Template 137: the reference clock page's controls, their identifiers, and
// the tones of its handlers. The page is 498 by 244 dialog units; its groups
// are, left to right and top to bottom: the internal reference button,
// "Identity Values", "Historical Ranges", "Switch and Discrete Lines",
// "Linearize Bands", "Serial Comm", "VX18P3 ID LEDs", "Front End Attenuator
// Control" and "External Reference Frequency Selection".
#pragma once

#include "ui/DialogTemplate.h"
#include "ui/PageHandler.h"

#include <array>
#include <span>

namespace vx::ui {

inline constexpr int IDD_REFCLK = 137;
inline constexpr int kRefClkWidthDlu = 498;
inline constexpr int kRefClkHeightDlu = 244;

// Reference clock.
inline constexpr int IDC_INTREF = 1016;
// External reference frequency indicators and the frequency each stands for.
inline constexpr std::array<int, 4> kExtRefRadioIds{1057, 1058, 1059, 1060};
inline constexpr std::array<unsigned, 4> kExtRefMHz{5, 10, 20, 25};

// Identity values.
inline constexpr int IDC_SERIAL_NUMBER = 4503;
inline constexpr int IDC_FIRMWARE_VERSION = 4498;

// Historical ranges: each pair reads left value, dash, right value. The right
// text shows the first history item of a pair, the left text the second.
struct RangeTextIds {
    int left;
    int right;
};
inline constexpr RangeTextIds kCelsiusTexts{2028, 2027};
inline constexpr RangeTextIds kFahrenheitTexts{12974, 12973};
inline constexpr RangeTextIds kVoltsTexts{12976, 12975};
inline constexpr RangeTextIds kAmperesTexts{12978, 12977};

// Switch and discrete lines. Index k of the arrays is SW2.(k+1) or P3.(k+7).
inline constexpr int IDC_SWITCH_GROUP = 1035;
inline constexpr std::array<int, 8> kSwitchCheckIds{1013, 1014, 1015, 1017, 1018, 1019, 1020, 1021};
inline constexpr std::array<int, 8> kLineNameIds{1007, 1008, 1009, 1006, 1010, 1011, 1012, 1005};
inline constexpr std::array<int, 5> kDiscreteCheckIds{1022, 1023, 1024, 1025, 1026};
inline constexpr int IDC_SWITCH_READ = 1004;
inline constexpr int IDC_BOOT_MODE = 1045;
inline constexpr int IDC_PREFER_EEPROM = 1044;

// VX18P3 ID LEDs, index = LED number (LED 0 rightmost).
inline constexpr int IDC_ID_LED_GROUP = 1056;
inline constexpr std::array<int, 4> kIdLedUnlitIds{1031, 1032, 1033, 1034};
inline constexpr std::array<int, 4> kIdLedLitIds{1027, 1028, 1029, 1030};
inline constexpr std::array<int, 4> kIdLedButtonIds{1000, 1001, 1002, 1003};

// Linearize bands: [receiver][band].
inline constexpr std::array<std::array<int, 4>, 2> kBandButtonIds{{
    {1036, 1038, 1040, 1042},
    {1037, 1039, 1041, 1043},
}};

// Front-end attenuators, index = DC (0 = DC1, 1 = DC2).
inline constexpr int IDC_ATTENUATOR_GROUP = 3820;
inline constexpr std::array<int, 2> kAttenuatorSpinIds{16914, 16916};
inline constexpr std::array<int, 2> kAttenuatorCodeIds{16913, 16917};
inline constexpr std::array<int, 2> kAttenuatorLevelIds{16915, 16918};
inline constexpr std::array<int, 2> kFreezeIds{634, 635};
inline constexpr int IDC_ATTENUATOR_READ = 6640;
inline constexpr int IDC_ATTENUATOR_AT_BOOT = 636;
inline constexpr int kAttenuatorCodeMax = 63;

// Serial settings at boot.
inline constexpr int IDC_BOOT_BAUD = 10636;
inline constexpr int IDC_BOOT_BAUD_SEND = 10637;
inline constexpr int IDC_BOOT_SERIAL_TYPE = 10638;

std::span<const TemplateControl> RefClkPageTemplate();

// The tones of the page's handlers. Where the result is not known or not
// looked at, success and failure sound alike. Moving an attenuator spin
// sounds nothing.
struct RefClkTones {
    TonePair internalReference;
    TonePair externalReference;
    TonePair switchLines; // "Read", the switch check boxes, the EEPROM preference
    TonePair idLed;
    TonePair linearizeBand;
    TonePair unitSetting; // freeze, attenuator "Read", "On At Boot", boot serial settings
};

inline constexpr RefClkTones kRefClkTones{
    .internalReference = {{1000, 20}, kToneFailure},
    .externalReference = {{1000, 100}, {1000, 100}},
    .switchLines = {{1000, 10}, kToneFailure},
    .idLed = {{1000, 100}, {1000, 100}},
    .linearizeBand = {{1000, 10}, kToneFailure},
    .unitSetting = {{1000, 10}, {100, 20}},
};

} // namespace vx::ui
