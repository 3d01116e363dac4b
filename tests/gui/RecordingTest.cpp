// RSSI recording against the simulated unit: the record file line by line,
// the ways a recording ends, and its failures.
#include "GuiTestSupport.h"

#include "ui/main/MainDialogTemplate.h"
#include "ui/main/StatusWorker.h"

#include <QPushButton>
#include <QtTest>

#include <QRegularExpression>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace vx::ui;
using vxtest::Control;

namespace {

// Known levels: receiver 1 at -45.7 dBm, receiver 2 at -120.0 dBm.
void ForceKnownLevels(vxtest::WindowSession& session) {
    vx::CVX18D3_Comm& comm = session.Comm();
    for (int rx = 0; rx < 2; ++rx) {
        comm.m_nRssiBand[rx] = 0;
        comm.m_fRssiSlope[rx][0] = 0.05;
        comm.m_fRssiOffset[rx][0] = -120.0;
    }
    session.Unit().WithModel([](sim::UnitModel& m) {
        m.ForceRawRssi(0, 1486);
        m.ForceRawRssi(1, 0);
    });
}

// Known levels, then Record; returns once a few lines are in the file.
void RecordKnownLevels(vxtest::WindowSession& session, CVX18DDlg& dlg) {
    ForceKnownLevels(session);
    QTest::qWait(250);
    dlg.OnRecordButton();
    QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > 2; }, 3000));
}

QStringList Lines(const std::string& text) {
    QStringList lines = QString::fromStdString(text).split("\r\n");
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

std::string RecordPath(vxtest::WindowSession& session) {
    return session.AppDir() + "VX18D_0012-ABCD.csv";
}

// A limit on the size of the files this process writes, as a nearly full
// disk sets one: a write that crosses it is cut short, the next one fails.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { Lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    void Lift() {
        if (m_lifted)
            return;
        m_lifted = true;
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousSignal);
    }

private:
    rlimit m_previous{};
    void (*m_previousSignal)(int) = SIG_DFL;
    bool m_lifted = false;
};

// Every line of the record is whole: a number counting up, two levels, the
// line end; no part of a line glued to another.
void VerifyWholeLines(const std::string& text, int atLeast) {
    QVERIFY(text.ends_with("\r\n"));
    const QStringList lines = Lines(text);
    QVERIFY2(lines.size() >= atLeast, qPrintable(QString::number(lines.size())));
    static const QRegularExpression whole(
        QStringLiteral("^(\\d+), -45\\.700000, -120\\.000000, $"));
    int previous = 0;
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = whole.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        const int sample = match.captured(1).toInt();
        QVERIFY2(sample > previous, qPrintable(line));
        previous = sample;
    }
}

} // namespace

class RecordingTest : public QObject {
    Q_OBJECT

private slots:
    void init() { vx::ui::ResetStatusGlobals(); }

