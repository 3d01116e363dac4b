// The receiver setup page's frame: construction from its template, the
// connection of every control to its handler, initialisation, keyboard,
// refresh on showing, the companion board's lock and the shared handler shape.
#include "ui/setup/CVX18D_SetupDCn.h"

#include "protocol/CVX18D3_Comm.h"
#include "protocol/DagcRangeTable.h"
#include "ui/EnterSpaceAccelerator.h"
#include "ui/LogicalFont.h"
#include "ui/UpDownControl.h"
#include "ui/setup/SetupPageTemplate.h"
#include "ui/setup/SetupText.h"
#include "unit/Readouts.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vx::ui {

using namespace setup;

namespace {

constexpr int kLargeFontHeight = 36;
constexpr int kBoldFontHeight = 20;
constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;

constexpr int kAmGainMax = 99;
constexpr int kLowestDbm = -110;
constexpr int kHighestDbm = 10;
constexpr int kVoltageLimit = 40; // tenths of a volt
constexpr unsigned kSetupCount = 16;

} // namespace

CVX18D_SetupDCn::CVX18D_SetupDCn(CVX18D3_Comm* comm, plat::UINT receiver, int offline,
                                 QWidget* parent)
    : TabPage(comm, parent), m_nReceiver(ReceiverIndex(receiver)), m_bOffline(offline),
      m_largeFont(LogicalFont(QStringLiteral("Arial"), kLargeFontHeight, kNormalWeight, false)),
      m_boldFont(LogicalFont(QStringLiteral("Courier New"), kBoldFontHeight, kBoldWeight, true)) {
    CreateFromTemplate(SetupPageTemplate(), kSetupPageWidthDlu, kSetupPageHeightDlu);
    ConnectControls();
    OnInitDialog();
}

void CVX18D_SetupDCn::ConnectControls() {
    struct Wire {
        int id;
        void (CVX18D_SetupDCn::*handler)();
    };
    static constexpr Wire kClicks[] = {
        {IDC_TUNING_SEND, &CVX18D_SetupDCn::OnTuningSend},
        {IDC_AM_INVERSE, &CVX18D_SetupDCn::OnAmInverseClicked},
        {IDC_FM_POLARITY, &CVX18D_SetupDCn::OnFmPolarityClicked},
        {IDC_TLM2, &CVX18D_SetupDCn::OnTlm2Clicked},
        {IDC_XDOUT, &CVX18D_SetupDCn::OnXdoutClicked},
        {IDC_VIDEO_GAIN_SEND, &CVX18D_SetupDCn::OnVideoGainSend},
        {IDC_VIDEO_GAIN_SAVE, &CVX18D_SetupDCn::OnVideoGainSave},
        {IDC_IF_OUTPUT_MODE, &CVX18D_SetupDCn::OnIfOutputModeClicked},
        {IDC_AGC_FREEZE, &CVX18D_SetupDCn::OnAgcFreezeClicked},
        {IDC_DEFAULT_RANGES, &CVX18D_SetupDCn::OnDefaultRanges},
        {IDC_PREDEFINED_RANGES, &CVX18D_SetupDCn::OnPredefinedRanges},
        {IDC_PROGRAMMABLE_RANGES, &CVX18D_SetupDCn::OnProgrammableRanges},
        {IDC_PROGRAMMABLE_SEND, &CVX18D_SetupDCn::OnProgrammableSend},
        {IDC_AGC_ZERO, &CVX18D_SetupDCn::OnAgcZeroClicked},
    };
    for (const Wire& click : kClicks)
        connect(Button(click.id), &QPushButton::clicked, this, click.handler);
    connect(Button(IDC_DAGC_LINEAR), &QPushButton::clicked, this, [this] { OnDagcModeClicked(0); });
    connect(Button(IDC_DAGC_CONSTANT), &QPushButton::clicked, this,
            [this] { OnDagcModeClicked(1); });
    connect(Button(IDC_NO_AVERAGING), &QPushButton::clicked, this,
            [this] { OnAveragingClicked(0); });
    connect(Button(IDC_FILTERED_AVERAGING), &QPushButton::clicked, this,
            [this] { OnAveragingClicked(1); });

    // Only the operator's choice is a command; the page's own selections are not.
    static constexpr Wire kChoices[] = {
        {IDC_IF_BANDWIDTH_LIST, &CVX18D_SetupDCn::OnIfBandwidthSelected},
        {IDC_VIDEO_FILTER_LIST, &CVX18D_SetupDCn::OnVideoFilterSelected},
        {IDC_AM_FILTER_LIST, &CVX18D_SetupDCn::OnAmFilterSelected},
        {IDC_SETUP_LIST, &CVX18D_SetupDCn::OnSetupSelected},
        {IDC_AGC_TIME_CONSTANT_LIST, &CVX18D_SetupDCn::OnAgcTimeConstantSelected},
        {IDC_PREDEFINED_LIST, &CVX18D_SetupDCn::OnPredefinedSelected},
    };
    for (const Wire& choice : kChoices) {
        const auto handler = choice.handler;
        connect(List(choice.id), &QComboBox::activated, this,
                [this, handler] { (this->*handler)(); });
    }

    // Each spin acts once per completed change.
    connect(Spin(IDC_AM_GAIN_SPIN), &UpDownControl::Stepped, this,
            &CVX18D_SetupDCn::OnAmGainStepped);
    for (int id :
         {IDC_LOWER_DBM_SPIN, IDC_UPPER_DBM_SPIN, IDC_START_VOLTAGE_SPIN, IDC_END_VOLTAGE_SPIN}) {
        connect(Spin(id), &UpDownControl::Stepped, this,
                [this, id](int position) { OnDagcSpinStepped(id, position); });
    }
}

