// The reference clock page against the simulated unit, group by group: what
// it sends at start-up and on a refresh, and for every control the request
// on the line, the trace it asks for, the tone, and the cache and texts
// afterwards, for a unit that answers and for one that does not. Also the
// page's texts, the switch words the page cannot be clicked into, and
// screenshots in both switch modes.
#include "GuiTestSupport.h"

#include "sim/FactoryTables.h"
#include "support/ExpectedTraffic.h"
#include "text/RefClkText.h"
#include "ui/ImageStatic.h"
#include "ui/UpDownControl.h"
#include "ui/refclk/CVX18D_RefClk.h"
#include "ui/refclk/RefClkPageTemplate.h"
#include "unit/SwitchWord.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace vx::ui;
namespace traffic = vxtest::traffic;

namespace {

QString HexByte(unsigned value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

// What the protocol object was asked to trace: the command byte of each
// traced request, and "|" for each trace break.
class TraceLog : public plat::MessageTarget {
public:
    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM index, plat::LPARAM value) override {
        if (message == vx::WM_TRACE_REQUEST_BYTE && index == vx::kHeaderLength)
            m_events << HexByte(static_cast<unsigned>(value));
        else if (message == vx::WM_TRACE_BREAK)
            m_events << QStringLiteral("|");
        return 0;
    }
    QStringList Take() { return std::exchange(m_events, {}); }

private:
    QStringList m_events;
};

// The page on its own over a simulated unit, with the tones and the trace
// recorded.
class PageSession {
public:
    explicit PageSession(sim::UnitOptions options = {}) : m_link(options, 115200) {
        Comm().m_nTimeout = 300;
        Comm().m_hTraceWnd = &m_trace;
    }
    ~PageSession() { Comm().m_hTraceWnd = nullptr; }

    sim::SimulatedUnit& Unit() { return m_link.Unit(); }
    vx::CVX18D3_Comm& Comm() { return m_link.Comm(); }
    CVX18D_RefClk& Page() { return *m_page; }

    // What the main window reads before it creates its pages.
    void ReadConfiguration() { Comm().ReadDeviceConfiguration(0); }

    // Creates the page; false when the link to the unit is not up.
    bool Open(int offline = 0) {
        if (!m_link.Ready())
            return false;
        m_page = std::make_unique<CVX18D_RefClk>(&Comm(), offline, nullptr);
        m_page->show();
        return true;
    }
    // Opens the page and refreshes it, as selecting its tab does.
    bool Show() {
        if (!Open())
            return false;
        m_page->RefreshFromUnit();
        Take();
        return true;
    }

    // The requests since the last call against the expected ones: empty when
    // they are the same packets in the same order.
    std::string TakeRequests(const vxtest::traffic::Sequence& expected) {
        const std::string difference = vxtest::traffic::Difference(Unit().Requests(), expected);
        Unit().ClearRequests();
        return difference;
    }

    // What happened since the last call: the payload of each request in
    // hexadecimal, the trace, and the tones as frequency/duration.
    QString Take() {
        QStringList requests;
        for (const auto& request : Unit().Requests()) {
            QStringList bytes;
            for (std::size_t i = sim::kHeaderSize; i < request.size(); ++i)
                bytes << HexByte(request[i]);
            requests << bytes.join(' ');
        }
        Unit().ClearRequests();
        QStringList tones;
        for (const vxtest::RecordedTones::Tone& tone : m_tones.Tones())
            tones << QStringLiteral("%1/%2").arg(tone.frequencyHz).arg(tone.durationMs);
        m_tones.Clear();
        return requests.join(", ") + " ; " + m_trace.Take().join(' ') + " ; " + tones.join(' ');
    }

