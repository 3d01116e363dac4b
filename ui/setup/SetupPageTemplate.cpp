#include "ui/setup/SetupPageTemplate.h"

#include <algorithm>
#include <array>

namespace vx::ui::setup {
namespace {

using K = ControlKind;
constexpr int S = IDC_STATIC;
constexpr unsigned kCentred = kStyleAlignCenter;
constexpr unsigned kDigits = kStyleAlignCenter | kStyleDigitsOnly;

// Frames first, so that the controls lie above them. A drop-down list's
// height is that of its dropped list.
constexpr TemplateControl kControls[] = {
    // Frames (group box captions) at their template rectangles.
    {K::GroupBox, S, "", 7, 7, 330, 33},
    {K::GroupBox, S, "Tuning Frequency", 7, 43, 168, 70},
    {K::GroupBox, S, "Filter Selections", 179, 43, 114, 70},
    {K::GroupBox, S, "AM Settings", 297, 43, 116, 70},
    {K::GroupBox, S, "Video Out Gain", 341, 7, 123, 33},
    {K::GroupBox, IDC_SETUP_FRAME, "Setup #", 417, 43, 47, 33},
    {K::GroupBox, IDC_XDOUT_FRAME, "XDOUT", 417, 81, 47, 32},
    {K::GroupBox, S, "AGC / IF Output", 7, 116, 210, 39},
    {K::GroupBox, IDC_DAGC_MODE_FRAME, "DAGC Control Mode", 221, 116, 115, 39},
    {K::GroupBox, IDC_FM_POLARITY_FRAME, "FM Demodulator Polarity", 367, 116, 97, 33},
    {K::GroupBox, IDC_TLM2_FRAME, "TLM2 De-Emphasis", 367, 153, 97, 33},
    {K::GroupBox, S, "Host RSSI Averaging", 367, 190, 97, 50},
    {K::GroupBox, S, "DAGC Range Selection", 7, 158, 356, 94},

    // Top frame.
    {K::Label, IDC_RECEIVER_CAPTION, "Receiver #", 14, 11, 316, 26},

    // Tuning Frequency.
    {K::Edit, IDC_TUNING_EDIT, "", 13, 54, 80, 16, 0, 0, kStyleAlignRight},
    {K::Label, S, "MHz", 96, 58, 20, 8},
    {K::PushButton, IDC_TUNING_SEND, "Send", 122, 55, 46, 14},
    {K::Label, IDC_BAND1_RANGE, "Band 1 Range", 13, 73, 156, 8},
    {K::Label, IDC_BAND2_RANGE, "Band 2 Range", 13, 82, 156, 8},
    {K::Label, IDC_BAND3_RANGE, "Band 3 Range", 13, 91, 156, 8},
    {K::Label, IDC_BAND4_RANGE, "Band 4 Range", 13, 100, 156, 8},

    // Filter Selections.
    {K::Label, S, "IFBW Filter:", 185, 55, 100, 8},
    {K::DropDownList, IDC_IF_BANDWIDTH_LIST, "", 185, 64, 60, 90},
    {K::Label, S, "KHz", 249, 66, 20, 8},
    {K::Label, IDC_VIDEO_FILTER_LABEL, "Video Filter:", 185, 82, 100, 8},
    {K::DropDownList, IDC_VIDEO_FILTER_LIST, "", 185, 91, 60, 90},
    {K::Label, IDC_VIDEO_FILTER_UNIT, "KHz", 249, 93, 20, 8},

    // AM Settings.
    {K::Label, S, "AM Filter:", 303, 57, 41, 8},
    {K::DropDownList, IDC_AM_FILTER_LIST, "", 345, 55, 46, 140},
    {K::Label, S, "Hz", 394, 57, 14, 8},
    {K::Label, S, "AM Inverse:", 303, 75, 41, 8},
    {K::PushCheck, IDC_AM_INVERSE, "Inverted", 345, 73, 46, 14},
    {K::Label, S, "AM Gain:", 303, 93, 41, 8},
    {K::Edit, IDC_AM_GAIN_EDIT, "", 345, 91, 34, 14, 0, 0, kDigits},
    {K::UpDown, IDC_AM_GAIN_SPIN, "", 379, 91, 10, 14},

    // Video Out Gain.
    {K::Edit, IDC_VIDEO_GAIN_EDIT, "", 347, 19, 40, 14, 0, 0, kDigits},
    {K::PushButton, IDC_VIDEO_GAIN_SEND, "Send", 390, 19, 34, 14},
    {K::PushButton, IDC_VIDEO_GAIN_SAVE, "Save", 427, 19, 32, 14},

    // Setup # and XDOUT.
    {K::DropDownList, IDC_SETUP_LIST, "", 423, 56, 35, 120},
    {K::PushCheck, IDC_XDOUT, "OFF", 421, 94, 39, 14},

    // AGC / IF Output.
    {K::Label, S, "AGC Time Constant", 13, 127, 70, 8},
    {K::DropDownList, IDC_AGC_TIME_CONSTANT_LIST, "", 13, 137, 70, 100},
    {K::Label, S, "IF Output Mode", 87, 127, 84, 8},
    {K::PushCheck, IDC_IF_OUTPUT_MODE, "Digital AGC Out", 87, 137, 84, 14},
    {K::Label, S, "Freeze", 175, 127, 36, 8},
    {K::PushCheck, IDC_AGC_FREEZE, "OFF", 175, 137, 36, 14},

    // DAGC Control Mode.
    {K::PushRadio, IDC_DAGC_LINEAR, "Linear", 228, 133, 50, 14},
    {K::PushRadio, IDC_DAGC_CONSTANT, "Constant", 281, 133, 50, 14},

    // FM Demodulator Polarity, TLM2 De-Emphasis, Host RSSI Averaging.
    {K::PushCheck, IDC_FM_POLARITY, "Inverted", 374, 129, 83, 14},
    {K::PushCheck, IDC_TLM2, "Enabled", 374, 166, 83, 14},
    {K::PushRadio, IDC_NO_AVERAGING, "No Averaging", 374, 203, 83, 14},
    {K::PushRadio, IDC_FILTERED_AVERAGING, "Filtered Averaging", 374, 220, 83, 14},

    // DAGC Range Selection, in columns: the range radios; the voltages; the
    // dBm limits; the slope.
    {K::PushRadio, IDC_DEFAULT_RANGES, "Default Ranges", 13, 169, 83, 14},
    {K::CenteredLabel, IDC_DEFAULT_VOLTAGES, "0V  to  -4V", 100, 172, 99, 8},
    {K::CenteredLabel, IDC_DEFAULT_DBM, "-110 dBm  to  10 dBm", 204, 172, 101, 8},
    {K::CenteredLabel, IDC_DEFAULT_SLOPE, "-30 dBm/V", 309, 172, 50, 8},

    {K::PushRadio, IDC_PREDEFINED_RANGES, "Predefined Ranges", 13, 185, 83, 14},
    {K::DropDownList, IDC_PREDEFINED_LIST, "", 115, 185, 70, 110},
    {K::CenteredLabel, IDC_PREDEFINED_DBM, "-110 dBm  to  10 dBm", 204, 188, 101, 8},
    {K::CenteredLabel, IDC_PREDEFINED_SLOPE, "", 309, 188, 50, 8},

    {K::PushRadio, IDC_PROGRAMMABLE_RANGES, "Programmable Ranges", 13, 201, 83, 14},
    {K::RightLabel, IDC_START_VOLTAGE_LABEL, "Starting Voltage", 100, 204, 60, 8},
    {K::Edit, IDC_START_VOLTAGE_EDIT, "", 162, 202, 28, 12, 0, 0, kCentred},
    {K::UpDown, IDC_START_VOLTAGE_SPIN, "", 190, 202, 9, 12},
    {K::CenteredLabel, IDC_VOLTAGE_TO, "to", 162, 215, 28, 8},
    {K::RightLabel, IDC_END_VOLTAGE_LABEL, "Ending Voltage", 100, 228, 60, 8},
    {K::Edit, IDC_END_VOLTAGE_EDIT, "", 162, 226, 28, 12, 0, 0, kCentred},
    {K::UpDown, IDC_END_VOLTAGE_SPIN, "", 190, 226, 9, 12},
    {K::RightLabel, IDC_LOWER_DBM_LABEL, "Lower dBm Value", 204, 204, 62, 8},
    {K::Edit, IDC_LOWER_DBM_EDIT, "", 268, 202, 28, 12, 0, 0, kCentred},
    {K::UpDown, IDC_LOWER_DBM_SPIN, "", 296, 202, 9, 12},
    {K::CenteredLabel, IDC_DBM_TO, "to", 268, 215, 28, 8},
    {K::RightLabel, IDC_UPPER_DBM_LABEL, "Upper dBm Value", 204, 228, 62, 8},
    {K::Edit, IDC_UPPER_DBM_EDIT, "", 268, 226, 28, 12, 0, 0, kCentred},
    {K::UpDown, IDC_UPPER_DBM_SPIN, "", 296, 226, 9, 12},
    {K::CenteredLabel, IDC_PROGRAMMABLE_SLOPE, "-30 dBm/V", 309, 204, 50, 8},
    {K::PushButton, IDC_PROGRAMMABLE_SEND, "Send", 311, 225, 46, 14},

    {K::PushCheck, IDC_AGC_ZERO, "AGC Zero Off", 13, 233, 83, 14},
};

struct ControlTone {
    int id;
    TonePair tones;
};

// Commands whose result the page examines, the spins, and the setup list;
// every other control sounds the unexamined tone.
constexpr std::array<ControlTone, 11> kControlTones{{
    {IDC_SETUP_LIST, kToneSetupSelected},
    {IDC_TUNING_SEND, kToneByResult},
    {IDC_FM_POLARITY, kToneByResult},
    {IDC_TLM2, kToneByResult},
    {IDC_NO_AVERAGING, kToneByResult},
    {IDC_FILTERED_AVERAGING, kToneByResult},
    {IDC_AM_GAIN_SPIN, kToneSpinStep},
    {IDC_LOWER_DBM_SPIN, kToneSpinStep},
    {IDC_UPPER_DBM_SPIN, kToneSpinStep},
    {IDC_START_VOLTAGE_SPIN, kToneSpinStep},
    {IDC_END_VOLTAGE_SPIN, kToneSpinStep},
}};

} // namespace

std::span<const TemplateControl> SetupPageTemplate() {
    return kControls;
}

TonePair SetupTone(int id) {
    const auto it = std::find_if(kControlTones.begin(), kControlTones.end(),
                                 [id](const ControlTone& entry) { return entry.id == id; });
    return it == kControlTones.end() ? kToneUnexamined : it->tones;
}

} // namespace vx::ui::setup
