#include "platform/ProcessPortNames.h"

#include "platform/PortNames.h"

#include <cctype>
#include <map>
#include <mutex>

namespace plat {
namespace {

struct ProcessNames {
    std::mutex mutex;
    std::map<std::string, std::string> paths; // upper-case name -> device path
};

ProcessNames& Process() {
    static ProcessNames names;
    return names;
}

std::string UpperCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::optional<std::string> ProcessPortName(const std::string& name) {
    ProcessNames& names = Process();
    std::lock_guard lock(names.mutex);
    auto it = names.paths.find(UpperCase(name));
    if (it == names.paths.end())
        return std::nullopt;
    return it->second;
}

void SetProcessPortName(const std::string& name, const std::string& devicePath) {
    ProcessNames& names = Process();
    std::lock_guard lock(names.mutex);
    if (devicePath.empty())
        names.paths.erase(UpperCase(name));
    else
        names.paths[UpperCase(name)] = devicePath;
}

} // namespace plat
