// Port probing on Linux: stat() of the node a name resolves to, and the
// device's entry in sysfs (/sys/dev/char/MAJOR:MINOR), never open().
//
// - A pseudo-terminal slave (the Unix98 pty majors) is a terminal with line
//   settings; it has no sysfs entry.
// - Any other device must be a tty (its sysfs subsystem is "tty") with a
//   device behind it: virtual consoles, /dev/tty and /dev/console have none.
// - Serial-core ports report their UART type; 0 (PORT_UNKNOWN) is a slot the
//   kernel reserved without finding a UART.
// - A USB adapter's maker, product and serial number are attributes of the
//   USB device, a few levels above the tty in the sysfs tree.
#include "platform/PortProbe.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <linux/major.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace plat {
namespace {

std::optional<std::string> RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved))
        return std::nullopt;
    return std::string(resolved);
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The first line of a sysfs attribute without trailing blanks; nothing
// when the attribute does not exist.
std::optional<std::string> ReadAttribute(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line))
        return std::nullopt;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.pop_back();
    return line;
}

std::string BaseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string Parent(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool IsPseudoTerminalSlave(unsigned majorNumber) {
    return majorNumber >= UNIX98_PTY_SLAVE_MAJOR &&
           majorNumber < UNIX98_PTY_SLAVE_MAJOR + UNIX98_PTY_MAJOR_COUNT;
}

// Fills in the USB device's own description when the tty hangs below one.
void AddUsbDescription(const std::string& deviceDir, const std::string& sysfsRoot,
                       SerialPortDescription& port) {
    for (std::string dir = deviceDir; dir.size() > sysfsRoot.size(); dir = Parent(dir)) {
        if (!ReadAttribute(dir + "/idVendor"))
            continue;
        port.usbManufacturer = ReadAttribute(dir + "/manufacturer").value_or("");
        port.usbProduct = ReadAttribute(dir + "/product").value_or("");
        port.usbSerialNumber = ReadAttribute(dir + "/serial").value_or("");
        return;
    }
}

} // namespace

std::optional<SerialPortDescription> DescribeSerialDevice(const std::string& devicePath,
                                                          const std::string& sysfsRoot) {
    struct stat st {};
    if (::stat(devicePath.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
        return std::nullopt; // missing, a dangling link, or not a device
    SerialPortDescription port;
    port.devicePath = RealPath(devicePath).value_or(devicePath);

    const unsigned majorNumber = major(st.st_rdev);
    if (IsPseudoTerminalSlave(majorNumber)) {
        port.pseudoTerminal = true;
        return port;
    }

    const auto root = RealPath(sysfsRoot);
    const auto classDir = RealPath(sysfsRoot + "/dev/char/" + std::to_string(majorNumber) + ":" +
                                   std::to_string(minor(st.st_rdev)));
    if (!root || !classDir)
        return std::nullopt;
    const auto subsystem = RealPath(*classDir + "/subsystem");
    if (!subsystem || BaseName(*subsystem) != "tty")
        return std::nullopt;
    const auto deviceDir = RealPath(*classDir + "/device");
    if (!deviceDir || !IsDirectory(*deviceDir))
        return std::nullopt;
    if (const auto type = ReadAttribute(*classDir + "/type"); type && std::atoi(type->c_str()) == 0)
        return std::nullopt;

    AddUsbDescription(*deviceDir, *root, port);
    return port;
}

} // namespace plat