plat::BOOL CVX18D_SetupDCn::OnInitDialog() {
    const plat::UINT r = m_nReceiver;
    CVX18D3_Comm& comm = Comm();

    setWindowTitle(QStringLiteral("Setup Rcvr%1").arg(r + 1));

    Label(IDC_RECEIVER_CAPTION)->setFont(m_largeFont);
    Label(IDC_RECEIVER_CAPTION)->setText(QStringLiteral("Receiver %1").arg(r + 1));
    Edit(IDC_TUNING_EDIT)->setFont(m_boldFont);

    for (const DagcRange& range : kDagcRanges)
        List(IDC_PREDEFINED_LIST)->addItem(QString::fromLatin1(range.label));

    Spin(IDC_AM_GAIN_SPIN)->SetRange(0, kAmGainMax);
    Spin(IDC_AM_GAIN_SPIN)->SetBuddy(Edit(IDC_AM_GAIN_EDIT));

    Spin(IDC_LOWER_DBM_SPIN)->SetRange(kLowestDbm, comm.m_nDagcUpperDbm[r] - 1);
    Spin(IDC_LOWER_DBM_SPIN)->SetBuddy(Edit(IDC_LOWER_DBM_EDIT));
    Spin(IDC_UPPER_DBM_SPIN)->SetRange(comm.m_nDagcLowerDbm[r] + 1, kHighestDbm);
    Spin(IDC_UPPER_DBM_SPIN)->SetBuddy(Edit(IDC_UPPER_DBM_EDIT));
    Spin(IDC_START_VOLTAGE_SPIN)->SetRange(-kVoltageLimit, kVoltageLimit);
    Spin(IDC_END_VOLTAGE_SPIN)->SetRange(-kVoltageLimit, kVoltageLimit);

    for (unsigned setup = 0; setup < kSetupCount; ++setup)
        List(IDC_SETUP_LIST)->addItem(SetupItemText(setup));

    if (m_bOffline == 0)
        SetupPageReadback(comm, r);

    DecideDagcRangeMode();
    FillSettingLists();

    List(IDC_PREDEFINED_LIST)->setCurrentIndex(kDefaultDagcRangeIndex);
    ShowTuningFrequency();

    SelectCachedFilters();
    ShowFmPolarity();
    SelectCachedSetup();
    ShowXdout();
    ShowTlm2();
    ShowAmGain();
    ShowAmInverse();
    ShowVideoGain();

    ShowDagcControlMode();
    SelectCachedAgcTimeConstant();
    ShowIfOutputMode();
    ShowAgcFreeze();

    ShowDagcRange();
    List(IDC_PREDEFINED_LIST)->setCurrentIndex(comm.m_nDagcRangeIndex[r]);
    ShowPredefinedSlope();
    ShowDagcLimitsAndVoltages();

    ApplyCompanionBoardLock();
    // Host RSSI averaging is first shown when the page's tab is selected.
    return plat::TRUE;
}

