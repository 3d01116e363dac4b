// The receiver setup page against the simulated unit: what opening it sends,
// and for each family of controls the requests on the line, the cache
// afterwards, what the page shows and the tone, when the unit answers and
// when it does not; the DAGC range mode; the companion board's lock; Enter
// and Space; the AGC zero message; the layout and screenshots.
#include "GuiTestSupport.h"

#include "protocol/CVX18D3_Comm.h"
#include "support/ExpectedTraffic.h"
#include "text/NumberText.h"
#include "ui/UpDownControl.h"
#include "ui/main/MainDialogTemplate.h"
#include "ui/main/StatusWorker.h"
#include "ui/setup/CVX18D_SetupDCn.h"
#include "ui/setup/DagcRangeMode.h"
#include "ui/setup/SetupPageTemplate.h"
#include "ui/setup/SetupText.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

using namespace vx::ui;
using namespace vx::ui::setup;
using RecordedTone = vxtest::RecordedTones::Tone;
using Tones = std::vector<RecordedTone>;
using Bytes = std::vector<std::uint8_t>;
namespace traffic = vxtest::traffic;
using vxtest::traffic::operator+;

namespace {

constexpr RecordedTone kUnexamined{1000, 50};
constexpr RecordedTone kSucceeded{1000, 10};
constexpr RecordedTone kStepped{1000, 20};
constexpr RecordedTone kFailed{100, 100};

// Counts the requests the unit had received at each trace break.
class TraceBreaks : public plat::MessageTarget {
public:
    explicit TraceBreaks(sim::SimulatedUnit& unit) : m_unit(unit) {}
    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM, plat::LPARAM) override {
        if (message == vx::WM_TRACE_BREAK)
            at.push_back(m_unit.Requests().size());
        return 0;
    }
    std::vector<std::size_t> at;

private:
    sim::SimulatedUnit& m_unit;
};

// The main window on a simulated unit with polling off, its tones and trace
// breaks recorded. prepare runs on the unit's model before the window opens.
class SetupSession {
public:
    explicit SetupSession(sim::UnitOptions options = {},
                          const std::function<void(sim::UnitModel&)>& prepare = {})
        : m_session(options), m_breaks(m_session.Unit()) {
        if (prepare)
            m_session.Unit().WithModel(prepare);
        Comm().m_hTraceWnd = &m_breaks;
        m_session.Open();
        g_bPolling = 0;
        QTest::qWait(50); // a poll already queued is dropped
        opening = Unit().Requests();
        openingBreaks = m_breaks.at;
        Reset();
    }
    ~SetupSession() {
        m_session.Close();
        Comm().m_hTraceWnd = nullptr;
    }

    bool Ready() const { return m_session.Ready(); }
    vx::CVX18D3_Comm& Comm() { return m_session.Comm(); }
    sim::SimulatedUnit& Unit() { return m_session.Unit(); }
    CVX18DDlg& Dlg() { return m_session.Dlg(); }
    CVX18D_SetupDCn& Page(int rx = 0) { return *m_session.Dlg().SetupPage(rx); }
    template <class T> T* Get(int id, int rx = 0) { return vxtest::Control<T>(Page(rx), id); }
    QString Text(int id, int rx = 0) {
        QWidget* w = Get<QWidget>(id, rx);
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            return edit->text();
        if (auto* label = qobject_cast<QLabel*>(w))
            return label->text();
        if (auto* box = qobject_cast<QGroupBox*>(w))
            return box->title();
        return qobject_cast<QPushButton*>(w)->text();
    }
    bool Checked(int id, int rx = 0) { return Get<QPushButton>(id, rx)->isChecked(); }
    // Selects a tab as the operator does.
    void SelectTab(int index) {
        vxtest::Control<QTabWidget>(Dlg(), IDC_TAB)->setCurrentIndex(index);
    }

    // Forgets the traffic, tones and trace breaks so far.
    void Reset() {
        Unit().ClearRequests();
        tones.Clear();
        m_breaks.at.clear();
    }
    // The payloads (bytes 6 on) of the requests of one type since Reset.
    std::vector<Bytes> Sent(sim::PacketType type) {
        std::vector<Bytes> payloads;
        for (const auto& r : Unit().Requests()) {
            if (r[2] == type.first && r[3] == type.second)
                payloads.emplace_back(r.begin() + sim::kHeaderSize, r.end());
        }
        return payloads;
    }
    std::vector<Bytes> Shorts() { return Sent(sim::kShortCommand); }
    std::vector<Bytes> Words() { return Sent(sim::kConfigurationWord); }
    // One trace break, after everything sent since Reset.
    bool OneBreakAtEnd() {
        return m_breaks.at == std::vector<std::size_t>{Unit().Requests().size()};
    }
    bool NoBreak() { return m_breaks.at.empty(); }
    // The unit stops answering; the protocol gives up quickly.
    void Silence(int exchanges) {
        Comm().m_nTimeout = 40;
        Unit().ArmNoAnswer(exchanges);
    }

    vxtest::RecordedTones tones;
    // What opening the window sent, and the trace breaks then.
    std::vector<Bytes> opening;
    std::vector<std::size_t> openingBreaks;

private:
    vxtest::WindowSession m_session;
    TraceBreaks m_breaks;
};

// The operator's choice of an item of a drop-down list.
void Choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

