#include "ui/setup/CVX18D_SetupDCn.h"

#include "protocol/CVX18D3_Comm.h"

namespace vx::ui {

CVX18D_SetupDCn::CVX18D_SetupDCn(CVX18D3_Comm* comm, plat::UINT receiver, int offline,
                                 QWidget* parent)
    : TabPage(comm, parent), m_nReceiver(ReceiverIndex(receiver)), m_bOffline(offline) {
    setWindowTitle(QStringLiteral("Setup Rcvr%1").arg(m_nReceiver + 1));
}

void CVX18D_SetupDCn::RefreshOnShow() {
    ++m_refreshCount;
}

void CVX18D_SetupDCn::OnAgcZeroChanged() {
    ++m_agcZeroChangedCount;
}

} // namespace vx::ui
