// The live status display against known states of the simulated unit, the
// rhythm of the status worker and the gate its messages pass, and closing
// the window while polling and while the unit does not answer.
#include "GuiTestSupport.h"

#include "platform/Clock.h"
#include "ui/ImageStatic.h"
#include "ui/main/MainDialogTemplate.h"
#include "ui/main/StatusWorker.h"
#include "ui/main/WindowMessageGate.h"
#include "ui/setup/CVX18D_SetupDCn.h"
#include "ui/setup/SetupPageTemplate.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <mutex>
#include <thread>
#include <vector>

using namespace vx::ui;
using vxtest::Control;
using vxtest::EditText;

namespace {

constexpr std::uint8_t kAmCounterCommand = 0x38;

bool Shown(CVX18DDlg& dlg, int id) {
    return !Control<QWidget>(dlg, id)->isHidden();
}

// Polling off and a calibration of 0.05 dBm per step from -120 dBm in every
// band of both receivers, so raw words give known levels.
void PrepareForDirectPolls(vxtest::WindowSession& session) {
    g_bPolling = 0;
    QTest::qWait(50); // a poll already queued is dropped
    vx::CVX18D3_Comm& comm = session.Comm();
    for (int rx = 0; rx < 2; ++rx) {
        comm.m_nRssiBand[rx] = 0;
        for (int band = 0; band < 4; ++band) {
            comm.m_fRssiSlope[rx][band] = 0.05;
            comm.m_fRssiOffset[rx][band] = -120.0;
        }
    }
}

void ForceReadings(sim::SimulatedUnit& unit, int rx, std::uint16_t raw, std::uint8_t amIndex,
                   std::uint8_t fm) {
    unit.WithModel([&](sim::UnitModel& m) {
        m.ForceRawRssi(rx, raw);
        m.ForceAmIndex(rx, amIndex);
        m.ForceFmDeviation(rx, fm);
    });
}

using ReadBackGroups = std::vector<int>;

// The read-back groups the unit was asked for about one receiver, in order.
ReadBackGroups ReadBacks(sim::SimulatedUnit& unit, int rx) {
    ReadBackGroups groups;
    for (const auto& request : unit.Requests()) {
        if (request.size() == sim::kHeaderSize + 4 && request[2] == sim::kShortCommand.first &&
            request[3] == sim::kShortCommand.second && request[6] == (0x90 | rx))
            groups.push_back(request[7]);
    }
    return groups;
}

// Records what a worker sends, with the time it arrived.
class RecordingTarget : public plat::MessageTarget {
public:
    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM, plat::LPARAM) override {
        std::lock_guard lock(mutex);
        arrivals.push_back({message, plat::TickMs()});
        return 0;
    }
    void Clear() {
        std::lock_guard lock(mutex);
        arrivals.clear();
    }
    bool Empty() {
        std::lock_guard lock(mutex);
        return arrivals.empty();
    }
    std::vector<std::int64_t> TimesOf(plat::UINT message) {
        std::lock_guard lock(mutex);
        std::vector<std::int64_t> times;
        for (const auto& [m, t] : arrivals)
            if (m == message)
                times.push_back(t);
        return times;
    }
    std::mutex mutex;
    std::vector<std::pair<plat::UINT, std::int64_t>> arrivals;
};

double MeanInterval(const std::vector<std::int64_t>& times) {
    return times.size() < 2 ? 0.0 : double(times.back() - times.front()) / double(times.size() - 1);
}

} // namespace

class LiveStatusTest : public QObject {
    Q_OBJECT

private slots:
    void init() { vx::ui::ResetStatusGlobals(); }

    // Receiver 2 of the simulated unit is tuned to 2250.5 MHz, in its third
    // band: its RSSI goes through that band's calibration from the first
    // poll, as it does once the operator sends the same frequency again.
    void rssiAtStartUsesTheBandOfTheTunedFrequency() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        g_bPolling = 0;
        QTest::qWait(50);
        ForceReadings(session.Unit(), 1, 1500, 5, 0);
        dlg.OnStatusPoll();
        const QString atStart = EditText(dlg, 1023);
        QCOMPARE(atStart, QString("-71.7")); // 0.0332 x 1500 - 121.5, not band 1's -71.5

