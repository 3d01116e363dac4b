// The "Linearize Bands", "Front End Attenuator Control" and "Serial Comm"
// groups of the reference clock page.
#include "protocol/CVX18D3_Comm.h"
#include "text/NumberText.h"
#include "text/RefClkText.h"
#include "ui/PageHandler.h"
#include "ui/UpDownControl.h"
#include "ui/refclk/CVX18D_RefClk.h"
#include "ui/refclk/RefClkPageTemplate.h"
#include "ui/refclk/RefClkTrace.h"

#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace vx::ui {
namespace {

constexpr unsigned kAttenuatorCodeBits = 0x3F;

// The number a field holds, read as "%u" reads it: 0 when it holds none.
unsigned FieldNumber(const QLineEdit& field) {
    return ScanUnsigned(field.text().toStdString()).value_or(0);
}

} // namespace

void CVX18D_RefClk::ConnectUnitHandlers() {
    for (unsigned rx = 0; rx < 2; ++rx) {
        for (unsigned band = 0; band < 4; ++band) {
            connect(m_bandButton[rx][band], &QPushButton::clicked, this,
                    [this, rx, band] { OnLinearizeBand(rx, band); });
        }
    }
    for (unsigned dc = 0; dc < 2; ++dc) {
        connect(m_attenuatorSpin[dc], &UpDownControl::Stepped, this,
                [this, dc](int position) { OnAttenuatorStepped(dc, position); });
        connect(m_freeze[dc], &QPushButton::clicked, this, [this, dc] { OnFreeze(dc); });
    }
    connect(m_attenuatorRead, &QPushButton::clicked, this, [this] { OnAttenuatorRead(); });
    connect(m_attenuatorAtBoot, &QPushButton::clicked, this, [this] { OnAttenuatorAtBoot(); });
    connect(m_bootBaudSend, &QPushButton::clicked, this, [this] { OnBootBaudSend(); });
    connect(m_bootSerialType, &QPushButton::clicked, this, [this] { OnBootSerialType(); });
}

// ---- Linearize bands ----------------------------------------------------------

void CVX18D_RefClk::OnLinearizeBand(unsigned receiver, unsigned band) {
    CVX18D3_Comm& comm = *m_pComm;
    RunHandler(
        comm, [&comm, receiver, band] { return comm.LinearizeBand(receiver, band, kTraceOff); },
        [this] { ShowBandButtons(); }, kRefClkTones.linearizeBand);
}

void CVX18D_RefClk::ShowBandButtons() {
    for (std::size_t rx = 0; rx < 2; ++rx) {
        for (std::size_t band = 0; band < 4; ++band)
            m_bandButton[rx][band]->setEnabled(m_pComm->m_bLinearizeLocked[rx][band] == 0);
    }
}

// ---- Front-end attenuators ------------------------------------------------------

void CVX18D_RefClk::OnAttenuatorStepped(unsigned dc, int position) {
    // Each completed step of a spin sets that code, frozen; no tone, as the
    // operator may step many times in a row.
    CVX18D3_Comm& comm = *m_pComm;
    const auto code =
        static_cast<plat::BYTE>(static_cast<unsigned>(position) & kAttenuatorCodeBits);
    comm.SetAttenuator(dc, code, 1, kTraceOn);
    comm.MarkTraceBreak();
    ShowAttenuators();
}

void CVX18D_RefClk::OnFreeze(unsigned dc) {
    CVX18D3_Comm& comm = *m_pComm;
    const auto code = static_cast<plat::BYTE>(
        std::min(FieldNumber(*m_attenuatorCode[dc]), static_cast<unsigned>(kAttenuatorCodeMax)));
    RunHandler(
        comm,
        [&comm, dc, code] {
            return comm.SetAttenuator(dc, code, !comm.m_bAttenuatorFreeze[dc], kTraceOn);
        },
        [this] { ShowAttenuators(); }, kRefClkTones.unitSetting);
}

void CVX18D_RefClk::OnAttenuatorRead() {
    CVX18D3_Comm& comm = *m_pComm;
    RunHandler(
        comm, [&comm] { return comm.ReadAttenuators(kTraceOn); }, [this] { ShowAttenuators(); },
        kRefClkTones.unitSetting);
}

void CVX18D_RefClk::OnAttenuatorAtBoot() {
    CVX18D3_Comm& comm = *m_pComm;
    RunHandler(
        comm, [&comm] { return comm.SetAttenuatorOnAtBoot(!comm.m_bAttenuatorAtBoot, kTraceOn); },
        [this] { ShowAttenuators(); }, kRefClkTones.unitSetting);
}

void CVX18D_RefClk::ShowAttenuators() {
    const CVX18D3_Comm& comm = *m_pComm;
    for (std::size_t dc = 0; dc < 2; ++dc) {
        // The spin writes the code into its buddy field.
        m_attenuatorSpin[dc]->SetPos(comm.m_nAttenuator[dc]);
        m_attenuatorLevel[dc]->setText(
            QString::fromStdString(AttenuatorLevelText(comm.m_nAttenuator[dc])));
        m_freeze[dc]->setChecked(comm.m_bAttenuatorFreeze[dc] != 0);
    }
    m_attenuatorAtBoot->setChecked(comm.m_bAttenuatorAtBoot != 0);
}

// ---- Serial settings at boot -----------------------------------------------------

void CVX18D_RefClk::OnBootBaudSend() {
    // The rate goes as typed, checked against no list; a rate the command
    // cannot carry is refused by the protocol object and sounds as a failure.
    CVX18D3_Comm& comm = *m_pComm;
    const unsigned baud = FieldNumber(*m_bootBaud);
    RunHandler(
        comm, [&comm, baud] { return comm.SetBootBaudRate(baud, kTraceOn); },
        [this] { ShowBootSerialSettings(); }, kRefClkTones.unitSetting);
}

void CVX18D_RefClk::OnBootSerialType() {
    // RS-232 goes to RS-422; RS-422 and an unknown type go to RS-232.
    CVX18D3_Comm& comm = *m_pComm;
    const plat::UINT type = comm.m_nBootSerialType == 0 ? 1 : 0;
    RunHandler(
        comm, [&comm, type] { return comm.SetBootSerialType(type, kTraceOn); },
        [this] { ShowBootSerialSettings(); }, kRefClkTones.unitSetting);
}

void CVX18D_RefClk::ShowBootSerialSettings() {
    const CVX18D3_Comm& comm = *m_pComm;
    m_bootBaud->setText(QString::number(comm.m_nBootBaudRate));
    m_bootSerialType->setText(QString::fromLatin1(SerialTypeCaption(comm.m_nBootSerialType)));
    m_bootSerialType->setChecked(comm.m_nBootSerialType == 1);
}

} // namespace vx::ui
