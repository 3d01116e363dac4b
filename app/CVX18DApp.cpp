#include "app/CVX18DApp.h"

#include "app/TimePeriod.h"
#include "platform/ConfigPaths.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/SerialDevice.h"
#include "protocol/CVX18D3_Comm.h"
#include "serial/CSerialCom.h"
#include "settings/SerialSettingsStore.h"
#include "trace/TracedPort.h"
#include "trace/TrafficLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace vx {

using namespace plat;

std::string RecordFolder() {
    const std::string folder = DataDir();
    EnsureDirectory(folder);
    return folder + "/";
}

CVX18DApp::CVX18DApp() = default;

CVX18DApp::~CVX18DApp() = default;

bool CVX18DApp::OpenTraceFile(const std::string& path, std::ostream& err, bool append) {
    errno = 0;
    auto file = std::make_unique<std::ofstream>(
        path, std::ios::out | (append ? std::ios::app : std::ios::trunc));
    if (!file->is_open()) {
        const int error = errno;
        err << "vx18d: --trace " << path
            << ": cannot create the file: " << (error ? std::strerror(error) : "unknown error")
            << '\n';
        return false;
    }
    m_traceFile = std::move(file);
    return true;
}

BOOL CVX18DApp::InitInstance() {
    TimePeriod timePeriod;
    m_traffic = std::make_unique<TrafficLog>(m_traceFile.get());

    m_strAppDir = RecordFolder();

    LoadRegistrySettings();

    SerialPortSettings portSettings{};
    std::strncpy(portSettings.portName, m_strComPort.c_str(), 6);
    portSettings.commConfig.dwSize = 52;
    DWORD configSize = 52;
    GetDefaultCommConfig(portSettings.portName, &portSettings.commConfig, &configSize);
    portSettings.baudRate = m_dwBaudRate;
    portSettings.parity = static_cast<BYTE>(m_dwParity);
    portSettings.stopBits = static_cast<BYTE>(m_dwStopBits);
    portSettings.byteSize = 8;

    auto port = std::make_unique<CSerialCom>(&portSettings);
    bool ready = false;
    if (port->IsReady() && port->ApplySettings())
        ready = port->SetTimeouts(0, 200, 0, 0, 0) != FALSE;
    port->FlushInput();

    // Every exchange goes through the tap, traced or not; the log keeps
    // nothing unless the trace file or the traffic monitor wants it.
    auto tap = std::make_unique<TracedPort>(*port, m_traffic.get(), nullptr);
    auto comm = std::make_unique<CVX18D3_Comm>(tap.get());
    comm->m_nTimeout = static_cast<std::int32_t>(m_dwTimeout);
    comm->m_hTraceWnd = m_traffic.get();

    m_bOffline = 1;
    if (ready && comm->Ping(0) && comm->m_nLastResult)
        m_bOffline = 0;

    char line[160];
    std::snprintf(line, sizeof line, "VX18D: unit %s on %s at %lu baud.\r\n",
                  m_bOffline ? "offline" : "online", portSettings.portName,
                  static_cast<unsigned long>(m_dwBaudRate));
    OutputDebugString(line);

    if (m_runDialog && m_runDialog(*comm, m_bOffline, m_strAppDir) == -1)
        ShowMessageBox("Dialog could not be created", "Dialog Error", MB_OK | MB_ICONERROR,
                       nullptr);

    comm.reset();
    tap.reset();
    port.reset();
    m_traffic.reset();
    return FALSE;
}

BOOL CVX18DApp::LoadRegistrySettings() {
    StoredSerialSettings settings{m_strComPort, m_dwBaudRate, m_dwParity, m_dwStopBits,
                                  m_dwTimeout};
    const BOOL closed = LoadSerialSettings(settings);
    m_strComPort = settings.portName;
    m_dwBaudRate = settings.baudRate;
    m_dwParity = settings.parity;
    m_dwStopBits = settings.stopBits;
    m_dwTimeout = settings.timeoutMs;
    return closed;
}

} // namespace vx