QStringList Items(QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

Bytes Short(int command, int a1, int a2 = 0, int a3 = 0) {
    return {std::uint8_t(command), std::uint8_t(a1), std::uint8_t(a2), std::uint8_t(a3)};
}

// The radio marks of the DAGC range frame and whether its parts are enabled.
struct RangeFrame {
    std::array<bool, 3> marked;
    bool radiosEnabled;
    bool agcZeroOn;
    QString agcZeroCaption;
    bool defaultRow, predefinedRow, predefinedSlope, programmable;
    bool operator==(const RangeFrame&) const = default;
};

RangeFrame FrameOf(QWidget& page) {
    // Enabled as the page leaves it; a hidden page is disabled as a whole.
    auto on = [&](std::initializer_list<int> ids) {
        return std::all_of(ids.begin(), ids.end(), [&](int id) {
            return vxtest::Control<QWidget>(page, id)->isEnabledTo(&page);
        });
    };
    auto button = [&](int id) { return vxtest::Control<QPushButton>(page, id); };
    return {{button(IDC_DEFAULT_RANGES)->isChecked(), button(IDC_PREDEFINED_RANGES)->isChecked(),
             button(IDC_PROGRAMMABLE_RANGES)->isChecked()},
            on({IDC_DEFAULT_RANGES, IDC_PREDEFINED_RANGES, IDC_PROGRAMMABLE_RANGES}),
            button(IDC_AGC_ZERO)->isChecked(),
            button(IDC_AGC_ZERO)->text(),
            on({IDC_DEFAULT_VOLTAGES, IDC_DEFAULT_DBM, IDC_DEFAULT_SLOPE}),
            on({IDC_PREDEFINED_LIST, IDC_PREDEFINED_DBM}),
            on({IDC_PREDEFINED_SLOPE}),
            on({IDC_START_VOLTAGE_SPIN, IDC_END_VOLTAGE_SPIN, IDC_LOWER_DBM_SPIN,
                IDC_UPPER_DBM_SPIN, IDC_START_VOLTAGE_EDIT, IDC_END_VOLTAGE_EDIT,
                IDC_LOWER_DBM_EDIT, IDC_UPPER_DBM_EDIT, IDC_VOLTAGE_TO, IDC_DBM_TO,
                IDC_PROGRAMMABLE_SLOPE, IDC_START_VOLTAGE_LABEL, IDC_END_VOLTAGE_LABEL,
                IDC_LOWER_DBM_LABEL, IDC_UPPER_DBM_LABEL, IDC_PROGRAMMABLE_SEND})};
}
RangeFrame FrameOf(SetupSession& s, int rx = 0) {
    return FrameOf(s.Page(rx));
}

// What each mode shows.
const RangeFrame kFrames[4] = {
    {{true, false, false}, true, false, "AGC Zero Off", true, false, false, false},
    {{false, true, false}, true, false, "AGC Zero Off", false, true, true, false},
    {{false, false, true}, true, false, "AGC Zero Off", false, false, false, true},
    {{false, false, false}, false, true, "AGC Zero On", false, false, false, false},
};

void SetDagc(sim::UnitModel& m, int rx, std::int8_t lower, std::int8_t upper, std::int8_t start,
             std::int8_t end) {
    m.Receiver(rx).dagc = sim::DagcState{lower, upper, start, end, 5};
}

// Texts that do not fit their controls, controls outside the page, and
// controls that overlap (frames aside).
QStringList LayoutFaults(QWidget& page) {
    QStringList faults;
    const QList<QWidget*> controls = page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    auto fits = [&](QWidget* w, const QString& text, int room) {
        if (w->fontMetrics().horizontalAdvance(text) > room)
            faults << QStringLiteral("%1 clips \"%2\"").arg(w->objectName(), text);
    };
    for (QWidget* w : controls) {
        if (!page.rect().contains(w->geometry()))
            faults << QStringLiteral("%1 lies outside the page").arg(w->objectName());
        if (auto* label = qobject_cast<QLabel*>(w)) {
            fits(w, label->text(), label->contentsRect().width());
            if (w->fontMetrics().height() > label->contentsRect().height())
                faults << QStringLiteral("%1 is too low for its text").arg(w->objectName());
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            fits(w, button->text(), w->width() - 8);
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            fits(w, box->title(), w->width() - 4);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            fits(w, edit->text(), w->width() - 8);
            if (w->fontMetrics().height() + 4 > w->height())
                faults << QStringLiteral("%1 is too low for its text").arg(w->objectName());
        } else if (auto* list = qobject_cast<QComboBox*>(w)) {
            QStyleOptionComboBox option;
            option.initFrom(list);
            const int room = list->style()
                                 ->subControlRect(QStyle::CC_ComboBox, &option,
                                                  QStyle::SC_ComboBoxEditField, list)
                                 .width();
            for (int i = 0; i < list->count(); ++i)
                fits(w, list->itemText(i), room);
        }
    }
    for (qsizetype i = 0; i < controls.size(); ++i) {
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            QWidget* a = controls[i];
            QWidget* b = controls[j];
            if (!qobject_cast<QGroupBox*>(a) && !qobject_cast<QGroupBox*>(b) &&
                a->geometry().intersects(b->geometry()))
                faults << QStringLiteral("%1 overlaps %2").arg(a->objectName(), b->objectName());
        }
    }
    return faults;
}

} // namespace

