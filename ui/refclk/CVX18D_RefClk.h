// The reference clock and hardware page. So far the page frame only: its tab
// caption and its refresh entry point.
#pragma once

#include "platform/Win32Types.h"
#include "ui/TabPage.h"

namespace vx::ui {

class CVX18D_RefClk : public TabPage {
    Q_OBJECT

public:
    CVX18D_RefClk(CVX18D3_Comm* comm, int offline, QWidget* parent);

    int Offline() const { return m_bOffline; }

    // Called by the main window each time this page's tab becomes the selected one.
    void RefreshFromUnit();

    int RefreshCount() const { return m_refreshCount; }

private:
    int m_bOffline;
    int m_refreshCount = 0;
};

} // namespace vx::ui