    template <class T = QWidget> T* Item(int id) { return vxtest::Control<T>(*m_page, id); }
    QString Text(int id) {
        if (auto* label = Item<QLabel>(id))
            return label->text();
        if (auto* edit = Item<QLineEdit>(id))
            return edit->text();
        if (auto* button = Item<QAbstractButton>(id))
            return button->text();
        return Item<QGroupBox>(id)->title();
    }
    QStringList Texts(std::span<const int> ids) {
        QStringList texts;
        for (int id : ids)
            texts << Text(id);
        return texts;
    }
    bool Checked(int id) { return Item<QAbstractButton>(id)->isChecked(); }
    // The check marks of the controls, '1' for checked.
    QString Marks(std::span<const int> ids) {
        QString marks;
        for (int id : ids)
            marks += Checked(id) ? '1' : '0';
        return marks;
    }
    bool Enabled(int id) { return Item(id)->isEnabled(); }
    bool Shown(int id) { return !Item(id)->isHidden(); }
    void Click(int id) { Item<QAbstractButton>(id)->click(); }
    // The unit keeps silent for the next count exchanges.
    void Silence(int count = 1) { Unit().ArmNoAnswer(count); }

private:
    TraceLog m_trace;
    vxtest::RecordedTones m_tones;
    vxtest::SimLink m_link;
    std::unique_ptr<CVX18D_RefClk> m_page;
};

// A configuration word went out, untraced, and was heard; nothing else.
constexpr const char* kConfigurationWordSent = " ; | ; ";

bool OnlyAConfigurationWord(PageSession& s) {
    const auto requests = s.Unit().Requests();
    return requests.size() == 1 && requests[0][2] == sim::kConfigurationWord.first &&
           requests[0][3] == sim::kConfigurationWord.second;
}

} // namespace

class RefClkPageTest : public QObject {
    Q_OBJECT

private slots:
    // ---- Page frame: start-up, refresh, keyboard -------------------------------

    void startUpReadsIdentityAndSwitchesUntraced() {
        PageSession s;
        s.Unit().WithModel([](sim::UnitModel& m) {
            m.SetDipSwitches(0x81);
            m.SetDiscretes(0x15);
        });
        QVERIFY(s.Open());

        // Identity: five registers of the first receiver and three of the
        // second, each after its page selection; then the unit status.
        QCOMPARE(s.TakeRequests(traffic::RefClkPageInit(false)), std::string());
        QCOMPARE(s.Take(), QString(" ; | ; "));

        QCOMPARE(s.Page().windowTitle(), QString("Ref Clk"));
        QCOMPARE(s.Text(IDC_SERIAL_NUMBER), QString("0012-ABCD"));
        QCOMPARE(s.Text(IDC_FIRMWARE_VERSION), QString("20180309"));
        QCOMPARE(s.Text(IDC_INTREF), QString("Internal Reference Clock Off"));
        QVERIFY(!s.Checked(IDC_INTREF));
        QCOMPARE(s.Marks(kSwitchCheckIds), QString("10000001"));
        QCOMPARE(s.Marks(kDiscreteCheckIds), QString("10101"));
        // Names and boot mode wait for the first refresh.
        QCOMPARE(s.Texts(kLineNameIds), QStringList({"1", "2", "3", "4", "5", "6", "7", "8"}));
        QCOMPARE(s.Text(IDC_BOOT_MODE), QString("Boot Mode"));
        for (int led = 0; led < 4; ++led) {
            QVERIFY(!s.Shown(kIdLedUnlitIds[led]) && !s.Shown(kIdLedLitIds[led]));
            QVERIFY(!s.Enabled(kIdLedButtonIds[led]));
            QVERIFY(!s.Enabled(kExtRefRadioIds[led]));
        }
        for (int id : kDiscreteCheckIds)
            QVERIFY(!s.Enabled(id));
    }

    void offlineStartSendsNothingAndKeepsTheTemplateTexts() {
        PageSession s;
        QVERIFY(s.Open(1));
        QCOMPARE(s.Take(), QString(" ;  ; "));
        QCOMPARE(s.Text(IDC_SERIAL_NUMBER), QString("serial number"));
        QCOMPARE(s.Text(IDC_FIRMWARE_VERSION), QString("dsp firmware ver"));
        for (RangeTextIds pair : {kCelsiusTexts, kFahrenheitTexts, kVoltsTexts, kAmperesTexts})
            QCOMPARE(s.Texts({{pair.left, pair.right}}), QStringList({"xxxxxxxx", "xxxxxxxx"}));
    }

