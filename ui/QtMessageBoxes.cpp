#include "ui/QtMessageBoxes.h"

#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace vx::ui {

void InstallQtMessageBoxes() {
    plat::SetMessageBoxHandler([](const plat::MessageBoxRequest& request) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        switch (request.type & 0xF0) {
        case plat::MB_ICONERROR:
            icon = QMessageBox::Critical;
            break;
        case plat::MB_ICONWARNING:
            icon = QMessageBox::Warning;
            break;
        case plat::MB_ICONINFORMATION:
            icon = QMessageBox::Information;
            break;
        case plat::MB_ICONQUESTION:
            icon = QMessageBox::Question;
            break;
        default:
            break;
        }
        auto* owner = static_cast<QWidget*>(const_cast<void*>(request.owner));
        const bool question = (request.type & 0xF) == plat::MB_YESNO;
        QMessageBox box(icon, QString::fromStdString(request.caption),
                        QString::fromStdString(request.text),
                        question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
        if (!question) {
            box.exec();
            return plat::IDOK;
        }
        for (std::size_t i = 0; i < request.buttons.size() && i < 2; ++i) {
            box.button(i == 0 ? QMessageBox::Yes : QMessageBox::No)
                ->setText(QString::fromStdString(request.buttons[i]));
        }
        box.setDefaultButton(request.type & plat::MB_DEFBUTTON2 ? QMessageBox::No
                                                                : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? plat::IDYES : plat::IDNO;
    });
}

} // namespace vx::ui
