// The page frame (construction, start-up, refresh, keyboard), the reference
// clock, the identity values and the historical ranges.
#include "ui/refclk/CVX18D_RefClk.h"

#include "protocol/CVX18D3_Comm.h"
#include "text/RefClkText.h"
#include "ui/ImageStatic.h"
#include "ui/PageHandler.h"
#include "ui/UpDownControl.h"
#include "ui/refclk/RefClkPageTemplate.h"
#include "ui/refclk/RefClkTrace.h"
#include "unit/Readouts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vx::ui {

CVX18D_RefClk::CVX18D_RefClk(CVX18D3_Comm* comm, int offline, QWidget* parent)
    : TabPage(comm, parent), m_bOffline(offline) {
    CreateFromTemplate(RefClkPageTemplate(), kRefClkWidthDlu, kRefClkHeightDlu);
    DoDataExchange();
    ConnectHandlers();
    OnInitDialog();
}

void CVX18D_RefClk::DoDataExchange() {
    for (std::size_t k = 0; k < 8; ++k) {
        m_switchCheck[k] = Item<QCheckBox>(kSwitchCheckIds[k]);
        m_lineName[k] = Item<QLabel>(kLineNameIds[k]);
    }
    for (std::size_t led = 0; led < 4; ++led) {
        m_idLedUnlit[led] = Item<ImageStatic>(kIdLedUnlitIds[led]);
        m_idLedLit[led] = Item<ImageStatic>(kIdLedLitIds[led]);
        m_idLedButton[led] = Item<QPushButton>(kIdLedButtonIds[led]);
    }
    for (std::size_t i = 0; i < m_extRef.size(); ++i)
        m_extRef[i] = Item<QRadioButton>(kExtRefRadioIds[i]);
    for (std::size_t i = 0; i < 5; ++i)
        m_discreteCheck[i] = Item<QCheckBox>(kDiscreteCheckIds[i]);
    for (std::size_t dc = 0; dc < 2; ++dc) {
        m_attenuatorSpin[dc] = Item<UpDownControl>(kAttenuatorSpinIds[dc]);
        m_attenuatorCode[dc] = Item<QLineEdit>(kAttenuatorCodeIds[dc]);
        m_attenuatorLevel[dc] = Item<QLineEdit>(kAttenuatorLevelIds[dc]);
        m_freeze[dc] = Item<QPushButton>(kFreezeIds[dc]);
        for (std::size_t band = 0; band < 4; ++band)
            m_bandButton[dc][band] = Item<QPushButton>(kBandButtonIds[dc][band]);
    }
    m_intRef = Item<QPushButton>(IDC_INTREF);
    m_serialNumber = Item<QLabel>(IDC_SERIAL_NUMBER);
    m_firmwareVersion = Item<QLabel>(IDC_FIRMWARE_VERSION);
    m_switchGroup = Item<QGroupBox>(IDC_SWITCH_GROUP);
    m_idLedGroup = Item<QGroupBox>(IDC_ID_LED_GROUP);
    m_switchRead = Item<QPushButton>(IDC_SWITCH_READ);
    m_bootMode = Item<QLabel>(IDC_BOOT_MODE);
    m_preferEeprom = Item<QCheckBox>(IDC_PREFER_EEPROM);
    m_attenuatorRead = Item<QPushButton>(IDC_ATTENUATOR_READ);
    m_attenuatorAtBoot = Item<QPushButton>(IDC_ATTENUATOR_AT_BOOT);
    m_bootBaud = Item<QLineEdit>(IDC_BOOT_BAUD);
    m_bootBaudSend = Item<QPushButton>(IDC_BOOT_BAUD_SEND);
    m_bootSerialType = Item<QPushButton>(IDC_BOOT_SERIAL_TYPE);
}

void CVX18D_RefClk::ConnectHandlers() {
    // Only a click by the operator runs a handler; marks set from the cache do not.
    connect(m_intRef, &QPushButton::clicked, this, [this] { OnInternalReference(); });
    for (unsigned i = 0; i < m_extRef.size(); ++i)
        connect(m_extRef[i], &QRadioButton::clicked, this, [this, i] { OnExternalReference(i); });
    ConnectSwitchHandlers();
    ConnectUnitHandlers();
}

