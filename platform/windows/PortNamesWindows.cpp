// Port names on Windows are the system's own: "COM7" is the device
// "\\.\COM7" when the system has a device of that name (QueryDosDevice sees
// it). A name given for this process only comes first.
#include "platform/windows/Win32.h"

#include "platform/PortNames.h"

#include "platform/ProcessPortNames.h"

#include <cctype>

namespace plat {
namespace {

const std::string kDevicePrefix = "\\\\.\\";
constexpr int kHighestComNumber = 255;

std::optional<int> ComNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 6 || _strnicmp(name.c_str(), "COM", 3) != 0)
        return std::nullopt;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return std::nullopt;
        number = number * 10 + (name[i] - '0');
    }
    if (number < 1 || number > kHighestComNumber)
        return std::nullopt;
    return number;
}

} // namespace

std::optional<std::string> AutomaticPortDevice(const std::string& name) {
    const auto number = ComNumber(name);
    if (!number)
        return std::nullopt;
    return kDevicePrefix + "COM" + std::to_string(*number);
}

std::optional<std::string> AutomaticPortName(const std::string& devicePath) {
    std::string name = devicePath;
    if (name.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0)
        name.erase(0, kDevicePrefix.size());
    const auto number = ComNumber(name);
    if (!number)
        return std::nullopt;
    return "COM" + std::to_string(*number);
}

std::optional<std::string> ResolvePortName(const std::string& name) {
    if (auto path = ProcessPortName(name))
        return path;
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos)
        return std::nullopt;
    char target[1024];
    if (::QueryDosDeviceA(name.c_str(), target, sizeof target) == 0)
        return std::nullopt;
    return kDevicePrefix + name;
}

} // namespace plat
