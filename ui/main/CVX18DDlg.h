// The program's main window: the live status of both receivers with the
// Status, Record and sample-rate controls, and the tab control with up to
// four pages (receiver 1 setup, receiver 2 setup, reference clock,
// communications). It owns the pages and the status worker; it does not own
// the protocol object. Every exchange with the unit happens on the thread
// that runs this window.
#pragma once

#include "files/FileException.h"
#include "files/RecordFile.h"
#include "platform/MessageTarget.h"
#include "platform/Win32Types.h"
#include "unit/StatusPoll.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTabWidget;

namespace vx {
class CVX18D3_Comm;
class TrafficLog;
} // namespace vx

namespace vx::ui {

class CVX18D_ComPort;
class CVX18D_RefClk;
class CVX18D_SetupDCn;
class DialogControls;
class EnterSpaceAccelerator;
class StatusDisplay;
class StatusWorker;
class TrafficMonitor;
class WindowMessageGate;

// Messages the window handles (besides the poll messages of StatusWorker.h).
inline constexpr plat::UINT WM_PING_UNIT = 1026;
inline constexpr plat::UINT WM_STOP_POLLING = 1528;
inline constexpr plat::UINT WM_AGC_ZERO_CHANGED = 1529; // posted to a receiver page
inline constexpr plat::UINT WM_REGISTRY_ERROR_BOX = 1530;
inline constexpr plat::UINT WM_UNIT_REACHED =
    1532; // the communications page's Test reached the unit

// System commands of the window menu.
inline constexpr plat::UINT IDM_ABOUTBOX = 0x0010;
inline constexpr plat::UINT IDM_TRAFFIC_MONITOR = 0x0020;
inline constexpr plat::UINT SC_MINIMIZE = 0xF020;
inline constexpr plat::UINT SC_CLOSE = 0xF060;
inline constexpr const char* kAboutMenuText = "&About VX18D...";
inline constexpr const char* kTrafficMonitorMenuText = "&Traffic Monitor...";

// Page numbers of m_nCurPage.
inline constexpr plat::UINT kPageReceiver1 = 0;
inline constexpr plat::UINT kPageReceiver2 = 1;
inline constexpr plat::UINT kPageRefClk = 2;
inline constexpr plat::UINT kPageComPort = 3;

class CVX18DDlg : public QDialog {
    Q_OBJECT

public:
    // Builds the window's controls and starts the status worker, which idles
    // until OnInitDialog publishes the window.
    CVX18DDlg(CVX18D3_Comm* comm, int offline, QWidget* parent = nullptr);
    ~CVX18DDlg() override;
    CVX18DDlg(const CVX18DDlg&) = delete;
    CVX18DDlg& operator=(const CVX18DDlg&) = delete;

    // Folder of the record file, with its trailing separator; set right after construction.
    std::string m_strAppDir;
    // The record of the traffic that the traffic monitor shows; set right
    // after construction. Without one the monitor cannot be opened.
    TrafficLog* m_pTrafficLog = nullptr;

    // Reads the unit's configuration, creates the pages and starts polling
    // when the unit is online. Runs once; returns TRUE.
    plat::BOOL OnInitDialog();
    // OnInitDialog, the window modally, then DestroyWindow; returns the
    // window's result (1 OK, 2 cancel).
    int DoModal();
    // Stops the worker, closes the record file (opening it with the desktop's
    // opener) and deletes the pages. Later calls do nothing.
    void DestroyWindow();

    // Handles a window message on this window's thread: 1026 ping, 1027
    // status poll, 1028 AM counter poll, 1528 stop polling, 1530 registry
    // error box, 1532 the unit reached. Unknown messages return 0.
    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
    // Window menu commands: 16 opens the About box, 32 the traffic monitor.
    void OnSysCommand(plat::UINT command);
    // Opens the traffic monitor beside the window, or raises it.
    void OpenTrafficMonitor();

    // What Restart does when the operator accepts the offer to start the
    // program again (a unit answers that was not there at the start). The
    // window's own asks for a new run (app/ProgramRestart.h) and closes the
    // window; tests put theirs.
    void SetRestartAction(std::function<void()> restart) { m_restart = std::move(restart); }