    void refreshReadsInOrderAndRedrawsEveryGroup() {
        PageSession s;
        s.ReadConfiguration();
        s.Unit().WithModel([](sim::UnitModel& m) {
            m.Unit().attenuators[0] = {20, false};
            m.Unit().attenuators[1] = {40, true};
            m.Unit().attenuatorsAtBoot = true;
            const std::int16_t history[6] = {41, -5, 30, 23, 4, 1};
            for (int item = 0; item < 6; ++item)
                m.SetHistory(item, history[item]);
        });
        QVERIFY(s.Open());
        s.Take();
        s.Page().RefreshFromUnit();

        // Every read traced, no trace break and no tone.
        QCOMPARE(s.TakeRequests(traffic::RefreshFromUnit(false, false)), std::string());
        QCOMPARE(s.Take(), QString(" ; C0 48 C8 C8 C8 C8 C8 C8 ; "));
        QCOMPARE(s.Texts({{kCelsiusTexts.left, kCelsiusTexts.right, kFahrenheitTexts.left,
                           kFahrenheitTexts.right, kVoltsTexts.left, kVoltsTexts.right,
                           kAmperesTexts.left, kAmperesTexts.right}}),
                 QStringList({"-5 °C", "41 °C", "23 °F", "106 °F", "23 V", "30 V", "1 A", "4 A"}));
        QCOMPARE(s.Texts(kAttenuatorCodeIds), QStringList({"20", "40"}));
        QCOMPARE(s.Texts(kAttenuatorLevelIds), QStringList({"-21.5", "-11.5"}));
        QCOMPARE(s.Marks(kFreezeIds), QString("01"));
        QVERIFY(s.Checked(IDC_ATTENUATOR_AT_BOOT));
        QCOMPARE(s.Text(IDC_BOOT_BAUD), QString("57600"));
        QCOMPARE(s.Text(IDC_BOOT_SERIAL_TYPE), QString("RS232"));
        QCOMPARE(s.Text(IDC_SWITCH_GROUP), QString("VX18D Switch and Discrete Lines"));
        QCOMPARE(s.Text(IDC_BOOT_MODE), QString("No Setup"));
        // The band without linearisation hardware is locked out on both receivers.
        for (int rx = 0; rx < 2; ++rx) {
            for (int band = 0; band < 4; ++band)
                QCOMPARE(s.Enabled(kBandButtonIds[rx][band]),
                         band != sim::kBandWithoutLinearisation);
        }
    }

    void refreshStopsAtTheFirstFailedReadAndStillRedraws() {
        PageSession s;
        QVERIFY(s.Open());
        s.Take();
        // The attenuators and switches answer, the temperature does not.
        s.Unit().StopAfter(2);
        s.Page().RefreshFromUnit();
        s.Unit().ClearFaults();

        const traffic::Sequence all = traffic::RefreshFromUnit(false, false);
        QCOMPARE(s.TakeRequests(traffic::Sequence(all.begin(), all.begin() + 3)), std::string());
        QCOMPARE(s.Take(), QString(" ; C0 48 C8 ; "));
        QCOMPARE(s.Texts(kAttenuatorLevelIds), QStringList({"0.0", "0.0"}));
        // The failed reading stands in both entries; the ranges not read show
        // what the cache holds.
        QCOMPARE(s.Texts({{kCelsiusTexts.left, kCelsiusTexts.right, kFahrenheitTexts.right,
                           kVoltsTexts.left, kAmperesTexts.right}}),
                 QStringList({"0 °C", "0 °C", "32 °F", "0 V", "0 A"}));
        QCOMPARE(s.Text(IDC_SWITCH_GROUP), QString("VX18D Switch and Discrete Lines"));
    }

    void enterAndSpaceDoNothing() {
        PageSession s;
        QVERIFY(s.Open());
        s.Take();
        for (int id : {IDC_INTREF, IDC_SWITCH_READ, IDC_ATTENUATOR_AT_BOOT}) {
            s.Item(id)->setFocus();
            QTest::keyClick(s.Item(id), Qt::Key_Return);
            QTest::keyClick(s.Item(id), Qt::Key_Space);
            QTest::qWait(50);
            QCOMPARE(s.Take(), QString(" ;  ; "));
            QVERIFY(!s.Checked(id));
        }
    }

    // ---- Reference clock --------------------------------------------------------

