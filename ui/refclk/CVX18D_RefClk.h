// The reference clock and hardware page: the unit-wide settings and readings
// of the VX18D. Every control acts at once: it sends one operation of the
// protocol object, redraws its group from the protocol object's cache and
// sounds a tone that tells success from failure. The page keeps no device
// state of its own.
//
// The handlers live by group: the page frame, reference clock, identity and
// historical ranges here; the switch and discrete lines with the ID LEDs in
// RefClkSwitchHandlers.cpp; band linearisation, attenuators and the boot
// serial settings in RefClkUnitHandlers.cpp.
#pragma once

#include "platform/Win32Types.h"
#include "ui/TabPage.h"

#include <array>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vx::ui {

class ImageStatic;
class UpDownControl;

class CVX18D_RefClk : public TabPage {
    Q_OBJECT

public:
    // Builds the page from template 137 and initialises it; offline, it sends
    // nothing and keeps the template's texts.
    CVX18D_RefClk(CVX18D3_Comm* comm, int offline, QWidget* parent);

    // Called by the main window each time this page's tab becomes the
    // selected one: reads the attenuators, switches and historical ranges,
    // stopping at the first failure, and redraws every group.
    void RefreshFromUnit();

protected:
    // Enter and Space: nothing on this page.
    void OnCommand(plat::UINT command) override;

private:
    plat::BOOL OnInitDialog();
    void DoDataExchange();
    void ConnectHandlers();
    void SetText(QLabel* label, const std::string& utf8);

    // Reference clock, identity, historical ranges.
    void OnInternalReference();
    void OnExternalReference(unsigned index);
    void ShowInternalReference();
    void ShowExternalReferenceFrequency();
    void ShowTemperatureRange();
    void ShowSupplyVoltageRange();
    void ShowSupplyCurrentRange();

    // Switch and discrete lines, ID LEDs.
    void ConnectSwitchHandlers();
    void ShowSwitchAndDiscreteChecks();
    void ShowSwitchesAndDiscretes();
    void ShowIdLeds(const std::array<plat::DWORD, 4>& states);
    void OnSwitchRead();
    void OnSwitch(unsigned line);
    void OnPreferEeprom();
    void OnIdLed(unsigned led);

    // Band linearisation, attenuators, boot serial settings.
    void ConnectUnitHandlers();
    void ShowBandButtons();
    void ShowAttenuators();
    void ShowBootSerialSettings();
    void OnLinearizeBand(unsigned receiver, unsigned band);
    void OnAttenuatorStepped(unsigned dc, int position);
    void OnFreeze(unsigned dc);
    void OnAttenuatorRead();
    void OnAttenuatorAtBoot();
    void OnBootBaudSend();
    void OnBootSerialType();

    // The controls, bound to their identifiers (owned by the page). Index 0
    // of a pair is DC1, index 1 DC2.
    std::array<QCheckBox*, 8> m_switchCheck{};
    std::array<QLabel*, 8> m_lineName{};
    std::array<ImageStatic*, 4> m_idLedUnlit{};
    std::array<ImageStatic*, 4> m_idLedLit{};
    std::array<QPushButton*, 4> m_idLedButton{};
    std::array<QCheckBox*, 5> m_discreteCheck{};
    std::array<UpDownControl*, 2> m_attenuatorSpin{};
    std::array<QLineEdit*, 2> m_attenuatorCode{};
    std::array<QLineEdit*, 2> m_attenuatorLevel{};
    std::array<QPushButton*, 2> m_freeze{};
    std::array<QRadioButton*, 4> m_extRef{};
    std::array<std::array<QPushButton*, 4>, 2> m_bandButton{};
    QPushButton* m_intRef = nullptr;
    QLabel* m_serialNumber = nullptr;
    QLabel* m_firmwareVersion = nullptr;
    QGroupBox* m_switchGroup = nullptr;
    QGroupBox* m_idLedGroup = nullptr;
    QPushButton* m_switchRead = nullptr;
    QLabel* m_bootMode = nullptr;
    QCheckBox* m_preferEeprom = nullptr;
    QPushButton* m_attenuatorRead = nullptr;
    QPushButton* m_attenuatorAtBoot = nullptr;
    QLineEdit* m_bootBaud = nullptr;
    QPushButton* m_bootBaudSend = nullptr;
    QPushButton* m_bootSerialType = nullptr;

    int m_bOffline;
};

} // namespace vx::ui
