#include "cli/LinkSession.h"

#include "cli/ExitStatus.h"
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/NetworkAddress.h"
#include "platform/PortNames.h"
#include "platform/Registry.h"
#include "platform/SerialDevice.h"
#include "platform/SystemMessage.h"
#include "settings/SerialSettingsStore.h"

#include <cstring>

namespace vx::cli {
namespace {

constexpr std::size_t kPortNameLength = 6;
constexpr const char* kDevicePortName = "DEVICE";

// The first line the port layer wrote: it names the device and the reason.
std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    return plat::TrimRight(line);
}

std::string Reason(const plat::DebugCapture& capture) {
    std::string reason = FirstLine(capture.Text());
    if (reason.empty())
        reason = plat::TrimRight(plat::FormatSystemMessage(plat::GetLastError()));
    return reason;
}

} // namespace

LinkSettings ResolveLinkSettings(const LinkOptions& options, std::ostream& err) {
    StoredSerialSettings stored;
    if (const auto problem = plat::FindRegistryFileProblem()) {
        // Its defaults would open some other port, on which no unit answers.
        const std::string where = "settings file " + problem->file + " line " +
                                  std::to_string(problem->line) + ": " + problem->reason;
        if (!options.port)
            throw UsageError(where + "; mend the line, or give --port (and the line settings)");
        err << "vx18dctl: warning: " << where << "; the stored settings are not used\n";
    } else {
        LoadSerialSettings(stored);
    }

    LinkSettings link;
    link.baud = options.baud.value_or(stored.baudRate);
    link.parity = options.parity.value_or(stored.parity);
    link.stopBits = options.stopBits.value_or(stored.stopBits);
    link.timeoutMs = options.timeoutMs.value_or(stored.timeoutMs);

    if (!options.port) {
        // As start-up does: only the first six characters of the stored name.
        link.port = stored.portName;
        link.portName = stored.portName.substr(0, kPortNameLength);
    } else if (plat::LooksLikeNetworkAddress(*options.port)) {
        const plat::NetworkAddressParse parsed = plat::ParseNetworkAddress(*options.port);
        if (!parsed.address)
            throw UsageError("--port " + parsed.error);
        link.port = *options.port;
        link.devicePath = parsed.address->Text();
        link.portName = kDevicePortName;
    } else if (options.port->find('/') != std::string::npos) {
        link.port = *options.port;
        link.devicePath = *options.port;
        link.portName = kDevicePortName;
    } else {
        if (options.port->empty() || options.port->size() > kPortNameLength)
            throw UsageError("--port " + *options.port +
                             ": a port name has 1 to 6 characters (COM1 ... COM96, or a name in "
                             "the ports folder), or give a device path such as /dev/ttyUSB0");
        link.port = *options.port;
        link.portName = *options.port;
    }
    return link;
}

LinkSession::LinkSession(const LinkSettings& settings, ExchangeTrace* trace,
                         const std::atomic<bool>* stop, std::ostream& err)
    : m_link(settings) {
    if (!m_link.devicePath.empty())
        plat::SetProcessPortName(m_link.portName, m_link.devicePath);
    try {
        OpenPort();
    } catch (...) {
        m_serial.reset();
        if (!m_link.devicePath.empty())
            plat::SetProcessPortName(m_link.portName, "");
        throw;
    }
    m_port = std::make_unique<TracedPort>(*m_serial, trace, stop);
    m_port->FlushInput();
    m_monitor = std::make_unique<MonitorWindow>(trace, err, m_port.get());
    m_comm = std::make_unique<CVX18D3_Comm>(m_port.get());
    m_comm->m_nTimeout = static_cast<std::int32_t>(m_link.timeoutMs);
    m_comm->m_hTraceWnd = m_monitor.get();
}

void LinkSession::OpenPort() {
    std::strncpy(m_portSettings.portName, m_link.portName.c_str(), kPortNameLength);
    m_portSettings.commConfig.dwSize = 52;
    plat::DWORD configSize = 52;
    plat::GetDefaultCommConfig(m_portSettings.portName, &m_portSettings.commConfig, &configSize);
    m_portSettings.baudRate = m_link.baud;
    m_portSettings.parity = static_cast<plat::BYTE>(m_link.parity);
    m_portSettings.stopBits = static_cast<plat::BYTE>(m_link.stopBits);
    m_portSettings.byteSize = 8;

    plat::DebugCapture capture;
    m_serial = std::make_unique<CSerialCom>(&m_portSettings);
    if (!m_serial->IsReady())
        throw PortError("cannot open " + m_link.port + ": " + Reason(capture));
    if (!m_serial->ApplySettings() || !m_serial->SetTimeouts(0, 200, 0, 0, 0))
        throw PortError("cannot configure " + m_link.port + ": " + Reason(capture));
}

LinkSession::~LinkSession() {
    m_comm.reset();
    m_port.reset();
    m_serial.reset();
    if (!m_link.devicePath.empty())
        plat::SetProcessPortName(m_link.portName, "");
}

bool LinkSession::LinkTest() {
    return m_comm->Ping(0) && m_comm->m_nLastResult;
}

} // namespace vx::cli
