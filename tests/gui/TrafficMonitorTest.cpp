// The traffic monitor: opened from the window menu beside the main window,
// the lines of start-up and of a page action with its break, a failed poll
// in red, the status poll filter, the ring's bound, pause, clear, copy and
// Save as text, a screenshot; and vx18d --trace FILE, whose file holds every
// byte the unit received, in order.
#include "GuiTestSupport.h"

#include "app/CVX18DApp.h"
#include "app/ProgramOptions.h"
#include "settings/SerialSettingsStore.h"
#include "trace/PacketText.h"
#include "trace/TracedPort.h"
#include "trace/TrafficLine.h"
#include "trace/TrafficLog.h"
#include "ui/main/StatusWorker.h"
#include "ui/monitor/TrafficModel.h"
#include "ui/monitor/TrafficMonitor.h"
#include "ui/setup/CVX18D_SetupDCn.h"
#include "ui/setup/SetupPageTemplate.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <sstream>

using namespace vx::ui;
using vx::TrafficEntry;
using vxtest::Bytes;

namespace {

// The main window on a simulated unit as the program builds it: the
// protocol object talks through the port tap, and the traffic log is its
// monitor window and the one the traffic monitor shows.
class MonitorSession {
public:
    MonitorSession() {
        Comm().m_nTimeout = 300;
        Comm().m_pPort = &m_tap;
        Comm().m_hTraceWnd = &log;
    }
    ~MonitorSession() {
        if (m_dlg)
            m_dlg->DestroyWindow();
        m_dlg.reset();
        Comm().m_pPort = &m_link.Port();
        Comm().m_hTraceWnd = nullptr;
    }

    // With monitorFirst the monitor opens before the window reads the unit
    // out, as if it had been open from the start.
    CVX18DDlg& Open(bool monitorFirst) {
        m_dlg = std::make_unique<CVX18DDlg>(&Comm(), 0);
        m_dlg->m_strAppDir = vx::RecordFolder();
        m_dlg->m_pTrafficLog = &log;
        if (monitorFirst)
            m_dlg->OpenTrafficMonitor();
        m_dlg->OnInitDialog();
        m_dlg->show();
        return *m_dlg;
    }

    bool Ready() const { return m_link.Ready(); }
    vx::CVX18D3_Comm& Comm() { return m_link.Comm(); }
    sim::SimulatedUnit& Unit() { return m_link.Unit(); }

    vx::TrafficLog log{nullptr};

private:
    vxtest::SimLink m_link{{}, 115200};
    vx::TracedPort m_tap{m_link.Port(), &log, nullptr};
    std::unique_ptr<CVX18DDlg> m_dlg;
};

// Each row as the operator reads it: "--" for the end of an action, the
// packet column otherwise.
QStringList Rows(TrafficMonitor& monitor) {
    monitor.Refresh();
    QStringList rows;
    const TrafficModel& model = monitor.Model();
    for (int row = 0; row < model.rowCount(); ++row) {
        const TrafficEntry* entry = model.Entry(row);
        rows << (entry && entry->kind == TrafficEntry::Kind::actionBreak
                     ? QStringLiteral("--")
                     : model.index(row, TrafficModel::kPacket).data().toString());
    }
    return rows;
}

int RowsStartingWith(TrafficMonitor& monitor, const QString& text) {
    const QStringList rows = Rows(monitor);
    return static_cast<int>(std::count_if(rows.begin(), rows.end(),
                                          [&](const QString& r) { return r.startsWith(text); }));
}

// The requests of the exchange rows, in order.
std::vector<Bytes> RequestsShown(TrafficMonitor& monitor) {
    std::vector<Bytes> requests;
    for (int row = 0; row < monitor.Model().rowCount(); ++row) {
        const TrafficEntry* entry = monitor.Model().Entry(row);
        if (entry && entry->kind == TrafficEntry::Kind::exchange)
            requests.push_back(entry->request);
    }
    return requests;
}

// Texts that do not fit where the monitor shows them.
QStringList LayoutFaults(TrafficMonitor& monitor) {
    QStringList faults;
    QTreeView* view = monitor.View();
    const QFontMetrics metrics(view->font());
    for (int row = 0; row < monitor.Model().rowCount(); ++row) {
        for (int column = 0; column < TrafficModel::kColumnCount; ++column) {
            const QString text = monitor.Model().index(row, column).data().toString();
            if (metrics.horizontalAdvance(text) + 6 > view->header()->sectionSize(column))
                faults << QStringLiteral("row %1 clips \"%2\"").arg(row).arg(text);
        }
    }
    for (QPushButton* button : monitor.findChildren<QPushButton*>()) {
        if (button->width() < button->sizeHint().width())
            faults << button->objectName() + " clips its caption";
    }
    if (!monitor.screen()->availableGeometry().contains(monitor.frameGeometry()))
        faults << QStringLiteral("the window is larger than the screen");
    return faults;
}

QAction* MonitorEntry(CVX18DDlg& dlg) {
    for (QAction* action : dlg.SystemMenu()->actions()) {
        if (action->data().toUInt() == IDM_TRAFFIC_MONITOR)
            return action;
    }
    return nullptr;
}

// Tunes receiver 1 as the operator does: the frequency typed, Send pressed.
void SendTuning(CVX18DDlg& dlg, const QString& megahertz) {
    CVX18D_SetupDCn& page = *dlg.SetupPage(0);
    vxtest::Control<QLineEdit>(page, setup::IDC_TUNING_EDIT)->setText(megahertz);
    vxtest::Control<QPushButton>(page, setup::IDC_TUNING_SEND)->click();
}

// A link test reported straight to the log: the request and its echo.
void Ping(vx::TrafficLog& log, bool answered = true) {
    const Bytes ping = {0x27, 0, 0, 0, 0, 0};
    log.Request(ping.data(), ping.size());
    for (std::uint8_t byte : answered ? ping : Bytes{})
        log.ReplyByte(byte);
}

// The request bytes of each exchange line of a trace file: its second field.
std::vector<Bytes> RequestsInFile(const std::string& text) {
    std::vector<Bytes> requests;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const QStringList fields = QString::fromStdString(line).split(QStringLiteral(" | "));
        if (fields.size() < 5)
            continue; // the end of an action, a note
        Bytes request;
        for (const QString& byte : fields[1].split(QLatin1Char(' ')))
            request.push_back(static_cast<std::uint8_t>(byte.toUInt(nullptr, 16)));
        requests.push_back(request);
    }
    return requests;
}

} // namespace