    void internalReferenceTogglesWithItsTone() {
        PageSession s;
        QVERIFY(s.Open());
        s.Take();
        s.Click(IDC_INTREF);
        QVERIFY(OnlyAConfigurationWord(s));
        QVERIFY(s.Unit().WithModel([](sim::UnitModel& m) { return m.Unit().internalReference; }));
        QVERIFY(s.Take().endsWith(QString(kConfigurationWordSent) + "1000/20"));
        QCOMPARE(s.Text(IDC_INTREF), QString("Internal Reference Clock On"));
        QVERIFY(s.Checked(IDC_INTREF));

        s.Silence();
        s.Click(IDC_INTREF);
        QVERIFY(s.Take().endsWith(" ; 100/100"));
        QCOMPARE(s.Text(IDC_INTREF), QString("Internal Reference Clock Off"));
        QVERIFY(!s.Checked(IDC_INTREF));
    }

    void externalReferenceIndicatorsAndTheirHandlers() {
        PageSession s;
        s.Comm().m_nExtRefMHz = 15; // not a frequency the unit offers
        QVERIFY(s.Open());
        QCOMPARE(s.Marks(kExtRefRadioIds), QString("0100"));
        s.Take();

        // Nothing on the page enables them; were one clicked, it would send
        // its frequency, with the same tone whatever the result.
        for (int id : kExtRefRadioIds)
            s.Item(id)->setEnabled(true);
        s.Click(kExtRefRadioIds[3]);
        QCOMPARE(s.Take(), QString("40 00 19 00 ; | ; 1000/100"));
        QCOMPARE(s.Marks(kExtRefRadioIds), QString("0001"));
        s.Silence();
        s.Click(kExtRefRadioIds[0]);
        QVERIFY(s.Take().endsWith(" ; 1000/100"));
        QCOMPARE(s.Marks(kExtRefRadioIds), QString("1000"));
    }

    // ---- Switch and discrete lines ------------------------------------------------

    void vx18dModeFollowsTheEepromFlagsAndTheBootModeLines() {
        PageSession s;
        QVERIFY(s.Open());
        struct Case {
            bool forced, prefer;
            std::uint8_t dipSwitches;
            const char* bootMode;
        };
        for (const Case c :
             {Case{false, false, 0x00, "No Setup"}, Case{false, true, 0x80, "Setup From Discretes"},
              Case{true, false, 0x40, "Setup From EEPROM"},
              Case{false, false, 0xC0, "Delete All Setups"}}) {
            s.Unit().WithModel([&](sim::UnitModel& m) {
                m.SetEepromForced(c.forced);
                m.Unit().preferEeprom = c.prefer;
                m.SetDipSwitches(c.dipSwitches);
                m.Unit().eepromSwitches = c.dipSwitches;
            });
            s.Take();
            s.Click(IDC_SWITCH_READ);
            QCOMPARE(s.Take(), QString("48 00 00 00 ; 48 | ; 1000/10"));

            const bool inEeprom = c.forced || c.prefer;
            QCOMPARE(s.Text(IDC_SWITCH_GROUP), QString("VX18D Switch and Discrete Lines"));
            QCOMPARE(s.Texts(kLineNameIds),
                     QStringList({"Reflash", "Demo Mode", "Ext Ref Slave", "Dip SW4",
                                  inEeprom ? "Obsolete" : "Force RS232", "Dip SW6", "Boot Mode",
                                  "Boot Mode"}));
            QCOMPARE(s.Text(IDC_BOOT_MODE), QString(c.bootMode));
            for (int id : kSwitchCheckIds)
                QCOMPARE(s.Enabled(id), inEeprom);
            QCOMPARE(s.Checked(IDC_PREFER_EEPROM), inEeprom);
            QCOMPARE(s.Enabled(IDC_PREFER_EEPROM), !c.forced);
            QVERIFY(!s.Enabled(IDC_ID_LED_GROUP));
        }

        // A unit that does not answer clears the flags, lines and marks.
        s.Silence();
        s.Click(IDC_SWITCH_READ);
        QVERIFY(s.Take().endsWith(" ; 100/100"));
        QVERIFY(!s.Checked(IDC_PREFER_EEPROM) && s.Enabled(IDC_PREFER_EEPROM));
        QCOMPARE(s.Text(kLineNameIds[4]), QString("Force RS232"));
        QCOMPARE(s.Text(IDC_BOOT_MODE), QString("No Setup"));
    }

