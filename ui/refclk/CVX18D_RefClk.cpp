#include "ui/refclk/CVX18D_RefClk.h"

namespace vx::ui {

CVX18D_RefClk::CVX18D_RefClk(CVX18D3_Comm* comm, int offline, QWidget* parent)
    : TabPage(comm, parent), m_bOffline(offline) {
    setWindowTitle(QStringLiteral("Ref Clk"));
}

void CVX18D_RefClk::RefreshFromUnit() {
    ++m_refreshCount;
}

} // namespace vx::ui
