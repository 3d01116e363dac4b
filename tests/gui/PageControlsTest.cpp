// What the three pages build on: numbers read and written as the C library
// does whatever the desktop's language, the up-down control's one report per
// completed change, the control kinds of the template builder, and the
// handler shape with its tones.
#include "platform/Beep.h"
#include "protocol/CVX18D3_Comm.h"
#include "serial/CSerialCom.h"
#include "text/NumberText.h"
#include "ui/DialogTemplate.h"
#include "ui/LogicalFont.h"
#include "ui/PageHandler.h"
#include "ui/UpDownControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <clocale>
#include <utility>
#include <vector>

using namespace vx::ui;

class PageControlsTest : public QObject {
    Q_OBJECT

private slots:
    void upDownReportsEachCompletedChangeOnce() {
        QWidget window;
        auto* buddy = new QLineEdit(&window);
        auto* spin = new UpDownControl(&window);
        spin->setGeometry(0, 0, 16, 24);
        spin->SetRange(0, 99);
        spin->SetBuddy(buddy);
        spin->SetPos(42);
        QCOMPARE(buddy->text(), QStringLiteral("42"));
        QSignalSpy stepped(spin, &UpDownControl::Stepped);

        // Typing reports nothing; the next step starts from what was typed.
        QTest::keyClicks(buddy, QStringLiteral("7"));
        QCOMPARE(stepped.count(), 0);
        buddy->setText(QStringLiteral("60"));
        spin->findChild<QToolButton*>(QStringLiteral("up"))->click();
        QCOMPARE(stepped.count(), 1);
        QCOMPARE(stepped.takeFirst().at(0).toInt(), 61);
        QCOMPARE(buddy->text(), QStringLiteral("61"));

        QTest::keyClick(buddy, Qt::Key_Down);
        QTest::keyClick(buddy, Qt::Key_PageUp);
        QCOMPARE(stepped.count(), 2);
        QCOMPARE(stepped.at(0).at(0).toInt(), 60);
        QCOMPARE(stepped.at(1).at(0).toInt(), 70);
        stepped.clear();

        // At the end of the range nothing changes and nothing is reported.
        spin->SetPos(99);
        QVERIFY(!spin->StepBy(1));
        QCOMPARE(stepped.count(), 0);
        QCOMPARE(spin->GetPos(), 99);

        // A range that runs downward: up still moves toward its upper end.
        spin->SetRange(10, -110);
        spin->SetPos(0);
        QVERIFY(spin->StepBy(1));
        QCOMPARE(spin->GetPos(), -1);
        // Text that is no number within range leaves the last position.
        buddy->setText(QStringLiteral("abc"));
        QCOMPARE(spin->GetPos(), -1);
    }

    void templateBuildsEveryPageKind() {
        QWidget window;
        static const TemplateControl controls[] = {
            {ControlKind::Edit, 10, "5", 0, 0, 40, 12, 0, 0, kStyleAlignRight | kStyleDigitsOnly},
            {ControlKind::DropDownList, 11, "", 0, 14, 40, 69},
            {ControlKind::PushRadio, 12, "Linear", 0, 30, 40, 12},
            {ControlKind::CheckBox, 13, "SW2.1", 0, 44, 40, 10},
            {ControlKind::RadioButton, 14, "5 MHz", 0, 56, 40, 10, 0, 0, kStyleDisabled},
            {ControlKind::UpDown, 15, "", 42, 0, 10, 12},
            {ControlKind::RightLabel, 16, "xxxxxxxx", 0, 70, 40, 8},
        };
        const DialogControls built(&window, controls, DialogUnits(6, 13));

        auto* edit = built.Get<QLineEdit>(10);
        QVERIFY(edit);
        QCOMPARE(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QTest::keyClicks(edit, QStringLiteral("a1-b2"));
        QCOMPARE(edit->text(), QStringLiteral("512"));

        auto* list = built.Get<QComboBox>(11);
        QVERIFY(list && !list->isEditable());
        QVERIFY(list->height() < DialogUnits(6, 13).Y(69)); // closed, not dropped
        QVERIFY(list->maxVisibleItems() >= 2);

        auto* radio = built.Get<QPushButton>(12);
        QVERIFY(radio && radio->isCheckable() && !radio->autoExclusive());
        QVERIFY(built.Get<QCheckBox>(13));
        auto* plainRadio = built.Get<QRadioButton>(14);
        QVERIFY(plainRadio && !plainRadio->isEnabled() && !plainRadio->autoExclusive());
        QVERIFY(built.Get<UpDownControl>(15));
        QCOMPARE(built.Get<QLabel>(16)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    }

    void handlerRunsInOrderAndSoundsByResult() {
        std::vector<std::pair<unsigned, unsigned>> tones;
        const auto previous = plat::SetToneHandler(
            [&](plat::DWORD hz, plat::DWORD ms) { tones.emplace_back(hz, ms); });
        std::vector<int> order;
        vx::SerialPortSettings settings{};
        vx::CSerialCom port(&settings); // never opened: a trace break sends nothing
        vx::CVX18D3_Comm comm(&port);
        for (plat::BOOL result : {plat::TRUE, plat::FALSE}) {
            RunHandler(
                comm,
                [&] {
                    order.push_back(1);
                    return result;
                },
                [&] { order.push_back(2); }, TonePair{{1000, 20}, kToneFailure}, TraceBreak::Skip);
        }
        plat::SetToneHandler(previous);
        QCOMPARE(order, (std::vector<int>{1, 2, 1, 2}));
        QCOMPARE(tones, (std::vector<std::pair<unsigned, unsigned>>{{1000, 20}, {100, 100}}));
    }

    void logicalFontHasTheCellHeight() {
        const QFont large = LogicalFont(QStringLiteral("Arial"), 36, 400, false);
        QVERIFY(qAbs(QFontMetrics(large).height() - 36) <= 2);
        const QFont bold = LogicalFont(QStringLiteral("Courier New"), 20, 700, true);
        QVERIFY(bold.bold());
        QVERIFY(QFontInfo(bold).fixedPitch());
    }
};

QTEST_MAIN(PageControlsTest)
#include "PageControlsTest.moc"