    void switchClickSendsTheCachedWordWithItsLineToggled() {
        PageSession s;
        s.Unit().WithModel([](sim::UnitModel& m) {
            m.Unit().preferEeprom = true;
            m.Unit().eepromSwitches = 0x81; // SW2.1 and SW2.8
        });
        QVERIFY(s.Show());
        auto* sw3 = s.Item<QAbstractButton>(kSwitchCheckIds[2]);
        QVERIFY(sw3->isEnabled() && !sw3->isChecked());
        // The box's own mark does not count: only the cache does.
        sw3->setChecked(true);
        sw3->click();
        QCOMPARE(s.TakeRequests(traffic::WriteSwitches(0x2085)), std::string());
        QCOMPARE(s.Take(), QString(" ; 48 | ; 1000/10"));
        QCOMPARE(s.Marks(kSwitchCheckIds), QString("10100001"));
        QCOMPARE(s.Text(IDC_BOOT_MODE), QString("Setup From Discretes"));

        // The unit does not answer: the cache is cleared and so are the marks.
        s.Silence();
        s.Click(kSwitchCheckIds[0]);
        QVERIFY(s.Take().endsWith(" ; 100/100"));
        QCOMPARE(s.Marks(kSwitchCheckIds), QString("00000000"));
        QVERIFY(!s.Enabled(kSwitchCheckIds[0]));
    }

    void preferenceClickTogglesThePreferenceBit() {
        PageSession s;
        s.Unit().WithModel([](sim::UnitModel& m) { m.SetDipSwitches(0x05); });
        QVERIFY(s.Show());
        QVERIFY(!s.Checked(IDC_PREFER_EEPROM));

        // Off to on: bit 13 set, the switch lines as reported.
        s.Click(IDC_PREFER_EEPROM);
        QCOMPARE(s.TakeRequests(traffic::WriteSwitches(0x2005)), std::string());
        QCOMPARE(s.Take(), QString(" ; 48 | ; 1000/10"));
        QVERIFY(s.Checked(IDC_PREFER_EEPROM) && s.Enabled(kSwitchCheckIds[0]));
        QCOMPARE(s.Text(kLineNameIds[4]), QString("Obsolete"));

        // On to off: bits 13 and 14 clear.
        s.Click(IDC_PREFER_EEPROM);
        QCOMPARE(s.TakeRequests(traffic::WriteSwitches(0x0005)), std::string());
        QCOMPARE(s.Take(), QString(" ; 48 | ; 1000/10"));
        QVERIFY(!s.Checked(IDC_PREFER_EEPROM) && !s.Enabled(kSwitchCheckIds[0]));

        s.Silence();
        s.Click(IDC_PREFER_EEPROM);
        QVERIFY(s.Take().endsWith(" ; 100/100"));
    }

    // ---- VX18P3 ID LEDs -------------------------------------------------------------

    void idLedsShowTheirStates() {
        PageSession s;
        QVERIFY(s.Open());
        // Without the companion board the protocol object leaves the states alone.
        const plat::DWORD states[4] = {0, 1, 2, 7};
        std::copy(std::begin(states), std::end(states), s.Comm().m_nIdLed);
        s.Click(IDC_SWITCH_READ);
        const bool unlit[4] = {false, true, false, false};
        const bool lit[4] = {false, false, true, false};
        for (int led = 0; led < 4; ++led) {
            QCOMPARE(s.Shown(kIdLedUnlitIds[led]), unlit[led]);
            QCOMPARE(s.Shown(kIdLedLitIds[led]), lit[led]);
            QCOMPARE(s.Checked(kIdLedButtonIds[led]), lit[led]);
            QCOMPARE(s.Enabled(kIdLedButtonIds[led]), unlit[led] || lit[led]);
        }
        // LED 0 on the right; the lit image lies exactly over the unlit one.
        QVERIFY(s.Item(kIdLedUnlitIds[0])->x() > s.Item(kIdLedUnlitIds[3])->x());
        QCOMPARE(s.Item(kIdLedLitIds[1])->geometry(), s.Item(kIdLedUnlitIds[1])->geometry());
    }