class TrafficMonitorTest : public QObject {
    Q_OBJECT

private slots:
    void windowMenuOpensAMonitorThatLeavesTheWindowFree() {
        MonitorSession s;
        QVERIFY(s.Ready());
        CVX18DDlg& dlg = s.Open(false);
        QAction* entry = MonitorEntry(dlg);
        QVERIFY(entry && entry->isEnabled());
        QCOMPARE(entry->text(), QString("&Traffic Monitor..."));
        QVERIFY(!s.log.Listening());

        entry->trigger();
        TrafficMonitor* monitor = dlg.Monitor();
        QVERIFY(monitor && monitor->isVisible() && monitor->isWindow());
        QVERIFY(!monitor->isModal() && !QApplication::activeModalWidget());
        QVERIFY(s.log.Listening());

        // The window goes on working meanwhile, and the monitor shows what it does.
        SendTuning(dlg, "2250.5");
        QCOMPARE(RowsStartingWith(*monitor, "configuration word rx1: 2250.50 MHz"), 1);
        entry->trigger();
        QCOMPARE(dlg.Monitor(), monitor); // the same window, raised

        // Closed, it keeps nothing while the window goes on polling.
        monitor->close();
        QVERIFY(!s.log.Listening());
        const std::uint64_t kept = s.log.NextSequence();
        const std::size_t polls = vxtest::CountRequests(s.Unit(), sim::kStatusPoll);
        QVERIFY(QTest::qWaitFor(
            [&] { return vxtest::CountRequests(s.Unit(), sim::kStatusPoll) >= polls + 3; }, 3000));
        QCOMPARE(s.log.NextSequence(), kept);

        // Opened again, it says what it missed.
        entry->trigger();
        QVERIFY(monitor->isVisible() && s.log.Listening());
        QVERIFY(Rows(*monitor).last().startsWith("(the monitor was closed"));
    }

