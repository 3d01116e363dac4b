// The main window's frame: which pages exist and in what order, page
// selection, keyboard forwarding, the window menu and About box, message
// boxes, the stored sample rate, the modal run, and a screenshot.
#include "GuiTestSupport.h"

#include "app/CVX18DApp.h"
#include "platform/Clock.h"
#include "ui/comport/CVX18D_ComPort.h"
#include "ui/main/CAboutDlg.h"
#include "ui/main/MainDialogTemplate.h"
#include "ui/main/StatusWorker.h"
#include "ui/refclk/CVX18D_RefClk.h"
#include "ui/setup/CVX18D_SetupDCn.h"
#include "ui/setup/SetupPageTemplate.h"
#include "vx18d/Version.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <cctype>

using namespace vx::ui;
using vxtest::Control;
using vxtest::EditText;

namespace {

QStringList TabCaptions(QWidget& window) {
    QStringList captions;
    auto* tab = Control<QTabWidget>(window, IDC_TAB);
    for (int i = 0; i < tab->count(); ++i)
        captions << tab->tabText(i);
    return captions;
}

// A setup page has shown host RSSI averaging: one of its two radios is marked.
bool AveragingShown(QWidget& page) {
    return Control<QPushButton>(page, setup::IDC_NO_AVERAGING)->isChecked() !=
           Control<QPushButton>(page, setup::IDC_FILTERED_AVERAGING)->isChecked();
}

// Selects tab i as the operator does and returns the page number shown.
plat::UINT SelectTab(CVX18DDlg& dlg, int index) {
    Control<QTabWidget>(dlg, IDC_TAB)->setCurrentIndex(index);
    return dlg.CurrentPage();
}

// The columns in which a widget, drawn as the operator sees it, shows dark
// ink (text), in its own coordinates.
std::vector<int> InkColumns(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    const qreal scale = image.width() / qreal(std::max(widget->width(), 1));
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 110) {
                columns.push_back(int(x / scale));
                break;
            }
        }
    }
    return columns;
}

// The centres of the two words of ink, split at the widest gap.
std::pair<double, double> TwoWordCentres(const std::vector<int>& columns) {
    if (columns.size() < 2)
        return {-1, -1};
    std::size_t split = 1;
    for (std::size_t i = 1; i < columns.size(); ++i) {
        if (columns[i] - columns[i - 1] > columns[split] - columns[split - 1])
            split = i;
    }
    return {(columns.front() + columns[split - 1]) / 2.0, (columns[split] + columns.back()) / 2.0};
}

// The part of an image control that its image covers, in its parent's coordinates.
QRect PaintedRect(QWidget* image) {
    QImage canvas(image->size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    image->render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
    QRect painted;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (qAlpha(canvas.pixel(x, y)) > 0)
                painted |= QRect(x, y, 1, 1);
        }
    }
    return painted.translated(image->pos());
}

