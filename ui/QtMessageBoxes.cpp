#include "ui/QtMessageBoxes.h"

#include "platform/MessageBox.h"

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
        default:
            break;
        }
        auto* owner = static_cast<QWidget*>(const_cast<void*>(request.owner));
        QMessageBox box(icon, QString::fromStdString(request.caption),
                        QString::fromStdString(request.text), QMessageBox::Ok, owner);
        box.exec();
        return plat::IDOK;
    });
}

} // namespace vx::ui