    void startUpAPageActionAndAFailedPoll() {
        MonitorSession s;
        QVERIFY(s.Ready());
        CVX18DDlg& dlg = s.Open(true);
        TrafficMonitor& monitor = *dlg.Monitor();
        g_bPolling = 0; // polls come back below
        QTest::qWait(50);

        // Start-up: the read-out, exactly what the unit received, in order.
        Rows(monitor);
        QCOMPARE(RequestsShown(monitor), s.Unit().Requests());
        QVERIFY(monitor.Model().rowCount() > 250);
        QCOMPARE(Rows(monitor).first(), QString("register rx1: select page 0"));

        // A page action: its configuration word, the AM gain that goes with
        // it, and its end; the status polls meanwhile are left out.
        g_bPolling = 1;
        QVERIFY(QTest::qWaitFor(
            [&] { return vxtest::CountRequests(s.Unit(), sim::kStatusPoll) >= 2; }, 3000));
        SendTuning(dlg, "2250.5");
        QStringList rows = Rows(monitor);
        QVERIFY2(rows.size() >= 3, qPrintable(rows.join('\n')));
        QVERIFY2(rows[rows.size() - 3].startsWith("configuration word rx1: 2250.50 MHz, setup 0, "),
                 qPrintable(rows[rows.size() - 3]));
        QVERIFY2(rows[rows.size() - 2].startsWith("AM gain rx1: set "),
                 qPrintable(rows[rows.size() - 2]));
        QCOMPARE(rows.last(), QString("--"));
        QCOMPARE(RowsStartingWith(monitor, "status poll"), 0);
        QVERIFY(!rows.join('\n').contains("--\n--"));

        // At the desktop's font and 25 % larger, every row fits its columns,
        // the buttons their captions, and the window the screen.
        QVERIFY2(LayoutFaults(monitor).isEmpty(), qPrintable(LayoutFaults(monitor).join('\n')));
        QVERIFY(
            monitor.grab().save(QStringLiteral(VX18D_SCREENSHOT_DIR "/vx18d-traffic-monitor.png")));
        const QFont normal = QApplication::font();
        QFont large = normal;
        large.setPointSizeF(normal.pointSizeF() * 1.25);
        QApplication::setFont(large);
        {
            TrafficMonitor second(s.log, &dlg); // shows what the log holds
            second.Open();
            QVERIFY2(LayoutFaults(second).isEmpty(), qPrintable(LayoutFaults(second).join('\n')));
            QVERIFY(second.grab().save(
                QStringLiteral(VX18D_SCREENSHOT_DIR "/vx18d-traffic-monitor-large-font.png")));
        }
        QApplication::setFont(normal);

        // A poll the unit leaves unanswered is shown, in red, filter or not.
        s.Unit().ArmNoAnswer(1);
        QVERIFY(
            QTest::qWaitFor([&] { return Rows(monitor).join('\n').contains("NO REPLY"); }, 3000));
        const int failed =
            static_cast<int>(Rows(monitor).indexOf(QRegularExpression(".*NO REPLY")));
        QVERIFY(vx::IsPollTraffic(*monitor.Model().Entry(failed)));
        QCOMPARE(monitor.Model().index(failed, TrafficModel::kRequest).data(Qt::ForegroundRole),
                 QVariant(QColor(0xC0, 0x00, 0x00)));

        // One click shows every poll the log holds, another hides them again.
        auto* showPolls = monitor.findChild<QCheckBox*>("showPolls");
        showPolls->click();
        std::size_t held = 0;
        for (const auto& entry : s.log.Since(0).entries)
            held += entry->PacketType() == 0x0020 ? 1 : 0;
        QVERIFY(held >= 2);
        QCOMPARE(RowsStartingWith(monitor, "status poll"), static_cast<int>(held));
        showPolls->click();
        QCOMPARE(RowsStartingWith(monitor, "status poll") + RowsStartingWith(monitor, "AM counter"),
                 1); // the failed one
    }

    void ringKeepsTheLastLinesAndPauseAndClearWork() {
        vx::TrafficLog log(nullptr, {}, 8);
        TrafficMonitor monitor(log, nullptr);
        monitor.Open();
        for (int i = 0; i < 20; ++i)
            Ping(log);
        monitor.Refresh();
        const TrafficModel& model = monitor.Model();
        QCOMPARE(model.rowCount(), 9);
        QCOMPARE(model.LineText(0),
                 QString("(12 earlier exchanges fell out of the monitor's memory)"));
        QCOMPARE(model.Entry(1)->sequence, std::uint64_t{12});

        // Paused, the list stands while the log goes on; resumed, it catches up.
        auto* pause = monitor.findChild<QPushButton*>("pauseButton");
        pause->click();
        for (int i = 0; i < 3; ++i)
            Ping(log);
        monitor.Refresh();
        QCOMPARE(model.Entry(1)->sequence, std::uint64_t{12});
        pause->click();
        QCOMPARE(model.rowCount(), 9);
        QCOMPARE(model.Entry(1)->sequence, std::uint64_t{15});
        QCOMPARE(model.LineText(0),
                 QString("(15 earlier exchanges fell out of the monitor's memory)"));

        monitor.findChild<QPushButton*>("clearButton")->click();
        QCOMPARE(model.rowCount(), 0);
        Ping(log);
        monitor.Refresh();
        QCOMPARE(model.rowCount(), 1);
    }

