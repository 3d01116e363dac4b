#include "platform/PortNames.h"

#include "platform/ConfigPaths.h"
#include "platform/NetworkAddress.h"
#include "platform/ProcessPortNames.h"

#include <cctype>
#include <climits>
#include <dirent.h>
#include <fstream>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

struct AutomaticRange {
    const char* prefix; // device name prefix in /dev
    int firstCom;       // COM number of device 0
    bool checkUart;     // only UARTs that are really present count
};

constexpr AutomaticRange kRanges[] = {
    {"ttyS", 1, true},
    {"ttyUSB", 33, false},
    {"ttyACM", 65, false},
};
constexpr int kDevicesPerRange = 32;

std::optional<int> ComNumber(const std::string& name) {
    if (name.size() < 4 || strncasecmp(name.c_str(), "COM", 3) != 0)
        return std::nullopt;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])) || number > 100000)
            return std::nullopt;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// A ttyS node exists for every UART slot the kernel reserved; only slots
// with hardware behind them report a type other than 0 (PORT_UNKNOWN).
bool UartPresent(const std::string& deviceName) {
    std::ifstream type("/sys/class/tty/" + deviceName + "/type");
    int value = 0;
    return type >> value && value != 0;
}

std::optional<std::string> LinkInPortsFolder(const std::string& name) {
    const std::string folder = PortsDir();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::string> found;
    while (dirent* entry = ::readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) != 0)
            continue;
        const std::string link = folder + "/" + entry->d_name;
        char target[PATH_MAX];
        ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        if (n < 0) {
            found = link; // a plain file or device node stands for itself
        } else {
            target[n] = '\0';
            // An absolute path, a network address (rfc2217://...) as it
            // stands, or a path relative to the folder.
            found = target[0] == '/' || LooksLikeNetworkAddress(target) ? std::string(target)
                                                                        : folder + "/" + target;
        }
        break;
    }
    ::closedir(dir);
    return found;
}

} // namespace

std::optional<std::string> AutomaticPortDevice(const std::string& name) {
    auto number = ComNumber(name);
    if (!number)
        return std::nullopt;
    for (const auto& range : kRanges) {
        const int index = *number - range.firstCom;
        if (index >= 0 && index < kDevicesPerRange)
            return std::string("/dev/") + range.prefix + std::to_string(index);
    }
    return std::nullopt;
}

std::optional<std::string> AutomaticPortName(const std::string& devicePath) {
    const std::string base = devicePath.substr(devicePath.find_last_of('/') + 1);
    for (const auto& range : kRanges) {
        const std::string prefix = range.prefix;
        if (base.size() <= prefix.size() || base.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = base.substr(prefix.size());
        if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 2)
            continue;
        const int index = std::stoi(digits);
        if (index < kDevicesPerRange)
            return "COM" + std::to_string(range.firstCom + index);
    }
    return std::nullopt;
}

std::optional<std::string> ResolvePortName(const std::string& name) {
    if (auto path = ProcessPortName(name))
        return path;
    if (auto link = LinkInPortsFolder(name))
        return link;
    auto device = AutomaticPortDevice(name);
    if (!device)
        return std::nullopt;
    const std::string base = device->substr(5);
    for (const auto& range : kRanges) {
        if (range.checkUart && base.rfind(range.prefix, 0) == 0 &&
            std::isdigit(static_cast<unsigned char>(base[std::string(range.prefix).size()])) &&
            !UartPresent(base))
            return std::nullopt;
    }
    struct stat st {};
    if (::stat(device->c_str(), &st) != 0)
        return std::nullopt;
    return device;
}

} // namespace plat
