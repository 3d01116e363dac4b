// Probing a port name: the name resolved (PortNames.h), a network address
// taken as it stands, any other device described by the platform's own
// DescribeSerialDevice.
#include "platform/PortProbe.h"

#include "platform/NetworkAddress.h"
#include "platform/PortNames.h"

namespace plat {

std::optional<SerialPortDescription> ProbeSerialPort(const std::string& name) {
    const auto devicePath = ResolvePortName(name);
    if (!devicePath)
        return std::nullopt;
    if (LooksLikeNetworkAddress(*devicePath)) {
        const auto parsed = ParseNetworkAddress(*devicePath);
        if (!parsed.address)
            return std::nullopt;
        SerialPortDescription port;
        port.devicePath = parsed.address->Text();
        port.networkAddress = true;
        return port;
    }
    return DescribeSerialDevice(*devicePath);
}

std::string DescribeForOperator(const SerialPortDescription& port) {
    std::string text = port.devicePath;
    if (port.networkAddress)
        text += " (serial device server)";
    if (port.pseudoTerminal)
        text += " (pseudo-terminal)";
    std::string usb = port.usbManufacturer;
    if (!port.usbProduct.empty())
        usb += (usb.empty() ? "" : " ") + port.usbProduct;
    if (!port.usbSerialNumber.empty())
        usb += (usb.empty() ? "" : ", ") + std::string("serial number ") + port.usbSerialNumber;
    if (!usb.empty())
        text += " - " + usb;
    return text;
}

} // namespace plat
