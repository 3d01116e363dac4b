// The application object: raises the timer resolution, reads the stored
// serial settings, opens the port, builds the protocol object, tests the
// link, runs the main dialog modally and tears everything down in reverse.
//
// The protocol object talks to the port through a tap that reports every
// byte to the traffic log, which writes the trace file of --trace FILE and
// feeds the traffic monitor; the log is also the protocol object's monitor
// window, for the trace breaks.
#pragma once

#include "platform/Win32Types.h"

#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace vx {

class CVX18D3_Comm;
class TrafficLog;

class CVX18DApp {
public:
    // Runs the main dialog modally on the protocol object; returns the
    // dialog's result, or -1 when the dialog could not be created. The
    // dialog is destroyed before the runner returns.
    using DialogRunner =
        std::function<int(CVX18D3_Comm& comm, int offline, const std::string& appDir)>;

    CVX18DApp();
    ~CVX18DApp();
    CVX18DApp(const CVX18DApp&) = delete;
    CVX18DApp& operator=(const CVX18DApp&) = delete;

    std::string m_strAppDir;
    int m_bOffline = 0;
    std::string m_strComPort = "COM1";
    plat::DWORD m_dwBaudRate = 57600;
    plat::DWORD m_dwParity = 0;
    plat::DWORD m_dwStopBits = 0;
    plat::DWORD m_dwTimeout = 1000;

    // Runs the whole program; returns FALSE so that the process ends.
    plat::BOOL InitInstance();
    plat::BOOL LoadRegistrySettings();

    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

    // Creates (or empties, or with append adds to) the file that every
    // exchange of the run is written to, before anything is sent; false, with
    // a line on err, when it cannot be created.
    bool OpenTraceFile(const std::string& path, std::ostream& err, bool append = false);

    // The traffic log of the run, while InitInstance runs the dialog; null otherwise.
    TrafficLog* Traffic() const { return m_traffic.get(); }

private:
    DialogRunner m_runDialog;
    std::unique_ptr<std::ofstream> m_traceFile;
    std::unique_ptr<TrafficLog> m_traffic;
};

// The folder where the program writes its record files, with its trailing
// separator: the data folder (created when missing), since the program's own
// folder is not writable once installed.
std::string RecordFolder();

} // namespace vx