        QTabWidget* tabs = Control<QTabWidget>(dlg, IDC_TAB);
        tabs->setCurrentIndex(1);
        CVX18D_SetupDCn* page = dlg.SetupPage(1);
        QCOMPARE(EditText(*page, setup::IDC_TUNING_EDIT), QString("2250.5"));
        Control<QPushButton>(*page, setup::IDC_TUNING_SEND)->click();
        QCOMPARE(session.Comm().m_nTuningFrequency[1], std::uint64_t{2'250'500'000});
        dlg.OnStatusPoll();
        QCOMPARE(EditText(dlg, 1023), atStart);
    }

    void showsKnownReadings() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        PrepareForDirectPolls(session);
        session.Comm().m_nRssiBand[0] = 5;              // no such band: band 0's calibration
        ForceReadings(session.Unit(), 0, 1486, 30, 40); // -45.7 dBm
        ForceReadings(session.Unit(), 1, 0, 8, 25);     // -120.0 dBm, AM index below 10

        dlg.OnStatusPoll();
        dlg.OnAmCounterPoll();

        QCOMPARE(EditText(dlg, 1022), QString("-45.7"));
        QCOMPARE(Control<QProgressBar>(dlg, 1055)->value(), -45);
        QCOMPARE(EditText(dlg, 1023), QString("-120.0"));
        QCOMPARE(Control<QProgressBar>(dlg, 1056)->value(), -110); // held at the lower end
        QCOMPARE(EditText(dlg, 1024), QString("30"));
        QCOMPARE(EditText(dlg, 1028), QString("40"));
        QCOMPARE(EditText(dlg, 1025), QString("8"));
        QCOMPARE(EditText(dlg, 1110), QString("25"));
        QCOMPARE(EditText(dlg, 1248), QString("1000")); // the carrier's AM tone
        QCOMPARE(EditText(dlg, 1249), QString());
        QVERIFY(Shown(dlg, IDC_PLL_SYNCHED) && !Shown(dlg, IDC_PLL_NOT_SYNCHED));
        for (const ReceiverControlIds& rx : kReceiverControlIds) {
            QVERIFY(Shown(dlg, rx.lo2Green) && !Shown(dlg, rx.lo2Yellow));
            QVERIFY(Shown(dlg, rx.lo1Green) && !Shown(dlg, rx.lo1Yellow));
        }
        QVERIFY(Control<QWidget>(dlg, 1028)->isEnabled()); // no companion board

        // The reference goes away: PLL and LOs lose lock.
        session.Unit().WithModel([](sim::UnitModel& m) { m.SetExternalReferenceSource(0); });
        dlg.OnStatusPoll();
        QVERIFY(!Shown(dlg, IDC_PLL_SYNCHED) && Shown(dlg, IDC_PLL_NOT_SYNCHED));
        QVERIFY(!Shown(dlg, 1155) && Shown(dlg, 1154));
        QVERIFY(!Shown(dlg, 1161) && Shown(dlg, 1160));
    }

