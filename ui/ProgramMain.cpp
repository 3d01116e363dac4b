// The vx18d program: the Qt application around the application object.
#include "app/CVX18DApp.h"
#include "ui/QtMessageBoxes.h"
#include "ui/main/CVX18DDlg.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("vx18d");
    QApplication::setOrganizationName("Corvanta");
    vx::ui::InstallQtMessageBoxes();

    vx::CVX18DApp app;
    app.SetDialogRunner(&vx::ui::RunMainDialog);
    app.InitInstance();
    return 0;
}
