#include "ui/TabPage.h"

#include "ui/EnterSpaceAccelerator.h"

namespace vx::ui {

TabPage::TabPage(CVX18D3_Comm* comm, QWidget* parent) : QWidget(parent), m_pComm(comm) {
    new EnterSpaceAccelerator(this, [this](plat::UINT key) { OnKeyDown(key); });
}

void TabPage::OnKeyDown(plat::UINT virtualKey) {
    if (const plat::UINT command = TranslateEnterSpace(virtualKey))
        OnCommand(command);
}

void TabPage::OnCommand(plat::UINT) {}

void TabPage::CreateFromTemplate(std::span<const TemplateControl> controls, int widthDlu,
                                 int heightDlu) {
    const DialogUnits units(font());
    m_controls = std::make_unique<DialogControls>(this, controls, units);
    resize(units.Size(widthDlu, heightDlu));
}

} // namespace vx::ui
