// The live status area of the main window: the reference PLL lamp and, per
// receiver, RSSI text and bar, FM deviation, AM index, AM counter, the two LO
// lock lamps and the AGC-zero image. It only draws what it is given; the
// main window decides when.
#pragma once

#include "protocol/CVX18D3_Comm.h"
#include "ui/DialogTemplate.h"

#include <array>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace vx::ui {

class ImageStatic;

struct ReceiverStatusControls {
    QGroupBox* group = nullptr;
    QLineEdit* rssiEdit = nullptr;
    QLabel* rssiLabel = nullptr;
    QLabel* dbmLabel = nullptr;
    QProgressBar* rssiBar = nullptr;
    QLineEdit* fmEdit = nullptr;
    QLabel* fmLabel = nullptr;
    QLabel* percentLabel = nullptr;
    QLineEdit* amIndexEdit = nullptr;
    QLabel* amIndexLabel = nullptr;
    QLineEdit* amCounterEdit = nullptr;
    QLabel* amCounterLabel = nullptr;
    QLabel* hzLabel = nullptr;
    ImageStatic* lo2Green = nullptr;
    ImageStatic* lo2Yellow = nullptr;
    ImageStatic* lo1Green = nullptr;
    ImageStatic* lo1Yellow = nullptr;
    QLabel* loHeading = nullptr;
    ImageStatic* agcZeroGreen = nullptr;
    ImageStatic* agcZeroGrey = nullptr;
    QLabel* agcZeroLabel = nullptr;
};

class StatusDisplay {
public:
    explicit StatusDisplay(const DialogControls& controls);

    // Bars at their lower end in the bar colour, PLL lamps hidden, AGC-zero
    // images grey: the look until the first reply.
    void ShowInitialState();

    void ShowPllSynchronised(bool synchronised);
    void ShowRssi(plat::UINT receiver, double dbm);
    void ShowAmIndex(plat::UINT receiver, unsigned amIndex);
    void ShowFmDeviation(plat::UINT receiver, unsigned fmDeviation);
    void ShowLoLocks(plat::UINT receiver, bool lo2Locked, bool lo1Locked);
    // Swaps the AGC-zero images only when the state shown changes.
    void ShowAgcZero(plat::UINT receiver, bool active);
    void ShowAmCounter(plat::UINT receiver, const std::string& text);

    // The FM deviation edits and their labels of both receivers.
    void SetFmDeviationAvailable(bool available);
    // The receiver has no page: its status area is greyed out and empty.
    void GreyOutReceiver(plat::UINT receiver);

    // 1 while the green AGC-zero image is shown, 0 while the grey one is.
    int AgcZeroShown(plat::UINT receiver) const { return m_nAgcZeroShown[ReceiverIndex(receiver)]; }

private:
    const ReceiverStatusControls& Rx(plat::UINT receiver) const {
        return m_receivers[ReceiverIndex(receiver)];
    }

    ImageStatic* m_pllSynched;
    ImageStatic* m_pllNotSynched;
    std::array<ReceiverStatusControls, 2> m_receivers;
    std::array<int, 2> m_nAgcZeroShown{0, 0};
};

} // namespace vx::ui
