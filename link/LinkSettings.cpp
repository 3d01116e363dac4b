#include "link/LinkSettings.h"

#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/NetworkAddress.h"
#include "platform/PortNames.h"
#include "platform/Registry.h"
#include "platform/SerialDevice.h"
#include "platform/SystemMessage.h"
#include "settings/SerialSettingsStore.h"

#include <cstring>

namespace vx {
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

LinkSettings ResolveLinkSettings(const LinkOptions& options,
                                 const std::function<void(const std::string&)>& warn) {
    StoredSerialSettings stored;
    if (const auto problem = plat::FindRegistryFileProblem()) {
        const std::string where = "settings file " + problem->file + " line " +
                                  std::to_string(problem->line) + ": " + problem->reason;
        if (!options.port)
            throw BadSettingsFile(where +
                                  "; mend the line, or give --port (and the line settings)");
        if (warn)
            warn(where + "; the stored settings are not used");
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
            throw BadPortName("--port " + parsed.error);
        link.port = *options.port;
        link.devicePath = parsed.address->Text();
        link.portName = kDevicePortName;
    } else if (options.port->find('/') != std::string::npos) {
        link.port = *options.port;
        link.devicePath = *options.port;
        link.portName = kDevicePortName;
    } else {
        if (options.port->empty() || options.port->size() > kPortNameLength)
            throw BadPortName("--port " + *options.port +
                              ": a port name has 1 to 6 characters (COM1 ... COM96, or a name in "
                              "the ports folder), or give a device path such as /dev/ttyUSB0");
        link.port = *options.port;
        link.portName = *options.port;
    }
    return link;
}

ProcessPortName::ProcessPortName(const LinkSettings& link) {
    if (link.devicePath.empty())
        return;
    m_name = link.portName;
    plat::SetProcessPortName(m_name, link.devicePath);
}

ProcessPortName::~ProcessPortName() {
    if (!m_name.empty())
        plat::SetProcessPortName(m_name, "");
}

OpenedPort OpenSerialPort(const LinkSettings& link, SerialPortSettings& record) {
    record = SerialPortSettings{};
    std::strncpy(record.portName, link.portName.c_str(), kPortNameLength);
    record.commConfig.dwSize = 52;
    plat::DWORD configSize = 52;
    plat::GetDefaultCommConfig(record.portName, &record.commConfig, &configSize);
    record.baudRate = link.baud;
    record.parity = static_cast<plat::BYTE>(link.parity);
    record.stopBits = static_cast<plat::BYTE>(link.stopBits);
    record.byteSize = 8;

    plat::DebugCapture capture;
    OpenedPort opened;
    opened.port = std::make_unique<CSerialCom>(&record);
    if (!opened.port->IsReady()) {
        opened.failure = "cannot open " + link.port + ": " + Reason(capture);
        opened.port.reset();
    } else if (!opened.port->ApplySettings() || !opened.port->SetTimeouts(0, 200, 0, 0, 0)) {
        opened.failure = "cannot configure " + link.port + ": " + Reason(capture);
        opened.port.reset();
    }
    return opened;
}

} // namespace vx
