#include "platform/ConfigPaths.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace plat {
namespace {

std::string FromEnvironment(const char* ownVariable, const char* xdgVariable,
                            const char* homeRelative) {
    if (const char* own = std::getenv(ownVariable); own && *own)
        return own;
    std::string base;
    if (const char* xdg = std::getenv(xdgVariable); xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + homeRelative;
    }
    return base + "/corvanta-vx18d";
}

} // namespace

std::string ConfigDir() {
    return FromEnvironment("VX18D_CONFIG_DIR", "XDG_CONFIG_HOME", "/.config");
}

std::string SettingsFilePath() {
    return ConfigDir() + "/vx18d.reg";
}

std::string PortsDir() {
    return ConfigDir() + "/ports";
}

std::string DataDir() {
    return FromEnvironment("VX18D_DATA_DIR", "XDG_DATA_HOME", "/.local/share");
}

std::string CacheDir() {
    return FromEnvironment("VX18D_CACHE_DIR", "XDG_CACHE_HOME", "/.cache");
}

bool EnsureDirectory(const std::string& path) {
    if (path.empty())
        return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        EnsureDirectory(path.substr(0, slash));
    return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

} // namespace plat
