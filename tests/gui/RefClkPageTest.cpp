// The reference clock page against the simulated unit, group by group: what
// it sends at start-up and on a refresh, and for every control the request
// on the line, the trace it asks for, the cache and texts afterwards and the
// tone, for a unit that answers and for one that does not. Also the page's
// pure texts and switch words, and screenshots in both switch modes.
#include "GuiTestSupport.h"

#include "sim/FactoryTables.h"

#include "ui/ImageStatic.h"
#include "ui/UpDownControl.h"
#include "ui/refclk/CVX18D_RefClk.h"
#include "ui/refclk/RefClkPageTemplate.h"
#include "ui/refclk/RefClkText.h"
#include "ui/refclk/SwitchWord.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include <clocale>
#include <memory>

using namespace vx::ui;

namespace {

constexpr std::uint8_t kHistory = 0xC8;

QString Hex(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    QStringList parts;
    for (std::size_t i = from; i < bytes.size(); ++i)
        parts << QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(' ');
}

// What the protocol object asked to trace: the command byte of each traced
// request, and "|" for each trace break.
class TraceLog : public plat::MessageTarget {
public:
    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM index, plat::LPARAM value) override {
        if (message == vx::WM_TRACE_REQUEST_BYTE && index == vx::kHeaderLength)
            m_events << QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
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

    bool Ready() const { return m_link.Ready(); }
    sim::SimulatedUnit& Unit() { return m_link.Unit(); }
    vx::CVX18D3_Comm& Comm() { return m_link.Comm(); }

    // What the main window reads before it creates its pages.
    void ReadConfiguration() {
        Comm().ReadDeviceConfiguration(0);
        Unit().ClearRequests();
    }

    CVX18D_RefClk& Open(int offline = 0) {
        m_page = std::make_unique<CVX18D_RefClk>(&Comm(), offline, nullptr);
        m_page->show();
        return *m_page;
    }
    CVX18D_RefClk& Page() { return *m_page; }

    // Forgets what was sent, traced and sounded so far.
    void Mark() {
        Unit().ClearRequests();
        m_trace.Take();
        m_tones.Clear();
    }

    // The payload of each request since the last mark, in hexadecimal.
    QStringList Traffic() {
        QStringList requests;
        for (const auto& request : Unit().Requests())
            requests << Hex(request, sim::kHeaderSize);
        return requests;
    }
    QStringList Trace() { return m_trace.Take(); }
    QStringList Tones() {
        QStringList tones;
        for (const vxtest::RecordedTones::Tone& tone : m_tones.Tones())
            tones << QStringLiteral("%1/%2").arg(tone.frequencyHz).arg(tone.durationMs);
        m_tones.Clear();
        return tones;
    }

    template <class T> T* Item(int id) { return vxtest::Control<T>(*m_page, id); }
    QString Text(int id) {
        if (auto* label = Item<QLabel>(id))
            return label->text();
        if (auto* edit = Item<QLineEdit>(id))
            return edit->text();
        return QStringLiteral("<missing %1>").arg(id);
    }
    void Click(int id) { Item<QAbstractButton>(id)->click(); }
    // The unit keeps silent for the next count exchanges.
    void Silence(int count = 1) { Unit().ArmNoAnswer(count); }

private:
    TraceLog m_trace;
    vxtest::RecordedTones m_tones;
    vxtest::SimLink m_link;
    std::unique_ptr<CVX18D_RefClk> m_page;
};

// The line names of SW2.1 to SW2.8.
QStringList LineNames(PageSession& s) {
    QStringList names;
    for (int id : kLineNameIds)
        names << s.Text(id);
    return names;
}

QList<bool> Checked(PageSession& s, std::span<const int> ids) {
    QList<bool> marks;
    for (int id : ids)
        marks << s.Item<QAbstractButton>(id)->isChecked();
    return marks;
}

bool Enabled(PageSession& s, int id) {
    return s.Item<QWidget>(id)->isEnabled();
}

bool Shown(PageSession& s, int id) {
    return !s.Item<QWidget>(id)->isHidden();
}

bool IsConfigurationWord(const std::vector<std::uint8_t>& request) {
    return request.size() > sim::kHeaderSize && request[2] == sim::kConfigurationWord.first &&
           request[3] == sim::kConfigurationWord.second;
}

QString Screenshot(QWidget& page, const char* name) {
    const QString path = QStringLiteral(VX18D_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name));
    return page.grab().save(path) ? path : QString();
}

} // namespace

class RefClkPageTest : public QObject {
    Q_OBJECT

private slots:
    // ---- Page frame: start-up and refresh ------------------------------------

    void startUpReadsIdentityAndSwitchesQuietly() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Unit().WithModel([](sim::UnitModel& m) {
            m.SetDipSwitches(0x81);
            m.SetDiscretes(0x15);
        });
        s.Mark();
        CVX18D_RefClk& page = s.Open();

