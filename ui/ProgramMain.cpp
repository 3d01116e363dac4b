// The vx18d program: the Qt application around the application object.
#include "app/CVX18DApp.h"
#include "app/ProgramOptions.h"
#include "ui/QtMessageBoxes.h"
#include "ui/main/CVX18DDlg.h"

#include <QApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    // --help and --version answer before Qt looks for a display.
    if (const auto exitStatus = vx::ParseProgramOptions(argc, argv, std::cout, std::cerr))
        return *exitStatus;

    QApplication application(argc, argv);
    QApplication::setApplicationName("vx18d");
    QApplication::setOrganizationName("Corvanta");
    QGuiApplication::setDesktopFileName(QStringLiteral("com.corvanta.vx18d"));
    vx::ui::InstallQtMessageBoxes();

    vx::CVX18DApp app;
    app.SetDialogRunner(&vx::ui::RunMainDialog);
    app.InitInstance();
    return 0;
}