    void recordsOneLinePerPollAndOpensTheFile() {
        vxtest::ShellOpenRecorder shell;
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        ForceKnownLevels(session);
        QTest::qWait(250);

        auto* record = Control<QPushButton>(dlg, IDC_RECORD);
        QTest::mouseClick(record, Qt::LeftButton);
        QVERIFY(record->isChecked());
        QCOMPARE(dlg.ReportFile(), RecordPath(session));
        QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > 3; }, 3000));

        // Every line is in the file as soon as it has been written.
        const std::uint32_t written = dlg.SampleNumber() - 1;
        QCOMPARE(Lines(vxtest::ReadFile(RecordPath(session))).size(), qsizetype(written));

        QTest::mouseClick(record, Qt::LeftButton);
        QVERIFY(!record->isChecked());
        QVERIFY(!dlg.RecordFileOpen());
        QCOMPARE(shell.Paths(), std::vector<std::string>{RecordPath(session)});

        const std::string text = vxtest::ReadFile(RecordPath(session));
        QVERIFY(text.ends_with("\r\n"));
        const QStringList lines = Lines(text);
        QVERIFY(lines.size() >= 3);
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(lines[i], QStringLiteral("%1, -45.700000, -120.000000, ").arg(i + 1));
    }

    // Polls the unit does not answer (it stops reading the line for a
    // while) leave no line: every line is a reading, and the numbers of
    // the missed polls are skipped.
    void pollsWithoutAnAnswerLeaveAGapInTheNumbering() {
        vxtest::ShellOpenRecorder shell;
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        session.Unit().WithModel([](sim::UnitModel& m) {
            m.ForceAmIndex(0, 5); // no AM counter exchanges between the polls
            m.ForceAmIndex(1, 5);
        });
        session.Comm().m_nTimeout = 100;
        RecordKnownLevels(session, dlg);
        session.Unit().ArmStall(450);
        const std::uint32_t stalledAt = dlg.SampleNumber();
        QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > stalledAt + 8; }, 5000));
        const std::uint32_t polls = dlg.SampleNumber() - 1;
        dlg.OnRecordButton();

        const std::string text = vxtest::ReadFile(RecordPath(session));
        VerifyWholeLines(text, 6);
        QStringList numbers;
        for (const QString& line : Lines(text))
            numbers << line.section(',', 0, 0);
        int missing = 0;
        for (int i = 1; i < numbers.size(); ++i)
            missing += numbers[i].toInt() - numbers[i - 1].toInt() - 1;
        QVERIFY2(missing >= 1, qPrintable(numbers.join(' ')));
        QCOMPARE(numbers.first(), QString("1"));
        // Every poll has its number, written or skipped.
        QVERIFY(numbers.last().toUInt() <= polls);
        QCOMPARE(std::uint32_t(numbers.size() + missing), numbers.last().toUInt());
    }

    // Each recording starts a new file; the one before keeps its lines
    // under the record file's name and its modification time.
    void aSecondRecordingKeepsTheFirst() {
        vxtest::ShellOpenRecorder shell;
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        RecordKnownLevels(session, dlg);
        dlg.OnRecordButton();
        const std::string first = vxtest::ReadFile(RecordPath(session));
        QVERIFY(!first.empty());

        dlg.OnRecordButton();
        QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > 4; }, 3000));
        dlg.OnRecordButton();
        QVERIFY(vxtest::ReadFile(RecordPath(session)).starts_with("1, "));
        QVERIFY(vxtest::ReadFile(RecordPath(session)) != first);

        std::vector<std::string> kept;
        for (const auto& entry : std::filesystem::directory_iterator(session.AppDir())) {
            const std::string name = entry.path().filename().string();
            if (name != "VX18D_0012-ABCD.csv")
                kept.push_back(name);
        }
        QCOMPARE(kept.size(), std::size_t{1});
        static const QRegularExpression stamped(
            QStringLiteral("^VX18D_0012-ABCD-\\d{8}-\\d{6}\\.csv$"));
        QVERIFY2(stamped.match(QString::fromStdString(kept[0])).hasMatch(), kept[0].c_str());
        QCOMPARE(vxtest::ReadFile(session.AppDir() + kept[0]), first);
        QCOMPARE(shell.Paths().size(), std::size_t{2});
    }

    // The earlier recording cannot be renamed: the file error box, no
    // recording, and its lines untouched.
    void anEarlierRecordingThatCannotBeKeptIsNotOverwritten() {
        vxtest::RecordedBoxes boxes;
        vxtest::ShellOpenRecorder shell;
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        std::ofstream(RecordPath(session)) << "1, -45.700000, -120.000000, \r\n";
        {
            vxtest::LockedFolder locked(session.AppDir());
            if (!locked.Active())
                QSKIP("no way to lock a folder here");
            dlg.OnRecordButton();
        }
        QCOMPARE(boxes.Boxes().size(), std::size_t{1});
        QCOMPARE(boxes.Boxes()[0].text, std::string("CFileException::5"));
        QCOMPARE(boxes.Boxes()[0].caption, std::string("File Creation Error"));
        QCOMPARE(g_bRecording.load(), 0);
        QVERIFY(!Control<QPushButton>(dlg, IDC_RECORD)->isChecked());
        QVERIFY(!dlg.RecordFileOpen());
        QTest::qWait(300);
        QCOMPARE(vxtest::ReadFile(RecordPath(session)),
                 std::string("1, -45.700000, -120.000000, \r\n"));
        session.Close();
        QVERIFY(shell.Paths().empty());
    }

    void receiverWithoutPageRecordsZero() {
        vxtest::ShellOpenRecorder shell;
        vxtest::WindowSession session(sim::UnitOptions{.receiverHasBands = {true, false}});
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        ForceKnownLevels(session);
        dlg.OnRecordButton();
        QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > 2; }, 3000));
        dlg.OnRecordButton();
        for (const QString& line : Lines(vxtest::ReadFile(RecordPath(session))))
            QVERIFY2(line.endsWith(", 0.000000, "), qPrintable(line));
    }

    void statusOffEndsTheRecordingAndANewOneStartsAfresh() {
        vxtest::ShellOpenRecorder shell;
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        auto* status = Control<QPushButton>(dlg, IDC_STATUS);
        auto* record = Control<QPushButton>(dlg, IDC_RECORD);
        QTest::mouseClick(record, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > 2; }, 3000));

        QTest::mouseClick(status, Qt::LeftButton);
        QVERIFY(!status->isChecked() && !record->isChecked());
        QCOMPARE(g_bRecording.load(), 0);
        QVERIFY(!dlg.RecordFileOpen());
        QCOMPARE(shell.Paths().size(), std::size_t{1});
        QVERIFY(!vxtest::ReadFile(RecordPath(session)).empty());

        // Record with polling off: the file is replaced and stays empty ...
        QTest::mouseClick(record, Qt::LeftButton);
        QVERIFY(record->isChecked());
        QCOMPARE(dlg.SampleNumber(), 1u);
        QTest::qWait(400);
        QCOMPARE(vxtest::ReadFile(RecordPath(session)), std::string());
        QVERIFY(!status->isChecked());

        // ... until Status is switched on; the numbering starts at 1.
        QTest::mouseClick(status, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > 2; }, 3000));
        QVERIFY(vxtest::ReadFile(RecordPath(session)).starts_with("1, "));
    }

    void fileThatCannotBeCreatedLeavesTheWindowIdle() {
        vxtest::RecordedBoxes boxes;
        vxtest::ShellOpenRecorder shell;
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        // A folder path that runs through a file.
        const std::string blocker = session.AppDir() + "not-a-folder";
        std::ofstream(blocker) << "x";
        dlg.m_strAppDir = blocker + "/";

        dlg.OnRecordButton();
        QCOMPARE(boxes.Boxes().size(), std::size_t{1});
        const plat::MessageBoxRequest& box = boxes.Boxes()[0];
        QCOMPARE(box.text, std::string("CFileException::3"));
        QCOMPARE(box.caption, std::string("File Creation Error"));
        QCOMPARE(box.type, plat::MB_OK | plat::MB_ICONERROR);
        QVERIFY(box.owner == static_cast<const QWidget*>(&dlg));
        QCOMPARE(g_bRecording.load(), 0);
        QVERIFY(!Control<QPushButton>(dlg, IDC_RECORD)->isChecked());
        QVERIFY(dlg.ReportFile().empty());

        session.Close();
        QVERIFY(shell.Paths().empty());
    }

    // The file system takes only part of a line: that part is taken back,
    // so the lines written once there is room again stand on their own.
    void lineCutShortByAFullDiskLeavesNoTornLine() {
        vxtest::RecordedBoxes boxes;
        vxtest::ShellOpenRecorder shell;
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        ForceKnownLevels(session);
        QTest::qWait(250);
        dlg.OnRecordButton();
        QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > 3; }, 3000));

        {
            // Room for half of the next line only.
            FileSizeLimit limit(std::filesystem::file_size(RecordPath(session)) + 12);
            const std::uint32_t full = dlg.SampleNumber();
            QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > full + 2; }, 3000));
        }
        const std::uint32_t room = dlg.SampleNumber();
        QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > room + 2; }, 3000));
        QVERIFY(dlg.RecordFileOpen()); // the recording went on
        dlg.OnRecordButton();

        VerifyWholeLines(vxtest::ReadFile(RecordPath(session)), 6);
        QVERIFY(boxes.Boxes().empty());
    }

    // A part of a line that cannot be taken back either (the file refuses
    // to shrink): the recording stops with the file error box instead of
    // writing on after a torn line.
    void tornLineThatCannotBeRemovedStopsTheRecording() {
        vxtest::RecordedBoxes boxes;
        vxtest::ShellOpenRecorder shell;
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        ForceKnownLevels(session);

        const int sealed = memfd_create("vx18d-record", MFD_ALLOW_SEALING | MFD_CLOEXEC);
        QVERIFY(sealed >= 0);
        QCOMPARE(fcntl(sealed, F_ADD_SEALS, F_SEAL_SHRINK), 0);
        std::filesystem::create_symlink("/proc/self/fd/" + std::to_string(sealed),
                                        RecordPath(session));
        QTest::qWait(250);
        dlg.OnRecordButton();
        QVERIFY(dlg.RecordFileOpen());
        QVERIFY(QTest::qWaitFor([&] { return dlg.SampleNumber() > 2; }, 3000));

        {
            FileSizeLimit limit(static_cast<rlim_t>(lseek(sealed, 0, SEEK_END)) + 12);
            QVERIFY(QTest::qWaitFor([&] { return !dlg.RecordFileOpen(); }, 3000));
        }
        QCOMPARE(g_bRecording.load(), 0);
        QVERIFY(!Control<QPushButton>(dlg, IDC_RECORD)->isChecked());
        QCOMPARE(boxes.Boxes().size(), std::size_t{1});
        QCOMPARE(boxes.Boxes()[0].text, std::string("CFileException::13")); // disk full
        QCOMPARE(boxes.Boxes()[0].caption, std::string("File Creation Error"));
        QCOMPARE(shell.Paths(), std::vector<std::string>{RecordPath(session)});

        // Nothing is written after the torn line.
        const off_t size = lseek(sealed, 0, SEEK_END);
        QTest::qWait(400);
        QCOMPARE(lseek(sealed, 0, SEEK_END), size);
        close(sealed);
    }

    void openerFailureIsReported() {
        vxtest::RecordedBoxes boxes;
        vxtest::ShellOpenRecorder shell;
        shell.FailWith(2);
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        dlg.OnRecordButton();
        dlg.OnRecordButton();
        QCOMPARE(boxes.Boxes().size(), std::size_t{1});
        QCOMPARE(boxes.Boxes()[0].text,
                 std::string("Cannot Open Report File for Editing, Error=2"));
        QCOMPARE(boxes.Boxes()[0].caption, std::string("Edit File Error"));
        QVERIFY(dlg.ReportFile().empty());
    }

    void closingWhileRecordingFinishesTheFile() {
        vxtest::ShellOpenRecorder shell;
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        RecordKnownLevels(session, dlg);
        const std::int64_t took = session.Close();
        QVERIFY2(took < 300, qPrintable(QString::number(took)));
        QCOMPARE(shell.Paths(), std::vector<std::string>{RecordPath(session)});
        const QStringList lines = Lines(vxtest::ReadFile(RecordPath(session)));
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines.last(), QStringLiteral("%1, -45.700000, -120.000000, ").arg(lines.size()));
    }
};

QTEST_MAIN(RecordingTest)
#include "RecordingTest.moc"
