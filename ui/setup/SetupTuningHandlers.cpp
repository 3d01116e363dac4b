// The receiver setup page's tuning, filter and output controls: tuning
// frequency and the band ranges, IF bandwidth, video and AM filters, AM
// inverse and gain, FM polarity, TLM2 de-emphasis, XDOUT or RF switch, video
// output gain and the stored setup.
#include "protocol/CVX18D3_Comm.h"
#include "ui/UpDownControl.h"
#include "ui/setup/CVX18D_SetupDCn.h"
#include "ui/setup/SetupPageTemplate.h"
#include "ui/setup/SetupText.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vx::ui {

using namespace setup;

namespace {

constexpr int kBandRangeIds[4] = {IDC_BAND1_RANGE, IDC_BAND2_RANGE, IDC_BAND3_RANGE,
                                  IDC_BAND4_RANGE};

// Items of every non-zero value, in list order.
void FillNonZero(QComboBox* list, std::span<const std::uint16_t> values) {
    for (std::uint16_t value : values) {
        if (value != 0)
            list->addItem(ListValueText(value));
    }
}

// The selected item's text; empty when nothing is selected.
QString SelectedText(const QComboBox* list) {
    return list->currentIndex() < 0 ? QString() : list->currentText();
}

} // namespace

// ---- Display ---------------------------------------------------------------

void CVX18D_SetupDCn::ShowTuningFrequency() {
    Edit(IDC_TUNING_EDIT)->setText(TuningFrequencyText(Comm().m_nTuningFrequency[m_nReceiver]));
}

void CVX18D_SetupDCn::ShowBandRanges() {
    for (int band = 0; band < 4; ++band) {
        Label(kBandRangeIds[band])
            ->setText(BandRangeText(Comm().m_nBandLow[m_nReceiver][band],
                                    Comm().m_nBandHigh[m_nReceiver][band]));
    }
}

void CVX18D_SetupDCn::FillFilterLists() {
    FillNonZero(List(IDC_IF_BANDWIDTH_LIST), Comm().m_wIfBandwidthValue[m_nReceiver]);
    FillNonZero(List(IDC_VIDEO_FILTER_LIST), Comm().m_wVideoFilterValue[m_nReceiver]);
}

void CVX18D_SetupDCn::FillAmFilterList() {
    for (std::uint16_t value : Comm().m_wAmFilterValue[m_nReceiver])
        List(IDC_AM_FILTER_LIST)->addItem(ListValueText(value));
}

void CVX18D_SetupDCn::ShowXdoutCaption() {
    Item<QGroupBox>(IDC_XDOUT_FRAME)
        ->setTitle(Comm().m_bRfSwitch ? QStringLiteral("RF Switch") : QStringLiteral("XDOUT"));
}

void CVX18D_SetupDCn::SelectCachedFilters() {
    const plat::UINT r = m_nReceiver;
    List(IDC_IF_BANDWIDTH_LIST)->setCurrentIndex(static_cast<int>(Comm().m_nIfBandwidth[r]));
    QComboBox* video = List(IDC_VIDEO_FILTER_LIST);
    if (Comm().m_bCompanionBoard) {
        video->clear();
        video->setCurrentIndex(-1);
        video->setEnabled(false);
    } else {
        video->setCurrentIndex(static_cast<int>(Comm().m_nVideoFilter[r]));
    }
    List(IDC_AM_FILTER_LIST)->setCurrentIndex(Comm().m_nAmFilter[r]);
}

void CVX18D_SetupDCn::SelectCachedSetup() {
    List(IDC_SETUP_LIST)->setCurrentIndex(Comm().m_nSetup[m_nReceiver]);
}

void CVX18D_SetupDCn::ShowAmInverse() {
    const bool on = Comm().m_bAmInverted[m_nReceiver] != 0;
    ShowCheck(IDC_AM_INVERSE, on, on ? "Inverted" : "Normal");
}

void CVX18D_SetupDCn::ShowFmPolarity() {
    const bool on = Comm().m_bFmInverted[m_nReceiver] != 0;
    ShowCheck(IDC_FM_POLARITY, on, on ? "Inverted" : "Normal");
}

void CVX18D_SetupDCn::ShowTlm2() {
    const bool on = Comm().m_bTlm2DeEmphasis[m_nReceiver] != 0;
    ShowCheck(IDC_TLM2, on, on ? "Enabled" : "Disabled");
}

void CVX18D_SetupDCn::ShowXdout() {
    const bool on = Comm().m_bXdout[m_nReceiver] != 0;
    if (Comm().m_bRfSwitch)
        ShowCheck(IDC_XDOUT, on, on ? "Input A" : "Input B");
    else
        ShowCheck(IDC_XDOUT, on, on ? "On" : "Off");
}

void CVX18D_SetupDCn::ShowAmGain() {
    Spin(IDC_AM_GAIN_SPIN)->SetPos(Comm().m_nAmGain[m_nReceiver]);
}

void CVX18D_SetupDCn::ShowVideoGain() {
    Edit(IDC_VIDEO_GAIN_EDIT)->setText(ListValueText(Comm().m_wVideoGain[m_nReceiver]));
}

// ---- Handlers --------------------------------------------------------------

