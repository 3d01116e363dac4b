// Template 102: the main window's controls. The upper part shows the live
// status of both receivers (receiver 1 on the left, receiver 2 on the right)
// with the reference clock, Status, Record and sample-rate controls between
// them; the lower part is the tab control over the frame that the pages fill.
#pragma once

#include "ui/DialogTemplate.h"

#include <array>
#include <span>

namespace vx::ui {

inline constexpr int IDD_VX18D_DIALOG = 102;
inline constexpr int kMainDialogWidthDlu = 511;
inline constexpr int kMainDialogHeightDlu = 388;

// Unit-wide controls.
inline constexpr int IDC_PLL_SYNCHED = 1167;     // green lamp: reference PLL synchronised
inline constexpr int IDC_PLL_NOT_SYNCHED = 1153; // grey lamp, same place
inline constexpr int IDC_STATUS = 1537;
inline constexpr int IDC_RECORD = 1538;
inline constexpr int IDC_SAMPLE_RATE_SPIN = 1087;
inline constexpr int IDC_SAMPLE_RATE_EDIT = 1088;
inline constexpr int IDC_TAB = 3529;
inline constexpr int IDC_PAGE_FRAME = 3534;

// The status controls of one receiver.
struct ReceiverControlIds {
    int group;
    int rssiEdit, rssiLabel, dbmLabel, rssiBar;
    int fmEdit, fmLabel, percentLabel;
    int amIndexEdit, amIndexLabel;
    int amCounterEdit, amCounterLabel, hzLabel;
    int lo2Green, lo2Yellow, lo1Green, lo1Yellow, loHeading;
    int agcZeroGreen, agcZeroGrey, agcZeroLabel;
};

inline constexpr std::array<ReceiverControlIds, 2> kReceiverControlIds{{
    {1072, 1022, 1066, 1070, 1055, 1028, 1061, 1062, 1024, 1074, 1248,
     1077, 1078, 1155, 1154, 1157, 1156, 1080, 3891, 3878, 1083},
    {1073, 1023, 1067, 1071, 1056, 1110, 1064, 1063, 1025, 1075, 1249,
     1076, 1079, 1159, 1158, 1161, 1160, 1081, 3897, 3894, 1082},
}};

std::span<const TemplateControl> MainDialogTemplate();

} // namespace vx::ui
