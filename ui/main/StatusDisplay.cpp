#include "ui/main/StatusDisplay.h"

#include "text/NumberText.h"
#include "text/StatusFormat.h"
#include "ui/ImageStatic.h"
#include "ui/main/MainDialogTemplate.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>

namespace vx::ui {
namespace {

const QColor kRssiBarColour(46, 139, 87);

void ShowPair(ImageStatic* whenTrue, ImageStatic* whenFalse, bool value) {
    whenTrue->setVisible(value);
    whenFalse->setVisible(!value);
}

ReceiverStatusControls BindReceiver(const DialogControls& c, const ReceiverControlIds& id) {
    ReceiverStatusControls r;
    r.group = c.Get<QGroupBox>(id.group);
    r.rssiEdit = c.Get<QLineEdit>(id.rssiEdit);
    r.rssiLabel = c.Get<QLabel>(id.rssiLabel);
    r.dbmLabel = c.Get<QLabel>(id.dbmLabel);
    r.rssiBar = c.Get<QProgressBar>(id.rssiBar);
    r.fmEdit = c.Get<QLineEdit>(id.fmEdit);
    r.fmLabel = c.Get<QLabel>(id.fmLabel);
    r.percentLabel = c.Get<QLabel>(id.percentLabel);
    r.amIndexEdit = c.Get<QLineEdit>(id.amIndexEdit);
    r.amIndexLabel = c.Get<QLabel>(id.amIndexLabel);
    r.amCounterEdit = c.Get<QLineEdit>(id.amCounterEdit);
    r.amCounterLabel = c.Get<QLabel>(id.amCounterLabel);
    r.hzLabel = c.Get<QLabel>(id.hzLabel);
    r.lo2Green = c.Get<ImageStatic>(id.lo2Green);
    r.lo2Yellow = c.Get<ImageStatic>(id.lo2Yellow);
    r.lo1Green = c.Get<ImageStatic>(id.lo1Green);
    r.lo1Yellow = c.Get<ImageStatic>(id.lo1Yellow);
    r.loHeading = c.Get<QLabel>(id.loHeading);
    r.agcZeroGreen = c.Get<ImageStatic>(id.agcZeroGreen);
    r.agcZeroGrey = c.Get<ImageStatic>(id.agcZeroGrey);
    r.agcZeroLabel = c.Get<QLabel>(id.agcZeroLabel);
    return r;
}

} // namespace

StatusDisplay::StatusDisplay(const DialogControls& controls)
    : m_pllSynched(controls.Get<ImageStatic>(IDC_PLL_SYNCHED)),
      m_pllNotSynched(controls.Get<ImageStatic>(IDC_PLL_NOT_SYNCHED)),
      m_receivers{BindReceiver(controls, kReceiverControlIds[0]),
                  BindReceiver(controls, kReceiverControlIds[1])} {}

void StatusDisplay::ShowInitialState() {
    for (const ReceiverStatusControls& r : m_receivers) {
        r.rssiBar->setRange(kRssiBarLowest, kRssiBarHighest);
        r.rssiBar->setValue(kRssiBarLowest);
        QPalette palette = r.rssiBar->palette();
        palette.setColor(QPalette::Highlight, kRssiBarColour);
        r.rssiBar->setPalette(palette);
    }
    m_pllSynched->hide();
    m_pllNotSynched->hide();
    m_receivers[0].agcZeroGreen->hide();
    m_receivers[0].agcZeroGrey->show();
    m_receivers[1].agcZeroGreen->hide();
}

void StatusDisplay::ShowPllSynchronised(bool synchronised) {
    ShowPair(m_pllSynched, m_pllNotSynched, synchronised);
}

void StatusDisplay::ShowRssi(plat::UINT receiver, double dbm) {
    const ReceiverStatusControls& r = Rx(receiver);
    r.rssiEdit->setText(QString::fromStdString(FormatDouble(dbm, 1)));
    r.rssiBar->setValue(RssiBarPosition(dbm));
}

void StatusDisplay::ShowAmIndex(plat::UINT receiver, unsigned amIndex) {
    Rx(receiver).amIndexEdit->setText(QString::number(amIndex));
}

void StatusDisplay::ShowFmDeviation(plat::UINT receiver, unsigned fmDeviation) {
    Rx(receiver).fmEdit->setText(QString::number(fmDeviation));
}

void StatusDisplay::ShowLoLocks(plat::UINT receiver, bool lo2Locked, bool lo1Locked) {
    const ReceiverStatusControls& r = Rx(receiver);
    ShowPair(r.lo2Green, r.lo2Yellow, lo2Locked);
    ShowPair(r.lo1Green, r.lo1Yellow, lo1Locked);
}

void StatusDisplay::ShowAgcZero(plat::UINT receiver, bool active) {
    const plat::UINT rx = ReceiverIndex(receiver);
    const ReceiverStatusControls& r = m_receivers[rx];
    if (active && m_nAgcZeroShown[rx] != 1) {
        r.agcZeroGreen->show();
        r.agcZeroGrey->hide();
        m_nAgcZeroShown[rx] = 1;
    } else if (!active && m_nAgcZeroShown[rx] == 1) {
        r.agcZeroGrey->show();
        r.agcZeroGreen->hide();
        m_nAgcZeroShown[rx] = 0;
    }
}

void StatusDisplay::ShowAmCounter(plat::UINT receiver, const std::string& text) {
    Rx(receiver).amCounterEdit->setText(QString::fromStdString(text));
}

void StatusDisplay::SetFmDeviationAvailable(bool available) {
    for (const ReceiverStatusControls& r : m_receivers) {
        r.fmEdit->setEnabled(available);
        r.fmLabel->setEnabled(available);
        r.percentLabel->setEnabled(available);
    }
}

void StatusDisplay::GreyOutReceiver(plat::UINT receiver) {
    const ReceiverStatusControls& r = Rx(receiver);
    r.group->setEnabled(false);
    r.lo2Green->hide();
    r.lo2Yellow->hide();
    r.lo1Green->hide();
    r.lo1Yellow->hide();
    r.loHeading->setEnabled(false);
    for (QLineEdit* edit : {r.amIndexEdit, r.fmEdit, r.amCounterEdit, r.rssiEdit}) {
        edit->setEnabled(false);
        edit->clear();
    }
    r.fmLabel->setEnabled(false);
    r.percentLabel->setEnabled(false);
    r.rssiBar->setEnabled(false);
    r.rssiBar->setValue(kRssiBarLowest);
    for (QLabel* label : {r.rssiLabel, r.dbmLabel, r.amIndexLabel, r.amCounterLabel, r.hzLabel})
        label->setEnabled(false);
    r.agcZeroGreen->hide();
    r.agcZeroGrey->hide();
    r.agcZeroLabel->hide();
}

} // namespace vx::ui
