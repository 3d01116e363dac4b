#include "ui/comport/CVX18D_ComPort.h"

namespace vx::ui {

CVX18D_ComPort::CVX18D_ComPort(CVX18D3_Comm* comm, QWidget* parent) : TabPage(comm, parent) {
    setWindowTitle(QStringLiteral("Com Port"));
}

void CVX18D_ComPort::RefreshLinkIndicator() {
    ++m_refreshCount;
}

} // namespace vx::ui
