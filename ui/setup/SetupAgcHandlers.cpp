// The receiver setup page's gain controls: AGC time constant, IF output mode,
// AGC freeze, DAGC control mode, the DAGC range selection with its mode, AGC
// zero, host RSSI averaging, and the re-read of the DAGC ranges when the
// unit's AGC zero changes.
#include "protocol/CVX18D3_Comm.h"
#include "protocol/DagcRangeTable.h"
#include "ui/UpDownControl.h"
#include "ui/setup/CVX18D_SetupDCn.h"
#include "ui/setup/SetupPageTemplate.h"
#include "ui/setup/SetupText.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace vx::ui {

using namespace setup;

namespace {

constexpr int kLowestDbm = -110;
constexpr int kHighestDbm = 10;
constexpr plat::UINT kTimeConstantCount = 8;
constexpr int kDagcGroupDbm = 3;
constexpr int kDagcGroupVoltages = 4;
constexpr double kTenthsPerVolt = 10.0;

constexpr int kRangeRadios[3] = {IDC_DEFAULT_RANGES, IDC_PREDEFINED_RANGES,
                                 IDC_PROGRAMMABLE_RANGES};
constexpr int kDefaultRow[] = {IDC_DEFAULT_VOLTAGES, IDC_DEFAULT_DBM, IDC_DEFAULT_SLOPE};
constexpr int kPredefinedRow[] = {IDC_PREDEFINED_LIST, IDC_PREDEFINED_DBM};
// The controls that only Programmable Ranges enables.
constexpr int kProgrammableGroup[] = {
    IDC_START_VOLTAGE_SPIN, IDC_END_VOLTAGE_SPIN, IDC_LOWER_DBM_SPIN,     IDC_UPPER_DBM_SPIN,
    IDC_START_VOLTAGE_EDIT, IDC_END_VOLTAGE_EDIT, IDC_LOWER_DBM_EDIT,     IDC_UPPER_DBM_EDIT,
    IDC_VOLTAGE_TO,         IDC_DBM_TO,           IDC_PROGRAMMABLE_SLOPE, IDC_START_VOLTAGE_LABEL,
    IDC_END_VOLTAGE_LABEL,  IDC_LOWER_DBM_LABEL,  IDC_UPPER_DBM_LABEL,    IDC_PROGRAMMABLE_SEND,
};

// The row of the range table for a cached index; an index past the table
// counts as row 0, as the protocol sends it.
const DagcRange& RangeRow(unsigned index) {
    return kDagcRanges[index < kDagcRanges.size() ? index : 0];
}

} // namespace

// ---- Display ---------------------------------------------------------------

void CVX18D_SetupDCn::DecideDagcRangeMode() {
    const plat::UINT r = m_nReceiver;
    m_dagcRange.Decide({Comm().m_bAgcZero[r] != 0, Comm().m_nDagcLowerDbm[r],
                        Comm().m_nDagcUpperDbm[r], Comm().m_nDagcStartVoltage[r],
                        Comm().m_nDagcEndVoltage[r]});
}

void CVX18D_SetupDCn::FillAgcTimeConstantList() {
    for (std::uint16_t value : Comm().m_wAgcTimeConstantValue[m_nReceiver])
        List(IDC_AGC_TIME_CONSTANT_LIST)->addItem(AgcTimeConstantText(value));
}

void CVX18D_SetupDCn::LockIfOutputMode() {
    // A receiver with video filters puts its video out, not the IF: the mode
    // stays as it is for the life of the page.
    const auto& video = Comm().m_wVideoFilterValue[m_nReceiver];
    if (std::any_of(std::begin(video), std::end(video), [](std::uint16_t v) { return v != 0; })) {
        Button(IDC_IF_OUTPUT_MODE)->setChecked(true);
        Button(IDC_IF_OUTPUT_MODE)->setEnabled(false);
    }
}

void CVX18D_SetupDCn::SelectCachedAgcTimeConstant() {
    const plat::UINT index = Comm().m_nAgcTimeConstant[m_nReceiver];
    List(IDC_AGC_TIME_CONSTANT_LIST)
        ->setCurrentIndex(index < kTimeConstantCount ? static_cast<int>(index) : 0);
}