plat::BOOL CVX18D_RefClk::OnInitDialog() {
    // The accelerator table is the page's own (see TabPage).
    setWindowTitle(QStringLiteral("Ref Clk"));
    for (std::size_t dc = 0; dc < 2; ++dc) {
        m_attenuatorSpin[dc]->SetRange(0, kAttenuatorCodeMax);
        m_attenuatorSpin[dc]->SetBuddy(m_attenuatorCode[dc]);
    }
    if (m_bOffline == 0) {
        SetText(m_serialNumber, RefClkPageReadout(*m_pComm));
        SetText(m_firmwareVersion, FirmwareVersionText(m_pComm->m_dwFirmwareDate));
        ShowSwitchAndDiscreteChecks();
    }
    ShowIdLeds(std::to_array(m_pComm->m_nIdLed));
    ShowInternalReference();
    ShowExternalReferenceFrequency();
    return plat::TRUE;
}

void CVX18D_RefClk::RefreshFromUnit() {
    CVX18D3_Comm& comm = *m_pComm;
    // The reads stop at the first failure; the groups are redrawn whatever they gave.
    RefClkRefreshReads(comm);

    ShowBootSerialSettings();
    ShowInternalReference();
    ShowBandButtons();
    ShowAttenuators();
    ShowSwitchesAndDiscretes();
    ShowTemperatureRange();
    ShowSupplyVoltageRange();
    ShowSupplyCurrentRange();
}

void CVX18D_RefClk::OnCommand(plat::UINT) {
    // Neither Enter nor Space activates a control here.
}

void CVX18D_RefClk::SetText(QLabel* label, const std::string& utf8) {
    label->setText(QString::fromStdString(utf8));
}

// ---- Reference clock --------------------------------------------------------

void CVX18D_RefClk::OnInternalReference() {
    CVX18D3_Comm& comm = *m_pComm;
    RunHandler(
        comm, [&comm] { return comm.SetInternalReference(!comm.m_bIntRefOn, kTraceOff); },
        [this] { ShowInternalReference(); }, kRefClkTones.internalReference);
}

void CVX18D_RefClk::ShowInternalReference() {
    const bool on = m_pComm->m_bIntRefOn != 0;
    m_intRef->setText(QString::fromLatin1(InternalReferenceCaption(on)));
    m_intRef->setChecked(on);
}

void CVX18D_RefClk::OnExternalReference(unsigned index) {
    CVX18D3_Comm& comm = *m_pComm;
    const unsigned mhz = kExtRefMHz[index];
    RunHandler(
        comm, [&comm, mhz] { return comm.SetExternalReferenceFrequency(mhz, kTraceOff); },
        [this] { ShowExternalReferenceFrequency(); }, kRefClkTones.externalReference);
}

void CVX18D_RefClk::ShowExternalReferenceFrequency() {
    // Any frequency the unit does not offer shows as 10 MHz.
    std::size_t shown = 1;
    for (std::size_t i = 0; i < kExtRefMHz.size(); ++i) {
        if (m_pComm->m_nExtRefMHz == kExtRefMHz[i])
            shown = i;
    }
    for (std::size_t i = 0; i < m_extRef.size(); ++i)
        m_extRef[i]->setChecked(i == shown);
}

// ---- Historical ranges ------------------------------------------------------
// Each pair holds the first history item at index 0; it shows right of the
// dash, the second item left of it.

void CVX18D_RefClk::ShowTemperatureRange() {
    const std::int16_t(&t)[2] = m_pComm->m_nTemperature;
    SetText(Item<QLabel>(kCelsiusTexts.right), CelsiusText(t[0]));
    SetText(Item<QLabel>(kFahrenheitTexts.right), FahrenheitText(t[0]));
    SetText(Item<QLabel>(kCelsiusTexts.left), CelsiusText(t[1]));
    SetText(Item<QLabel>(kFahrenheitTexts.left), FahrenheitText(t[1]));
}

void CVX18D_RefClk::ShowSupplyVoltageRange() {
    SetText(Item<QLabel>(kVoltsTexts.right), VoltsText(m_pComm->m_fSupplyVoltage[0]));
    SetText(Item<QLabel>(kVoltsTexts.left), VoltsText(m_pComm->m_fSupplyVoltage[1]));
}

void CVX18D_RefClk::ShowSupplyCurrentRange() {
    SetText(Item<QLabel>(kAmperesTexts.right), AmperesText(m_pComm->m_fSupplyCurrent[0]));
    SetText(Item<QLabel>(kAmperesTexts.left), AmperesText(m_pComm->m_fSupplyCurrent[1]));
}

} // namespace vx::ui