void CVX18D_SetupDCn::FillSettingLists() {
    ShowBandRanges();
    FillFilterLists();
    LockIfOutputMode();
    FillAgcTimeConstantList();
    FillAmFilterList();
    ShowXdoutCaption();
}

void CVX18D_SetupDCn::ApplyCompanionBoardLock() {
    // The stored setup, FM polarity, TLM2 de-emphasis and video filter are
    // not the host's to set when the companion board is fitted.
    const bool locked = Comm().m_bCompanionBoard != 0;
    if (locked) {
        List(IDC_SETUP_LIST)->setCurrentIndex(0);
        List(IDC_VIDEO_FILTER_LIST)->setCurrentIndex(-1);
    }
    for (int id :
         {IDC_SETUP_FRAME, IDC_SETUP_LIST, IDC_FM_POLARITY, IDC_FM_POLARITY_FRAME, IDC_TLM2,
          IDC_TLM2_FRAME, IDC_VIDEO_FILTER_LABEL, IDC_VIDEO_FILTER_LIST, IDC_VIDEO_FILTER_UNIT})
        Item<QWidget>(id)->setEnabled(!locked);
}

void CVX18D_SetupDCn::RefreshOnShow() {
    const plat::UINT r = m_nReceiver;
    ShowTuningFrequency();
    Comm().m_bAgcZero[r] = Comm().m_bAgcZeroActive[r];
    ShowDagcRange();
    ShowAveraging();
    ShowAmGain();
}

void CVX18D_SetupDCn::OnCommand(plat::UINT command) {
    // Space (32772) has no command here, so it never toggles a focused button.
    if (command == ID_ACCEL_ENTER)
        OnTuningSend();
}

plat::BOOL CVX18D_SetupDCn::Handle(int id, const std::function<plat::BOOL()>& operation,
                                   const std::function<void()>& redisplay, TraceBreak traceBreak) {
    return RunHandler(Comm(), operation, redisplay, SetupTone(id), traceBreak);
}

void CVX18D_SetupDCn::HandleUnexamined(int id, const std::function<void()>& operation,
                                       const std::function<void()>& redisplay,
                                       TraceBreak traceBreak) {
    Handle(
        id,
        [&operation] {
            operation();
            return plat::TRUE;
        },
        redisplay, traceBreak);
}

void CVX18D_SetupDCn::ShowCheck(int id, bool checked, const char* caption) {
    QPushButton* button = Button(id);
    button->setChecked(checked);
    button->setText(QString::fromLatin1(caption));
}

QPushButton* CVX18D_SetupDCn::Button(int id) const {
    return Item<QPushButton>(id);
}

QComboBox* CVX18D_SetupDCn::List(int id) const {
    return Item<QComboBox>(id);
}

QLineEdit* CVX18D_SetupDCn::Edit(int id) const {
    return Item<QLineEdit>(id);
}

QLabel* CVX18D_SetupDCn::Label(int id) const {
    return Item<QLabel>(id);
}

UpDownControl* CVX18D_SetupDCn::Spin(int id) const {
    return Item<UpDownControl>(id);
}

} // namespace vx::ui