void CVX18D_SetupDCn::ShowIfOutputMode() {
    const bool hardware = Comm().m_nIfOutputMode[m_nReceiver] == 0;
    ShowCheck(IDC_IF_OUTPUT_MODE, hardware, hardware ? "HW Control Mode" : "DAGC Control Mode");
}

void CVX18D_SetupDCn::ShowAgcFreeze() {
    const bool on = Comm().m_bAgcFreeze[m_nReceiver] != 0;
    ShowCheck(IDC_AGC_FREEZE, on, on ? "On" : "Off");
}

void CVX18D_SetupDCn::ShowDagcControlMode() {
    const plat::DWORD mode = Comm().m_nDagcMode[m_nReceiver];
    Button(IDC_DAGC_LINEAR)->setChecked(mode == 0);
    Button(IDC_DAGC_CONSTANT)->setChecked(mode == 1);
}

void CVX18D_SetupDCn::ShowAveraging() {
    const bool filtered = Comm().m_bRssiFiltered[m_nReceiver] == 1;
    Button(IDC_FILTERED_AVERAGING)->setChecked(filtered);
    Button(IDC_NO_AVERAGING)->setChecked(!filtered);
}

void CVX18D_SetupDCn::ShowDagcRange() {
    const DagcRangeView& view = ViewOf(m_dagcRange.Mode());
    for (int i = 0; i < 3; ++i) {
        Button(kRangeRadios[i])->setChecked(view.radioMarked[i]);
        Button(kRangeRadios[i])->setEnabled(view.radiosEnabled);
    }
    ShowCheck(IDC_AGC_ZERO, view.agcZeroMarked, view.agcZeroCaption);
    for (int id : kDefaultRow)
        Item<QWidget>(id)->setEnabled(view.defaultRowEnabled);
    for (int id : kPredefinedRow)
        Item<QWidget>(id)->setEnabled(view.predefinedEnabled);
    Label(IDC_PREDEFINED_SLOPE)->setEnabled(view.predefinedSlope);
    for (int id : kProgrammableGroup)
        Item<QWidget>(id)->setEnabled(view.programmableEnabled);
}

void CVX18D_SetupDCn::ShowStartVoltage() {
    const std::int8_t start = Comm().m_nDagcStartVoltage[m_nReceiver];
    Spin(IDC_START_VOLTAGE_SPIN)->SetPos(start);
    Edit(IDC_START_VOLTAGE_EDIT)->setText(VoltageText(start));
}

void CVX18D_SetupDCn::ShowEndVoltage() {
    const std::int8_t end = Comm().m_nDagcEndVoltage[m_nReceiver];
    Spin(IDC_END_VOLTAGE_SPIN)->SetPos(end);
    Edit(IDC_END_VOLTAGE_EDIT)->setText(VoltageText(end));
}

// Each limit's spin reaches up to (or down to) the other limit. A spin's
// range is taken from the cache before its position is set, so a limit that
// moved past the other's old value shows as it is, not held at the old range.
void CVX18D_SetupDCn::ShowLowerDbm() {
    const int lower = Comm().m_nDagcLowerDbm[m_nReceiver];
    Spin(IDC_LOWER_DBM_SPIN)->SetRange(kLowestDbm, Comm().m_nDagcUpperDbm[m_nReceiver] - 1);
    Spin(IDC_LOWER_DBM_SPIN)->SetPos(lower);
    Spin(IDC_UPPER_DBM_SPIN)->SetRange(lower + 1, kHighestDbm);
}

void CVX18D_SetupDCn::ShowUpperDbm() {
    const int upper = Comm().m_nDagcUpperDbm[m_nReceiver];
    Spin(IDC_UPPER_DBM_SPIN)->SetRange(Comm().m_nDagcLowerDbm[m_nReceiver] + 1, kHighestDbm);
    Spin(IDC_UPPER_DBM_SPIN)->SetPos(upper);
    Spin(IDC_LOWER_DBM_SPIN)->SetRange(kLowestDbm, upper - 1);
}

// The slope goes with the four values it is worked out from, so it never
// describes limits and voltages that are no longer shown.
void CVX18D_SetupDCn::ShowDagcLimitsAndVoltages() {
    ShowLowerDbm();
    ShowUpperDbm();
    ShowStartVoltage();
    ShowEndVoltage();
    ShowProgrammableSlope();
}