QGroupBox* GroupTitled(QWidget& window, const QString& title) {
    for (QGroupBox* box : window.findChildren<QGroupBox*>()) {
        if (box->title() == title)
            return box;
    }
    return nullptr;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void bothReceiversGiveFourTabsInPageOrder() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();

        QCOMPARE(TabCaptions(dlg),
                 QStringList({"Setup Rcvr1", "Setup Rcvr2", "Ref Clk", "Com Port"}));
        QVERIFY(Control<QTabWidget>(dlg, IDC_TAB)->isEnabled());
        QCOMPARE(dlg.CurrentPage(), kPageReceiver1);
        // Host RSSI averaging is first shown when a setup page's tab is selected.
        QVERIFY(AveragingShown(*dlg.SetupPage(0)));
        QVERIFY(!AveragingShown(*dlg.SetupPage(1)));
        QVERIFY(dlg.SetupPage(0)->isVisible());

        QCOMPARE(SelectTab(dlg, 2), kPageRefClk);
        QVERIFY(dlg.RefClkPage()->isVisible() && dlg.RefClkPage()->isEnabled());
        QVERIFY(!dlg.SetupPage(0)->isVisible() && !dlg.SetupPage(0)->isEnabled());
        // Its refresh read the historical ranges and showed them.
        QCOMPARE(vxtest::CountRequests(session.Unit(), sim::kShortCommand, 0xC8), std::size_t{6});
        QCOMPARE(Control<QLabel>(*dlg.RefClkPage(), 2027)->text(), QString("52 \u00B0C"));
        vxtest::RecordedTones tones; // the communications page shows its link lamp with a tone
        QCOMPARE(SelectTab(dlg, 3), kPageComPort);
        QCOMPARE(tones.Tones(), (std::vector<vxtest::RecordedTones::Tone>{{1000, 100}}));
        QVERIFY(Control<QWidget>(*dlg.ComPortPage(), 1167)->isVisible());
        QCOMPARE(SelectTab(dlg, 1), kPageReceiver2);
        QVERIFY(AveragingShown(*dlg.SetupPage(1)));

        // Every page fills the frame.
        const QRect frame = Control<QWidget>(dlg, IDC_PAGE_FRAME)->geometry();
        QCOMPARE(dlg.SetupPage(1)->geometry(), frame);
        QCOMPARE(dlg.ComPortPage()->geometry(), frame);
    }

    void receiver2OnlyShiftsTheTabsAndGreysOutReceiver1() {
        vxtest::WindowSession session(sim::UnitOptions{.receiverHasBands = {false, true}});
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();

        QCOMPARE(TabCaptions(dlg), QStringList({"Setup Rcvr2", "Ref Clk", "Com Port"}));
        QVERIFY(!dlg.SetupPage(0));
        QCOMPARE(dlg.CurrentPage(), kPageReceiver2);
        QCOMPARE(SelectTab(dlg, 1), kPageRefClk);
        QCOMPARE(SelectTab(dlg, 2), kPageComPort);
        QCOMPARE(SelectTab(dlg, 0), kPageReceiver2);

        // Polls run, yet receiver 1's area stays greyed out and empty.
        QVERIFY(QTest::qWaitFor([&] { return !EditText(dlg, 1023).isEmpty(); }, 3000));
        const ReceiverControlIds& rx1 = kReceiverControlIds[0];
        QVERIFY(!Control<QGroupBox>(dlg, rx1.group)->isEnabled());
        for (int id : {rx1.rssiEdit, rx1.fmEdit, rx1.amIndexEdit, rx1.amCounterEdit})
            QCOMPARE(EditText(dlg, id), QString());
        for (int id : {rx1.lo2Green, rx1.lo2Yellow, rx1.lo1Green, rx1.lo1Yellow, rx1.agcZeroGreen,
                       rx1.agcZeroGrey, rx1.agcZeroLabel})
            QVERIFY2(Control<QWidget>(dlg, id)->isHidden(), qPrintable(QString::number(id)));
        auto* bar = Control<QProgressBar>(dlg, rx1.rssiBar);
        QVERIFY(!bar->isEnabled());
        QCOMPARE(bar->value(), -110);
        QVERIFY(!Control<QLabel>(dlg, rx1.hzLabel)->isEnabled());
    }

    void offlineStartShowsOnlyTheCommunicationsPage() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open(1);

        QCOMPARE(TabCaptions(dlg), QStringList({"Ref Clk", "Com Port"}));
        auto* tab = Control<QTabWidget>(dlg, IDC_TAB);
        QCOMPARE(tab->currentIndex(), 1);
        QVERIFY(!tab->isEnabled());
        QCOMPARE(dlg.CurrentPage(), kPageComPort);
        QVERIFY(dlg.ComPortPage()->isVisible());
        QVERIFY(!dlg.RefClkPage()->isVisible());
        QVERIFY(!Control<QPushButton>(dlg, IDC_STATUS)->isChecked());
        QCOMPARE(g_bPolling.load(), 0);

        // Offline, the window never talks to the unit.
        QTest::qWait(400);
        QCOMPARE(session.Unit().Requests().size(), std::size_t{0});
        QVERIFY(session.Close() < 200);
    }

    void unitWithoutBandsStaysOnTheCommunicationsPageButPolls() {
        vxtest::WindowSession session(sim::UnitOptions{.receiverHasBands = {false, false}});
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        QCOMPARE(TabCaptions(dlg), QStringList({"Ref Clk", "Com Port"}));
        QVERIFY(!Control<QTabWidget>(dlg, IDC_TAB)->isEnabled());
        QCOMPARE(dlg.CurrentPage(), kPageComPort);
        QVERIFY(Control<QPushButton>(dlg, IDC_STATUS)->isChecked());
        session.Unit().ClearRequests();
        QVERIFY(QTest::qWaitFor(
            [&] { return vxtest::CountRequests(session.Unit(), sim::kStatusPoll) > 0; }, 3000));
    }

    void enterAndSpaceReachTheVisiblePageAndNeverCloseTheWindow() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        auto* status = Control<QPushButton>(dlg, IDC_STATUS);
        auto* record = Control<QPushButton>(dlg, IDC_RECORD);
        auto* rateEdit = Control<QWidget>(dlg, IDC_SAMPLE_RATE_EDIT);
        QVERIFY(rateEdit);

        // Typed on the window's own controls, or in the page itself.
        const std::vector<std::pair<QWidget*, int>> presses{{status, Qt::Key_Return},
                                                            {record, Qt::Key_Space},
                                                            {rateEdit, Qt::Key_Enter},
                                                            {dlg.SetupPage(0), Qt::Key_Return}};
        status->setFocus();
        // Enter on the first setup page is its tuning Send: a configuration
        // word and the AM gain for receiver 1. Space sends nothing.
        sim::SimulatedUnit& unit = session.Unit();
        unit.ClearRequests();
        std::size_t sends = 0;
        for (const auto& [widget, key] : presses) {
            QTest::keyClick(widget, Qt::Key(key),
                            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            if (key == Qt::Key_Space) {
                QTest::qWait(200);
            } else {
                ++sends;
            }
            QVERIFY(QTest::qWaitFor(
                [&] { return vxtest::CountRequests(unit, sim::kShortCommand, 0x68) == sends; },
                2000));
            QCOMPARE(vxtest::CountRequests(unit, sim::kConfigurationWord), sends);
        }
        QCOMPARE(sends, std::size_t{3});
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), 0);
        QVERIFY(status->isChecked());  // Enter did not press Status
        QVERIFY(!record->isChecked()); // nor Space Record
        QCOMPARE(g_bRecording.load(), 0);

        // The keys follow the selected page.
        SelectTab(dlg, 2);
        QTest::keyClick(status, Qt::Key_Return);
        QTest::qWait(300);
        QCOMPARE(vxtest::CountRequests(unit, sim::kConfigurationWord), sends);
    }

    void windowMenuEndsWithTheAboutBox() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open(1);
        QCOMPARE(dlg.windowTitle(), QString("Corvanta VX18D"));
        QVERIFY(!dlg.windowIcon().isNull());

        const QList<QAction*> actions = dlg.SystemMenu()->actions();
        QVERIFY(actions.size() >= 2);
        QVERIFY(actions[actions.size() - 2]->isSeparator());
        QAction* about = actions.last();
        QCOMPARE(about->text(), QString("&About VX18D..."));

        QString title, stamp, compiler;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            stamp = Control<QLabel>(*box, IDC_BUILD_STAMP)->text();
            compiler = Control<QLabel>(*box, IDC_COMPILER_VERSION)->text();
            box->grab().save(QStringLiteral(VX18D_SCREENSHOT_DIR "/vx18d-about-box.png"));
            box->accept();
        });
        about->trigger();
        QCOMPARE(title, QString("About VX18D"));
        QVERIFY2(stamp.startsWith(QStringLiteral("Version %1 - ").arg(vx::kVersion)),
                 qPrintable(stamp));
        QVERIFY2(QRegularExpression(
                     R"(^Version \d+\.\d+\.\d+\.\d+ - [A-Z][a-z]{2} \d\d \d{4} - \d\d:\d\d:\d\d$)")
                     .match(stamp)
                     .hasMatch(),
                 qPrintable(stamp));
