// The About box: the application icon, the program's name, when it was built
// and by which compiler.
#pragma once

#include <QDialog>

#include <memory>

class QLabel;

namespace vx::ui {

class DialogControls;

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDC_BUILD_STAMP = 1053;
inline constexpr int IDC_COMPILER_VERSION = 1090;
inline constexpr int IDC_ABOUT_OK = 1;

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent);
    ~CAboutDlg() override;

    // Fills in the build stamp and the compiler line.
    bool OnInitDialog();
    // OnInitDialog, then runs the box modally.
    int DoModal();

private:
    std::unique_ptr<DialogControls> m_controls;
    QLabel* m_buildStamp;
    QLabel* m_compilerVersion;
};

} // namespace vx::ui