void CVX18D_SetupDCn::ShowPredefinedSlope() {
    Label(IDC_PREDEFINED_SLOPE)
        ->setText(SlopeText(RangeRow(Comm().m_nDagcRangeIndex[m_nReceiver]).slope));
}

void CVX18D_SetupDCn::ShowProgrammableSlope() {
    const plat::UINT r = m_nReceiver;
    Label(IDC_PROGRAMMABLE_SLOPE)
        ->setText(ProgrammableSlopeText(Comm().m_nDagcLowerDbm[r], Comm().m_nDagcUpperDbm[r],
                                        Comm().m_nDagcStartVoltage[r],
                                        Comm().m_nDagcEndVoltage[r]));
}

// ---- Handlers --------------------------------------------------------------

void CVX18D_SetupDCn::OnAgcTimeConstantSelected() {
    const plat::UINT r = m_nReceiver;
    const int position = List(IDC_AGC_TIME_CONSTANT_LIST)->currentIndex();
    const plat::UINT index = position >= 0 && static_cast<plat::UINT>(position) < kTimeConstantCount
                                 ? static_cast<plat::UINT>(position)
                                 : 0;
    HandleUnexamined(IDC_AGC_TIME_CONSTANT_LIST, [&] { Comm().SetAgcTimeConstant(r, index, 0); },
                     {});
}

void CVX18D_SetupDCn::OnIfOutputModeClicked() {
    const plat::UINT r = m_nReceiver;
    HandleUnexamined(
        IDC_IF_OUTPUT_MODE,
        [&] { Comm().SetIfOutputMode(r, Comm().m_nIfOutputMode[r] == 0 ? 1 : 0, 0); },
        [this] { ShowIfOutputMode(); });
}

void CVX18D_SetupDCn::OnAgcFreezeClicked() {
    const plat::UINT r = m_nReceiver;
    HandleUnexamined(
        IDC_AGC_FREEZE, [&] { Comm().SetAgcFreeze(r, !Comm().m_bAgcFreeze[r], 0); },
        [this] { ShowAgcFreeze(); });
}

void CVX18D_SetupDCn::OnDagcModeClicked(plat::UINT mode) {
    const plat::UINT r = m_nReceiver;
    HandleUnexamined(
        mode == 0 ? IDC_DAGC_LINEAR : IDC_DAGC_CONSTANT, [&] { Comm().SetDagcMode(r, mode, 0); },
        [this] { ShowDagcControlMode(); });
}

void CVX18D_SetupDCn::OnDefaultRanges() {
    const plat::UINT r = m_nReceiver;
    m_dagcRange.On(DagcRangeEvent::DefaultRanges, Comm().m_bAgcZero[r] != 0);
    ShowDagcRange();
    HandleUnexamined(IDC_DEFAULT_RANGES,
                     [&] { Comm().SelectDagcRange(r, kDefaultDagcRangeIndex, 0); }, {});
}

void CVX18D_SetupDCn::OnPredefinedRanges() {
    const plat::UINT r = m_nReceiver;
    m_dagcRange.On(DagcRangeEvent::PredefinedRanges, Comm().m_bAgcZero[r] != 0);
    ShowDagcRange();
    const auto row = static_cast<plat::UINT>(List(IDC_PREDEFINED_LIST)->currentIndex());
    HandleUnexamined(
        IDC_PREDEFINED_RANGES, [&] { Comm().SelectDagcRange(r, row, 0); },
        [this] { ShowPredefinedSlope(); });
}

void CVX18D_SetupDCn::OnPredefinedSelected() {
    const plat::UINT r = m_nReceiver;
    const auto row = static_cast<plat::UINT>(List(IDC_PREDEFINED_LIST)->currentIndex());
    HandleUnexamined(
        IDC_PREDEFINED_LIST, [&] { Comm().SelectDagcRange(r, row, 0); },
        [this] {
            ShowPredefinedSlope();
            ShowDagcLimitsAndVoltages();
        });
}

void CVX18D_SetupDCn::OnProgrammableRanges() {
    m_dagcRange.On(DagcRangeEvent::ProgrammableRanges, Comm().m_bAgcZero[m_nReceiver] != 0);
    ShowDagcRange();
    OnProgrammableSend();
}

