// The receiver setup page: one tab page per fitted receiver. So far the page
// frame only: its tab caption, its refresh entry point and the message that
// tells it the unit's AGC zero state changed.
#pragma once

#include "platform/Win32Types.h"
#include "ui/TabPage.h"

namespace vx::ui {

class CVX18D_SetupDCn : public TabPage {
    Q_OBJECT

public:
    // A receiver index of 2 or more counts as the first receiver.
    CVX18D_SetupDCn(CVX18D3_Comm* comm, plat::UINT receiver, int offline, QWidget* parent);

    plat::UINT Receiver() const { return m_nReceiver; }
    int Offline() const { return m_bOffline; }

    // Called by the main window each time this page's tab becomes the selected one.
    void RefreshOnShow();
    // Message 1529: the unit's AGC zero state changed.
    void OnAgcZeroChanged();

    // What reached the page so far.
    int RefreshCount() const { return m_refreshCount; }
    int AgcZeroChangedCount() const { return m_agcZeroChangedCount; }

private:
    plat::UINT m_nReceiver;
    int m_bOffline;
    int m_refreshCount = 0;
    int m_agcZeroChangedCount = 0;
};

} // namespace vx::ui
