// The "Switch and Discrete Lines" and "VX18P3 ID LEDs" groups of the
// reference clock page. What the lines mean depends on whether the VX18P3
// companion board is fitted; the switches can be changed only while the unit
// keeps them in EEPROM.
#include "protocol/CVX18D3_Comm.h"
#include "text/RefClkText.h"
#include "ui/ImageStatic.h"
#include "ui/PageHandler.h"
#include "ui/refclk/CVX18D_RefClk.h"
#include "ui/refclk/RefClkPageTemplate.h"
#include "ui/refclk/RefClkTrace.h"
#include "unit/SwitchWord.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace vx::ui {
namespace {

// What the ID LED states mean on the page: 1 unlit, 2 lit, anything else
// not available.
constexpr plat::DWORD kIdLedUnlit = 1;
constexpr plat::DWORD kIdLedLit = 2;

} // namespace

void CVX18D_RefClk::ConnectSwitchHandlers() {
    connect(m_switchRead, &QPushButton::clicked, this, [this] { OnSwitchRead(); });
    for (unsigned line = 0; line < m_switchCheck.size(); ++line)
        connect(m_switchCheck[line], &QCheckBox::clicked, this, [this, line] { OnSwitch(line); });
    connect(m_preferEeprom, &QCheckBox::clicked, this, [this] { OnPreferEeprom(); });
    for (unsigned led = 0; led < m_idLedButton.size(); ++led)
        connect(m_idLedButton[led], &QPushButton::clicked, this, [this, led] { OnIdLed(led); });
}

void CVX18D_RefClk::ShowSwitchAndDiscreteChecks() {
    plat::BOOL switches[8] = {};
    plat::BOOL discretes[5] = {};
    m_pComm->GetSwitchesAndDiscretes(switches, discretes, kTraceOff);
    for (std::size_t k = 0; k < m_switchCheck.size(); ++k)
        m_switchCheck[k]->setChecked(switches[k] != 0);
    for (std::size_t i = 0; i < m_discreteCheck.size(); ++i)
        m_discreteCheck[i]->setChecked(discretes[i] != 0);
}

void CVX18D_RefClk::ShowSwitchesAndDiscretes() {
    const CVX18D3_Comm& comm = *m_pComm;
    const bool companion = comm.m_bCompanionBoard != 0;
    const bool inEeprom = comm.m_bEepromForced || comm.m_bPreferEeprom;
    const SwitchMode mode = companion ? SwitchMode::Vx18p3 : SwitchMode::Vx18d;

    m_switchGroup->setTitle(QString::fromLatin1(SwitchGroupTitle(mode)));
    const std::array<const char*, 8> names = SwitchLineNames(mode, inEeprom);
    for (std::size_t k = 0; k < m_lineName.size(); ++k)
        m_lineName[k]->setText(QString::fromLatin1(names[k]));
    // The companion board owns the ID LEDs and fixes the switch lines.
    m_idLedGroup->setEnabled(companion);
    for (QCheckBox* box : m_switchCheck)
        box->setEnabled(!companion && inEeprom);

    ShowIdLeds(std::to_array(comm.m_nIdLed));

    plat::BOOL switches[8] = {};
    plat::BOOL discretes[5] = {};
    m_pComm->GetSwitchesAndDiscretes(switches, discretes, kTraceOff);
    for (std::size_t k = 0; k < m_switchCheck.size(); ++k)
        m_switchCheck[k]->setChecked(switches[k] != 0);
    m_bootMode->setText(
        QString::fromLatin1(BootModeText(mode, switches[6] != 0, switches[7] != 0)));
    for (std::size_t i = 0; i < m_discreteCheck.size(); ++i)
        m_discreteCheck[i]->setChecked(discretes[i] != 0);

    if (comm.m_bEepromForced) {
        m_preferEeprom->setEnabled(false);
        m_preferEeprom->setChecked(true);
    } else {
        m_preferEeprom->setEnabled(true);
        m_preferEeprom->setChecked(comm.m_bPreferEeprom != 0);
    }
}

void CVX18D_RefClk::ShowIdLeds(const std::array<plat::DWORD, 4>& states) {
    for (std::size_t led = 0; led < states.size(); ++led) {
        const bool unlit = states[led] == kIdLedUnlit;
        const bool lit = states[led] == kIdLedLit;
        m_idLedUnlit[led]->setVisible(unlit);
        m_idLedLit[led]->setVisible(lit);
        m_idLedButton[led]->setChecked(lit);
        m_idLedButton[led]->setEnabled(unlit || lit);
    }
}

void CVX18D_RefClk::OnSwitchRead() {
    CVX18D3_Comm& comm = *m_pComm;
    RunHandler(
        comm, [&comm] { return comm.ReadSwitchesAndDiscretes(0, kTraceOn); },
        [this] { ShowSwitchesAndDiscretes(); }, kRefClkTones.switchLines);
}

void CVX18D_RefClk::OnSwitch(unsigned line) {
    // The word comes from the unit's last report with the clicked line
    // toggled; the check box's own state is not read. The reply refreshes the
    // cache, so the boxes then show the unit's answer.
    CVX18D3_Comm& comm = *m_pComm;
    const plat::WORD word = SwitchWordToggling(CachedSwitchReport(comm), line);
    RunHandler(
        comm, [&comm, word] { return comm.WriteSwitches(word, kTraceOn); },
        [this] { ShowSwitchesAndDiscretes(); }, kRefClkTones.switchLines);
}

void CVX18D_RefClk::OnPreferEeprom() {
    CVX18D3_Comm& comm = *m_pComm;
    const plat::WORD word = SwitchWordTogglingPreference(CachedSwitchReport(comm));
    RunHandler(
        comm, [&comm, word] { return comm.WriteSwitches(word, kTraceOn); },
        [this] { ShowSwitchesAndDiscretes(); }, kRefClkTones.switchLines);
}

void CVX18D_RefClk::OnIdLed(unsigned led) {
    // Lit goes to unlit; anything else asks for lit. The protocol object
    // keeps the new state only with the companion board fitted, and the
    // command reports no result: the tone is the same either way.
    CVX18D3_Comm& comm = *m_pComm;
    const plat::DWORD state = comm.m_nIdLed[led] == kIdLedLit ? kIdLedUnlit : kIdLedLit;
    RunHandler(
        comm,
        [&comm, state, led] {
            comm.SetIdLed(0, state, led, kTraceOff);
            return plat::TRUE;
        },
        [this, &comm] { ShowIdLeds(std::to_array(comm.m_nIdLed)); }, kRefClkTones.idLed);
}

} // namespace vx::ui
