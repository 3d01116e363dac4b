// The communications page: the operator picks the serial port and its line
// settings, tests the link (and stores settings that work), and loads a new
// DSP firmware image into the unit.
//
// The port list holds every name from COM1 to COM255 that reaches a serial
// device (PortProbe.h), found when the page is created; each entry shows the
// Linux device and, for a USB adapter, its maker, product and serial number
// as its tooltip. Enter and Space do nothing on this page, except that Space
// types a blank into the firmware path.
#pragma once

#include "platform/MessageTarget.h"
#include "platform/Win32Types.h"
#include "serial/SerialPortSettings.h"
#include "ui/TabPage.h"
#include "unit/FirmwareLoader.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vx::ui {

class CVX18D_ComPort : public TabPage {
    Q_OBJECT

public:
    // What the firmware file dialog gave back.
    struct FileChoice {
        enum class Result { Chosen, Cancelled, Failed };
        Result result = Result::Cancelled;
        QString path; // the full path when Chosen; Failed leaves the reason in plat::GetLastError()
    };
    using FileDialog = std::function<FileChoice(QWidget* owner)>;

    // Builds the page from its template and initialises it at once (the
    // serial ports are probed then). mainWindow receives message 1528 before
    // every firmware load, and 1532 after every Test that reached the unit.
    CVX18D_ComPort(CVX18D3_Comm* comm, QWidget* parent, plat::HWND mainWindow);
    ~CVX18D_ComPort() override;

    // Called by the main window each time this page's tab becomes the
    // selected one, and after every Test: shows the link lamp and sounds its tone.
    void RefreshLinkIndicator();

    // Writes the page's port name, rate, parity, stop bits and time-out to
    // the settings store; FALSE when the store could not be opened or closed.
    plat::BOOL SaveSerialSettings();

    // Replace the file-open dialog of Browse and the clock of the firmware
    // load's programming wait (the program keeps the defaults).
    void SetFileDialog(FileDialog dialog) { m_fileDialog = std::move(dialog); }
    void SetFirmwareTiming(vx::FirmwareLoader::Timing timing) {
        m_firmwareTiming = std::move(timing);
    }

    // Handlers.
    void OnTest();
    void OnBrowse();
    void OnLoad();

protected:
    void OnKeyDown(plat::UINT virtualKey) override;

private:
    plat::BOOL OnInitDialog();
    void ProbePorts();
    void FillLists();
    void SelectOpenPortSettings();
    void EnableFirmwareControls();
    void FitListsToLabels();
    void ReportFirmwareOutcome(const vx::FirmwareLoadOutcome& outcome);

    plat::HWND m_hMainWnd; // not owned

    // Controls, owned by the page.
    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_load = nullptr;
    QWidget* m_linkOk = nullptr;
    QWidget* m_linkFailed = nullptr;
    QPushButton* m_test = nullptr;
    QComboBox* m_stopBitsList = nullptr;
    QComboBox* m_parityList = nullptr;
    QComboBox* m_baudList = nullptr;
    QComboBox* m_portList = nullptr;

    // Every serial port found, in probing order (name and default configuration).
    std::vector<vx::SerialPortSettings> m_ports;
    unsigned m_nSelectedPort = 0;

    // The settings of the last Test (or of the open port at start): what
    // SaveSerialSettings writes.
    std::string m_strPortName = "COM1";
    plat::DWORD m_dwBaudRate = 57600;
    plat::DWORD m_dwParity = 0;
    plat::DWORD m_dwStopBits = 0;
    plat::DWORD m_dwTimeout = 1000;

    FileDialog m_fileDialog;
    vx::FirmwareLoader::Timing m_firmwareTiming = vx::FirmwareLoader::SystemTiming();
    bool m_bLoading = false;
};

} // namespace vx::ui