    // Handlers of the controls and messages.
    plat::LRESULT OnStatusPoll();
    plat::LRESULT OnAmCounterPoll();
    plat::LRESULT OnStopPolling();
    plat::LRESULT OnUnitReached();
    void OnStatusButton();
    void OnRecordButton();
    void OnSampleRateChanged(int position);
    void SelectPage();

    // Recording.
    void AppendRecordSample();
    void CloseRecordFile();
    void StopRecording();

    // What the window shows and holds.
    plat::UINT CurrentPage() const { return m_nCurPage; }
    CVX18D_SetupDCn* SetupPage(plat::UINT receiver) const;
    CVX18D_RefClk* RefClkPage() const { return m_pRefClkPage; }
    CVX18D_ComPort* ComPortPage() const { return m_pComPortPage; }
    QMenu* SystemMenu() const { return m_systemMenu; }
    TrafficMonitor* Monitor() const { return m_pTrafficMonitor; }
    int AgcZeroShown(plat::UINT receiver) const;
    double RssiDbm(plat::UINT receiver) const {
        return m_lastStatus.receivers[receiver & 1].rssiDbm;
    }
    std::uint32_t SampleNumber() const { return m_nSampleNumber; }
    const std::string& ReportFile() const { return m_strReportFile; }
    bool RecordFileOpen() const { return m_RecordFile.IsOpen(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The template's size is the window's natural size; on a smaller
    // screen the window takes the available area and its content scrolls.
    void FitToScreen();
    plat::LRESULT OnPing();
    plat::LRESULT OnRegistryError(plat::DWORD errorCode);
    void OnAcceleratorCommand(plat::UINT command);
    // "Corvanta VX18D", the port, and the unit's serial number once read
    // ("offline" after an offline start), so that two windows on two units
    // can be told apart.
    void ShowTitle();
    // The name of the port the protocol object talks through; empty when none.
    std::string PortName() const;
    void CreatePages();
    QWidget* PageWindow(plat::UINT page) const;
    const void* BoxOwner() const { return static_cast<const QWidget*>(this); }
    // The file error box: "CFileException::" and the failure's cause code.
    void ShowFileErrorBox(const FileError& error);

    CVX18D3_Comm* m_pComm; // not owned
    int m_bOffline;
    std::function<void()> m_restart;
    plat::UINT m_nCurPage = kPageReceiver1;
    bool m_bInitialised = false;
    bool m_bDestroyed = false;
    bool m_bFitted = false;

    // Controls, owned by their Qt parents.
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_systemMenu = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_client = nullptr; // the controls, in m_scroll
    std::unique_ptr<DialogControls> m_controls;
    std::unique_ptr<StatusDisplay> m_display;
    QPushButton* m_status = nullptr;
    QPushButton* m_record = nullptr;
    QSpinBox* m_spin = nullptr;
    QTabWidget* m_tab = nullptr;
    QWidget* m_frame = nullptr;
    EnterSpaceAccelerator* m_hAccel = nullptr; // null until OnInitDialog

    // Pages: children of the window, deleted by DestroyWindow.
    std::array<CVX18D_SetupDCn*, 2> m_pSetupPage{nullptr, nullptr};
    CVX18D_RefClk* m_pRefClkPage = nullptr;
    CVX18D_ComPort* m_pComPortPage = nullptr;
    // Created when first opened; a window of its own, deleted by DestroyWindow.
    TrafficMonitor* m_pTrafficMonitor = nullptr;

    // The worker and the gate through which its messages arrive.
    std::shared_ptr<WindowMessageGate> m_gate;
    std::unique_ptr<StatusWorker> m_hWorker;

    // Last status values and the recording.
    // The last status poll, for the AM counter poll and the record file.
    StatusSample m_lastStatus;
    std::uint32_t m_nSampleNumber = 0;
    std::string m_strReportFile;
    RecordFile m_RecordFile;
    FileError m_FileError;
};

// Runs the main window modally on the protocol object and destroys it;
// returns the window's result. traffic is the record the traffic monitor shows.
int RunMainDialog(CVX18D3_Comm& comm, int offline, const std::string& appDir,
                  TrafficLog* traffic = nullptr);

} // namespace vx::ui