        // Identity: five registers of the first receiver and three of the
        // second, a page selection before each; then the unit status.
        QStringList expected;
        for (int reg : {48, 50, 49, 52, 53})
            expected << "10 00 00 00"
                     << QStringLiteral("10 %1 00 00").arg(0x40 | reg, 2, 16).toUpper();
        for (int reg : {48, 49, 50})
            expected << "11 00 00 00"
                     << QStringLiteral("11 %1 00 00").arg(0x40 | reg, 2, 16).toUpper();
        expected << "48 00 00 00";
        QCOMPARE(s.Traffic(), expected);
        QCOMPARE(s.Trace(), QStringList({"|"}));
        QVERIFY(s.Tones().isEmpty());

        QCOMPARE(page.windowTitle(), QString("Ref Clk"));
        QCOMPARE(s.Text(IDC_SERIAL_NUMBER), QString("0012-ABCD"));
        QCOMPARE(s.Text(IDC_FIRMWARE_VERSION), QString("20180309"));
        QCOMPARE(s.Item<QPushButton>(IDC_INTREF)->text(), QString("Internal Reference Clock Off"));
        QVERIFY(!s.Item<QPushButton>(IDC_INTREF)->isChecked());
        QCOMPARE(Checked(s, kExtRefRadioIds), QList<bool>({false, true, false, false}));
        QCOMPARE(Checked(s, kSwitchCheckIds),
                 QList<bool>({true, false, false, false, false, false, false, true}));
        QCOMPARE(Checked(s, kDiscreteCheckIds), QList<bool>({true, false, true, false, true}));
        // Names and boot mode wait for the first refresh.
        QCOMPARE(LineNames(s), QStringList({"1", "2", "3", "4", "5", "6", "7", "8"}));
        QCOMPARE(s.Text(IDC_BOOT_MODE), QString("Boot Mode"));
        for (int led = 0; led < 4; ++led) {
            QVERIFY(!Shown(s, kIdLedUnlitIds[led]) && !Shown(s, kIdLedLitIds[led]));
            QVERIFY(!Enabled(s, kIdLedButtonIds[led]));
        }
        for (int id : kExtRefRadioIds)
            QVERIFY(!Enabled(s, id));
        for (int id : kDiscreteCheckIds)
            QVERIFY(!Enabled(s, id));
    }

    void offlineStartSendsNothingAndKeepsTheTemplateTexts() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Mark();
        s.Open(1);
        QVERIFY(s.Traffic().isEmpty());
        QVERIFY(s.Trace().isEmpty());
        QCOMPARE(s.Text(IDC_SERIAL_NUMBER), QString("serial number"));
        QCOMPARE(s.Text(IDC_FIRMWARE_VERSION), QString("dsp firmware ver"));
        for (RangeTextIds pair : {kCelsiusTexts, kFahrenheitTexts, kVoltsTexts, kAmperesTexts}) {
            QCOMPARE(s.Text(pair.left), QString("xxxxxxxx"));
            QCOMPARE(s.Text(pair.right), QString("xxxxxxxx"));
        }
        QCOMPARE(s.Item<QPushButton>(IDC_INTREF)->text(), QString("Internal Reference Clock Off"));
    }

    void refreshReadsInOrderAndRedrawsEveryGroup() {
        PageSession s;
        QVERIFY(s.Ready());
        s.ReadConfiguration();
        s.Unit().WithModel([](sim::UnitModel& m) {
            m.Unit().attenuators[0] = {20, false};
            m.Unit().attenuators[1] = {40, true};
            m.Unit().attenuatorsAtBoot = true;
            for (int item = 0; item < 6; ++item)
                m.SetHistory(item, std::array<std::int16_t, 6>{41, -5, 30, 23, 4, 1}[item]);
        });
        s.Open();
        s.Mark();
        s.Page().RefreshFromUnit();

        QCOMPARE(s.Traffic(),
                 QStringList({"C0 00 00 00", "48 00 00 00", "C8 00 00 00", "C8 01 00 00",
                              "C8 02 00 00", "C8 03 00 00", "C8 04 00 00", "C8 05 00 00"}));
        // Every read traced, no trace break and no tone.
        QCOMPARE(s.Trace(), QStringList({"C0", "48", "C8", "C8", "C8", "C8", "C8", "C8"}));
        QVERIFY(s.Tones().isEmpty());

        QCOMPARE(s.Text(kCelsiusTexts.left), QString("-5 °C"));
        QCOMPARE(s.Text(kCelsiusTexts.right), QString("41 °C"));
        QCOMPARE(s.Text(kFahrenheitTexts.left), QString("23 °F"));
        QCOMPARE(s.Text(kFahrenheitTexts.right), QString("106 °F"));
        QCOMPARE(s.Text(kVoltsTexts.left), QString("23 V"));
        QCOMPARE(s.Text(kVoltsTexts.right), QString("30 V"));
        QCOMPARE(s.Text(kAmperesTexts.left), QString("1 A"));
        QCOMPARE(s.Text(kAmperesTexts.right), QString("4 A"));
        QCOMPARE(s.Text(kAttenuatorCodeIds[0]), QString("20"));
        QCOMPARE(s.Text(kAttenuatorLevelIds[1]), QString("-11.5"));
        QCOMPARE(Checked(s, kFreezeIds), QList<bool>({false, true}));
        QVERIFY(s.Item<QPushButton>(IDC_ATTENUATOR_AT_BOOT)->isChecked());
        QCOMPARE(s.Text(IDC_BOOT_BAUD), QString("57600"));
        QCOMPARE(s.Item<QPushButton>(IDC_BOOT_SERIAL_TYPE)->text(), QString("RS232"));
        QCOMPARE(s.Item<QGroupBox>(IDC_SWITCH_GROUP)->title(),
                 QString("VX18D Switch and Discrete Lines"));
        QCOMPARE(s.Text(IDC_BOOT_MODE), QString("No Setup"));
        // The band without linearisation hardware is locked out on both receivers.
        for (int rx = 0; rx < 2; ++rx) {
            for (int band = 0; band < 4; ++band)
                QCOMPARE(Enabled(s, kBandButtonIds[rx][band]),
                         band != sim::kBandWithoutLinearisation);
        }
    }

    void refreshStopsAtTheFirstFailedReadAndStillRedraws() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Open();
        s.Mark();
        // The attenuators and switches answer, the temperature does not.
        s.Unit().StopAfter(2);
        s.Page().RefreshFromUnit();
        s.Unit().ClearFaults();

        QCOMPARE(s.Traffic(), QStringList({"C0 00 00 00", "48 00 00 00", "C8 00 00 00"}));
        QCOMPARE(s.Text(kAttenuatorCodeIds[0]), QString("63"));
        QCOMPARE(s.Text(kAttenuatorLevelIds[0]), QString("0.0"));
        // The failed reading stands in both entries; the ranges not read show
        // what the cache holds.
        QCOMPARE(s.Text(kCelsiusTexts.left), QString("0 °C"));
        QCOMPARE(s.Text(kCelsiusTexts.right), QString("0 °C"));
        QCOMPARE(s.Text(kFahrenheitTexts.right), QString("32 °F"));
        QCOMPARE(s.Text(kVoltsTexts.left), QString("0 V"));
        QCOMPARE(s.Text(kAmperesTexts.right), QString("0 A"));
        QCOMPARE(s.Item<QGroupBox>(IDC_SWITCH_GROUP)->title(),
                 QString("VX18D Switch and Discrete Lines"));
        QVERIFY(s.Tones().isEmpty());
    }

    void enterAndSpaceDoNothing() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Open();
        for (int id : {IDC_INTREF, IDC_SWITCH_READ, IDC_ATTENUATOR_AT_BOOT}) {
            auto* button = s.Item<QPushButton>(id);
            button->setFocus();
            s.Mark();
            QTest::keyClick(button, Qt::Key_Return);
            QTest::keyClick(button, Qt::Key_Space);
            QTest::qWait(50);
            QVERIFY(s.Traffic().isEmpty());
            QVERIFY(s.Tones().isEmpty());
            QVERIFY(!button->isChecked());
        }
    }

    // ---- Reference clock ------------------------------------------------------

    void internalReferenceTogglesWithItsTone() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Open();
        s.Mark();
        s.Click(IDC_INTREF);
        // Receiver 0's configuration word with the internal reference bit.
        QCOMPARE(s.Traffic().size(), 1);
        QVERIFY(IsConfigurationWord(s.Unit().Requests()[0]));
        QVERIFY(s.Unit().WithModel([](sim::UnitModel& m) { return m.Unit().internalReference; }));
        QCOMPARE(s.Trace(), QStringList({"|"})); // sent untraced
        QCOMPARE(s.Item<QPushButton>(IDC_INTREF)->text(), QString("Internal Reference Clock On"));
        QVERIFY(s.Item<QPushButton>(IDC_INTREF)->isChecked());
        QCOMPARE(s.Tones(), QStringList({"1000/20"}));

        s.Silence();
        s.Click(IDC_INTREF);
        QCOMPARE(s.Comm().m_bIntRefOn, 0);
        QCOMPARE(s.Item<QPushButton>(IDC_INTREF)->text(), QString("Internal Reference Clock Off"));
        QVERIFY(!s.Item<QPushButton>(IDC_INTREF)->isChecked());
        QCOMPARE(s.Tones(), QStringList({"100/100"}));
    }

    void externalReferenceIndicatorsAndTheirHandlers() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Comm().m_nExtRefMHz = 15; // not a frequency the unit offers
        s.Open();
        QCOMPARE(Checked(s, kExtRefRadioIds), QList<bool>({false, true, false, false}));

        // Nothing on the page enables them; were one clicked, it would send its frequency.
        auto* radio25 = s.Item<QRadioButton>(kExtRefRadioIds[3]);
        radio25->setEnabled(true);
        s.Mark();
        radio25->click();
        QCOMPARE(s.Traffic(), QStringList({"40 00 19 00"}));
        QCOMPARE(s.Trace(), QStringList({"|"}));
        QCOMPARE(Checked(s, kExtRefRadioIds), QList<bool>({false, false, false, true}));
        QCOMPARE(s.Tones(), QStringList({"1000/100"}));

        // The same tone whatever the result.
        auto* radio5 = s.Item<QRadioButton>(kExtRefRadioIds[0]);
        radio5->setEnabled(true);
        s.Silence();
        radio5->click();
        QCOMPARE(int(s.Comm().m_nExtRefMHz), 5);
        QCOMPARE(Checked(s, kExtRefRadioIds), QList<bool>({true, false, false, false}));
        QCOMPARE(s.Tones(), QStringList({"1000/100"}));
    }

    // ---- Switch and discrete lines -------------------------------------------

    void vx18dModeFollowsTheEepromFlags() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Open();
        struct Case {
            bool forced, prefer;
        };
        for (const Case c : {Case{false, false}, Case{false, true}, Case{true, false}}) {
            s.Unit().WithModel([&](sim::UnitModel& m) {
                m.SetEepromForced(c.forced);
                m.Unit().preferEeprom = c.prefer;
            });
            s.Mark();
            s.Click(IDC_SWITCH_READ);
            QCOMPARE(s.Traffic(), QStringList({"48 00 00 00"}));
            QCOMPARE(s.Trace(), QStringList({"48", "|"}));
            QCOMPARE(s.Tones(), QStringList({"1000/10"}));

            const bool inEeprom = c.forced || c.prefer;
            QCOMPARE(s.Item<QGroupBox>(IDC_SWITCH_GROUP)->title(),
                     QString("VX18D Switch and Discrete Lines"));
            QCOMPARE(LineNames(s), QStringList({"Reflash", "Demo Mode", "Ext Ref Slave", "Dip SW4",
                                                inEeprom ? "Obsolete" : "Force RS232", "Dip SW6",
                                                "Boot Mode", "Boot Mode"}));
            for (int id : kSwitchCheckIds)
                QCOMPARE(Enabled(s, id), inEeprom);
            QCOMPARE(s.Item<QCheckBox>(IDC_PREFER_EEPROM)->isChecked(), inEeprom);
            QCOMPARE(Enabled(s, IDC_PREFER_EEPROM), !c.forced);
            QVERIFY(!Enabled(s, IDC_ID_LED_GROUP));
        }

        // A unit that does not answer clears the flags, lines and marks.
        s.Silence();
        s.Click(IDC_SWITCH_READ);
        QCOMPARE(s.Tones(), QStringList({"100/100"}));
        QCOMPARE(s.Comm().m_bEepromForced, 0);
        QVERIFY(!s.Item<QCheckBox>(IDC_PREFER_EEPROM)->isChecked());
        QCOMPARE(LineNames(s)[4], QString("Force RS232"));
    }

    void bootModeComesFromSw27AndSw28() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Open();
        const std::pair<std::uint8_t, const char*> cases[] = {{0x00, "No Setup"},
                                                              {0x80, "Setup From Discretes"},
                                                              {0x40, "Setup From EEPROM"},
                                                              {0xC0, "Delete All Setups"}};
        for (const auto& [switches, text] : cases) {
            s.Unit().WithModel([&](sim::UnitModel& m) { m.SetDipSwitches(switches); });
            s.Click(IDC_SWITCH_READ);
            QCOMPARE(s.Text(IDC_BOOT_MODE), QString(text));
        }
    }

    void switchClickSendsTheCachedWordWithItsLineToggled() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Unit().WithModel([](sim::UnitModel& m) {
            m.Unit().preferEeprom = true;
            m.Unit().eepromSwitches = 0x81; // SW2.1 and SW2.8
        });
        s.Open();
        s.Page().RefreshFromUnit();
        auto* sw3 = s.Item<QCheckBox>(kSwitchCheckIds[2]);
        QVERIFY(sw3->isEnabled() && !sw3->isChecked());
        // The box's own mark does not count: only the cache does.
        sw3->setChecked(true);
        s.Mark();
        sw3->click();
        QCOMPARE(s.Traffic(), QStringList({"48 80 20 85"}));
        QCOMPARE(s.Trace(), QStringList({"48", "|"}));
        QCOMPARE(s.Tones(), QStringList({"1000/10"}));
        QCOMPARE(Checked(s, kSwitchCheckIds),
                 QList<bool>({true, false, true, false, false, false, false, true}));
        QCOMPARE(s.Text(IDC_BOOT_MODE), QString("Setup From Discretes"));

        // The unit does not answer: the cache is cleared and so are the marks.
        s.Silence();
        s.Click(kSwitchCheckIds[0]);
        QCOMPARE(s.Tones(), QStringList({"100/100"}));
        QCOMPARE(Checked(s, kSwitchCheckIds), QList<bool>(8, false));
        QVERIFY(!Enabled(s, kSwitchCheckIds[0]));
    }

    void preferenceClickTogglesThePreferenceBit() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Unit().WithModel([](sim::UnitModel& m) { m.SetDipSwitches(0x05); });
        s.Open();
        s.Page().RefreshFromUnit();
        QVERIFY(!s.Item<QCheckBox>(IDC_PREFER_EEPROM)->isChecked());

        // Off to on: bit 13 set, the switch lines as reported.
        s.Mark();
        s.Click(IDC_PREFER_EEPROM);
        QCOMPARE(s.Traffic(), QStringList({"48 80 20 05"}));
        QCOMPARE(s.Trace(), QStringList({"48", "|"}));
        QCOMPARE(s.Tones(), QStringList({"1000/10"}));
        QVERIFY(s.Item<QCheckBox>(IDC_PREFER_EEPROM)->isChecked());
        QVERIFY(Enabled(s, kSwitchCheckIds[0]));
        QCOMPARE(LineNames(s)[4], QString("Obsolete"));

        // On to off: bits 13 and 14 clear.
        s.Mark();
        s.Click(IDC_PREFER_EEPROM);
        QCOMPARE(s.Traffic(), QStringList({"48 80 00 05"}));
        QCOMPARE(s.Tones(), QStringList({"1000/10"}));
        QVERIFY(!s.Item<QCheckBox>(IDC_PREFER_EEPROM)->isChecked());
        QVERIFY(!Enabled(s, kSwitchCheckIds[0]));

        s.Silence();
        s.Click(IDC_PREFER_EEPROM);
        QCOMPARE(s.Tones(), QStringList({"100/100"}));
    }

    void switchWordCarriesTheUnitsFlags() {
        SwitchReport report;
        report.switches[0] = report.switches[7] = 1;
        report.preferEeprom = 1;
        QCOMPARE(SwitchWordToggling(report, 2), plat::WORD{0x2085});
        QCOMPARE(SwitchWordToggling(report, 7), plat::WORD{0x2001});
        report.companionBoard = 1;
        report.eepromForced = 1;
        QCOMPARE(SwitchWordToggling(report, 0), plat::WORD{0xE080});

        // The preference: forced keeps bits 13 and 14, on clears both, off sets 13.
        QCOMPARE(SwitchWordTogglingPreference(report), plat::WORD{0xE081});
        report.eepromForced = 0;
        QCOMPARE(SwitchWordTogglingPreference(report), plat::WORD{0x8081});
        report.preferEeprom = 0;
        report.companionBoard = 0;
        QCOMPARE(SwitchWordTogglingPreference(report), plat::WORD{0x2081});
    }

    void companionBoardModeNamesTheLinesAndOwnsTheLeds() {
        PageSession s(sim::UnitOptions{.companionBoard = true});
        QVERIFY(s.Ready());
        s.Unit().WithModel([](sim::UnitModel& m) {
            m.SetEepromForced(true);
            m.Unit().eepromSwitches = 0xC0;
        });
        s.Open();
        s.Page().RefreshFromUnit();
        QCOMPARE(s.Item<QGroupBox>(IDC_SWITCH_GROUP)->title(),
                 QString("VX18P3 Switch and Discrete Lines"));
        QCOMPARE(LineNames(s),
                 QStringList({"Auto Boot", "Demo Mode", "Ext Ref Slave", "Force RS232", "(none)",
                              "(none)", "(none)", "(none)"}));
        QCOMPARE(s.Text(IDC_BOOT_MODE), QString());
        for (int id : kSwitchCheckIds)
            QVERIFY(!Enabled(s, id));
        QVERIFY(Enabled(s, IDC_ID_LED_GROUP));
    }

    // ---- VX18P3 ID LEDs -------------------------------------------------------

    void idLedsShowTheirStates() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Open();
        // Without the companion board the protocol object leaves the states alone.
        const plat::DWORD states[4] = {0, 1, 2, 7};
        std::copy(std::begin(states), std::end(states), s.Comm().m_nIdLed);
        s.Click(IDC_SWITCH_READ);
        const bool unlit[4] = {false, true, false, false};
        const bool lit[4] = {false, false, true, false};
        for (int led = 0; led < 4; ++led) {
            QCOMPARE(Shown(s, kIdLedUnlitIds[led]), unlit[led]);
            QCOMPARE(Shown(s, kIdLedLitIds[led]), lit[led]);
            QCOMPARE(s.Item<QPushButton>(kIdLedButtonIds[led])->isChecked(), lit[led]);
            QCOMPARE(Enabled(s, kIdLedButtonIds[led]), unlit[led] || lit[led]);
        }
        // The lit image lies exactly over the unlit one.
        QCOMPARE(s.Item<ImageStatic>(kIdLedLitIds[1])->geometry(),
                 s.Item<ImageStatic>(kIdLedUnlitIds[1])->geometry());
        QVERIFY(s.Item<QWidget>(kIdLedUnlitIds[0])->x() > s.Item<QWidget>(kIdLedUnlitIds[3])->x());
    }

    void idLedButtonTogglesTheLedWithOneTone() {
        PageSession s(sim::UnitOptions{.companionBoard = true});
        QVERIFY(s.Ready());
        s.Open();
        s.Page().RefreshFromUnit(); // the unit status turns unknown states into unlit
        QVERIFY(Shown(s, kIdLedUnlitIds[2]) && Enabled(s, kIdLedButtonIds[2]));

        s.Mark();
        s.Click(kIdLedButtonIds[2]);
        QCOMPARE(s.Traffic().size(), 1); // receiver 0's configuration word
        QVERIFY(IsConfigurationWord(s.Unit().Requests()[0]));
        QCOMPARE(s.Unit().WithModel([](sim::UnitModel& m) { return m.Unit().idLedsLit; }),
                 std::uint8_t{0x04});
        QCOMPARE(s.Trace(), QStringList({"|"}));
        QCOMPARE(s.Tones(), QStringList({"1000/100"}));
        QVERIFY(Shown(s, kIdLedLitIds[2]) && !Shown(s, kIdLedUnlitIds[2]));
        QVERIFY(s.Item<QPushButton>(kIdLedButtonIds[2])->isChecked());

        // Lit goes back to unlit; the tone does not tell whether the unit heard.
        s.Silence();
        s.Click(kIdLedButtonIds[2]);
        QCOMPARE(s.Comm().m_nIdLed[2], plat::DWORD{1});
        QVERIFY(!Shown(s, kIdLedLitIds[2]) && Shown(s, kIdLedUnlitIds[2]));
        QVERIFY(!s.Item<QPushButton>(kIdLedButtonIds[2])->isChecked());
        QCOMPARE(s.Tones(), QStringList({"1000/100"}));
    }

    // ---- Linearize bands ------------------------------------------------------

    void bandButtonLinearisesAndFollowsTheLockout() {
        PageSession s;
        QVERIFY(s.Ready());
        s.ReadConfiguration();
        s.Open();
        s.Page().RefreshFromUnit();

        s.Mark();
        s.Click(kBandButtonIds[1][1]);
        // The command, then register 4 of page 3 of the second receiver.
        QCOMPARE(s.Traffic(), QStringList({"01 14 01 00", "11 03 00 00", "11 44 00 00"}));
        QCOMPARE(s.Trace(), QStringList({"|"}));
        QCOMPARE(s.Tones(), QStringList({"1000/10"}));
        QCOMPARE(
            s.Unit().WithModel([](sim::UnitModel& m) { return m.Receiver(1).linearisations[1]; }),
            1);
        QVERIFY(Enabled(s, kBandButtonIds[1][1]));

        // A band the unit now reports as not available is locked out.
        s.Unit().WithModel(
            [](sim::UnitModel& m) { m.Receiver(0).linearisationUnavailable[0] = true; });
        s.Click(kBandButtonIds[0][0]);
        QVERIFY(!Enabled(s, kBandButtonIds[0][0]));
        QCOMPARE(s.Tones(), QStringList({"1000/10"}));

        s.Silence(3);
        s.Click(kBandButtonIds[0][3]);
        QCOMPARE(s.Tones(), QStringList({"100/100"}));
    }

    // ---- Front-end attenuators -------------------------------------------------

    void attenuatorReadShowsCodesLevelsAndFlags() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Open();
        s.Unit().WithModel([](sim::UnitModel& m) {
            m.Unit().attenuators[0] = {0, false};
            m.Unit().attenuators[1] = {40, true};
            m.Unit().attenuatorsAtBoot = true;
        });
        s.Mark();
        s.Click(IDC_ATTENUATOR_READ);
        QCOMPARE(s.Traffic(), QStringList({"C0 00 00 00"}));
        QCOMPARE(s.Trace(), QStringList({"C0", "|"}));
        QCOMPARE(s.Tones(), QStringList({"1000/10"}));
        QCOMPARE(s.Text(kAttenuatorCodeIds[0]), QString("0"));
        QCOMPARE(s.Text(kAttenuatorLevelIds[0]), QString("-31.5"));
        QCOMPARE(s.Text(kAttenuatorCodeIds[1]), QString("40"));
        QCOMPARE(s.Text(kAttenuatorLevelIds[1]), QString("-11.5"));
        QCOMPARE(Checked(s, kFreezeIds), QList<bool>({false, true}));
        QVERIFY(s.Item<QPushButton>(IDC_ATTENUATOR_AT_BOOT)->isChecked());

        // The read asks with the cached freeze flags; silence leaves the cache.
        s.Mark();
        s.Silence();
        s.Click(IDC_ATTENUATOR_READ);
        QCOMPARE(s.Traffic(), QStringList({"C0 00 40 00"}));
        QCOMPARE(s.Tones(), QStringList({"100/20"}));
        QCOMPARE(s.Text(kAttenuatorCodeIds[1]), QString("40"));
    }

    void spinStepSetsTheCodeFrozenWithoutATone() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Open();
        s.Unit().WithModel([](sim::UnitModel& m) { m.Unit().attenuators[1] = {11, false}; });
        s.Click(IDC_ATTENUATOR_READ);
        s.Mark();

        auto* spin = s.Item<UpDownControl>(kAttenuatorSpinIds[1]);
        spin->findChild<QToolButton*>(QStringLiteral("up"))->click();
        // DC2 to 12, frozen; DC1 as cached.
        QCOMPARE(s.Traffic(), QStringList({"C1 3F CC 00"}));
        QCOMPARE(s.Trace(), QStringList({"C1", "|"}));
        QVERIFY(s.Tones().isEmpty());
        QCOMPARE(s.Text(kAttenuatorCodeIds[1]), QString("12"));
        QCOMPARE(s.Text(kAttenuatorLevelIds[1]), QString("-25.5"));
        QVERIFY(s.Item<QPushButton>(kFreezeIds[1])->isChecked());

        // An arrow key in the code field is one more step.
        s.Mark();
        QTest::keyClick(s.Item<QLineEdit>(kAttenuatorCodeIds[1]), Qt::Key_Up);
        QCOMPARE(s.Traffic(), QStringList({"C1 3F CD 00"}));
        QCOMPARE(s.Text(kAttenuatorCodeIds[1]), QString("13"));
        // The code field takes no typing.
        QVERIFY(s.Item<QLineEdit>(kAttenuatorCodeIds[1])->isReadOnly());
    }

    void freezeReadsTheCodeFieldAndClampsIt() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Open();
        s.Click(IDC_ATTENUATOR_READ); // both at 63, unfrozen
        auto* code = s.Item<QLineEdit>(kAttenuatorCodeIds[0]);

        code->setText(QStringLiteral("70"));
        s.Mark();
        s.Click(kFreezeIds[0]);
        QCOMPARE(s.Traffic(), QStringList({"C0 FF 3F 00"}));
        QCOMPARE(s.Trace(), QStringList({"C0", "|"}));
        QCOMPARE(s.Tones(), QStringList({"1000/10"}));
        QVERIFY(s.Item<QPushButton>(kFreezeIds[0])->isChecked());

        // An empty field is code 0; the freeze flag goes back off.
        code->clear();
        s.Mark();
        s.Click(kFreezeIds[0]);
        QCOMPARE(s.Traffic(), QStringList({"C0 80 3F 00"}));
        QCOMPARE(s.Text(kAttenuatorCodeIds[0]), QString("0"));
        QVERIFY(!s.Item<QPushButton>(kFreezeIds[0])->isChecked());

        // Silence: the low tone, and the marks from the cache as it was.
        s.Silence();
        s.Click(kFreezeIds[1]);
        QCOMPARE(s.Tones(), QStringList({"1000/10", "100/20"}));
        QVERIFY(!s.Item<QPushButton>(kFreezeIds[1])->isChecked());
    }

    void onAtBootToggles() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Open();
        s.Mark();
        s.Click(IDC_ATTENUATOR_AT_BOOT);
        QCOMPARE(s.Traffic(), QStringList({"C0 00 00 03"}));
        QCOMPARE(s.Trace(), QStringList({"C0", "|"}));
        QVERIFY(s.Item<QPushButton>(IDC_ATTENUATOR_AT_BOOT)->isChecked());
        s.Mark();
        s.Click(IDC_ATTENUATOR_AT_BOOT);
        QCOMPARE(s.Traffic(), QStringList({"C0 3F 3F 02"}));
        QVERIFY(!s.Item<QPushButton>(IDC_ATTENUATOR_AT_BOOT)->isChecked());
        s.Silence();
        s.Click(IDC_ATTENUATOR_AT_BOOT);
        QVERIFY(!s.Item<QPushButton>(IDC_ATTENUATOR_AT_BOOT)->isChecked());
        QCOMPARE(s.Tones(), QStringList({"1000/10", "100/20"}));
    }

    // ---- Serial settings at boot ----------------------------------------------

    void bootBaudRateGoesAsTyped() {
        PageSession s;
        QVERIFY(s.Ready());
        s.ReadConfiguration();
        s.Open();
        s.Page().RefreshFromUnit();
        auto* field = s.Item<QLineEdit>(IDC_BOOT_BAUD);
        QCOMPARE(field->text(), QString("57600"));

        field->clear();
        QTest::keyClicks(field, QStringLiteral("115200"));
        s.Mark();
        s.Click(IDC_BOOT_BAUD_SEND);
        QCOMPARE(s.Traffic(), QStringList({"F8 00 80 04"}));
        QCOMPARE(s.Trace(), QStringList({"F8", "|"}));
        QCOMPARE(s.Tones(), QStringList({"1000/10"}));
        QCOMPARE(s.Unit().WithModel([](sim::UnitModel& m) { return m.ReadRegister(0, 0, 45); }),
                 std::uint16_t{1152});
        QCOMPARE(field->text(), QString("115200"));

        // Letters only: 0 goes.
        field->setText(QStringLiteral("fast"));
        s.Mark();
        s.Click(IDC_BOOT_BAUD_SEND);
        QCOMPARE(s.Traffic(), QStringList({"F8 00 00 00"}));
        QCOMPARE(field->text(), QString("0"));

        // A rate the command cannot carry is refused without a request.
        field->setText(QStringLiteral("460800"));
        s.Mark();
        s.Click(IDC_BOOT_BAUD_SEND);
        QVERIFY(s.Traffic().isEmpty());
        QCOMPARE(s.Tones(), QStringList({"100/20"}));
        QCOMPARE(field->text(), QString("0"));

        // Unanswered: the rate is cached all the same.
        field->setText(QStringLiteral("9600"));
        s.Silence();
        s.Click(IDC_BOOT_BAUD_SEND);
        QCOMPARE(s.Tones(), QStringList({"100/20"}));
        QCOMPARE(field->text(), QString("9600"));
    }

    void bootSerialTypeToggles() {
        PageSession s;
        QVERIFY(s.Ready());
        s.ReadConfiguration();
        s.Open();
        s.Page().RefreshFromUnit();
        auto* toggle = s.Item<QPushButton>(IDC_BOOT_SERIAL_TYPE);
        QCOMPARE(toggle->text(), QString("RS232"));
        QVERIFY(!toggle->isChecked());

        s.Mark();
        s.Click(IDC_BOOT_SERIAL_TYPE);
        QCOMPARE(s.Traffic(), QStringList({"F8 05 01 00"}));
        QCOMPARE(s.Trace(), QStringList({"F8", "|"}));
        QCOMPARE(s.Tones(), QStringList({"1000/10"}));
        QCOMPARE(toggle->text(), QString("RS422"));
        QVERIFY(toggle->isChecked());
        QCOMPARE(s.Unit().WithModel([](sim::UnitModel& m) { return m.ReadRegister(1, 0, 46); }),
                 std::uint16_t{1});

        // An unknown type shows as such and goes to RS-232.
        s.Comm().m_nBootSerialType = 2;
        s.Page().RefreshFromUnit();
        QCOMPARE(toggle->text(), QString("unknown"));
        QVERIFY(!toggle->isChecked());
        s.Mark();
        s.Silence();
        s.Click(IDC_BOOT_SERIAL_TYPE);
        QCOMPARE(s.Traffic(), QStringList({"F8 05 00 00"}));
        QCOMPARE(s.Tones(), QStringList({"100/20"}));
        QCOMPARE(toggle->text(), QString("RS232"));
    }

    // ---- Texts -------------------------------------------------------------------

    void temperaturesRoundToTheNearestDegree() {
        QCOMPARE(CelsiusText(-40), std::string("-40 °C"));
        QCOMPARE(FahrenheitText(-40), std::string("-40 °F"));
        QCOMPARE(FahrenheitText(25), std::string("77 °F"));
        QCOMPARE(FahrenheitText(41), std::string("106 °F"));
        QCOMPARE(FahrenheitText(-5), std::string("23 °F"));
        // Below -17 °C the sum is negative: -19 °C is -2.2 °F, -20 °C is -4 °F.
        QCOMPARE(CelsiusToFahrenheit(-19), -2);
        QCOMPARE(CelsiusToFahrenheit(-20), -4);
        QCOMPARE(CelsiusToFahrenheit(-21), -6);
        QCOMPARE(CelsiusToFahrenheit(-32768), -58950);
        QCOMPARE(CelsiusToFahrenheit(32767), 59013);
        QCOMPARE(VoltsText(12.9), std::string("12 V"));
        QCOMPARE(AmperesText(-2.7), std::string("-2 A"));
    }

    void numbersKeepTheirDecimalPoint() {
        const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        QCOMPARE(AttenuatorLevelText(0), std::string("-31.5"));
        QCOMPARE(AttenuatorLevelText(40), std::string("-11.5"));
        QCOMPARE(AttenuatorLevelText(63), std::string("0.0"));
        QCOMPARE(AttenuatorLevelText(64 + 1), std::string("-31.0")); // six bits only
        std::setlocale(LC_NUMERIC, saved.c_str());
        QCOMPARE(FirmwareVersionText(0x20140320), std::string("20140320"));
        QCOMPARE(FirmwareVersionText(0xABC), std::string("00000ABC"));
    }

    void lowestTemperatureShowsInFahrenheitOnThePage() {
        PageSession s;
        QVERIFY(s.Ready());
        s.Unit().WithModel([](sim::UnitModel& m) { m.SetHistory(1, -40); });
        s.Open();
        s.Page().RefreshFromUnit();
        QCOMPARE(s.Text(kCelsiusTexts.left), QString("-40 °C"));
        QCOMPARE(s.Text(kFahrenheitTexts.left), QString("-40 °F"));
    }

    // ---- Screenshots ---------------------------------------------------------------

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
            QVERIFY(s.Ready());
            s.Unit().WithModel([](sim::UnitModel& m) {
                m.SetDipSwitches(0x45);
                m.Unit().attenuators[1] = {40, true};
            });
            s.ReadConfiguration();
            s.Open();
            s.Page().RefreshFromUnit();
            if (shot.companion)
                s.Click(kIdLedButtonIds[1]);
            const QString path = Screenshot(s.Page(), shot.name);
            QVERIFY(!path.isEmpty());
            qInfo("screenshot: %s", qPrintable(path));
        }
        QApplication::setFont(original);
    }
};

QTEST_MAIN(RefClkPageTest)
#include "RefClkPageTest.moc"
