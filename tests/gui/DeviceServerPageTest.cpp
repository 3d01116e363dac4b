// The communications page with a port behind a serial device server: the
// ports-folder link to ser2net's RFC 2217 address is listed with the address
// in its tooltip, and Test moves the window from the local pseudo-terminal to
// that port, the chosen rate reaching the pseudo-terminal through the server.
#include "GuiTestSupport.h"

#include "app/CVX18DApp.h"
#include "platform/ConfigPaths.h"
#include "support/Ser2net.h"
#include "ui/comport/CVX18D_ComPort.h"
#include "ui/comport/ComPortTemplate.h"
#include "ui/main/MainDialogTemplate.h"
#include "ui/main/StatusWorker.h"

#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace vx::ui;
using vxtest::Control;

class DeviceServerPageTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetStatusGlobals(); }

    void testMovesTheWindowToAServersPort() {
        if (!vxtest::Ser2net::Installed())
            QSKIP(vxtest::Ser2net::SkipReason());
        vxtest::WindowSession session; // on COM7, the pseudo-terminal itself, at 115200
        vxtest::Ser2net server;
        QVERIFY2(server.Start(session.Unit().SlavePath()), server.Log().c_str());
        QVERIFY(vxtest::LinkPort(plat::PortsDir(), "COM9", server.Address()));
        CVX18DDlg& dlg = session.Open(1);
        auto* tab = Control<QTabWidget>(dlg, IDC_TAB);
        tab->setCurrentIndex(tab->count() - 1);
        CVX18D_ComPort& page = *dlg.ComPortPage();

        auto* ports = Control<QComboBox>(page, IDC_COM_PORT_LIST);
        const int row = ports->findText("COM9");
        QVERIFY(row >= 0);
        const QString address = QString::fromStdString(server.Address());
        QCOMPARE(ports->itemData(row, Qt::ToolTipRole).toString(),
                 address + " (serial device server)");

        vxtest::RecordedTones tones;
        vxtest::RecordedBoxes boxes;
        session.Unit().ClearRequests();
        ports->setCurrentIndex(row);
        QCOMPARE(ports->toolTip(), address + " (serial device server)");
        auto* rates = Control<QComboBox>(page, IDC_BAUD_RATE_LIST);
        rates->setCurrentIndex(rates->findText("230400, RS232 Max"));
        QTest::mouseClick(Control<QPushButton>(page, IDC_TEST), Qt::LeftButton);

        QVERIFY(boxes.Boxes().empty());
        QCOMPARE(session.Unit().PacingRate(), 230400u); // read back on the pseudo-terminal
        QCOMPARE(vxtest::CountRequests(session.Unit(), sim::kLinkTest), std::size_t{1});
        QVERIFY(Control<QWidget>(page, IDC_LINK_OK)->isVisible());
        QCOMPARE(tones.Tones(), (std::vector<vxtest::RecordedTones::Tone>{{1000, 100}}));
        vx::CVX18DApp stored;
        QVERIFY(stored.LoadRegistrySettings());
        QCOMPARE(stored.m_strComPort, std::string("COM9"));
        QCOMPARE(stored.m_dwBaudRate, 230400u);
    }
};

QTEST_MAIN(DeviceServerPageTest)
#include "DeviceServerPageTest.moc"
