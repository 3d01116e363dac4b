#include "ui/comport/FirmwareProgressDialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vx::ui {
namespace {

const QString kSendingText = QStringLiteral("Sending the image to the unit...");
const QString kCancellingText = QStringLiteral("Cancelling after the block being sent...");
const QString kProgrammingText = QStringLiteral("The unit is programming the image: please wait.");

QString Duration(std::int64_t seconds) {
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    return QStringLiteral("%1 min %2 s")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString Rate(double bytesPerSecond) {
    if (bytesPerSecond < 1000.0)
        return QStringLiteral("%1 bytes/s").arg(std::lround(bytesPerSecond));
    return QStringLiteral("%1 kB/s").arg(bytesPerSecond / 1000.0, 0, 'f', 1);
}

QLabel* AddRow(QGridLayout* grid, const QString& caption, const QString& name, QWidget* parent) {
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(caption, parent), row, 0);
    auto* value = new QLabel(parent);
    value->setObjectName(name);
    grid->addWidget(value, row, 1);
    return value;
}

} // namespace

FirmwareProgressDialog::FirmwareProgressDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("DSP Flash File"));
    setModal(true);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* layout = new QVBoxLayout(this);
    m_phase = new QLabel(this);
    m_phase->setObjectName(QStringLiteral("phase"));
    // As wide as its longest text, so the window keeps its size from phase to phase.
    for (const QString& text : {kSendingText, kCancellingText, kProgrammingText})
        m_phase->setMinimumWidth(
            std::max(m_phase->minimumWidth(), m_phase->fontMetrics().horizontalAdvance(text)));
    layout->addWidget(m_phase);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progress"));
    m_bar->setMinimumWidth(m_bar->fontMetrics().averageCharWidth() * 48);
    layout->addWidget(m_bar);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    m_blocks = AddRow(grid, QStringLiteral("Blocks:"), QStringLiteral("blocks"), this);
    m_bytes = AddRow(grid, QStringLiteral("Bytes:"), QStringLiteral("bytes"), this);
    m_rate = AddRow(grid, QStringLiteral("Rate:"), QStringLiteral("rate"), this);
    m_timeLeft = AddRow(grid, QStringLiteral("Time left:"), QStringLiteral("timeLeft"), this);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setAutoDefault(false);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_cancel, &QPushButton::clicked, this, &FirmwareProgressDialog::reject);

    ShowProgress(FirmwareProgress{});
}

void FirmwareProgressDialog::ShowProgress(const vx::FirmwareProgress& progress) {
    const bool sending = progress.phase == FirmwarePhase::Sending;
    m_cancel->setEnabled(sending && !m_finished && !m_cancelRequested);
    m_blocks->setText(
        QStringLiteral("%1 of %2").arg(progress.blocksSent).arg(progress.blocksTotal));
    m_bytes->setText(QStringLiteral("%1 of %2").arg(progress.bytesSent).arg(progress.bytesTotal));

    if (sending) {
        m_phase->setText(m_cancelRequested ? kCancellingText : kSendingText);
        m_bar->setRange(0, static_cast<int>(progress.blocksTotal));
        m_bar->setValue(static_cast<int>(progress.blocksSent));
        if (progress.bytesSent == 0 || progress.elapsedMs <= 0) {
            m_rate->setText(QStringLiteral("-"));
            m_timeLeft->setText(QStringLiteral("-"));
            return;
        }
        const double rate = static_cast<double>(progress.bytesSent) * 1000.0 /
                            static_cast<double>(progress.elapsedMs);
        m_rate->setText(Rate(rate));
        const double sendingLeft =
            static_cast<double>(progress.bytesTotal - progress.bytesSent) / rate;
        m_timeLeft->setText(Duration(std::llround(sendingLeft) +
                                     kProgrammingWaitSteps * kProgrammingWaitStepMs / 1000));
        return;
    }

    m_phase->setText(kProgrammingText);
    m_bar->setRange(0, kProgrammingWaitSteps);
    m_bar->setValue(progress.waitStepsDone);
    m_rate->setText(QStringLiteral("-"));
    m_timeLeft->setText(
        Duration(static_cast<std::int64_t>(kProgrammingWaitSteps - progress.waitStepsDone) *
                 kProgrammingWaitStepMs / 1000));
}

void FirmwareProgressDialog::Finish() {
    m_finished = true;
    m_cancel->setEnabled(false);
    done(QDialog::Accepted);
}

void FirmwareProgressDialog::reject() {
    if (m_finished || !m_cancel->isEnabled())
        return;
    m_cancelRequested = true;
    m_cancel->setEnabled(false);
    m_phase->setText(kCancellingText);
    emit CancelRequested();
}

void FirmwareProgressDialog::closeEvent(QCloseEvent* event) {
    if (m_finished) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    reject();
}

} // namespace vx::ui
