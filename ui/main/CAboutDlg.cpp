#include "ui/main/CAboutDlg.h"

#include "ui/DialogTemplate.h"
#include "ui/IndicatorImages.h"
#include "ui/main/BuildInfo.h"

#include <QLabel>
#include <QPushButton>

#include <array>

namespace vx::ui {
namespace {

constexpr std::array<TemplateControl, 5> kAboutTemplate{{
    {ControlKind::Image, IDC_STATIC, "", 11, 14, 21, 20, IDR_MAINFRAME},
    {ControlKind::Label, IDC_STATIC, "VX18D Application", 40, 10, 119, 8},
    {ControlKind::Label, IDC_BUILD_STAMP, "build version goes here", 40, 25, 190, 8},
    {ControlKind::Label, IDC_COMPILER_VERSION, "Compiler Version", 40, 40, 190, 8},
    {ControlKind::PushButton, IDC_ABOUT_OK, "OK", 246, 7, 50, 14},
}};

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About VX18D"));
    const DialogUnits units(font());
    m_controls = std::make_unique<DialogControls>(this, kAboutTemplate, units);
    setFixedSize(units.Size(303, 82));
    m_buildStamp = m_controls->Get<QLabel>(IDC_BUILD_STAMP);
    m_compilerVersion = m_controls->Get<QLabel>(IDC_COMPILER_VERSION);
    auto* ok = m_controls->Get<QPushButton>(IDC_ABOUT_OK);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

bool CAboutDlg::OnInitDialog() {
    m_buildStamp->setText(QString::fromStdString(BuildLine()));
    m_compilerVersion->setText(QString::fromStdString(CompilerVersionLine()));
    return true;
}

int CAboutDlg::DoModal() {
    OnInitDialog();
    return exec();
}

} // namespace vx::ui