    void amCounterIsAskedOnlyAboveItsThresholds() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        PrepareForDirectPolls(session);
        struct Case {
            std::uint16_t raw;
            std::uint8_t amIndex;
            bool asked;
        };
        // 1486: -45.7 dBm; 400: -100.0 dBm exactly; 401: -99.95 dBm.
        for (const Case c : {Case{1486, 9, false}, Case{400, 10, false}, Case{401, 10, true}}) {
            ForceReadings(session.Unit(), 0, c.raw, c.amIndex, 0);
            dlg.OnStatusPoll();
            session.Unit().ClearRequests();
            dlg.OnAmCounterPoll();
            const std::size_t asked =
                vxtest::CountRequests(session.Unit(), sim::kShortCommand, kAmCounterCommand);
            QCOMPARE(asked, std::size_t{c.asked ? 1u : 0u});
            QCOMPARE(EditText(dlg, 1248), c.asked ? QString("1000") : QString());
        }
    }

    void failedExchangesShowZeros() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        PrepareForDirectPolls(session);
        ForceReadings(session.Unit(), 0, 1486, 30, 40);
        dlg.OnStatusPoll();
        QCOMPARE(EditText(dlg, 1022), QString("-45.7"));

        session.Unit().ArmNoAnswer(1);
        dlg.OnStatusPoll();
        QCOMPARE(EditText(dlg, 1022), QString("-120.0")); // the band's offset
        QCOMPARE(EditText(dlg, 1024), QString("0"));
        QCOMPARE(EditText(dlg, 1028), QString("0"));
        QVERIFY(Shown(dlg, IDC_PLL_NOT_SYNCHED) && Shown(dlg, 1154) && Shown(dlg, 1156));

        dlg.OnStatusPoll();
        session.Unit().ArmNoAnswer(1);
        dlg.OnAmCounterPoll();
        QCOMPARE(EditText(dlg, 1248), QString("0"));
    }

    void pollDiscardsStaleInputWithoutWaiting() {
        vxtest::WindowSession session(sim::UnitOptions{}, 57600);
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        PrepareForDirectPolls(session);
        ForceReadings(session.Unit(), 0, 1486, 30, 40);

        // Bytes left over after a reply are gone before the next poll reads.
        session.Unit().ArmSurplusBytes({0x27, 0x00, 0x00, 0x20, 0x09, 0x00, 0xFF}, 1);
        dlg.OnStatusPoll();
        QTest::qWait(30);
        dlg.OnStatusPoll();
        QCOMPARE(EditText(dlg, 1022), QString("-45.7"));
        QCOMPARE(EditText(dlg, 1028), QString("40"));

        // An idle poll costs its exchange, not a read time-out (200 ms).
        const std::int64_t start = plat::TickMs();
        for (int i = 0; i < 10; ++i)
            dlg.OnStatusPoll();
        const double perPoll = double(plat::TickMs() - start) / 10.0;
        QVERIFY2(perPoll < 100.0, qPrintable(QString::number(perPoll)));
    }

    void agcZeroChangePostsToThePageOnce() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        CVX18D_SetupDCn* page = dlg.SetupPage(0);
        auto* agcZero = Control<QPushButton>(*page, setup::IDC_AGC_ZERO);
        QVERIFY(Shown(dlg, 3878) && !Shown(dlg, 3891));
        QCOMPARE(agcZero->text(), QString("AGC Zero Off"));
        sim::SimulatedUnit& unit = session.Unit();
        unit.ClearRequests();

        // The page re-reads its DAGC limits and voltages (read-back groups 3
        // and 4) once per change, and shows AGC zero on.
        unit.WithModel([](sim::UnitModel& m) { m.SetAgcZeroActive(0, true); });
        QVERIFY(QTest::qWaitFor([&] { return ReadBacks(unit, 0) == ReadBackGroups{3, 4}; }, 3000));
        QVERIFY(QTest::qWaitFor([&] { return agcZero->text() == "AGC Zero On"; }, 1000));
        QVERIFY(agcZero->isChecked());
        QVERIFY(Shown(dlg, 3891) && !Shown(dlg, 3878));
        QCOMPARE(session.Comm().m_bAgcZero[0], 1);
        const std::size_t polls = vxtest::CountRequests(unit, sim::kStatusPoll);
        QVERIFY(QTest::qWaitFor(
            [&] { return vxtest::CountRequests(unit, sim::kStatusPoll) >= polls + 3; }, 3000));
        QTest::qWait(20);
        QCOMPARE(ReadBacks(unit, 0), (ReadBackGroups{3, 4}));
        QVERIFY(ReadBacks(unit, 1).empty());

        unit.WithModel([](sim::UnitModel& m) { m.SetAgcZeroActive(0, false); });
        QVERIFY(QTest::qWaitFor(
            [&] {
                return ReadBacks(unit, 0) == ReadBackGroups{3, 4, 3, 4};
            },
            3000));
        QVERIFY(QTest::qWaitFor([&] { return agcZero->text() == "AGC Zero Off"; }, 1000));
        QVERIFY(Control<QPushButton>(*page, setup::IDC_PROGRAMMABLE_RANGES)->isChecked());
        QVERIFY(Shown(dlg, 3878) && !Shown(dlg, 3891));
    }

    void companionBoardDisablesFmDeviation() {
        vxtest::WindowSession session(sim::UnitOptions{.companionBoard = true});
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        for (int id : {1028, 1061, 1062, 1110, 1064, 1063})
            QVERIFY2(!Control<QWidget>(dlg, id)->isEnabled(), qPrintable(QString::number(id)));
        // The values are still written.
        QVERIFY(QTest::qWaitFor([&] { return !EditText(dlg, 1028).isEmpty(); }, 3000));
    }

    void statusButtonSwitchesPolling() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        auto* status = Control<QPushButton>(dlg, IDC_STATUS);
        QVERIFY(status->isChecked());

        QTest::mouseClick(status, Qt::LeftButton);
        QVERIFY(!status->isChecked());
        QCOMPARE(g_bPolling.load(), 0);
        QTest::qWait(50);
        session.Unit().ClearRequests();
        QTest::qWait(400);
        QCOMPARE(session.Unit().Requests().size(), std::size_t{0});

        QTest::mouseClick(status, Qt::LeftButton);
        QVERIFY(status->isChecked());
        QVERIFY(QTest::qWaitFor(
            [&] { return vxtest::CountRequests(session.Unit(), sim::kStatusPoll) > 0; }, 600));
    }

    void workerPacesItsCyclesAtTheChosenRate() {
        auto target = std::make_shared<RecordingTarget>();
        StatusWorker worker(target);
        g_hMainWnd = target.get();
        for (std::uint32_t rate : {10u, 3u}) {
            g_nSamplesPerSecond = rate;
            target->Clear();
            g_bPolling = 1;
            QTest::qWait(rate == 10 ? 1050 : 1400);
            g_bPolling = 0;
            QTest::qWait(10);
            const auto polls = target->TimesOf(WM_STATUS_POLL);
            QCOMPARE(target->TimesOf(WM_AM_COUNTER_POLL).size(), polls.size());
            const double expected = 1000.0 / rate;
            const double mean = MeanInterval(polls);
            QVERIFY2(mean >= expected - 2 && mean < expected + 50,
                     qPrintable(QString::number(mean)));
        }

        // A window that is not the published one receives nothing.
        g_hMainWnd = nullptr;
        target->Clear();
        g_bPolling = 1;
        QTest::qWait(300);
        QVERIFY(target->Empty());

        // Stopping ends the thread at once, also in the middle of a wait.
        g_hMainWnd = target.get();
        g_nSamplesPerSecond = 1;
        QTest::qWait(300);
        const std::int64_t start = plat::TickMs();
        QVERIFY(worker.Stop(std::chrono::milliseconds(2000)));
        QVERIFY(plat::TickMs() - start < 200); // far inside the 1000 ms wait
    }

    // The worker waits on the flags instead of looking at them every
    // millisecond: idle it wakes a few times a second at most, polling at
    // rate 10 about once per cycle; and it still starts polling and ends at
    // once when told to.
    void workerSleepsUntilItHasSomethingToDo() {
        auto target = std::make_shared<RecordingTarget>();
        StatusWorker worker(target);
        g_hMainWnd = target.get();
        auto wakeUps = [] {
            const auto activity = vxtest::ThreadActivityByName(kStatusWorkerThreadName);
            return activity.found ? activity.wakeUps : -1L;
        };
        QTest::qWait(100);

        const long idleStart = wakeUps();
        QVERIFY(idleStart >= 0);
        QTest::qWait(1000);
        const long idle = wakeUps() - idleStart;
        QVERIFY2(idle <= 20, qPrintable(QString("%1 wake-ups in an idle second").arg(idle)));

        g_nSamplesPerSecond = 10;
        const std::int64_t on = plat::TickMs();
        g_bPolling = 1;
        QVERIFY(QTest::qWaitFor([&] { return !target->Empty(); }, 1000));
        const std::int64_t firstPoll = target->TimesOf(WM_STATUS_POLL).front();
        QVERIFY2(firstPoll - on < 60, qPrintable(QString::number(firstPoll - on)));

        const long pollingStart = wakeUps();
        QTest::qWait(1000);
        const long polling = wakeUps() - pollingStart;
        QVERIFY2(polling <= 40,
                 qPrintable(QString("%1 wake-ups in a second of polling").arg(polling)));

        const std::int64_t start = plat::TickMs();
        QVERIFY(worker.Stop(std::chrono::milliseconds(2000)));
        QVERIFY(plat::TickMs() - start < 60);
    }

    void gateReturnsTheResultAndReleasesWaitersWhenClosed() {
        QObject receiver;
        int handled = 0;
        WindowMessageGate gate(&receiver, [&](plat::UINT message, plat::WPARAM, plat::LPARAM) {
            ++handled;
            return plat::LRESULT(message + 1);
        });

        plat::LRESULT result = 0;
        std::thread sender([&] { result = gate.SendMessage(1027, 0, 0); });
        QVERIFY(QTest::qWaitFor([&] { return handled == 1; }, 1000));
        sender.join();
        QCOMPARE(result, plat::LRESULT{1028});

        // A message still queued when the gate closes is dropped, and its
        // sender returns without the receiver's thread ever running it.
        std::atomic<bool> returned{false};
        std::thread waiting([&] {
            result = gate.SendMessage(1027, 0, 0);
            returned = true;
        });
        plat::Sleep(50);
        QVERIFY(!returned);
        gate.Close();
        waiting.join();
        QCOMPARE(result, plat::LRESULT{0});
        QCoreApplication::processEvents();
        QCOMPARE(handled, 1);
    }

    void closingNeverWaitsLong_data() {
        QTest::addColumn<QString>("state");
        QTest::newRow("polling") << "polling";
        QTest::newRow("unit silent") << "silent";
        QTest::newRow("adapter pulled") << "unplugged";
    }

    void closingNeverWaitsLong() {
        QFETCH(QString, state);
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        session.Open();
        QVERIFY(QTest::qWaitFor(
            [&] { return vxtest::CountRequests(session.Unit(), sim::kStatusPoll) >= 2; }, 3000));
        if (state == "silent")
            session.Unit().StopAfter(0);
        else if (state == "unplugged")
            session.Unit().Unplug();
        QTest::qWait(700); // polls now time out or fail
        const std::size_t before = session.Unit().Requests().size();
        const std::int64_t took = session.Close();
        QVERIFY2(took < 1000, qPrintable(QString::number(took))); // never the 2000 ms wait
        QTest::qWait(300);
        QCOMPARE(session.Unit().Requests().size(), before);
    }
};

QTEST_MAIN(LiveStatusTest)
#include "LiveStatusTest.moc"