    void companionBoardNamesTheLinesAndTheLedButtonsToggle() {
        PageSession s(sim::UnitOptions{.companionBoard = true});
        s.Unit().WithModel([](sim::UnitModel& m) {
            m.SetEepromForced(true);
            m.Unit().eepromSwitches = 0xC0;
        });
        QVERIFY(s.Show());
        QCOMPARE(s.Text(IDC_SWITCH_GROUP), QString("VX18P3 Switch and Discrete Lines"));
        QCOMPARE(s.Texts(kLineNameIds),
                 QStringList({"Auto Boot", "Demo Mode", "Ext Ref Slave", "Force RS232", "(none)",
                              "(none)", "(none)", "(none)"}));
        QCOMPARE(s.Text(IDC_BOOT_MODE), QString());
        for (int id : kSwitchCheckIds)
            QVERIFY(!s.Enabled(id));
        QVERIFY(s.Enabled(IDC_ID_LED_GROUP));
        // The unit status turned the unknown LED states into unlit.
        QVERIFY(s.Shown(kIdLedUnlitIds[2]) && s.Enabled(kIdLedButtonIds[2]));

        s.Click(kIdLedButtonIds[2]);
        QVERIFY(OnlyAConfigurationWord(s));
        QCOMPARE(s.Unit().WithModel([](sim::UnitModel& m) { return m.Unit().idLedsLit; }),
                 std::uint8_t{0x04});
        QVERIFY(s.Take().endsWith(QString(kConfigurationWordSent) + "1000/100"));
        QVERIFY(s.Shown(kIdLedLitIds[2]) && !s.Shown(kIdLedUnlitIds[2]));
        QVERIFY(s.Checked(kIdLedButtonIds[2]));

        // Lit goes back to unlit; the tone cannot tell whether the unit heard.
        s.Silence();
        s.Click(kIdLedButtonIds[2]);
        QVERIFY(s.Take().endsWith(" ; 1000/100"));
        QVERIFY(!s.Shown(kIdLedLitIds[2]) && s.Shown(kIdLedUnlitIds[2]));
        QVERIFY(!s.Checked(kIdLedButtonIds[2]));
    }

    // ---- Linearize bands --------------------------------------------------------------

    void bandButtonLinearisesAndFollowsTheLockout() {
        PageSession s;
        s.ReadConfiguration();
        QVERIFY(s.Show());

        s.Click(kBandButtonIds[1][1]);
        // The command, then register 4 of page 3 of the second receiver.
        QCOMPARE(s.Take(), QString("01 14 01 00, 11 03 00 00, 11 44 00 00 ; | ; 1000/10"));
        QCOMPARE(
            s.Unit().WithModel([](sim::UnitModel& m) { return m.Receiver(1).linearisations[1]; }),
            1);
        QVERIFY(s.Enabled(kBandButtonIds[1][1]));

        // A band the unit now reports as not available is locked out.
        s.Unit().WithModel(
            [](sim::UnitModel& m) { m.Receiver(0).linearisationUnavailable[0] = true; });
        s.Click(kBandButtonIds[0][0]);
        QVERIFY(s.Take().endsWith(" ; 1000/10"));
        QVERIFY(!s.Enabled(kBandButtonIds[0][0]));

        s.Silence(3);
        s.Click(kBandButtonIds[0][3]);
        QVERIFY(s.Take().endsWith(" ; 100/100"));
    }

    // ---- Front-end attenuators ----------------------------------------------------------

