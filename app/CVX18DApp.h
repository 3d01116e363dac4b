// The application object: raises the timer resolution, reads the stored
// serial settings, opens the port, builds the protocol object, tests the
// link, runs the main dialog modally and tears everything down in reverse.
#pragma once

#include "platform/Win32Types.h"

#include <functional>
#include <string>

namespace vx {

class CVX18D3_Comm;

class CVX18DApp {
public:
    // Runs the main dialog modally on the protocol object; returns the
    // dialog's result, or -1 when the dialog could not be created. The
    // dialog is destroyed before the runner returns.
    using DialogRunner =
        std::function<int(CVX18D3_Comm& comm, int offline, const std::string& appDir)>;

    CVX18DApp() = default;

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

private:
    DialogRunner m_runDialog;
};

// The folder where the program writes its record files, with its trailing
// separator: the data folder (created when missing), since the program's own
// folder is not writable once installed.
std::string RecordFolder();

} // namespace vx
