#include "ui/main/MainDialogTemplate.h"

#include "ui/IndicatorImages.h"

#include <vector>

namespace vx::ui {
namespace {

constexpr int kGroupWidth = 200;
constexpr int kReceiverLeft[2] = {4, 307};

// The controls of one receiver's status group, at its left edge x.
void AddReceiver(std::vector<TemplateControl>& t, const ReceiverControlIds& id, int x) {
    using K = ControlKind;
    t.push_back({K::Label, id.rssiLabel, "RSSI:", x + 6, 14, 28, 8});
    t.push_back({K::ReadOnlyEdit, id.rssiEdit, "", x + 36, 12, 34, 12});
    t.push_back({K::Label, id.dbmLabel, "dBm", x + 73, 14, 18, 8});
    t.push_back({K::ProgressBar, id.rssiBar, "", x + 6, 28, 120, 7});
    t.push_back({K::Label, id.fmLabel, "FM Dev:", x + 6, 40, 30, 8});
    t.push_back({K::ReadOnlyEdit, id.fmEdit, "", x + 36, 38, 22, 12});
    t.push_back({K::Label, id.percentLabel, "%", x + 60, 40, 8, 8});
    t.push_back({K::Label, id.amIndexLabel, "AM Index:", x + 70, 40, 36, 8});
    t.push_back({K::ReadOnlyEdit, id.amIndexEdit, "", x + 106, 38, 22, 12});
    t.push_back({K::Label, id.amCounterLabel, "AM Counter Frequency", x + 6, 55, 84, 8});
    t.push_back({K::ReadOnlyEdit, id.amCounterEdit, "", x + 92, 53, 36, 12});
    t.push_back({K::Label, id.hzLabel, "Hz", x + 130, 55, 12, 8});
    t.push_back({K::Label, id.loHeading, "  LO2       LO1", x + 130, 10, 46, 8});
    t.push_back({K::Image, id.lo2Green, "", x + 133, 19, 16, 16, IDI_LAMP_GREEN});
    t.push_back({K::Image, id.lo2Yellow, "", x + 133, 19, 16, 16, IDI_LAMP_YELLOW});
    t.push_back({K::Image, id.lo1Green, "", x + 154, 19, 16, 16, IDI_LAMP_GREEN});
    t.push_back({K::Image, id.lo1Yellow, "", x + 154, 19, 16, 16, IDI_LAMP_YELLOW});
    t.push_back({K::CenteredLabel, id.agcZeroLabel, "AGC\r\nZERO", x + 176, 10, 22, 17});
    t.push_back({K::Image, id.agcZeroGreen, "", x + 181, 30, 12, 12, IDB_LED_GREEN});
    t.push_back({K::Image, id.agcZeroGrey, "", x + 181, 30, 12, 12, IDB_LED_GREY});
}

std::vector<TemplateControl> BuildTemplate() {
    using K = ControlKind;
    std::vector<TemplateControl> t;
    // Frames first, so that the controls lie above them.
    t.push_back(
        {K::GroupBox, kReceiverControlIds[0].group, "Rcvr1", kReceiverLeft[0], 2, kGroupWidth, 68});
    t.push_back(
        {K::GroupBox, kReceiverControlIds[1].group, "Rcvr2", kReceiverLeft[1], 2, kGroupWidth, 68});
    t.push_back({K::GroupBox, IDC_STATIC, "Ref Clk", 208, 2, 95, 28});
    AddReceiver(t, kReceiverControlIds[0], kReceiverLeft[0]);
    AddReceiver(t, kReceiverControlIds[1], kReceiverLeft[1]);

    t.push_back({K::Image, IDC_PLL_SYNCHED, "", 214, 11, 16, 16, IDI_LAMP_GREEN});
    t.push_back({K::Image, IDC_PLL_NOT_SYNCHED, "", 214, 11, 16, 16, IDI_LAMP_GREY});
    t.push_back({K::Label, IDC_STATIC, "PLL Synched", 234, 15, 62, 8});
    t.push_back({K::PushCheck, IDC_STATUS, "Status", 208, 33, 46, 14});
    t.push_back({K::PushCheck, IDC_RECORD, "Record", 257, 33, 46, 14});
    t.push_back({K::Label, IDC_STATIC, "Record RSSI Sample Rate", 208, 50, 95, 8});
    t.push_back({K::SpinBox, IDC_SAMPLE_RATE_SPIN, "", 208, 59, 30, 12, 0, IDC_SAMPLE_RATE_EDIT});
    t.push_back({K::Label, IDC_STATIC, "Samples/sec", 242, 61, 58, 8});

    t.push_back({K::TabControl, IDC_TAB, "", 3, 74, 505, 312});
    t.push_back({K::Frame, IDC_PAGE_FRAME, "", 6, 89, 499, 295});
    return t;
}

} // namespace

std::span<const TemplateControl> MainDialogTemplate() {
    static const std::vector<TemplateControl> kTemplate = BuildTemplate();
    return kTemplate;
}

} // namespace vx::ui
