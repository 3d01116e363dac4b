// The receiver setup page: one tab page per fitted receiver, on which the
// operator tunes and configures that receiver. The page keeps no settings of
// its own: it shows the protocol object's cache and changes the unit only
// through the protocol object's operations, redrawing from the cache after
// each. Its one state is the DAGC range mode (DagcRangeMode.h).
//
// The page frame (construction, initialisation, keyboard, refresh) is in
// CVX18D_SetupDCn.cpp; the tuning, filter and output controls in
// SetupTuningHandlers.cpp; the AGC, IF output and DAGC range controls in
// SetupAgcHandlers.cpp.
#pragma once

#include "platform/Win32Types.h"
#include "ui/PageHandler.h"
#include "ui/TabPage.h"
#include "ui/setup/DagcRangeMode.h"

#include <QFont>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vx::ui {

class UpDownControl;

class CVX18D_SetupDCn : public TabPage {
    Q_OBJECT

public:
    // Builds the page from its template and initialises it at once. A
    // receiver index of 2 or more counts as the first receiver. Offline, the
    // page shows the cache as it is and sends nothing while it opens.
    CVX18D_SetupDCn(CVX18D3_Comm* comm, plat::UINT receiver, int offline, QWidget* parent);

    plat::UINT Receiver() const { return m_nReceiver; }

    // Called by the main window each time this page's tab becomes the selected one.
    void RefreshOnShow();
    // Message 1529: the unit's AGC zero state changed; the main window has
    // already taken the new state into the cache. Re-reads the DAGC ranges.
    plat::LRESULT OnAgcZeroChanged();

protected:
    // Enter sends the tuning frequency; Space does nothing.
    void OnCommand(plat::UINT command) override;

private:
    plat::BOOL OnInitDialog();
    void ConnectControls();
    void FillSettingLists();
    void ApplyCompanionBoardLock();

    // Tuning, filters and receiver outputs.
    void OnTuningSend();
    void OnIfBandwidthSelected();
    void OnVideoFilterSelected();
    void OnAmFilterSelected();
    void OnAmInverseClicked();
    void OnAmGainStepped(int position);
    void OnFmPolarityClicked();
    void OnTlm2Clicked();
    void OnXdoutClicked();
    void OnVideoGainSend();
    void OnVideoGainSave();
    void OnSetupSelected();

    void ShowTuningFrequency();
    void ShowBandRanges();
    void FillFilterLists();
    void FillAmFilterList();
    void ShowXdoutCaption();
    void ShowAmInverse();
    void ShowFmPolarity();
    void ShowTlm2();
    void ShowXdout();
    void ShowAmGain();
    void ShowVideoGain();
    void SelectCachedFilters();
    void SelectCachedSetup();

    // AGC, IF output and DAGC ranges.
    void OnAgcTimeConstantSelected();
    void OnIfOutputModeClicked();
    void OnAgcFreezeClicked();
    void OnDagcModeClicked(plat::UINT mode);
    void OnDefaultRanges();
    void OnPredefinedRanges();
    void OnPredefinedSelected();
    void OnProgrammableRanges();
    void OnProgrammableSend();
    void OnDagcSpinStepped(int spinId, int position);
    void OnAgcZeroClicked();
    void OnAveragingClicked(plat::UINT mode);

    void DecideDagcRangeMode();
    void FillAgcTimeConstantList();
    void LockIfOutputMode();
    void SelectCachedAgcTimeConstant();
    void ShowIfOutputMode();
    void ShowAgcFreeze();
    void ShowDagcControlMode();
    void ShowAveraging();
    void ShowDagcRange();
    void ShowStartVoltage();
    void ShowEndVoltage();
    void ShowLowerDbm();
    void ShowUpperDbm();
    void ShowDagcLimitsAndVoltages();
    void ShowPredefinedSlope();
    void ShowProgrammableSlope();

    // One handler: the operation, a trace break, the redisplay, the control's tone.
    plat::BOOL Handle(int id, const std::function<plat::BOOL()>& operation,
                      const std::function<void()>& redisplay,
                      TraceBreak traceBreak = TraceBreak::Mark);
    // The same for an operation whose result the page does not examine.
    void HandleUnexamined(int id, const std::function<void()>& operation,
                          const std::function<void()>& redisplay,
                          TraceBreak traceBreak = TraceBreak::Mark);

    // A push-like button's check mark and caption.
    void ShowCheck(int id, bool checked, const char* caption);

    QPushButton* Button(int id) const;
    QComboBox* List(int id) const;
    QLineEdit* Edit(int id) const;
    QLabel* Label(int id) const;
    UpDownControl* Spin(int id) const;

    CVX18D3_Comm& Comm() const { return *m_pComm; }

    plat::UINT m_nReceiver;
    int m_bOffline;
    QFont m_largeFont;
    QFont m_boldFont;
    setup::DagcRangeModeMachine m_dagcRange;
};

} // namespace vx::ui
