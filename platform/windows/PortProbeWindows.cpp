// Port probing on Windows: a name is a serial port when the system has a
// device of that name and its default configuration comes from a serial
// (RS-232) provider. Nothing is opened.
#include "platform/windows/Win32.h"

#include "platform/PortProbe.h"

#include "platform/SerialDevice.h"

namespace plat {
namespace {

const std::string kDevicePrefix = "\\\\.\\";

bool HasSerialProvider(const std::string& name) {
    COMMCONFIG config;
    DWORD size = 52;
    return GetDefaultCommConfig(name.c_str(), &config, &size) &&
           config.dwProviderSubType == PST_RS232;
}

} // namespace

std::optional<SerialPortDescription> DescribeSerialDevice(const std::string& devicePath,
                                                          const std::string&) {
    std::string name = devicePath;
    if (name.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0)
        name.erase(0, kDevicePrefix.size());
    char target[1024];
    if (name.empty() || ::QueryDosDeviceA(name.c_str(), target, sizeof target) == 0 ||
        !HasSerialProvider(name))
        return std::nullopt;
    SerialPortDescription port;
    port.devicePath = kDevicePrefix + name;
    return port;
}

} // namespace plat