void CVX18D_SetupDCn::OnProgrammableSend() {
    const plat::UINT r = m_nReceiver;
    // The edits are taken as typed; the operations keep the values apart and in range.
    HandleUnexamined(
        IDC_PROGRAMMABLE_SEND,
        [&] {
            const std::int8_t lower = DagcFieldValue(Edit(IDC_LOWER_DBM_EDIT)->text(), 1.0);
            const std::int8_t upper = DagcFieldValue(Edit(IDC_UPPER_DBM_EDIT)->text(), 1.0);
            Comm().SetDagcDbmRange(r, lower, upper, 0);
            ShowLowerDbm();
            ShowUpperDbm();
            const std::int8_t start =
                DagcFieldValue(Edit(IDC_START_VOLTAGE_EDIT)->text(), kTenthsPerVolt);
            const std::int8_t end =
                DagcFieldValue(Edit(IDC_END_VOLTAGE_EDIT)->text(), kTenthsPerVolt);
            Comm().SetDagcVoltageRange(r, start, end, 0);
            ShowStartVoltage();
            ShowEndVoltage();
        },
        [this] { ShowProgrammableSlope(); });
}

void CVX18D_SetupDCn::OnDagcSpinStepped(int spinId, int position) {
    const plat::UINT r = m_nReceiver;
    const auto value = static_cast<std::int8_t>(static_cast<std::uint8_t>(position & 0xFF));
    struct SpinAction {
        int id;
        plat::BOOL (CVX18D3_Comm::*operation)(plat::UINT, std::int8_t, plat::BOOL);
        void (CVX18D_SetupDCn::*show)();
    };
    static constexpr SpinAction kActions[] = {
        {IDC_LOWER_DBM_SPIN, &CVX18D3_Comm::SetDagcLowerDbm, &CVX18D_SetupDCn::ShowLowerDbm},
        {IDC_UPPER_DBM_SPIN, &CVX18D3_Comm::SetDagcUpperDbm, &CVX18D_SetupDCn::ShowUpperDbm},
        {IDC_START_VOLTAGE_SPIN, &CVX18D3_Comm::SetDagcStartVoltage,
         &CVX18D_SetupDCn::ShowStartVoltage},
        {IDC_END_VOLTAGE_SPIN, &CVX18D3_Comm::SetDagcEndVoltage, &CVX18D_SetupDCn::ShowEndVoltage},
    };
    for (const SpinAction& action : kActions) {
        if (action.id != spinId)
            continue;
        Handle(
            spinId, [&] { return (Comm().*action.operation)(r, value, 0); },
            [&] {
                (this->*action.show)();
                ShowProgrammableSlope();
            });
    }
}

void CVX18D_SetupDCn::OnAgcZeroClicked() {
    const plat::UINT r = m_nReceiver;
    CVX18D3_Comm& comm = Comm();
    comm.m_bAgcZero[r] = comm.m_bAgcZeroActive[r];
    const bool wasOn = comm.m_bAgcZero[r] != 0;
    m_dagcRange.On(DagcRangeEvent::AgcZeroButton, wasOn);
    HandleUnexamined(
        IDC_AGC_ZERO, [&] { comm.SetAgcZero(r, wasOn ? 0 : 1, 0); }, [this] { ShowDagcRange(); });
}

void CVX18D_SetupDCn::OnAveragingClicked(plat::UINT mode) {
    const plat::UINT r = m_nReceiver;
    Handle(
        mode == 1 ? IDC_FILTERED_AVERAGING : IDC_NO_AVERAGING,
        [&] { return Comm().SetRssiAveraging(r, mode, 0); }, [this] { ShowAveraging(); },
        TraceBreak::Skip);
}

plat::LRESULT CVX18D_SetupDCn::OnAgcZeroChanged() {
    const plat::UINT r = m_nReceiver;
    m_dagcRange.On(DagcRangeEvent::AgcZeroChanged, Comm().m_bAgcZero[r] != 0);
    Comm().ReadReceiverSettings(r, kDagcGroupDbm, 0);
    Comm().ReadReceiverSettings(r, kDagcGroupVoltages, 0);
    Comm().MarkTraceBreak();
    ShowDagcRange();
    ShowDagcLimitsAndVoltages();
    return 0;
}

} // namespace vx::ui