void CVX18D_SetupDCn::OnTuningSend() {
    const plat::UINT r = m_nReceiver;
    const std::optional<std::uint64_t> hz = TuningFrequencyHz(Edit(IDC_TUNING_EDIT)->text());
    if (!hz) {
        // Not a frequency: nothing goes to the unit, the field shows the
        // frequency the receiver keeps, and the failure tone says so.
        Handle(
            IDC_TUNING_SEND, [] { return plat::BOOL{0}; }, [this] { ShowTuningFrequency(); },
            TraceBreak::Skip);
        return;
    }
    const auto gain = static_cast<plat::BYTE>(UnsignedFieldValue(Edit(IDC_AM_GAIN_EDIT)->text()));
    Handle(
        IDC_TUNING_SEND,
        [&] { return Comm().SetTuningFrequency(r, *hz, 0) && Comm().SetAmGain(r, gain, 0); },
        [this] {
            ShowTuningFrequency();
            ShowAmGain();
        });
}

void CVX18D_SetupDCn::OnIfBandwidthSelected() {
    const plat::UINT r = m_nReceiver;
    const unsigned index =
        ListIndexForText(SelectedText(List(IDC_IF_BANDWIDTH_LIST)), Comm().m_wIfBandwidthValue[r]);
    QComboBox* video = List(IDC_VIDEO_FILTER_LIST);
    if (Comm().m_bCompanionBoard) {
        // The video filter is not the host's to choose: no pairing, no trace break.
        HandleUnexamined(
            IDC_IF_BANDWIDTH_LIST, [&] { Comm().SetIfBandwidth(r, index, 0); },
            [video] { video->setCurrentIndex(-1); }, TraceBreak::Skip);
        return;
    }
    const unsigned paired = PairedVideoFilter(index, Comm().m_wVideoFilterValue[r]);
    HandleUnexamined(
        IDC_IF_BANDWIDTH_LIST,
        [&] {
            Comm().SetIfBandwidth(r, index, 0);
            Comm().SetVideoFilter(r, paired, 0);
        },
        [&] {
            const QString text = ListValueText(Comm().m_wVideoFilterValue[r][paired]);
            video->setCurrentIndex(video->findText(text, Qt::MatchExactly));
        });
}

void CVX18D_SetupDCn::OnVideoFilterSelected() {
    const plat::UINT r = m_nReceiver;
    const unsigned index =
        ListIndexForText(SelectedText(List(IDC_VIDEO_FILTER_LIST)), Comm().m_wVideoFilterValue[r]);
    HandleUnexamined(IDC_VIDEO_FILTER_LIST, [&] { Comm().SetVideoFilter(r, index, 0); }, {});
}

void CVX18D_SetupDCn::OnAmFilterSelected() {
    const plat::UINT r = m_nReceiver;
    const unsigned index =
        ListIndexForText(SelectedText(List(IDC_AM_FILTER_LIST)), Comm().m_wAmFilterValue[r]);
    HandleUnexamined(IDC_AM_FILTER_LIST, [&] { Comm().SetAmFilter(r, index, 0); }, {});
}

void CVX18D_SetupDCn::OnAmInverseClicked() {
    const plat::UINT r = m_nReceiver;
    HandleUnexamined(
        IDC_AM_INVERSE, [&] { Comm().SetAmInverted(r, !Comm().m_bAmInverted[r], 0); },
        [this] { ShowAmInverse(); });
}

void CVX18D_SetupDCn::OnAmGainStepped(int position) {
    const plat::UINT r = m_nReceiver;
    // The spin keeps the position it was stepped to; nothing is redrawn.
    Handle(IDC_AM_GAIN_SPIN,
           [&] { return Comm().SetAmGain(r, static_cast<plat::BYTE>(position & 0xFF), 0); }, {});
}

void CVX18D_SetupDCn::OnFmPolarityClicked() {
    const plat::UINT r = m_nReceiver;
    Handle(
        IDC_FM_POLARITY,
        [&] { return Comm().SetFmPolarityInverted(r, !Comm().m_bFmInverted[r], 0); },
        [this] { ShowFmPolarity(); });
}

void CVX18D_SetupDCn::OnTlm2Clicked() {
    const plat::UINT r = m_nReceiver;
    Handle(
        IDC_TLM2, [&] { return Comm().SetTlm2DeEmphasis(r, !Comm().m_bTlm2DeEmphasis[r], 0); },
        [this] { ShowTlm2(); });
}

void CVX18D_SetupDCn::OnXdoutClicked() {
    const plat::UINT r = m_nReceiver;
    HandleUnexamined(
        IDC_XDOUT, [&] { Comm().SetXdout(r, !Comm().m_bXdout[r], 0); }, [this] { ShowXdout(); });
}

void CVX18D_SetupDCn::OnVideoGainSend() {
    const plat::UINT r = m_nReceiver;
    const unsigned gain = UnsignedFieldValue(Edit(IDC_VIDEO_GAIN_EDIT)->text());
    HandleUnexamined(IDC_VIDEO_GAIN_SEND, [&] { Comm().SetVideoOutGain(r, gain, 0); }, {});
}

void CVX18D_SetupDCn::OnVideoGainSave() {
    const plat::UINT r = m_nReceiver;
    const unsigned gain = UnsignedFieldValue(Edit(IDC_VIDEO_GAIN_EDIT)->text());
    HandleUnexamined(IDC_VIDEO_GAIN_SAVE,
                     [&] {
                         Comm().SetVideoOutGain(r, gain, 0);
                         Comm().SaveVideoOutGain(r, gain, 0);
                     },
                     {});
}

void CVX18D_SetupDCn::OnSetupSelected() {
    const plat::UINT r = m_nReceiver;
    const int position = List(IDC_SETUP_LIST)->currentIndex();
    HandleUnexamined(
        IDC_SETUP_LIST, [&] { Comm().SelectSetup(r, static_cast<plat::UINT>(position), 0); },
        [this] { SelectCachedSetup(); });
}

} // namespace vx::ui