    void attenuatorReadAndOnAtBoot() {
        PageSession s;
        QVERIFY(s.Open());
        s.Unit().WithModel([](sim::UnitModel& m) {
            m.Unit().attenuators[0] = {0, false};
            m.Unit().attenuators[1] = {40, true};
        });
        s.Take();
        s.Click(IDC_ATTENUATOR_READ);
        QCOMPARE(s.Take(), QString("C0 00 00 00 ; C0 | ; 1000/10"));
        QCOMPARE(s.Texts(kAttenuatorCodeIds), QStringList({"0", "40"}));
        QCOMPARE(s.Texts(kAttenuatorLevelIds), QStringList({"-31.5", "-11.5"}));
        QCOMPARE(s.Marks(kFreezeIds), QString("01"));

        // The read asks with the cached freeze flags; silence leaves the cache.
        s.Silence();
        s.Click(IDC_ATTENUATOR_READ);
        QCOMPARE(s.Take(), QString("C0 00 40 00 ; C0 | ; 100/20"));
        QCOMPARE(s.Text(kAttenuatorCodeIds[1]), QString("40"));

        // On at boot: both DCs as cached, without their change bits.
        s.Click(IDC_ATTENUATOR_AT_BOOT);
        QCOMPARE(s.Take(), QString("C0 00 68 03 ; C0 | ; 1000/10"));
        QVERIFY(s.Checked(IDC_ATTENUATOR_AT_BOOT));
        s.Click(IDC_ATTENUATOR_AT_BOOT);
        QCOMPARE(s.Take(), QString("C0 00 68 02 ; C0 | ; 1000/10"));
        QVERIFY(!s.Checked(IDC_ATTENUATOR_AT_BOOT));
        s.Silence();
        s.Click(IDC_ATTENUATOR_AT_BOOT);
        QVERIFY(s.Take().endsWith(" ; 100/20"));
        QVERIFY(!s.Checked(IDC_ATTENUATOR_AT_BOOT));
    }

    void spinStepSetsTheCodeFrozenWithoutATone() {
        PageSession s;
        s.Unit().WithModel([](sim::UnitModel& m) { m.Unit().attenuators[1] = {11, false}; });
        QVERIFY(s.Show());

        s.Item(kAttenuatorSpinIds[1])->findChild<QToolButton*>(QStringLiteral("up"))->click();
        // DC2 to 12, frozen, with its change bit; DC1 as cached.
        QCOMPARE(s.Take(), QString("C1 3F CC 00 ; C1 | ; "));
        QCOMPARE(s.Text(kAttenuatorCodeIds[1]), QString("12"));
        QCOMPARE(s.Text(kAttenuatorLevelIds[1]), QString("-25.5"));
        QVERIFY(s.Checked(kFreezeIds[1]));

        // An arrow key in the code field is one more step; typing is not possible.
        auto* code = s.Item<QLineEdit>(kAttenuatorCodeIds[1]);
        QTest::keyClick(code, Qt::Key_Up);
        QCOMPARE(s.Take(), QString("C1 3F CD 00 ; C1 | ; "));
        QVERIFY(code->isReadOnly());
    }

    void freezeReadsTheCodeFieldAndClampsIt() {
        PageSession s;
        QVERIFY(s.Show()); // both DCs at 63, not frozen
        auto* code = s.Item<QLineEdit>(kAttenuatorCodeIds[0]);

        code->setText(QStringLiteral("70"));
        s.Click(kFreezeIds[0]);
        QCOMPARE(s.Take(), QString("C0 FF 3F 00 ; C0 | ; 1000/10"));
        QVERIFY(s.Checked(kFreezeIds[0]));

        // An empty field is code 0; the freeze flag goes back off.
        code->clear();
        s.Click(kFreezeIds[0]);
        QCOMPARE(s.Take(), QString("C0 80 3F 00 ; C0 | ; 1000/10"));
        QCOMPARE(s.Text(kAttenuatorCodeIds[0]), QString("0"));
        QVERIFY(!s.Checked(kFreezeIds[0]));

        s.Silence();
        s.Click(kFreezeIds[1]);
        QVERIFY(s.Take().endsWith(" ; 100/20"));
        QVERIFY(!s.Checked(kFreezeIds[1]));
    }

    // ---- Serial settings at boot --------------------------------------------------------

