// The main window on a small screen, 1024 x 600 as a netbook or a laptop at
// a large scaling offers: the window keeps its laid-out size as its natural
// size, shrinks to the screen's available area, and its content scrolls so
// that every control can be reached.
#include "GuiTestSupport.h"

#include "ui/DialogUnits.h"
#include "ui/main/MainDialogTemplate.h"
#include "ui/main/StatusWorker.h"

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include <cstdlib>
#include <fstream>

using namespace vx::ui;
using vxtest::Control;

namespace {

// The controls' own window: the widget the template's controls are laid out in.
QWidget* Client(CVX18DDlg& dlg) {
    return Control<QWidget>(dlg, IDC_TAB)->parentWidget();
}

QScrollArea* ScrollArea(QWidget* client) {
    for (QWidget* w = client; w; w = w->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(w))
            return area;
    }
    return nullptr;
}

// The visible control, small enough to be seen whole, that reaches furthest
// to the bottom right of the client.
QWidget* BottomRightControl(QWidget* client, QSize room) {
    QWidget* found = nullptr;
    int reach = -1;
    for (QWidget* w : client->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->width() > room.width() || w->height() > room.height())
            continue;
        const QPoint corner = w->mapTo(client, QPoint(w->width(), w->height()));
        if (corner.x() + corner.y() > reach) {
            reach = corner.x() + corner.y();
            found = w;
        }
    }
    return found;
}

} // namespace

class SmallScreenTest : public QObject {
    Q_OBJECT

private slots:
    void init() { vx::ui::ResetStatusGlobals(); }

    void windowFitsTheScreenAndKeepsItsLayout() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QRect available = dlg.screen()->availableGeometry();
        QCOMPARE(available.size(), QSize(1024, 600));

        // The layout is the template's at the window's font, taller than the screen ...
        QWidget* client = Client(dlg);
        const QSize laidOut =
            DialogUnits(client->font()).Size(kMainDialogWidthDlu, kMainDialogHeightDlu);
        QCOMPARE(client->size(), laidOut);
        QVERIFY(dlg.sizeHint().height() > available.height());
        // ... and the window, frame and all, stays on the screen.
        QVERIFY2(available.contains(dlg.frameGeometry()),
                 qPrintable(QString("%1,%2 %3x%4")
                                .arg(dlg.frameGeometry().x())
                                .arg(dlg.frameGeometry().y())
                                .arg(dlg.frameGeometry().width())
                                .arg(dlg.frameGeometry().height())));
    }

    void controlAtTheBottomRightCanBeScrolledIntoView() {
        vxtest::WindowSession session;
        QVERIFY(session.Ready());
        CVX18DDlg& dlg = session.Open();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QWidget* client = Client(dlg);
        QScrollArea* area = ScrollArea(client);
        QVERIFY(area);
        QVERIFY(area->verticalScrollBar()->maximum() > 0);
        // The screen is wide enough: only the height scrolls.
        QCOMPARE(area->horizontalScrollBar()->maximum(), 0);

        QWidget* target = BottomRightControl(client, area->viewport()->size());
        QVERIFY(target);
        area->ensureWidgetVisible(target, 0, 0);
        QCoreApplication::processEvents();
        const QRect shown(target->mapTo(area->viewport(), QPoint(0, 0)), target->size());
        QVERIFY2(area->viewport()->rect().contains(shown), qPrintable(target->objectName()));
        // Where it is now shown lies on the screen.
        const QRect onScreen(target->mapToGlobal(QPoint(0, 0)), target->size());
        QVERIFY(dlg.screen()->availableGeometry().contains(onScreen));
    }
};

int main(int argc, char** argv) {
    // A virtual screen of 1024 x 600, with window frames.
    vxtest::TempDir dir;
    const std::string config = dir.File("small-screen.json");
    std::ofstream(config) << R"({"windowFrameMargins": true, "screens": [{"name": "small",)"
                          << R"( "x": 0, "y": 0, "width": 1024, "height": 600,)"
                          << R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
    QApplication application(argc, argv);
    SmallScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SmallScreenTest.moc"