    void saveAsTextAndCopyGiveTheLinesShown() {
        vxtest::TempDir dir;
        vxtest::RecordedBoxes boxes;
        std::int64_t now = 0;
        vx::TrafficLog log(nullptr, [&] { return now; });
        TrafficMonitor monitor(log, nullptr);
        monitor.Open();
        Ping(log);
        log.Break();
        const Bytes poll = {0x27, 0, 0x00, 0x20, 0, 0};
        log.Request(poll.data(), poll.size()); // answered: hidden
        for (std::uint8_t byte : Bytes{0x27, 0, 0x00, 0x20, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
            log.ReplyByte(byte);
        now = 2500;
        Ping(log, false);
        log.Flush();
        monitor.Refresh();
        const QStringList lines = {
            "       0.0 | 27 00 00 00 00 00 | 27 00 00 00 00 00 | 0.0 ms | link test",
            "       0.0 | -- end of action --",
            "       2.5 | 27 00 00 00 00 00 | - | 0.0 ms | link test | NO REPLY",
        };
        QCOMPARE(monitor.Text(), lines.join('\n') + '\n');

        const QString path = QString::fromStdString(dir.Path() + "/traffic.txt");
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialog->selectFile(path);
                QMetaObject::invokeMethod(dialog, "accept");
            }
        });
        monitor.findChild<QPushButton*>("saveButton")->click();
        QCOMPARE(QString::fromStdString(vxtest::ReadFile(path.toStdString())),
                 lines.join('\n') + '\n');

        monitor.View()->selectionModel()->select(
            monitor.Model().index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        monitor.View()->selectionModel()->select(
            monitor.Model().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        monitor.findChild<QPushButton*>("copyButton")->click();
        QCOMPARE(QApplication::clipboard()->text(), lines[0] + '\n' + lines[2] + '\n');

        QVERIFY(!monitor.SaveText(QString::fromStdString(dir.Path() + "/missing/traffic.txt")));
        QCOMPARE(boxes.Boxes().size(), std::size_t{1});
        QCOMPARE(boxes.Boxes()[0].caption, std::string("Save Traffic as Text"));
    }

    // vx18d --trace FILE as the program runs it: the option, the file
    // created before the port is opened, the window run modally through a
    // start-up, a page action and a few polls.
    void traceFileHoldsEveryByteTheUnitReceived() {
        vxtest::IsolatedConfig config;
        sim::SimulatedUnit unit;
        QVERIFY(unit.Start(config.PortsDir(), "COM7"));
        QVERIFY(vx::SaveSerialSettings({"COM7", 57600, 0, 0, 1000}));
        const std::string path = config.Path() + "/trace.txt";
        const char* argv[] = {"vx18d", "--trace", path.c_str()};
        vx::ProgramOptions options;
        std::ostringstream out, err;
        QVERIFY(!vx::ParseProgramOptions(3, argv, out, err, options));
        vx::CVX18DApp app;
        QVERIFY(app.OpenTraceFile(options.traceFile, err));

        bool acted = false;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            auto* dlg = qobject_cast<CVX18DDlg*>(QApplication::activeModalWidget());
            const std::size_t polls = vxtest::CountRequests(unit, sim::kStatusPoll);
            if (!dlg || polls < 2)
                return;
            if (!acted) {
                SendTuning(*dlg, "2250.5");
                acted = true;
            } else if (polls >= 5) {
                driver.stop();
                dlg->close();
            }
        });
        driver.start(20);
        app.SetDialogRunner([&app](vx::CVX18D3_Comm& comm, int offline, const std::string& dir) {
            return RunMainDialog(comm, offline, dir, app.Traffic());
        });
        app.InitInstance();
        QVERIFY(acted);

        const std::string text = vxtest::ReadFile(path);
        QCOMPARE(RequestsInFile(text), unit.Requests());
        const std::string first = text.substr(0, text.find('\n'));
        QVERIFY2(first.ends_with(" | link test"), first.c_str()); // the start-up link test
        QVERIFY(text.find("| configuration word rx1: 2250.50 MHz") != std::string::npos);
        QVERIFY(text.find("| status poll\n") != std::string::npos);
        QVERIFY(text.find(std::string(" | ") + vx::kActionBreakText + "\n") != std::string::npos);
        QCOMPARE(err.str(), std::string());
    }

    void traceFileThatCannotBeCreatedStopsTheProgramAtOnce() {
        QProcess program;
        program.setProgram(QStringLiteral(VX18D_PATH));
        const QString path = QStringLiteral("/nonexistent-folder/trace.txt");
        for (const QStringList& arguments :
             {QStringList{"--trace", path}, QStringList{"--trace"}}) {
            program.setArguments(arguments);
            program.start();
            QVERIFY(program.waitForFinished(10000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 2);
            const QString err = QString::fromLocal8Bit(program.readAllStandardError());
            if (arguments.size() == 2)
                QCOMPARE(err, QString("vx18d: --trace %1: cannot create the file: "
                                      "No such file or directory\n")
                                  .arg(path));
            else
                QVERIFY2(err.startsWith("vx18d: --trace needs the name of a file\n"),
                         qPrintable(err));
        }
    }
};

QTEST_MAIN(TrafficMonitorTest)
#include "TrafficMonitorTest.moc"
