// Template 132: the controls of the receiver setup page, frame by frame, and
// the tone each control's handler sounds. The identifiers are the page's own;
// some numbers also name controls of the main window, so look controls up
// within the page.
#pragma once

#include "ui/DialogTemplate.h"
#include "ui/PageHandler.h"

#include <span>

namespace vx::ui::setup {

inline constexpr int IDD_SETUP_PAGE = 132;
inline constexpr int kSetupPageWidthDlu = 485;
inline constexpr int kSetupPageHeightDlu = 295;

// Top frame.
inline constexpr int IDC_RECEIVER_CAPTION = 1089;
// Tuning Frequency.
inline constexpr int IDC_TUNING_EDIT = 1245;
inline constexpr int IDC_TUNING_SEND = 1049;
inline constexpr int IDC_BAND1_RANGE = 1274;
inline constexpr int IDC_BAND2_RANGE = 1295;
inline constexpr int IDC_BAND3_RANGE = 1276;
inline constexpr int IDC_BAND4_RANGE = 1296;
// Filter Selections.
inline constexpr int IDC_IF_BANDWIDTH_LIST = 3251;
inline constexpr int IDC_VIDEO_FILTER_LABEL = 1059;
inline constexpr int IDC_VIDEO_FILTER_LIST = 3252;
inline constexpr int IDC_VIDEO_FILTER_UNIT = 1060;
// AM Settings.
inline constexpr int IDC_AM_FILTER_LIST = 3253;
inline constexpr int IDC_AM_INVERSE = 1096;
inline constexpr int IDC_AM_GAIN_EDIT = 1540;
inline constexpr int IDC_AM_GAIN_SPIN = 1538;
// Video Out Gain.
inline constexpr int IDC_VIDEO_GAIN_EDIT = 1539;
inline constexpr int IDC_VIDEO_GAIN_SEND = 1105;
inline constexpr int IDC_VIDEO_GAIN_SAVE = 1112;
// Setup # and XDOUT.
inline constexpr int IDC_SETUP_FRAME = 3817;
inline constexpr int IDC_SETUP_LIST = 4357;
inline constexpr int IDC_XDOUT_FRAME = 1065;
inline constexpr int IDC_XDOUT = 1048;
// AGC / IF Output.
inline constexpr int IDC_AGC_TIME_CONSTANT_LIST = 3249;
inline constexpr int IDC_IF_OUTPUT_MODE = 1029;
inline constexpr int IDC_AGC_FREEZE = 1030;
// DAGC Control Mode.
inline constexpr int IDC_DAGC_MODE_FRAME = 1084;
inline constexpr int IDC_DAGC_LINEAR = 1053;
inline constexpr int IDC_DAGC_CONSTANT = 1054;
// FM Demodulator Polarity, TLM2 De-Emphasis, Host RSSI Averaging.
inline constexpr int IDC_FM_POLARITY_FRAME = 1057;
inline constexpr int IDC_FM_POLARITY = 1111;
inline constexpr int IDC_TLM2_FRAME = 1058;
inline constexpr int IDC_TLM2 = 1123;
inline constexpr int IDC_NO_AVERAGING = 1154;
inline constexpr int IDC_FILTERED_AVERAGING = 1168;
// DAGC Range Selection: the default row.
inline constexpr int IDC_DEFAULT_RANGES = 1036;
inline constexpr int IDC_DEFAULT_VOLTAGES = 1037;
inline constexpr int IDC_DEFAULT_DBM = 1041;
inline constexpr int IDC_DEFAULT_SLOPE = 1042;
// The predefined row.
inline constexpr int IDC_PREDEFINED_RANGES = 1038;
inline constexpr int IDC_PREDEFINED_LIST = 3254;
inline constexpr int IDC_PREDEFINED_DBM = 1040;
inline constexpr int IDC_PREDEFINED_SLOPE = 1043;
// The programmable row.
inline constexpr int IDC_PROGRAMMABLE_RANGES = 1039;
inline constexpr int IDC_START_VOLTAGE_EDIT = 1530;
inline constexpr int IDC_START_VOLTAGE_SPIN = 1529;
inline constexpr int IDC_START_VOLTAGE_LABEL = 1046;
inline constexpr int IDC_VOLTAGE_TO = 1052;
inline constexpr int IDC_END_VOLTAGE_EDIT = 1536;
inline constexpr int IDC_END_VOLTAGE_SPIN = 1533;
inline constexpr int IDC_END_VOLTAGE_LABEL = 1045;
inline constexpr int IDC_LOWER_DBM_EDIT = 1526;
inline constexpr int IDC_LOWER_DBM_SPIN = 1523;
inline constexpr int IDC_LOWER_DBM_LABEL = 1050;
inline constexpr int IDC_DBM_TO = 1051;
inline constexpr int IDC_UPPER_DBM_EDIT = 1528;
inline constexpr int IDC_UPPER_DBM_SPIN = 1527;
inline constexpr int IDC_UPPER_DBM_LABEL = 1047;
inline constexpr int IDC_PROGRAMMABLE_SLOPE = 1044;
inline constexpr int IDC_PROGRAMMABLE_SEND = 1104;
inline constexpr int IDC_AGC_ZERO = 3256;

std::span<const TemplateControl> SetupPageTemplate();

// Tones: a command whose result the page does not examine sounds the same
// tone either way.
inline constexpr TonePair kToneUnexamined{{1000, 50}, {1000, 50}};
inline constexpr TonePair kToneByResult{{1000, 10}, kToneFailure};
inline constexpr TonePair kToneSpinStep{{1000, 20}, kToneFailure};
inline constexpr TonePair kToneSetupSelected{{1000, 10}, {1000, 10}};

// The tone of a control's handler (the tuning Send's for Enter); the
// unexamined tone for a control that has none of its own.
TonePair SetupTone(int id);

} // namespace vx::ui::setup