class SetupPageTest : public QObject {
    Q_OBJECT

private slots:
    void openingReadsSixGroupsPerReceiverAndShowsTheCache() {
        SetupSession s({}, [](sim::UnitModel& m) {
            sim::ReceiverState& r = m.Receiver(0);
            r.ifBandwidth = 4;
            r.videoFilter = 2;
            r.amFilter = 7;
            r.amInverted = r.fmInverted = r.tlm2DeEmphasis = r.xdout = r.agcFreeze = true;
            r.ifOutputMode = 1;
            r.dagcMode = 1;
            r.rssiAveraging = 1;
            r.agcTimeConstant = 3;
            SetDagc(m, 0, -100, 0, -35, 0);
        });
        QVERIFY(s.Ready());

        // The configuration, then groups 0 to 5 of each receiver in turn, each
        // receiver's followed by a trace break.
        using namespace vxtest::traffic;
        const Sequence first = WindowStartUp() + SetupPageInit(0, false);
        const Sequence second = SetupPageInit(1, true);
        QVERIFY(s.opening.size() >= first.size() + second.size());
        QCOMPARE(Difference(
                     Sequence(s.opening.begin(), s.opening.begin() + first.size() + second.size()),
                     first + second),
                 std::string());
        for (std::size_t end : {first.size(), first.size() + second.size()})
            QCOMPARE(std::count(s.openingBreaks.begin(), s.openingBreaks.end(), end), 1);

        QCOMPARE(s.Page(0).windowTitle(), QString("Setup Rcvr1"));
        QCOMPARE(s.Text(IDC_RECEIVER_CAPTION, 1), QString("Receiver 2"));
        QCOMPARE(s.Text(IDC_TUNING_EDIT), QString("1450.0"));
        QCOMPARE(s.Text(IDC_TUNING_EDIT, 1), QString("2250.5"));
        QCOMPARE(s.Text(IDC_BAND1_RANGE), QString("1435.0 - 1540.0 MHz"));
        QCOMPARE(s.Text(IDC_BAND4_RANGE), QString("2400.0 - 2500.0 MHz"));
        struct Shown {
            int list;
            int count;
            const char* selected;
        };
        for (const Shown& list :
             {Shown{IDC_IF_BANDWIDTH_LIST, 8, "4000"},
              Shown{IDC_VIDEO_FILTER_LIST, 7, "500"}, // one slot empty
              Shown{IDC_AM_FILTER_LIST, 32, "150"},
              Shown{IDC_AGC_TIME_CONSTANT_LIST, 8, "5.0 msecs"}, Shown{IDC_SETUP_LIST, 16, "   0"},
              Shown{IDC_PREDEFINED_LIST, 12, " 0 V to -4 V"}}) {
            QCOMPARE(s.Get<QComboBox>(list.list)->count(), list.count);
            QCOMPARE(s.Get<QComboBox>(list.list)->currentText(), QString(list.selected));
        }
        QCOMPARE(s.Text(IDC_PREDEFINED_SLOPE), QString("-30.0 dBm/V"));
        for (int id : {IDC_AM_INVERSE, IDC_FM_POLARITY, IDC_TLM2, IDC_AGC_FREEZE})
            QVERIFY2(s.Checked(id), qPrintable(QString::number(id)));
        QCOMPARE(s.Text(IDC_TLM2), QString("Enabled"));
        QCOMPARE(s.Text(IDC_XDOUT_FRAME), QString("XDOUT"));
        // Video filters are fitted: the IF output mode is locked, yet shows the cache.
        QVERIFY(!s.Get<QWidget>(IDC_IF_OUTPUT_MODE)->isEnabled());
        QVERIFY(!s.Checked(IDC_IF_OUTPUT_MODE));
        QCOMPARE(s.Text(IDC_IF_OUTPUT_MODE), QString("DAGC Control Mode"));
        QVERIFY(!s.Checked(IDC_DAGC_LINEAR) && s.Checked(IDC_DAGC_CONSTANT));
        QCOMPARE(s.Text(IDC_AM_GAIN_EDIT), QString("40"));
        QCOMPARE(s.Text(IDC_VIDEO_GAIN_EDIT), QString("8191"));
        QCOMPARE(FrameOf(s), kFrames[2]); // limits and voltages were programmed
        QCOMPARE(s.Text(IDC_LOWER_DBM_EDIT), QString("-100"));
        QCOMPARE(s.Text(IDC_START_VOLTAGE_EDIT), QString("-3.5"));
        QCOMPARE(s.Text(IDC_PROGRAMMABLE_SLOPE), QString("28.6 dBm/V"));
        // Averaging is shown when a page's tab is selected, so far only the first's.
        QVERIFY(s.Checked(IDC_FILTERED_AVERAGING) && !s.Checked(IDC_NO_AVERAGING));
        QVERIFY(!s.Checked(IDC_FILTERED_AVERAGING, 1) && !s.Checked(IDC_NO_AVERAGING, 1));
        for (int id : {IDC_SETUP_LIST, IDC_SETUP_FRAME, IDC_FM_POLARITY, IDC_TLM2,
                       IDC_VIDEO_FILTER_LIST, IDC_VIDEO_FILTER_LABEL})
            QVERIFY(s.Get<QWidget>(id)->isEnabled());
    }

