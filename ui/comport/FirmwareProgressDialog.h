// The modal window shown while a firmware image goes to the unit: the phase
// (sending, then programming), blocks and bytes sent of the total, the rate,
// and the time left. Cancel can be pressed only while blocks are being sent;
// the window closes only when the load has ended (Finish).
#pragma once

#include "unit/FirmwareLoader.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vx::ui {

class FirmwareProgressDialog : public QDialog {
    Q_OBJECT

public:
    explicit FirmwareProgressDialog(QWidget* parent);

    void ShowProgress(const vx::FirmwareProgress& progress);
    // The load has ended: the window closes.
    void Finish();

    // Escape and the close box count as Cancel while blocks are being sent,
    // and as nothing afterwards.
    void reject() override;

signals:
    void CancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_phase = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_blocks = nullptr;
    QLabel* m_bytes = nullptr;
    QLabel* m_rate = nullptr;
    QLabel* m_timeLeft = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_cancelRequested = false;
    bool m_finished = false;
};

} // namespace vx::ui
