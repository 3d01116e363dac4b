#include "ui/refclk/RefClkPageTemplate.h"

#include "ui/IndicatorImages.h"

#include <vector>

namespace vx::ui {
namespace {

using K = ControlKind;
using Table = std::vector<TemplateControl>;

void AddFrames(Table& t) {
    t.push_back({K::GroupBox, IDC_STATIC, "Identity Values", 49, 7, 156, 44});
    t.push_back({K::GroupBox, IDC_STATIC, "Historical Ranges", 208, 7, 271, 44});
    t.push_back({K::GroupBox, IDC_SWITCH_GROUP, "Switch and Discrete Lines", 7, 53, 155, 129});
    t.push_back({K::GroupBox, IDC_ID_LED_GROUP, "VX18P3 ID LEDs", 166, 103, 127, 41});
    t.push_back({K::GroupBox, IDC_STATIC, "Linearize Bands", 166, 53, 175, 48});
    t.push_back(
        {K::GroupBox, IDC_ATTENUATOR_GROUP, "Front End Attenuator Control", 166, 146, 127, 82});
    t.push_back({K::GroupBox, IDC_STATIC, "Serial Comm", 345, 53, 80, 65});
    t.push_back(
        {K::GroupBox, IDC_STATIC, "External Reference Frequency Selection", 7, 184, 155, 44});
}

void AddReferenceClock(Table& t) {
    t.push_back({K::PushCheck, IDC_INTREF, "INTREF OFF", 7, 7, 39, 44, 0, 0, kStyleMultiline});
    static const char* const kCaptions[4] = {"5 MHz", "10 MHz", "20 MHz", "25 MHz"};
    for (int i = 0; i < 4; ++i) {
        // Indicators only: nothing on the page enables them.
        t.push_back({K::RadioButton, kExtRefRadioIds[i], kCaptions[i], 16 + 70 * (i % 2),
                     198 + 14 * (i / 2), 60, 10, 0, 0, kStyleDisabled});
    }
}

void AddIdentity(Table& t) {
    t.push_back({K::Label, IDC_STATIC, "Serial Number:", 55, 20, 78, 8});
    t.push_back({K::Label, IDC_SERIAL_NUMBER, "serial number", 135, 20, 66, 8});
    t.push_back({K::Label, IDC_STATIC, "DSP Firmware Version:", 55, 34, 78, 8});
    t.push_back({K::Label, IDC_FIRMWARE_VERSION, "dsp firmware ver", 135, 34, 66, 8});
}

// One range: the left value right-aligned against the dash, the right value
// left-aligned after it.
void AddRange(Table& t, RangeTextIds ids, int x, int y) {
    t.push_back({K::RightLabel, ids.left, "xxxxxxxx", x, y, 40, 8});
    t.push_back({K::CenteredLabel, IDC_STATIC, "-", x + 41, y, 6, 8});
    t.push_back({K::Label, ids.right, "xxxxxxxx", x + 48, y, 40, 8});
}

void AddHistoricalRanges(Table& t) {
    t.push_back({K::Label, IDC_STATIC, "Temperature:", 214, 18, 70, 8});
    AddRange(t, kCelsiusTexts, 286, 18);
    AddRange(t, kFahrenheitTexts, 378, 18);
    t.push_back({K::Label, IDC_STATIC, "Supply Voltage:", 214, 28, 70, 8});
    AddRange(t, kVoltsTexts, 286, 28);
    t.push_back({K::Label, IDC_STATIC, "Supply Amperage:", 214, 38, 70, 8});
    AddRange(t, kAmperesTexts, 286, 38);
}

void AddSwitchesAndDiscretes(Table& t) {
    static const char* const kSwitchLabels[8] = {"SW2.1", "SW2.2", "SW2.3", "SW2.4",
                                                 "SW2.5", "SW2.6", "SW2.7", "SW2.8"};
    static const char* const kLineNames[8] = {"1", "2", "3", "4", "5", "6", "7", "8"};
    for (int k = 0; k < 8; ++k) {
        // SW2.1 to SW2.4 on the left, SW2.5 to SW2.8 on the right; the line's
        // meaning under its check box.
        const int x = k < 4 ? 14 : 88;
        const int y = 63 + 18 * (k % 4);
        t.push_back({K::CheckBox, kSwitchCheckIds[k], "", x, y, 10, 10});
        t.push_back({K::Label, IDC_STATIC, kSwitchLabels[k], x + 12, y + 1, 30, 8});
        t.push_back({K::Label, kLineNameIds[k], kLineNames[k], x + 2, y + 9, 68, 8});
    }
    // The discrete lines in a row, each name over its check box.
    static const char* const kDiscreteLabels[5] = {"P3.7", "P3.8", "P3.9", "P3.10", "P3.11"};
    for (int i = 0; i < 5; ++i) {
        const int x = 12 + 28 * i;
        t.push_back({K::CenteredLabel, IDC_STATIC, kDiscreteLabels[i], x, 136, 26, 8});
        t.push_back(
            {K::CheckBox, kDiscreteCheckIds[i], "", x + 9, 144, 10, 10, 0, 0, kStyleDisabled});
    }
    t.push_back({K::Label, IDC_BOOT_MODE, "Boot Mode", 14, 159, 92, 8});
    t.push_back({K::PushButton, IDC_SWITCH_READ, "Read", 110, 156, 45, 14});
    t.push_back({K::CheckBox, IDC_PREFER_EEPROM, "Prefer to store in EEPROM", 14, 170, 130, 10});
}

void AddIdLeds(Table& t) {
    // LED 0 on the right, LED 3 on the left, each button under its LED; the
    // lit image lies on top of the unlit one.
    auto left = [](int led) { return 177 + 28 * (3 - led); };
    for (int led = 0; led < 4; ++led)
        t.push_back({K::Image, kIdLedUnlitIds[led], "", left(led) + 4, 113, 12, 12, IDB_LED_GREY});
    for (int led = 0; led < 4; ++led)
        t.push_back({K::Image, kIdLedLitIds[led], "", left(led) + 4, 113, 12, 12, IDB_LED_GREEN});
    static const char* const kCaptions[4] = {"0", "1", "2", "3"};
    for (int led = 0; led < 4; ++led)
        t.push_back({K::PushCheck, kIdLedButtonIds[led], kCaptions[led], left(led), 127, 20, 12});
}

void AddLinearizeBands(Table& t) {
    static const char* const kRows[2] = {"DC1:", "DC2:"};
    static const char* const kCaptions[4] = {"Band 1", "Band 2", "Band 3", "Band 4"};
    for (int rx = 0; rx < 2; ++rx) {
        const int y = 64 + 18 * rx;
        t.push_back({K::Label, IDC_STATIC, kRows[rx], 172, y + 3, 18, 8});
        for (int band = 0; band < 4; ++band)
            t.push_back({K::PushButton, kBandButtonIds[rx][band], kCaptions[band], 192 + 36 * band,
                         y, 34, 14});
    }
}

void AddAttenuators(Table& t) {
    static const char* const kRows[2] = {"DC1:", "DC2:"};
    static const char* const kFreeze[2] = {"Freeze DC1", "Freeze DC2"};
    for (int dc = 0; dc < 2; ++dc) {
        const int y = 158 + 16 * dc;
        t.push_back({K::Label, IDC_STATIC, kRows[dc], 172, y + 2, 16, 8});
        t.push_back({K::Edit, kAttenuatorCodeIds[dc], "", 190, y, 22, 12, 0, 0,
                     kStyleAlignCenter | kStyleDigitsOnly | kStyleReadOnly});
        t.push_back({K::UpDown, kAttenuatorSpinIds[dc], "", 212, y, 10, 12});
        t.push_back({K::ReadOnlyEdit, kAttenuatorLevelIds[dc], "", 226, y, 28, 12});
        t.push_back({K::Label, IDC_STATIC, "dBm", 257, y + 2, 18, 8});
        t.push_back({K::PushCheck, kFreezeIds[dc], kFreeze[dc], 172 + 60 * dc, 192, 55, 14});
    }
    t.push_back({K::PushButton, IDC_ATTENUATOR_READ, "Read", 172, 210, 55, 14});
    t.push_back({K::PushCheck, IDC_ATTENUATOR_AT_BOOT, "On At Boot", 232, 210, 55, 14});
}

void AddBootSerialSettings(Table& t) {
    t.push_back({K::Label, IDC_STATIC, "BAUD Rate at Boot", 351, 64, 70, 8});
    t.push_back({K::Edit, IDC_BOOT_BAUD, "", 351, 74, 40, 12, 0, 0, kStyleAlignCenter});
    t.push_back({K::PushButton, IDC_BOOT_BAUD_SEND, "Send", 394, 73, 26, 14});
    t.push_back({K::Label, IDC_STATIC, "Serial Comm Type", 351, 92, 70, 8});
    t.push_back({K::PushCheck, IDC_BOOT_SERIAL_TYPE, "RS232", 351, 102, 40, 13});
}

Table BuildTemplate() {
    Table t;
    // Frames first, so that the controls lie above them.
    AddFrames(t);
    AddReferenceClock(t);
    AddIdentity(t);
    AddHistoricalRanges(t);
    AddSwitchesAndDiscretes(t);
    AddIdLeds(t);
    AddLinearizeBands(t);
    AddAttenuators(t);
    AddBootSerialSettings(t);
    return t;
}

} // namespace

std::span<const TemplateControl> RefClkPageTemplate() {
    static const Table kTemplate = BuildTemplate();
    return kTemplate;
}

} // namespace vx::ui
