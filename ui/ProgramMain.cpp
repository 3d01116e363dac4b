// The vx18d program: the Qt application around the application object.
#include "app/CVX18DApp.h"
#include "app/ProgramOptions.h"
#include "ui/QtMessageBoxes.h"
#include "ui/main/CVX18DDlg.h"

#include <QApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    // --help and --version answer before Qt looks for a display.
    vx::ProgramOptions options;
    if (const auto exitStatus = vx::ParseProgramOptions(argc, argv, std::cout, std::cerr, options))
        return *exitStatus;
    // A trace file that cannot be created stops the program before any window opens.
    vx::CVX18DApp app;
    if (!options.traceFile.empty() && !app.OpenTraceFile(options.traceFile, std::cerr))
        return 2;

    QApplication application(argc, argv);
    QApplication::setApplicationName("vx18d");
    QApplication::setOrganizationName("Corvanta");
    QGuiApplication::setDesktopFileName(QStringLiteral("com.corvanta.vx18d"));
    vx::ui::InstallQtMessageBoxes();

    app.SetDialogRunner([&app](vx::CVX18D3_Comm& comm, int offline, const std::string& appDir) {
        return vx::ui::RunMainDialog(comm, offline, appDir, app.Traffic());
    });
    app.InitInstance();
    return 0;
}
