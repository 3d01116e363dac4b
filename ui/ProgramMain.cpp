// The vx18d program: the Qt application around the application object.
#include "app/CVX18DApp.h"
#include "app/ProgramOptions.h"
#include "app/ProgramRestart.h"
#include "ui/QtMessageBoxes.h"
#include "ui/main/CVX18DDlg.h"

#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // As given, before Qt takes its own options out: a restart repeats them all.
    const std::vector<std::string> arguments(argv, argv + argc);
    // --help and --version answer before Qt looks for a display.
    vx::ProgramOptions options;
    if (const auto exitStatus = vx::ParseProgramOptions(argc, argv, std::cout, std::cerr, options))
        return *exitStatus;
    // A trace file that cannot be created stops the program before any window
    // opens. A restarted run adds to the trace of the run that started it.
    vx::CVX18DApp app;
    if (!options.traceFile.empty() &&
        !app.OpenTraceFile(options.traceFile, std::cerr, vx::IsRestartedRun()))
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
    // The run has ended and the port is closed: the new run can open it.
    if (vx::ProgramRestartRequested())
        vx::RestartProgram(arguments);
    return 0;
}
