// The communications page against the simulated unit: the port list, the
// selections taken from the open port, Test and the stored settings, the
// firmware controls' gate, the keys, and the firmware load with its
// progress window, outcomes and traffic.
#include "GuiTestSupport.h"

#include "app/CVX18DApp.h"
#include "app/ProgramRestart.h"
#include "platform/Clock.h"
#include "platform/ConfigPaths.h"
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/SerialDevice.h"
#include "ui/comport/CVX18D_ComPort.h"
#include "ui/comport/ComPortTemplate.h"
#include "ui/comport/FirmwareProgressDialog.h"
#include "ui/main/MainDialogTemplate.h"
#include "ui/main/StatusWorker.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

using namespace vx::ui;
using vxtest::Control;
using Tones = std::vector<vxtest::RecordedTones::Tone>;

namespace {

const QString kTooBig = "The File size exceeds the buffer size in the DSP.";

CVX18D_ComPort& ShowPage(CVX18DDlg& dlg) {
    auto* tab = Control<QTabWidget>(dlg, IDC_TAB);
    tab->setCurrentIndex(tab->count() - 1);
    return *dlg.ComPortPage();
}

QStringList Items(QWidget& page, int id) {
    QStringList items;
    auto* list = Control<QComboBox>(page, id);
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

void Choose(QWidget& page, int id, const QString& text) {
    auto* list = Control<QComboBox>(page, id);
    list->setCurrentIndex(list->findText(text));
}

void Click(QWidget& page, int id) {
    QTest::mouseClick(Control<QPushButton>(page, id), Qt::LeftButton);
}

std::string Image(const vxtest::TempDir& dir, std::size_t size) {
    const std::string path = dir.File(std::to_string(size) + ".bin");
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < size; ++i)
        out.put(static_cast<char>(i * 13 + 1));
    return path;
}

// Puts the path in the field and presses Load; returns once the load ended.
void Load(CVX18D_ComPort& page, const std::string& path) {
    Control<QLineEdit>(page, IDC_FLASH_PATH)->setText(QString::fromStdString(path));
    Click(page, IDC_LOAD);
}

// The payload sizes of the firmware blocks the unit received, whether the
// commit followed them, and whether anything else came after the first block.
struct FlashTraffic {
    std::vector<std::size_t> blocks;
    bool committed = false;
    bool otherTraffic = false;
};
FlashTraffic Traffic(sim::SimulatedUnit& unit) {
    FlashTraffic traffic;
    for (const auto& request : unit.Requests()) {
        if (request[2] == 0x20 && request[3] == 0x10)
            traffic.blocks.push_back(request.size() - sim::kHeaderSize);
        else if (request[2] == 0x01 && request[3] == 0x10 && request[6] == 0x98)
            traffic.committed = true;
        else if (!traffic.blocks.empty())
            traffic.otherTraffic = true;
    }
    return traffic;
}

QStringList BoxSummary(const vxtest::RecordedBoxes& boxes) {
    QStringList summary;
    for (const auto& box : boxes.Boxes())
        summary << QString::fromStdString(box.caption + ": " + box.text);
    return summary;
}

} // namespace

class ComPortPageTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetStatusGlobals(); }

    void portListHoldsSerialTerminalsOnlyWithTheirDevices() {
        vxtest::WindowSession session;
        vxtest::TempDir dir;
        std::ofstream(dir.File("file")) << "x";
        const std::string ports = plat::PortsDir() + "/";
        QCOMPARE(::symlink(session.Unit().SlavePath().c_str(), (ports + "COM3").c_str()), 0);
        QCOMPARE(::symlink(dir.File("file").c_str(), (ports + "COM9").c_str()), 0);
        QCOMPARE(::symlink(dir.File("gone").c_str(), (ports + "COM10").c_str()), 0);
        QCOMPARE(::symlink("/dev/null", (ports + "COM11").c_str()), 0);
        CVX18D_ComPort& page = ShowPage(session.Open(1));

        const QStringList names = Items(page, IDC_COM_PORT_LIST);
        QVERIFY2(names.indexOf("COM3") >= 0 && names.indexOf("COM3") < names.indexOf("COM7"),
                 qPrintable(names.join(' ')));
        for (const char* absent : {"COM9", "COM10", "COM11"})
            QVERIFY2(!names.contains(absent), absent);
        auto* list = Control<QComboBox>(page, IDC_COM_PORT_LIST);
        QCOMPARE(list->currentText(), QString("COM7"));
        QVERIFY(list->itemData(list->currentIndex(), Qt::ToolTipRole)
                    .toString()
                    .startsWith(QString::fromStdString(session.Unit().SlavePath())));
        QCOMPARE(list->toolTip(), list->itemData(list->currentIndex(), Qt::ToolTipRole).toString());
        QCOMPARE(Items(page, IDC_PARITY_LIST),
                 QStringList({"No parity", "Odd", "Even", "Mark", "Space"}));
        QCOMPARE(Items(page, IDC_BAUD_RATE_LIST).size(), 20);
    }

    void selectionsFollowTheOpenPortWithTheirFallbacks() {
        struct Case {
            const char* name;
            plat::DWORD rate;
            plat::BYTE parity, stopBits;
            QStringList shown;
        };
        const Case cases[] = {
            {"com7", 1000000, 7, 1, {"COM7", "57600", "No parity", "1.5 stop bits"}},
            {"COM7", 921600, 2, 2, {"COM7", "921600, MOXA Max", "Even", "2 stop bits"}},
        };
        for (const Case& c : cases) {
            vxtest::WindowSession session;
            vx::SerialPortSettings& open = *session.Comm().m_pPort->GetSettings();
            std::snprintf(open.portName, sizeof open.portName, "%s", c.name);
            open.commConfig.dcb.BaudRate = c.rate;
            open.commConfig.dcb.Parity = c.parity;
            open.commConfig.dcb.StopBits = c.stopBits;
            CVX18D_ComPort& page = ShowPage(session.Open(1));
            QStringList shown;
            for (int id :
                 {IDC_COM_PORT_LIST, IDC_BAUD_RATE_LIST, IDC_PARITY_LIST, IDC_STOP_BITS_LIST})
                shown << Control<QComboBox>(page, id)->currentText();
            QCOMPARE(shown, c.shown);
        }
    }

    void testStoresTheSettingsOnlyWhenTheUnitAnswers() {
        vxtest::WindowSession session;
        CVX18D_ComPort& page = ShowPage(session.Open(1));
        vxtest::RecordedTones tones;
        vxtest::RecordedBoxes boxes;
        session.Unit().ClearRequests();

        Choose(page, IDC_BAUD_RATE_LIST, "115200");
        Click(page, IDC_TEST);
        QCOMPARE(vxtest::CountRequests(session.Unit(), sim::kLinkTest), std::size_t{1});
        QCOMPARE(session.Unit().PacingRate(), 115200u); // the port was reopened at the new rate
        vx::CVX18DApp stored;
        QVERIFY(stored.LoadRegistrySettings());
        QCOMPARE(stored.m_strComPort, std::string("COM7"));
        QCOMPARE(stored.m_dwBaudRate, 115200u);
        QCOMPARE(stored.m_dwParity + stored.m_dwStopBits, 0u);
        QCOMPARE(stored.m_dwTimeout, 300u);
        QVERIFY(Control<QWidget>(page, IDC_LINK_OK)->isVisible());
        QCOMPARE(tones.Tones(), (Tones{{1000, 100}}));

        // Switched off: the port is reopened, nothing is stored, the lamp turns red.
        session.Unit().StopAfter(0);
        tones.Clear();
        Choose(page, IDC_BAUD_RATE_LIST, "57600");
        Click(page, IDC_TEST);
        QVERIFY(stored.LoadRegistrySettings());
        QCOMPARE(stored.m_dwBaudRate, 115200u);
        QVERIFY(Control<QWidget>(page, IDC_LINK_FAILED)->isVisible());
        QVERIFY(!Control<QWidget>(page, IDC_LINK_OK)->isVisible());
        QCOMPARE(tones.Tones(), (Tones{{100, 100}}));
        // Only the unit found after the offline start was told (see below).
        QCOMPARE(BoxSummary(boxes),
                 QStringList{"Unit Found: " + QString::fromStdString(boxes.Boxes()[0].text)});
    }

    // A unit that answers a Test after an offline start: the pages stay as
    // they are, and the operator is told so and offered a restart.
    void aUnitFoundAfterAnOfflineStartOffersARestart() {
        vxtest::WindowSession session;
        CVX18DDlg& dlg = session.Open(1);
        CVX18D_ComPort& page = ShowPage(dlg);
        int restarts = 0;
        dlg.SetRestartAction([&] { ++restarts; });
        vxtest::RecordedBoxes boxes;

        Click(page, IDC_TEST); // answered Later
        QCOMPARE(boxes.Boxes().size(), std::size_t{1});
        const plat::MessageBoxRequest& box = boxes.Boxes()[0];
        QCOMPARE(box.caption, std::string("Unit Found"));
        QVERIFY2(box.text.starts_with("The unit answers on COM7. ") &&
                     box.text.ends_with("Restart the program now?"),
                 box.text.c_str());
        QCOMPARE(box.type, plat::MB_YESNO | plat::MB_ICONQUESTION | plat::MB_DEFBUTTON2);
        QCOMPARE(box.buttons, (std::vector<std::string>{"Restart", "Later"}));
        QVERIFY(box.owner == static_cast<const QWidget*>(&dlg));
        QCOMPARE(restarts, 0);
        QVERIFY(!dlg.SetupPage(0) && !dlg.SetupPage(1));
        QVERIFY(!Control<QTabWidget>(dlg, IDC_TAB)->isEnabled());
        QCOMPARE(dlg.windowTitle(), QString("Corvanta VX18D - COM7 - offline"));

        boxes.Answer(plat::IDYES);
        Click(page, IDC_TEST);
        QCOMPARE(restarts, 1);

        // No answer, no offer.
        session.Unit().StopAfter(0);
        Click(page, IDC_TEST);
        QCOMPARE(boxes.Boxes().size(), std::size_t{2});
        QCOMPARE(restarts, 1);
    }

    // The window's own restart asks for a new run and closes the window;
    // main() starts the program again once the run has ended.
    void restartEndsThisRunAndAsksForTheNext() {
        vxtest::WindowSession session;
        CVX18DDlg& dlg = session.Open(1);
        CVX18D_ComPort& page = ShowPage(dlg);
        vxtest::RecordedBoxes boxes;
        boxes.Answer(plat::IDYES);
        QVERIFY(!vx::ProgramRestartRequested());
        Click(page, IDC_TEST);
        QVERIFY(vx::ProgramRestartRequested());
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));

        // After a start with the unit there is nothing to offer.
        vxtest::WindowSession online;
        CVX18D_ComPort& onlinePage = ShowPage(online.Open());
        boxes.Clear();
        Click(onlinePage, IDC_TEST);
        QVERIFY(boxes.Boxes().empty());
    }

    void testReportsAPortThatCannotBeOpened() {
        vxtest::WindowSession session;
        sim::SimulatedUnit busy, missing;
        QVERIFY(busy.Start(plat::PortsDir(), "COM8") && missing.Start(plat::PortsDir(), "COM12"));
        vx::SerialPortSettings holderSettings{};
        std::strcpy(holderSettings.portName, "COM8");
        vx::CSerialCom holder(&holderSettings); // another program holds COM8
        QVERIFY(holder.IsReady());
        CVX18D_ComPort& page = ShowPage(session.Open(1));
        missing.Stop(); // unplugged after the list was built

        vxtest::RecordedTones tones;
        for (const auto& [name, why] : {std::pair{"COM8", "in use by another program"},
                                        std::pair{"COM12", "no serial device has this name"}}) {
            vxtest::RecordedBoxes boxes;
            plat::DebugCapture debug;
            Choose(page, IDC_COM_PORT_LIST, name);
            Click(page, IDC_TEST);
            QCOMPARE(boxes.Boxes().size(), std::size_t{1});
            QCOMPARE(boxes.Boxes()[0].text, std::string("Cannot open Com Port."));
            QCOMPARE(boxes.Boxes()[0].caption, std::string("Com Port Error"));
            QCOMPARE(boxes.Boxes()[0].type, plat::MB_OK | plat::MB_ICONERROR);
            QVERIFY(boxes.Boxes()[0].owner == nullptr);
            QVERIFY2(debug.Contains(why) && debug.Contains("::CreateFile() error: "),
                     debug.Text().c_str());
        }
        QVERIFY(tones.Tones().empty()); // the lamp is not redrawn
        vx::CVX18DApp stored;
        stored.LoadRegistrySettings();
        QCOMPARE(stored.m_strComPort, std::string("COM1")); // nothing stored

        // With empty lists Test has nothing to test.
        for (int id : {IDC_COM_PORT_LIST, IDC_BAUD_RATE_LIST, IDC_PARITY_LIST, IDC_STOP_BITS_LIST})
            Control<QComboBox>(page, id)->clear();
        vxtest::RecordedBoxes boxes;
        Click(page, IDC_TEST);
        QVERIFY(boxes.Boxes().empty() && tones.Tones().empty());
    }

    void firmwareControlsNeedTheLinkAndRecentFirmwareWithTheCompanionBoard() {
        struct Case {
            bool companion;
            std::uint32_t date;
            bool linked;
            bool enabled;
        };
        for (const Case& c :
             {Case{false, 0x20110101, true, true}, Case{true, 0x20140319, true, false},
              Case{true, 0x20140320, true, true}, Case{false, 0x20180309, false, false}}) {
            vxtest::WindowSession session(
                sim::UnitOptions{.companionBoard = c.companion, .firmwareDate = c.date});
            if (!c.linked)
                session.Comm().m_nLastResult = 0;
            CVX18D_ComPort& page = ShowPage(session.Open(c.linked ? 0 : 1));
            for (int id : {IDC_FLASH_PATH, IDC_BROWSE, IDC_LOAD})
                QVERIFY2(Control<QWidget>(page, id)->isEnabled() == c.enabled,
                         qPrintable(QStringLiteral("%1 %2").arg(c.date, 0, 16).arg(id)));
        }
    }

    void keysActivateNothingAndThePathTakesAnyText() {
        vxtest::WindowSession session;
        CVX18D_ComPort& page = ShowPage(session.Open(1));
        vxtest::RecordedTones tones;
        session.Unit().ClearRequests();
        auto* test = Control<QPushButton>(page, IDC_TEST);
        test->setFocus();
        QTest::keyClick(test, Qt::Key_Return);
        QTest::keyClick(test, Qt::Key_Space);
        QTest::qWait(50);
        QVERIFY(session.Unit().Requests().empty() && tones.Tones().empty());

        auto* path = Control<QLineEdit>(page, IDC_FLASH_PATH);
        path->setFocus();
        QTest::keyClicks(path, "/tmp/DSP image v2.bin");
        QCOMPARE(path->text(), QString("/tmp/DSP image v2.bin"));

        // Browse fills the field; a cancelled dialog leaves it, a failed one says why.
        using Result = CVX18D_ComPort::FileChoice::Result;
        CVX18D_ComPort::FileChoice choice{Result::Chosen, "/data/new.bin"};
        page.SetFileDialog([&choice](QWidget*) { return choice; });
        Click(page, IDC_BROWSE);
        QCOMPARE(path->text(), QString("/data/new.bin"));
        choice = {Result::Cancelled, {}};
        Click(page, IDC_BROWSE);
        choice = {Result::Failed, {}};
        vxtest::RecordedBoxes boxes;
        plat::SetLastError(5);
        Click(page, IDC_BROWSE);
        QCOMPARE(path->text(), QString("/data/new.bin"));
        QCOMPARE(boxes.Boxes().size(), std::size_t{1});
        QCOMPARE(boxes.Boxes()[0].caption, std::string("Dialog DoModal() Error"));
        QVERIFY(boxes.Boxes()[0].text.starts_with("GetLastError() returned:5, Meaning: "));
    }

    void loadSendsTheImageCommitsAndWaitsAMinuteWhileTheWindowLives() {
        vxtest::WindowSession session({}, 921600);
        CVX18DDlg& dlg = session.Open();
        CVX18D_ComPort& page = ShowPage(dlg);
        vxtest::TempDir dir;
        vxtest::RecordedTones tones;
        vxtest::RecordedBoxes boxes;
        plat::DebugCapture debug;
        std::vector<std::uint32_t> waits;
        page.SetFirmwareTiming({[&waits](std::uint32_t ms) {
                                    waits.push_back(ms);
                                    plat::Sleep(5);
                                },
                                {}});
        // The window keeps handling events; Cancel is off once the image is committed.
        int ticks = 0;
        bool cancelWhileProgramming = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            ++ticks;
            auto* progress =
                qobject_cast<FirmwareProgressDialog*>(QApplication::activeModalWidget());
            if (progress && progress->findChild<QLabel*>("phase")->text().contains("programming"))
                cancelWhileProgramming |= progress->findChild<QPushButton*>("cancel")->isEnabled();
        });
        watch.start(5);
        const std::string image = Image(dir, 300);
        Load(page, image);
        watch.stop();

        const FlashTraffic traffic = Traffic(session.Unit());
        QCOMPARE(traffic.blocks, (std::vector<std::size_t>{128, 128, 44}));
        QVERIFY(traffic.committed && !traffic.otherTraffic);
        const auto committed = session.Unit().WithModel(
            [](sim::UnitModel& unit) { return unit.LastCommittedImage(); });
        QVERIFY(committed && committed->bytes.size() == 300);
        QCOMPARE(waits, std::vector<std::uint32_t>(60, 1000));
        QCOMPARE(tones.Tones(), (Tones{{1000, 10}, {1000, 100}}));
        QCOMPARE(BoxSummary(boxes), QStringList({"DSP Flash File: DSP Flash Operation Done"}));
        QCOMPARE(boxes.Boxes()[0].type, plat::MB_OK | plat::MB_ICONINFORMATION);
        QVERIFY(debug.Contains("DSP Flash Operation Done\r\n"));
        QVERIFY(ticks > 10 && !cancelWhileProgramming);
        // Polling stays off until the operator starts it again.
        QCOMPARE(g_bPolling.load(), 0);
        QVERIFY(!Control<QPushButton>(dlg, IDC_STATUS)->isChecked());
    }

    void loadRefusesImagesItCannotHaveAndSendsNothing() {
        vxtest::WindowSession session({}, 921600);
        CVX18D_ComPort& page = ShowPage(session.Open(1));
        vxtest::TempDir dir;
        const std::string sparse = dir.File("sparse.bin");
        const int fd = ::open(sparse.c_str(), O_CREAT | O_WRONLY, 0644);
        QCOMPARE(::ftruncate(fd, (std::int64_t{1} << 32) + 300), 0);
        ::close(fd);
        const std::string failure = "Serial Port Error: Serial Port Error";
        const std::string tooBig = "File Too Big Error.\r\n" + kTooBig.toStdString() + "\r\n";
        struct Case {
            std::string path;
            QStringList boxes;
            std::string debug;
        };
        const Case cases[] = {
            {Image(dir, 0x100001), {"File Too Big Error: " + kTooBig, failure.c_str()}, tooBig},
            {sparse, {"File Too Big Error: " + kTooBig, failure.c_str()}, tooBig},
            {Image(dir, 0), {failure.c_str()}, ""},
            {"",
             {failure.c_str()},
             "CFileException Caught\r\nCFileException.m_cause = fileNotFound.\r\n"
             "CFileException Caught\r\nCFileException.m_cause = invalidFile.\r\n"},
        };
        for (const Case& c : cases) {
            vxtest::RecordedTones tones;
            vxtest::RecordedBoxes boxes;
            plat::DebugCapture debug;
            Load(page, c.path);
            QCOMPARE(BoxSummary(boxes), c.boxes);
            QVERIFY2(debug.Contains(c.debug + "Serial Port Error\r\n"), debug.Text().c_str());
            QCOMPARE(tones.Tones(), (Tones{{100, 100}}));
        }
        QVERIFY(Traffic(session.Unit()).blocks.empty());
    }

    void loadStopsAtTheFirstBlockTheUnitRefuses() {
        vxtest::WindowSession session({}, 921600);
        CVX18D_ComPort& page = ShowPage(session.Open(1));
        vxtest::TempDir dir;
        vxtest::RecordedBoxes boxes;
        session.Unit().StopAfter(3); // the unit stops answering part-way
        Load(page, Image(dir, 1000));
        FlashTraffic traffic = Traffic(session.Unit());
        QCOMPARE(traffic.blocks.size(), std::size_t{4});
        QVERIFY(!traffic.committed);

        session.Unit().ClearFaults();
        session.Unit().ClearRequests();
        session.Unit().DelayFaults(1); // the middle block of three is refused
        session.Unit().ArmNoAnswer(1);
        Load(page, Image(dir, 300));
        traffic = Traffic(session.Unit());
        QCOMPARE(traffic.blocks.size(), std::size_t{2});
        QVERIFY(!traffic.committed);
        QCOMPARE(BoxSummary(boxes), QStringList({"Serial Port Error: Serial Port Error",
                                                 "Serial Port Error: Serial Port Error"}));
    }

    void cancelEndsTheTransferBeforeTheCommit() {
        vxtest::WindowSession session({}, 921600);
        CVX18D_ComPort& page = ShowPage(session.Open(1));
        vxtest::TempDir dir;
        vxtest::RecordedTones tones;
        vxtest::RecordedBoxes boxes;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* progress =
                qobject_cast<FirmwareProgressDialog*>(QApplication::activeModalWidget());
            if (!progress ||
                progress->findChild<QLabel*>("blocks")->text().section(' ', 0, 0).toInt() < 8)
                return;
            watch.stop();
            progress->grab().save(
                QStringLiteral(VX18D_SCREENSHOT_DIR "/vx18d-firmware-progress.png"));
            QTest::mouseClick(progress->findChild<QPushButton*>("cancel"), Qt::LeftButton);
        });
        watch.start(1);
        Load(page, Image(dir, 64 * 1024));
        const FlashTraffic traffic = Traffic(session.Unit());
        QVERIFY(traffic.blocks.size() >= 8 && traffic.blocks.size() < 512);
        QVERIFY(!traffic.committed);
        QCOMPARE(BoxSummary(boxes), QStringList({"Serial Port Error: Serial Port Error"}));
        QCOMPARE(tones.Tones(), (Tones{{100, 100}}));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void screenshotsOfThePage() {
        const QFont normal = QApplication::font();
        for (const auto& [scale, name] : {std::pair{1.0, "vx18d-comport-page.png"},
                                          std::pair{1.25, "vx18d-comport-page-large-font.png"}}) {
            QFont font = normal;
            font.setPointSizeF(normal.pointSizeF() * scale);
            QApplication::setFont(font);
            vxtest::WindowSession session;
            CVX18DDlg& dlg = session.Open();
            CVX18D_ComPort& page = ShowPage(dlg);
            Control<QLineEdit>(page, IDC_FLASH_PATH)->setText("/home/operator/dsp/vx18d-2018.bin");
            QVERIFY(page.grab().save(QStringLiteral(VX18D_SCREENSHOT_DIR "/") + name));
        }
        QApplication::setFont(normal);
    }
};

QTEST_MAIN(ComPortPageTest)
#include "ComPortPageTest.moc"