#if defined(__clang__)
        QVERIFY2(compiler.startsWith("Clang:"), qPrintable(compiler));
#elif defined(__GNUC__)
        QCOMPARE(compiler, QStringLiteral("GCC:%1.%2.%3")
                               .arg(__GNUC__)
                               .arg(__GNUC_MINOR__)
                               .arg(__GNUC_PATCHLEVEL__));
#endif
    }

    void registryErrorMessageShowsTheSystemText() {
        vxtest::RecordedBoxes boxes;
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open(1);
        dlg.SendMessage(WM_REGISTRY_ERROR_BOX, 5, 0);
        QCOMPARE(boxes.Boxes().size(), std::size_t{1});
        const plat::MessageBoxRequest& box = boxes.Boxes()[0];
        QCOMPARE(box.caption, std::string("Registry Error"));
        QCOMPARE(box.type, plat::MB_OK | plat::MB_ICONERROR);
        QVERIFY(box.owner == nullptr);
        QVERIFY2(box.text.starts_with("Operation returned:5, Meaning: ") && box.text.size() > 31,
                 box.text.c_str());
        QVERIFY(!std::isspace(static_cast<unsigned char>(box.text.back())));
    }

    void sampleRateComesFromTheStoreAndGoesBack() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        session.Comm().SaveStatusSampleRate(4);
        CVX18DDlg& dlg = session.Open(1);
        auto* spin = Control<QSpinBox>(dlg, IDC_SAMPLE_RATE_SPIN);
        QCOMPARE(spin->value(), 4);
        QCOMPARE(g_nSamplesPerSecond.load(), 4u);
        QCOMPARE(spin->minimum(), 1);
        QCOMPARE(spin->maximum(), 10);

        QTest::mouseClick(spin, Qt::LeftButton, {},
                          QPoint(spin->width() - 4, spin->height() / 4)); // the up arrow
        QCOMPARE(spin->value(), 5);
        QCOMPARE(g_nSamplesPerSecond.load(), 5u);
        QCOMPARE(int(session.Comm().LoadStatusSampleRate()), 5);
    }

    void storedRateOfZeroCountsAsTheDefault() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        session.Comm().SaveStatusSampleRate(0);
        CVX18DDlg& dlg = session.Open(1);
        QCOMPARE(g_nSamplesPerSecond.load(), kDefaultSamplesPerSecond);
        QCOMPARE(Control<QSpinBox>(dlg, IDC_SAMPLE_RATE_SPIN)->value(), 10);
        QCOMPARE(CycleWaitMs(0), 100u);
        QCOMPARE(CycleWaitMs(256), 100u); // only the low byte counts
        QCOMPARE(CycleWaitMs(3), 333u);
    }

    void closingTheModalWindowWhilePollingReturnsPromptly() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        std::int64_t closedAt = 0;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && vxtest::CountRequests(session.Unit(), sim::kStatusPoll) >= 3) {
                closer.stop();
                closedAt = plat::TickMs();
                modal->close(); // the close box
            }
        });
        closer.start(20);
        const int result = RunMainDialog(session.Comm(), 0, vx::RecordFolder());
        const std::int64_t teardown = plat::TickMs() - closedAt;
        QCOMPARE(result, 2);
        QVERIFY(closedAt != 0);
        QVERIFY2(teardown < 1500, qPrintable(QString::number(teardown)));

        // Nothing talks to the unit afterwards.
        const std::size_t after = session.Unit().Requests().size();
        QTest::qWait(300);
        QCOMPARE(session.Unit().Requests().size(), after);
    }

    // At any font, each LO heading stands over its lamp, and the PLL lamp
    // sits inside its frame without touching it.
    void lampsSitUnderTheirHeadingsAndInTheirFrames_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("points");
        QTest::newRow("DejaVu Sans 9") << "DejaVu Sans" << 9;
        QTest::newRow("DejaVu Sans 7") << "DejaVu Sans" << 7;
        QTest::newRow("Liberation Sans 12") << "Liberation Sans" << 12;
        QTest::newRow("DejaVu Serif 16") << "DejaVu Serif" << 16;
    }

    void lampsSitUnderTheirHeadingsAndInTheirFrames() {
        QFETCH(QString, family);
        QFETCH(int, points);
        // The font the desktop gives the program, for as long as the window lives.
        struct ApplicationFont {
            QFont previous = QApplication::font();
            explicit ApplicationFont(const QFont& font) { QApplication::setFont(font); }
            ~ApplicationFont() { QApplication::setFont(previous); }
        } font{QFont(family, points)};
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        QVERIFY(QTest::qWaitFor([&] { return !Control<QWidget>(dlg, IDC_PLL_SYNCHED)->isHidden(); },
                                3000));

        for (const ReceiverControlIds& ids : kReceiverControlIds) {
            auto* heading = Control<QLabel>(dlg, ids.loHeading);
            QCOMPARE(heading->text(), QString("  LO2       LO1"));
            const auto [lo2Word, lo1Word] = TwoWordCentres(InkColumns(heading));
            auto lampCentre = [&](int id) {
                QWidget* lamp = Control<QWidget>(dlg, id);
                return lamp->mapTo(heading->parentWidget(), lamp->rect().center()).x() -
                       heading->x() + 0.5;
            };
            const QString where = QString("LO2 at %1 over %2, LO1 at %3 over %4")
                                      .arg(lo2Word)
                                      .arg(lampCentre(ids.lo2Green))
                                      .arg(lo1Word)
                                      .arg(lampCentre(ids.lo1Green));
            QVERIFY2(std::abs(lo2Word - lampCentre(ids.lo2Green)) <= 3, qPrintable(where));
            QVERIFY2(std::abs(lo1Word - lampCentre(ids.lo1Green)) <= 3, qPrintable(where));
        }

        // Inside the frame is below its top line and title and above its
        // bottom line; the lamp keeps off both by a pixel at least.
        QGroupBox* refClk = GroupTitled(dlg, "Ref Clk");
        QVERIFY(refClk);
        const QRect inside = refClk->contentsRect().translated(refClk->pos());
        for (int id : {IDC_PLL_SYNCHED, IDC_PLL_NOT_SYNCHED}) {
            QWidget* lampControl = Control<QWidget>(dlg, id);
            QCOMPARE(lampControl->parentWidget(), refClk->parentWidget());
            const QRect lamp = PaintedRect(lampControl);
            const QString where = QString("lamp %1..%2 inside %3..%4")
                                      .arg(lamp.top())
                                      .arg(lamp.bottom())
                                      .arg(inside.top())
                                      .arg(inside.bottom());
            QVERIFY2(lamp.top() > inside.top(), qPrintable(where));
            QVERIFY2(lamp.bottom() < inside.bottom(), qPrintable(where));
        }
    }

    void screenshotOfTheWindow() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        session.Unit().WithModel([](sim::UnitModel& unit) { unit.SetAgcZeroActive(1, true); });
        QVERIFY(QTest::qWaitFor([&] { return dlg.AgcZeroShown(1) == 1; }, 3000));
        QVERIFY(QTest::qWaitFor([&] { return !EditText(dlg, 1248).isEmpty(); }, 3000));
        const QString path = QStringLiteral(VX18D_SCREENSHOT_DIR "/vx18d-main-window.png");
        QVERIFY(dlg.grab().save(path));
        qInfo("screenshot: %s", qPrintable(path));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
