// The window's start-up through the unit server while vx18dctl polls the
// same unit through it: the window reads the unit's configuration as it
// reads it directly, and every poll of vx18dctl meanwhile is answered, with
// its own values.
#include "GuiTestSupport.h"

#include "sim/UnitModel.h"
#include "support/ChildProcess.h"
#include "support/ServerHarness.h"
#include "ui/main/MainDialogTemplate.h"
#include "ui/main/StatusWorker.h"

#include <QTabWidget>
#include <QtTest>

using namespace vx::ui;
using vxtest::Control;

namespace {

constexpr std::uint32_t kBaud = 115200;

} // namespace

class ServerStartupTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetStatusGlobals(); }

    void testStartsThroughTheServerWhileVx18dctlPolls() {
        // The window opens COM9, a link to the server in front of COM7.
        std::unique_ptr<vxtest::PortServer> server;
        vxtest::ServerSetup setup;
        setup.baud = kBaud;
        setup.config.unit = vx::server::UnitTimings{};
        vxtest::WindowSession session({}, kBaud, vxtest::ThroughServer(server, setup));
        QVERIFY2(session.Ready(), server ? server->Error().c_str() : "");
        session.Unit().WithModel([](sim::UnitModel& m) {
            m.ForceRawRssi(0, 0x321);
            m.ForceRawRssi(1, 0x654);
        });

        vxtest::TempDir out;
        vxtest::ChildProcess poller(VX18DCTL_PATH,
                                    {"--port", server->Address(), "--baud", std::to_string(kBaud),
                                     "--json", "status", "--watch", "--rate", "10"},
                                    out.Path(), "poller");
        QVERIFY2(
            vxtest::WaitFor([&] { return vxtest::JsonLines(poller.Out()).size() >= 2; }, 20000),
            poller.Err().c_str());

        CVX18DDlg& dlg = session.Open();
        QCOMPARE(Control<QTabWidget>(dlg, IDC_TAB)->count(), 4);
        vx::CVX18D3_Comm& comm = session.Comm();
        session.Unit().WithModel([&](sim::UnitModel& m) {
            for (int r = 0; r < 2; ++r) {
                for (int b = 0; b < 4; ++b) {
                    QCOMPARE(comm.m_nBandLow[r][b], m.ReadRegister(r, 0, 19 + 2 * b) * 1000000ull);
                    QCOMPARE(comm.m_nBandHigh[r][b], m.ReadRegister(r, 0, 20 + 2 * b) * 1000000ull);
                    QCOMPARE(comm.m_bLinearizeLocked[r][b] != 0,
                             m.ReadRegister(r, b + 2, 4) != 0 ||
                                 m.ReadRegister(r, 0, 19 + 2 * b) == 0);
                }
                for (int i = 0; i < 8; ++i)
                    QCOMPARE(comm.m_wIfBandwidthValue[r][i], m.ReadRegister(r, 0, i));
                for (int i = 0; i < 32; ++i)
                    QCOMPARE(comm.m_wAmFilterValue[r][i], m.Receiver(r).amFilterHz[i]);
                QCOMPARE(comm.m_wVideoGain[r], m.ReadRegister(r, 18, 9));
            }
        });

        const std::size_t before = vxtest::JsonLines(poller.Out()).size();
        QVERIFY(vxtest::WaitFor(
            [&] { return vxtest::JsonLines(poller.Out()).size() >= before + 3; }, 5000));
        poller.Interrupt();
        QCOMPARE(poller.Wait(10000), 0);
        for (const nlohmann::json& s : vxtest::JsonLines(poller.Out())) {
            QVERIFY2(s["ok"] == true, s.dump().c_str());
            QCOMPARE(s["receivers"][0]["raw_rssi"].get<int>(), 0x321);
            QCOMPARE(s["receivers"][1]["raw_rssi"].get<int>(), 0x654);
        }
        session.Close();
    }
};

QTEST_MAIN(ServerStartupTest)
#include "ServerStartupTest.moc"