    void offlinePageSendsNothingAndDecidesItsModeFromTheCache() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        vx::CVX18D3_Comm& comm = session.Comm();
        comm.m_nBandLow[0][1] = 1750000000;
        comm.m_nBandHigh[0][1] = 1850000000;
        comm.m_nDagcMode[0] = 2;
        session.Unit().ClearRequests();
        struct Row {
            bool agcZero;
            std::int8_t lower, upper, start, end;
            DagcRangeMode mode;
        };
        const Row rows[] = {
            {false, -110, 10, 0, -40, DagcRangeMode::Default},
            {false, -110, 10, -40, 40, DagcRangeMode::Default}, // a predefined range
            {false, -110, 10, -35, 0, DagcRangeMode::Programmable},
            {false, -100, 10, 0, -40, DagcRangeMode::Programmable},
            {false, -110, 9, 0, -40, DagcRangeMode::Programmable},
            {true, -110, 10, 0, -40, DagcRangeMode::AgcZeroOn},
        };
        for (const Row& row : rows) {
            comm.m_bAgcZero[0] = row.agcZero;
            comm.m_nDagcLowerDbm[0] = row.lower;
            comm.m_nDagcUpperDbm[0] = row.upper;
            comm.m_nDagcStartVoltage[0] = row.start;
            comm.m_nDagcEndVoltage[0] = row.end;
            QWidget parent;
            CVX18D_SetupDCn page(&comm, 5, 1, &parent); // 5 counts as the first receiver
            QCOMPARE(FrameOf(page), kFrames[static_cast<int>(row.mode)]);
            if (&row != rows)
                continue;
            QCOMPARE(page.windowTitle(), QString("Setup Rcvr1"));
            QCOMPARE(vxtest::Control<QLabel>(page, IDC_RECEIVER_CAPTION)->text(),
                     QString("Receiver 1"));
            QCOMPARE(vxtest::Control<QLineEdit>(page, IDC_TUNING_EDIT)->text(), QString("0.0"));
            QCOMPARE(vxtest::Control<QLabel>(page, IDC_BAND1_RANGE)->text(), QString());
            QCOMPARE(vxtest::Control<QLabel>(page, IDC_BAND2_RANGE)->text(),
                     QString("1750.0 - 1850.0 MHz"));
            // A DAGC control mode other than linear or constant marks neither.
            QVERIFY(!vxtest::Control<QPushButton>(page, IDC_DAGC_LINEAR)->isChecked());
            QVERIFY(!vxtest::Control<QPushButton>(page, IDC_DAGC_CONSTANT)->isChecked());
        }
        QTest::qWait(50);
        QCOMPARE(session.Unit().Requests().size(), std::size_t{0});
    }

    void tuningSendReadsTheFieldsAsTheCLibraryDoes() {
        SetupSession s;
        QVERIFY(s.Ready());
        struct Row {
            const char* frequency;
            const char* gain;
            std::uint64_t hz;
            int gainSent;
            const char* shown;
        };
        const Row rows[] = {
            {"2250.5", "40", 2250500000, 40, "2250.5"},
            {"1500", "7", 1500000000, 7, "1500.0"},
            {"1500.", "7", 1500000000, 7, "1500.0"},
            {"1500.0000001", "7", 1500000000, 7, "1500.0"},
            {"1444.1234567", "7", 1444123456, 7, "1444.123456"},
            {" 1485.005 ", " 12abc", 1485005000, 12, "1485.005"},
            {"0", "0", 0, 0, "0.0"},
            // A gain that does not read as a number counts as 0.
            {"2250.5", "gain", 2250500000, 0, "2250.5"},
        };
        for (const Row& row : rows) {
            s.Get<QLineEdit>(IDC_TUNING_EDIT)->setText(row.frequency);
            s.Get<QLineEdit>(IDC_AM_GAIN_EDIT)->setText(row.gain);
            s.Reset();
            s.Get<QPushButton>(IDC_TUNING_SEND)->click();
            traffic::ConfigWord word = traffic::PowerUpWord(0);
            word.frequencyHz = row.hz;
            QCOMPARE(traffic::Difference(s.Unit().Requests(),
                                         traffic::ConfigurationWord(0, word) +
                                             traffic::SetAmGain(0, std::uint8_t(row.gainSent))) +
                         row.frequency,
                     std::string(row.frequency));
            QCOMPARE(s.Comm().m_nTuningFrequency[0], row.hz);
            QCOMPARE(s.Text(IDC_TUNING_EDIT), QString(row.shown));
            QCOMPARE(s.Text(IDC_AM_GAIN_EDIT), QString::number(row.gainSent));
            QVERIFY(s.OneBreakAtEnd());
            QCOMPARE(s.tones.Tones(), Tones{kSucceeded});
        }

        // A text that is not a frequency tunes nothing: the failure tone,
        // and the field shows the frequency the receiver keeps.
        for (const char* text : {"abc1500.25x", "abc", "1500.abc", "1485.005MHz", "-1500", ""}) {
            s.Get<QLineEdit>(IDC_TUNING_EDIT)->setText(text);
            s.Get<QLineEdit>(IDC_AM_GAIN_EDIT)->setText("7");
            s.Reset();
            s.Get<QPushButton>(IDC_TUNING_SEND)->click();
            QTest::qWait(20);
            QVERIFY2(s.Unit().Requests().empty(), text);
            QCOMPARE(s.Comm().m_nTuningFrequency[0], std::uint64_t{2250500000});
            QCOMPARE(s.Text(IDC_TUNING_EDIT), QString("2250.5"));
            QVERIFY(s.NoBreak());
            QCOMPARE(s.tones.Tones(), Tones{kFailed});
        }

        // The second receiver's page tunes the second receiver.
        s.SelectTab(1);
        s.Get<QLineEdit>(IDC_TUNING_EDIT, 1)->setText("2312.5");
        s.Reset();
        s.Get<QPushButton>(IDC_TUNING_SEND, 1)->click();
        traffic::ConfigWord second = traffic::PowerUpWord(1);
        second.frequencyHz = 2'312'500'000;
        QCOMPARE(traffic::Difference(s.Unit().Requests(), traffic::ConfigurationWord(1, second) +
                                                              traffic::SetAmGain(1, 40)),
                 std::string());
        s.SelectTab(0);

        // No answer to the configuration word: no AM gain, the failure tone,
        // and the cache as the protocol left it.
        s.Get<QLineEdit>(IDC_TUNING_EDIT)->setText("1800.25");
        s.Reset();
        s.Silence(1);
        s.Get<QPushButton>(IDC_TUNING_SEND)->click();
        QCOMPARE(s.Words().size(), std::size_t{1});
        QVERIFY(s.Shorts().empty());
        QCOMPARE(s.Text(IDC_TUNING_EDIT), QString("1800.25"));
        QCOMPARE(s.tones.Tones(), Tones{kFailed});
        // No answer to the AM gain: the cleared reply leaves a gain of 0.
        s.Reset();
        s.Unit().StopAfter(1);
        s.Get<QPushButton>(IDC_TUNING_SEND)->click();
        s.Unit().ClearFaults();
        QCOMPARE(s.Shorts().size(), std::size_t{1});
        QCOMPARE(s.Text(IDC_AM_GAIN_EDIT), QString("0"));
        QCOMPARE(s.tones.Tones(), Tones{kFailed});

        // Enter in any control is the Send; Space on a focused button does nothing.
        s.Reset();
        s.Comm().m_nTimeout = 300;
        QTest::keyClick(s.Get<QLineEdit>(IDC_VIDEO_GAIN_EDIT), Qt::Key_Return);
        QCOMPARE(s.Words().size(), std::size_t{1});
        s.Reset();
        auto* inverse = s.Get<QPushButton>(IDC_AM_INVERSE);
        inverse->setFocus();
        QTest::keyClick(inverse, Qt::Key_Space);
        QTest::qWait(50);
        QVERIFY(s.Unit().Requests().empty());
        QVERIFY(s.tones.Tones().empty());
        QVERIFY(!inverse->isChecked());
    }

    void twoStateButtonsSendTheNegatedCache() {
        // No video filters, so the IF output mode may be changed.
        SetupSession s({}, [](sim::UnitModel& m) {
            for (int i = 0; i < 8; ++i)
                m.WriteRegister(0, 0, 37 + i, 0);
        });
        QVERIFY(s.Ready());
        vx::CVX18D3_Comm& c = s.Comm();
        struct Row {
            int id;
            std::function<bool()> cached;
            std::function<bool(const sim::ReceiverState&)> unit;
            const char* on;
            const char* off;
            RecordedTone tone;
            RecordedTone failure;
        };
        const Row rows[] = {
            {IDC_AM_INVERSE, [&] { return c.m_bAmInverted[0] != 0; },
             [](const sim::ReceiverState& r) { return r.amInverted; }, "Inverted", "Normal",
             kUnexamined, kUnexamined},
            {IDC_FM_POLARITY, [&] { return c.m_bFmInverted[0] != 0; },
             [](const sim::ReceiverState& r) { return r.fmInverted; }, "Inverted", "Normal",
             kSucceeded, kFailed},
            {IDC_TLM2, [&] { return c.m_bTlm2DeEmphasis[0] != 0; },
             [](const sim::ReceiverState& r) { return r.tlm2DeEmphasis; }, "Enabled", "Disabled",
             kSucceeded, kFailed},
            {IDC_XDOUT, [&] { return c.m_bXdout[0] != 0; },
             [](const sim::ReceiverState& r) { return r.xdout; }, "On", "Off", kUnexamined,
             kUnexamined},
            {IDC_AGC_FREEZE, [&] { return c.m_bAgcFreeze[0] != 0; },
             [](const sim::ReceiverState& r) { return r.agcFreeze; }, "On", "Off", kUnexamined,
             kUnexamined},
            {IDC_IF_OUTPUT_MODE, [&] { return c.m_nIfOutputMode[0] == 0; },
             [](const sim::ReceiverState& r) { return r.ifOutputMode == 0; }, "HW Control Mode",
             "DAGC Control Mode", kUnexamined, kUnexamined},
        };
        for (const Row& row : rows) {
            auto* button = s.Get<QPushButton>(row.id);
            QVERIFY2(button->isEnabled(), qPrintable(QString::number(row.id)));
            for (int click = 0; click < 3; ++click) {
                const bool want = !row.cached();
                // The button's own mark is not what the page goes by.
                button->setChecked(!button->isChecked());
                s.Reset();
                if (click == 2)
                    s.Silence(1);
                button->click();
                QCOMPARE(s.Words().size(), std::size_t{1});
                QCOMPARE(row.cached(), want);
                if (click < 2)
                    QCOMPARE(s.Unit().WithModel(
                                 [&](sim::UnitModel& m) { return row.unit(m.Receiver(0)); }),
                             want);
                QCOMPARE(button->isChecked(), want);
                QCOMPARE(button->text(), QString(want ? row.on : row.off));
                QVERIFY(s.OneBreakAtEnd());
                QCOMPARE(s.tones.Tones(), Tones{click == 2 ? row.failure : row.tone});
            }
            s.Comm().m_nTimeout = 300;
        }
    }

    void rfSwitchLabelsTheXdoutButtonsInputs() {
        SetupSession s(sim::UnitOptions{.rfSwitch = true});
        QVERIFY(s.Ready());
        QCOMPARE(s.Text(IDC_XDOUT_FRAME), QString("RF Switch"));
        QCOMPARE(s.Text(IDC_XDOUT), QString("Input B"));
        s.Get<QPushButton>(IDC_XDOUT)->click();
        QCOMPARE(s.Text(IDC_XDOUT), QString("Input A"));
        QVERIFY(s.Checked(IDC_XDOUT));
        QCOMPARE(s.Words()[0][0] & 0x40, 0x40);
    }

    void listsMapTheChosenTextBackToTheUnitsList() {
        SetupSession s({}, [](sim::UnitModel& m) {
            const std::uint16_t ifbw[8] = {2000, 0, 4000, 6000, 0, 0, 0, 0};
            const std::uint16_t video[8] = {100, 200, 0, 300, 0, 0, 0, 0};
            const std::uint16_t agc[8] = {1, 10, 50, 10000, 20000, 0, 0, 0};
            for (int i = 0; i < 8; ++i) {
                m.WriteRegister(0, 0, i, ifbw[i]);
                m.WriteRegister(0, 0, 37 + i, video[i]);
                m.WriteRegister(0, 0, 10 + i, agc[i]);
            }
            m.Receiver(0).amFilterHz[4] = 0;
            m.Receiver(0).amFilterHz[9] = 0;
            m.Receiver(0).ifBandwidth = 0;
        });
        QVERIFY(s.Ready());
        auto* ifbw = s.Get<QComboBox>(IDC_IF_BANDWIDTH_LIST);
        auto* video = s.Get<QComboBox>(IDC_VIDEO_FILTER_LIST);
        QCOMPARE(Items(ifbw), QStringList({"2000", "4000", "6000"}));
        QCOMPARE(Items(video), QStringList({"100", "200", "300"}));
        QCOMPARE(Items(s.Get<QComboBox>(IDC_AGC_TIME_CONSTANT_LIST)),
                 QStringList({"100 \u00B5secs", "1.0 msec", "5.0 msecs", "1.0 sec", "2.0 secs",
                              "0 \u00B5secs", "0 \u00B5secs", "0 \u00B5secs"}));

        // An IF bandwidth brings the video filter that pairs with it: the
        // (index + 1)-th fitted one, or the first when there are fewer.
        struct Row {
            int item;
            int index;
            int videoPosition;
            const char* videoShown;
        };
        for (const Row& row : {Row{2, 3, 0, "100"}, Row{1, 2, 3, "300"}, Row{0, 0, 0, "100"}}) {
            s.Reset();
            Choose(ifbw, row.item);
            const std::vector<Bytes> words = s.Words();
            QCOMPARE(words.size(), std::size_t{2});
            QCOMPARE(words[1][3] >> 4 & 7, row.index);
            QCOMPARE(words[1][3] & 7, row.videoPosition);
            QCOMPARE(s.Comm().m_nIfBandwidth[0], plat::DWORD(row.index));
            QCOMPARE(s.Comm().m_nVideoFilter[0], plat::DWORD(row.videoPosition));
            QCOMPARE(video->currentText(), QString(row.videoShown));
            QVERIFY(s.OneBreakAtEnd());
            QCOMPARE(s.tones.Tones(), Tones{kUnexamined});
        }

        struct Choice {
            int list;
            int item;
            std::function<int(const Bytes&)> field;
            int sent;
            RecordedTone tone;
        };
        const Choice choices[] = {
            {IDC_VIDEO_FILTER_LIST, 2, [](const Bytes& w) { return w[3] & 7; }, 3, kUnexamined},
            // The first of the AM filter positions that hold 0.
            {IDC_AM_FILTER_LIST, 9, [](const Bytes& w) { return w[4] & 0x1F; }, 4, kUnexamined},
            {IDC_AGC_TIME_CONSTANT_LIST, 2, [](const Bytes& w) { return w[2] & 7; }, 2,
             kUnexamined},
            {IDC_SETUP_LIST, 5, [](const Bytes& w) { return w[0] >> 1 & 0xF; }, 5, kSucceeded},
        };
        for (const Choice& choice : choices) {
            s.Reset();
            Choose(s.Get<QComboBox>(choice.list), choice.item);
            QCOMPARE(s.Words().size(), std::size_t{1});
            QCOMPARE(choice.field(s.Words()[0]), choice.sent);
            QVERIFY(s.OneBreakAtEnd());
            QCOMPARE(s.tones.Tones(), Tones{choice.tone});
        }
        QCOMPARE(s.Comm().m_nSetup[0], std::uint8_t(5));
        QCOMPARE(s.Get<QComboBox>(IDC_SETUP_LIST)->currentIndex(), 5);
    }

    void videoGainSendAndSave() {
        SetupSession s;
        QVERIFY(s.Ready());
        auto* edit = s.Get<QLineEdit>(IDC_VIDEO_GAIN_EDIT);
        edit->setText("20000");
        s.Get<QPushButton>(IDC_VIDEO_GAIN_SEND)->click();
        QCOMPARE(s.Shorts(), std::vector<Bytes>{Short(0x80, 1, 0xFF, 0x3F)});
        QCOMPARE(s.Comm().m_wVideoGain[0], plat::WORD(16383));
        QCOMPARE(edit->text(), QString("20000")); // not rewritten
        QVERIFY(s.OneBreakAtEnd());
        QCOMPARE(s.tones.Tones(), Tones{kUnexamined});

        edit->setText("1234");
        s.Reset();
        s.Get<QPushButton>(IDC_VIDEO_GAIN_SAVE)->click();
        QCOMPARE(s.Shorts(), (std::vector<Bytes>{Short(0x80, 1, 0xD2, 0x04), Short(0x10, 18),
                                                 Short(0x10, 0x80 | 9, 0xD2, 0x04)}));
        QCOMPARE(s.Unit().WithModel([](sim::UnitModel& m) { return m.ReadRegister(0, 18, 9); }),
                 std::uint16_t(1234));
        QVERIFY(s.OneBreakAtEnd());

        edit->setText("");
        s.Reset();
        s.Get<QPushButton>(IDC_VIDEO_GAIN_SEND)->click();
        QCOMPARE(s.Shorts(), std::vector<Bytes>{Short(0x80, 1, 0, 0)});
    }

    void spinsActOncePerStep() {
        SetupSession s;
        QVERIFY(s.Ready());
        // AM gain: an arrow click, typing (nothing), an arrow key in the buddy.
        auto* gain = s.Get<UpDownControl>(IDC_AM_GAIN_SPIN);
        gain->findChild<QToolButton*>("up")->click();
        QCOMPARE(s.Shorts(), std::vector<Bytes>{Short(0x68, 3, 41)});
        QCOMPARE(s.Comm().m_nAmGain[0], std::uint8_t(41));
        QVERIFY(s.OneBreakAtEnd());
        QCOMPARE(s.tones.Tones(), Tones{kStepped});
        s.Reset();
        s.Get<QLineEdit>(IDC_AM_GAIN_EDIT)->selectAll();
        QTest::keyClicks(s.Get<QLineEdit>(IDC_AM_GAIN_EDIT), "77");
        QTest::qWait(50);
        QVERIFY(s.Unit().Requests().empty());
        QTest::keyClick(s.Get<QLineEdit>(IDC_AM_GAIN_EDIT), Qt::Key_Down);
        QCOMPARE(s.Shorts(), std::vector<Bytes>{Short(0x68, 3, 76)});

        // The DAGC spins, from the default range.
        s.Get<QPushButton>(IDC_PROGRAMMABLE_RANGES)->click();
        struct Row {
            int spin;
            int delta;
            Bytes sent;
            int edit;
            const char* shown;
            const char* slope;
        };
        const Row rows[] = {
            {IDC_LOWER_DBM_SPIN, 10, Short(0x70, -100, 10), IDC_LOWER_DBM_EDIT, "-100",
             "-27.5 dBm/V"},
            {IDC_UPPER_DBM_SPIN, -2, Short(0x70, -100, 8), IDC_UPPER_DBM_EDIT, "8", "-27.0 dBm/V"},
            {IDC_START_VOLTAGE_SPIN, -10, Short(0x78, -10, -40), IDC_START_VOLTAGE_EDIT, "-1.0",
             "-36.0 dBm/V"},
            {IDC_END_VOLTAGE_SPIN, 40, Short(0x78, -10, 0), IDC_END_VOLTAGE_EDIT, "0.0",
             "108.0 dBm/V"},
        };
        for (const Row& row : rows) {
            s.Reset();
            s.Get<UpDownControl>(row.spin)->StepBy(row.delta);
            QCOMPARE(s.Shorts(), std::vector<Bytes>{row.sent});
            QCOMPARE(s.Text(row.edit), QString(row.shown));
            QCOMPARE(s.Text(IDC_PROGRAMMABLE_SLOPE), QString(row.slope));
            QVERIFY(s.OneBreakAtEnd());
            QCOMPARE(s.tones.Tones(), Tones{kStepped});
        }
        // Each limit spin keeps the other limit out of reach.
        QCOMPARE(s.Get<UpDownControl>(IDC_LOWER_DBM_SPIN)->Upper(), 7);
        QCOMPARE(s.Get<UpDownControl>(IDC_UPPER_DBM_SPIN)->Lower(), -99);

        // No answer: the cleared reply's zeros, shown, and the failure tone.
        s.Reset();
        s.Silence(1);
        s.Get<UpDownControl>(IDC_START_VOLTAGE_SPIN)->StepBy(1);
        QCOMPARE(s.Comm().m_nDagcStartVoltage[0], std::int8_t(0));
        QCOMPARE(s.Comm().m_nDagcEndVoltage[0], std::int8_t(0));
        QCOMPARE(s.Text(IDC_START_VOLTAGE_EDIT), QString("0.0"));
        QCOMPARE(s.Text(IDC_PROGRAMMABLE_SLOPE), QString("Infinite dBm/V"));
        QCOMPARE(s.tones.Tones(), Tones{kFailed});
    }

    void programmableSendReadsTheFourEdits() {
        SetupSession s;
        QVERIFY(s.Ready());
        s.Get<QPushButton>(IDC_PROGRAMMABLE_RANGES)->click();
        struct Row {
            const char *lower, *upper, *start, *end;
            Bytes limits, voltages;
            const char* slope;
        };
        const Row rows[] = {
            {"-100", "0", "2.46", "-2.45", Short(0x70, -100, 0), Short(0x78, 25, -25),
             "-20.0 dBm/V"},
            {"-110", "10", "-4", "0", Short(0x70, -110, 10), Short(0x78, -40, 0), "30.0 dBm/V"},
            {"-90.5", "-20.4", "1", "1", Short(0x70, -91, -20), Short(0x78, 10, 10),
             "Infinite dBm/V"},
            // The lower limit moves past the old upper one and shows as sent.
            {"-110", "-100", "1", "2", Short(0x70, -110, -100), Short(0x78, 10, 20), "10.0 dBm/V"},
            {"-20", "10", "1", "2", Short(0x70, -20, 10), Short(0x78, 10, 20), "30.0 dBm/V"},
            // A field that does not read as a number counts as 0; it does not
            // repeat the field read before it.
            {"-100", "junk", "1.5", "", Short(0x70, -100, 0), Short(0x78, 15, 0), "-66.7 dBm/V"},
        };
        for (const Row& row : rows) {
            s.Get<QLineEdit>(IDC_LOWER_DBM_EDIT)->setText(row.lower);
            s.Get<QLineEdit>(IDC_UPPER_DBM_EDIT)->setText(row.upper);
            s.Get<QLineEdit>(IDC_START_VOLTAGE_EDIT)->setText(row.start);
            s.Get<QLineEdit>(IDC_END_VOLTAGE_EDIT)->setText(row.end);
            s.Reset();
            s.Get<QPushButton>(IDC_PROGRAMMABLE_SEND)->click();
            QCOMPARE(s.Shorts(), (std::vector<Bytes>{row.limits, row.voltages}));
            QCOMPARE(s.Comm().m_nDagcLowerDbm[0], std::int8_t(row.limits[1]));
            QCOMPARE(s.Comm().m_nDagcEndVoltage[0], std::int8_t(row.voltages[2]));
            QCOMPARE(s.Text(IDC_LOWER_DBM_EDIT), QString::number(std::int8_t(row.limits[1])));
            QCOMPARE(s.Text(IDC_START_VOLTAGE_EDIT), QString::fromStdString(vx::FormatDouble(
                                                         std::int8_t(row.voltages[1]) / 10.0, 1)));
            QCOMPARE(s.Text(IDC_PROGRAMMABLE_SLOPE), QString(row.slope));
            QVERIFY(s.OneBreakAtEnd());
            QCOMPARE(s.tones.Tones(), Tones{kUnexamined});
        }
        // Unanswered: the zeros of the cleared replies, and still the plain tone.
        s.Reset();
        s.Silence(2);
        s.Get<QPushButton>(IDC_PROGRAMMABLE_SEND)->click();
        QCOMPARE(s.Comm().m_nDagcLowerDbm[0], std::int8_t(0));
        QCOMPARE(s.Comm().m_nDagcUpperDbm[0], std::int8_t(0));
        QCOMPARE(s.Text(IDC_END_VOLTAGE_EDIT), QString("0.0"));
        QCOMPARE(s.Text(IDC_PROGRAMMABLE_SLOPE), QString("Infinite dBm/V"));
        QCOMPARE(s.tones.Tones(), Tones{kUnexamined});
    }

    void dagcRangeModeFollowsItsTransitions() {
        SetupSession s;
        QVERIFY(s.Ready());
        vx::CVX18D3_Comm& c = s.Comm();
        QCOMPARE(FrameOf(s), kFrames[0]);
        auto click = [&](int id) {
            s.Reset();
            s.Get<QPushButton>(id)->click();
        };
        auto agcZeroBit = [&] { return s.Words().at(0)[2] >> 6 & 1; };

        click(IDC_PREDEFINED_RANGES);
        QCOMPARE(FrameOf(s), kFrames[1]);
        QCOMPARE(s.Shorts(), std::vector<Bytes>{Short(0x58, 0, 8)}); // the selected row 6
        QVERIFY(s.OneBreakAtEnd());
        QCOMPARE(s.tones.Tones(), Tones{kUnexamined});

        s.Reset();
        Choose(s.Get<QComboBox>(IDC_PREDEFINED_LIST), 1); // -2 V to 0 V
        QCOMPARE(s.Shorts(), std::vector<Bytes>{Short(0x58, 0, 1)});
        QCOMPARE(FrameOf(s), kFrames[1]);
        QCOMPARE(s.Text(IDC_PREDEFINED_SLOPE), QString("60.0 dBm/V"));
        QCOMPARE(s.Text(IDC_START_VOLTAGE_EDIT), QString("-2.0"));
        QCOMPARE(s.Text(IDC_END_VOLTAGE_EDIT), QString("0.0"));
        QCOMPARE(s.tones.Tones(), Tones{kUnexamined});

        click(IDC_PROGRAMMABLE_RANGES); // sends what the edits show
        QCOMPARE(FrameOf(s), kFrames[2]);
        QCOMPARE(s.Shorts(), (std::vector<Bytes>{Short(0x70, -110, 10), Short(0x78, -20, 0)}));

        click(IDC_DEFAULT_RANGES);
        QCOMPARE(FrameOf(s), kFrames[0]);
        QCOMPARE(s.Shorts(), std::vector<Bytes>{Short(0x58, 0, 8)});

        // The AGC zero button goes by the state the unit last reported.
        click(IDC_AGC_ZERO);
        QCOMPARE(FrameOf(s), kFrames[3]);
        QCOMPARE(agcZeroBit(), 1);
        QVERIFY(s.OneBreakAtEnd());
        QCOMPARE(s.tones.Tones(), Tones{kUnexamined});
        click(IDC_AGC_ZERO); // not reported on yet: commanded on again
        QCOMPARE(FrameOf(s), kFrames[3]);
        QCOMPARE(agcZeroBit(), 1);
        c.m_bAgcZeroActive[0] = 1;
        click(IDC_AGC_ZERO); // off, into the programmable range
        QCOMPARE(FrameOf(s), kFrames[2]);
        QCOMPARE(agcZeroBit(), 0);
        QCOMPARE(c.m_bAgcZero[0], 0);

        // Message 1529 re-reads the limits and voltages whatever the mode.
        for (int zero : {1, 0, 1}) {
            c.m_bAgcZero[0] = zero;
            s.Reset();
            s.Page().OnAgcZeroChanged();
            QCOMPARE(FrameOf(s), kFrames[zero ? 3 : 2]);
            QCOMPARE(s.Shorts(), (std::vector<Bytes>{Short(0x90, 3), Short(0x90, 4)}));
            QVERIFY(s.OneBreakAtEnd());
            QVERIFY(s.tones.Tones().empty());
        }
    }

    void dagcControlModeAndAveraging() {
        SetupSession s;
        QVERIFY(s.Ready());
        struct Row {
            int id;
            Bytes sent;
            bool linear, constant, none, filtered;
            RecordedTone tone;
            bool traceBreak;
        };
        const Row rows[] = {
            {IDC_DAGC_CONSTANT, Short(0x20, 1), false, true, true, false, kUnexamined, true},
            {IDC_DAGC_LINEAR, Short(0x20, 0), true, false, true, false, kUnexamined, true},
            {IDC_FILTERED_AVERAGING, Short(0xB8, 1), true, false, false, true, kSucceeded, false},
            {IDC_NO_AVERAGING, Short(0xB8, 0), true, false, true, false, kSucceeded, false},
        };
        for (const Row& row : rows) {
            s.Reset();
            s.Get<QPushButton>(row.id)->click();
            QCOMPARE(s.Shorts(), std::vector<Bytes>{row.sent});
            QCOMPARE(s.Checked(IDC_DAGC_LINEAR), row.linear);
            QCOMPARE(s.Checked(IDC_DAGC_CONSTANT), row.constant);
            QCOMPARE(s.Checked(IDC_NO_AVERAGING), row.none);
            QCOMPARE(s.Checked(IDC_FILTERED_AVERAGING), row.filtered);
            QCOMPARE(s.tones.Tones(), Tones{row.tone});
            QVERIFY(row.traceBreak ? s.OneBreakAtEnd() : s.NoBreak());
        }
        s.Reset();
        s.Silence(1);
        s.Get<QPushButton>(IDC_FILTERED_AVERAGING)->click();
        QCOMPARE(s.Comm().m_bRssiFiltered[0], 0);
        QVERIFY(s.Checked(IDC_NO_AVERAGING) && !s.Checked(IDC_FILTERED_AVERAGING));
        QCOMPARE(s.tones.Tones(), Tones{kFailed});
    }

    void companionBoardLocksSetupPolarityTlm2AndVideoFilter() {
        SetupSession s(sim::UnitOptions{.companionBoard = true});
        QVERIFY(s.Ready());
        for (int id :
             {IDC_SETUP_FRAME, IDC_SETUP_LIST, IDC_FM_POLARITY, IDC_FM_POLARITY_FRAME, IDC_TLM2,
              IDC_TLM2_FRAME, IDC_VIDEO_FILTER_LABEL, IDC_VIDEO_FILTER_LIST, IDC_VIDEO_FILTER_UNIT})
            QVERIFY2(!s.Get<QWidget>(id)->isEnabled(), qPrintable(QString::number(id)));
        QCOMPARE(s.Get<QComboBox>(IDC_SETUP_LIST)->currentIndex(), 0);
        auto* video = s.Get<QComboBox>(IDC_VIDEO_FILTER_LIST);
        QCOMPARE(video->count(), 0);
        QCOMPARE(video->currentIndex(), -1);

        // The IF bandwidth goes alone: no video filter, no trace break.
        Choose(s.Get<QComboBox>(IDC_IF_BANDWIDTH_LIST), 5);
        QCOMPARE(s.Words().size(), std::size_t{1});
        QCOMPARE(s.Words()[0][3] >> 4 & 7, 5);
        QVERIFY(s.NoBreak());
        QCOMPARE(s.tones.Tones(), Tones{kUnexamined});
        // Selecting the page again redraws from the cache, not the lock's choices.
        s.Comm().m_nTuningFrequency[0] = 1800000000;
        s.Comm().m_nAmGain[0] = 12;
        s.Comm().m_bRssiFiltered[0] = 1;
        s.Comm().m_bAgcZeroActive[0] = 1;
        s.SelectTab(1);
        s.SelectTab(0);
        QCOMPARE(s.Text(IDC_TUNING_EDIT), QString("1800.0"));
        QCOMPARE(s.Text(IDC_AM_GAIN_EDIT), QString("12"));
        QVERIFY(s.Checked(IDC_FILTERED_AVERAGING));
        QCOMPARE(s.Comm().m_bAgcZero[0], 1);
        QCOMPARE(FrameOf(s), kFrames[0]); // the mode is not decided again
    }

    void message1529ReachesAHiddenPage() {
        SetupSession s;
        QVERIFY(s.Ready());
        QVERIFY(!s.Page(1).isVisible());
        g_bPolling = 1;
        s.Unit().WithModel([](sim::UnitModel& m) { m.SetAgcZeroActive(1, true); });
        QVERIFY(QTest::qWaitFor([&] { return FrameOf(s, 1) == kFrames[3]; }, 3000));
        g_bPolling = 0;
        std::vector<Bytes> readBacks;
        for (const Bytes& b : s.Shorts()) {
            if ((b[0] & 0xF8) == 0x90)
                readBacks.push_back(b);
        }
        QCOMPARE(readBacks, (std::vector<Bytes>{Short(0x91, 3), Short(0x91, 4)}));
        QCOMPARE(FrameOf(s, 0), kFrames[0]);
    }

    void layoutFitsAndScreenshots() {
        const QFont font = QApplication::font();
        for (double scale : {1.0, 1.25}) {
            QFont larger = font;
            larger.setPointSizeF(font.pointSizeF() * scale);
            QApplication::setFont(larger);
            for (bool companion : {false, true}) {
                SetupSession s(sim::UnitOptions{.companionBoard = companion});
                QVERIFY(s.Ready());
                s.Get<QPushButton>(IDC_PROGRAMMABLE_RANGES)->click();
                const QStringList faults = LayoutFaults(s.Page());
                QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
                const QString path =
                    QStringLiteral(VX18D_SCREENSHOT_DIR "/vx18d-setup-page%1%2.png")
                        .arg(companion ? "-companion" : "", scale > 1 ? "-large-font" : "");
                QVERIFY(s.Dlg().grab().save(path));
                qInfo("screenshot: %s", qPrintable(path));
            }
        }
        QApplication::setFont(font);
    }
};

QTEST_MAIN(SetupPageTest)
#include "SetupPageTest.moc"
