// The vx18d program: the Qt application around the application object.
#include "app/CVX18DApp.h"
#include "app/ProgramRestart.h"
#include "ui/QtMessageBoxes.h"
#include "ui/main/CVX18DDlg.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // As given, before Qt takes its own options out: a restart repeats them all.
    const std::vector<std::string> arguments(argv, argv + argc);
    QApplication application(argc, argv);
    QApplication::setApplicationName("vx18d");
    QApplication::setOrganizationName("Corvanta");
    vx::ui::InstallQtMessageBoxes();

    vx::CVX18DApp app;
    app.SetDialogRunner(&vx::ui::RunMainDialog);
    app.InitInstance();
    // The run has ended and the port is closed: the new run can open it.
    if (vx::ProgramRestartRequested())
        vx::RestartProgram(arguments);
    return 0;
}