    void bootBaudRateGoesAsTyped() {
        PageSession s;
        s.ReadConfiguration();
        QVERIFY(s.Show());
        auto* field = s.Item<QLineEdit>(IDC_BOOT_BAUD);
        QCOMPARE(field->text(), QString("57600"));

        field->clear();
        QTest::keyClicks(field, QStringLiteral("115200"));
        s.Click(IDC_BOOT_BAUD_SEND);
        QCOMPARE(s.Take(), QString("F8 00 80 04 ; F8 | ; 1000/10"));
        QCOMPARE(s.Unit().WithModel([](sim::UnitModel& m) { return m.ReadRegister(0, 0, 45); }),
                 std::uint16_t{1152});
        QCOMPARE(field->text(), QString("115200"));

        // Letters only: 0 goes.
        field->setText(QStringLiteral("fast"));
        s.Click(IDC_BOOT_BAUD_SEND);
        QCOMPARE(s.Take(), QString("F8 00 00 00 ; F8 | ; 1000/10"));
        QCOMPARE(field->text(), QString("0"));

        // A rate the command cannot carry is refused without a request.
        field->setText(QStringLiteral("460800"));
        s.Click(IDC_BOOT_BAUD_SEND);
        QCOMPARE(s.Take(), QString(" ; | ; 100/20"));
        QCOMPARE(field->text(), QString("0"));

        // Unanswered: the rate is cached all the same.
        field->setText(QStringLiteral("9600"));
        s.Silence();
        s.Click(IDC_BOOT_BAUD_SEND);
        QVERIFY(s.Take().endsWith(" ; 100/20"));
        QCOMPARE(field->text(), QString("9600"));
    }

    void bootSerialTypeToggles() {
        PageSession s;
        s.ReadConfiguration();
        QVERIFY(s.Show());
        QCOMPARE(s.Text(IDC_BOOT_SERIAL_TYPE), QString("RS232"));
        QVERIFY(!s.Checked(IDC_BOOT_SERIAL_TYPE));

        s.Click(IDC_BOOT_SERIAL_TYPE);
        QCOMPARE(s.Take(), QString("F8 05 01 00 ; F8 | ; 1000/10"));
        QCOMPARE(s.Text(IDC_BOOT_SERIAL_TYPE), QString("RS422"));
        QVERIFY(s.Checked(IDC_BOOT_SERIAL_TYPE));
        QCOMPARE(s.Unit().WithModel([](sim::UnitModel& m) { return m.ReadRegister(1, 0, 46); }),
                 std::uint16_t{1});

        // An unknown type shows as such and goes to RS-232.
        s.Comm().m_nBootSerialType = 2;
        s.Page().RefreshFromUnit();
        QCOMPARE(s.Text(IDC_BOOT_SERIAL_TYPE), QString("unknown"));
        QVERIFY(!s.Checked(IDC_BOOT_SERIAL_TYPE));
        s.Take();
        s.Silence();
        s.Click(IDC_BOOT_SERIAL_TYPE);
        QCOMPARE(s.Take(), QString("F8 05 00 00 ; F8 | ; 100/20"));
        QCOMPARE(s.Text(IDC_BOOT_SERIAL_TYPE), QString("RS232"));
    }

    // ---- Screenshots --------------------------------------------------------------------

    void screenshotsInBothModes() {
        struct Shot {
            bool companion;
            int fontPercent;
            const char* name;
        };
        const QFont original = QApplication::font();
        for (const Shot shot :
             {Shot{false, 100, "vx18d-refclk-vx18d"}, Shot{true, 100, "vx18d-refclk-vx18p3"},
              Shot{false, 125, "vx18d-refclk-vx18d-large-font"},
              Shot{true, 125, "vx18d-refclk-vx18p3-large-font"}}) {
            QFont font = original;
            if (original.pointSizeF() > 0)
                font.setPointSizeF(original.pointSizeF() * shot.fontPercent / 100.0);
            else
                font.setPixelSize(original.pixelSize() * shot.fontPercent / 100);
            QApplication::setFont(font);
            PageSession s(sim::UnitOptions{.companionBoard = shot.companion});
            s.Unit().WithModel([](sim::UnitModel& m) {
                m.SetDipSwitches(0x45);
                m.Unit().attenuators[1] = {40, true};
            });
            s.ReadConfiguration();
            QVERIFY(s.Show());
            if (shot.companion)
                s.Click(kIdLedButtonIds[1]);
            const QString path =
                QStringLiteral(VX18D_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(shot.name));
            QVERIFY(s.Page().grab().save(path));
            qInfo("screenshot: %s", qPrintable(path));
        }
        QApplication::setFont(original);
    }
};

QTEST_MAIN(RefClkPageTest)
#include "RefClkPageTest.moc"
